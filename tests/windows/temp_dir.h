// A folder of its own under the user's temporary folder, removed with all it
// holds, read-only, hidden and system files included.
#pragma once

#include <filesystem>
#include <string>

namespace wintest {

class TempDir {
 public:
  // `name` is part of the folder's name, spaces allowed.
  explicit TempDir(const std::wstring& name);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const noexcept { return path_; }
  // The path as the program's text (UTF-8), with backslashes.
  std::string Text() const;
  std::string Text(const std::wstring& child) const;

 private:
  std::filesystem::path path_;
};

// Creates a file holding `content`; returns false if it could not.
bool WriteFile(const std::filesystem::path& path, const std::string& content);

}  // namespace wintest
