#pragma once

#include <filesystem>
#include <string_view>

namespace gui {

// A fresh directory under the system temp dir, removed with its contents
// when the object goes away.
class TempDir {
 public:
  explicit TempDir(std::string_view prefix = "gui-harness");
  ~TempDir();
  TempDir(TempDir&& other) noexcept;
  TempDir& operator=(TempDir&& other) noexcept;
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  void Remove() noexcept;
  std::filesystem::path path_;
};

}  // namespace gui
