// A folder of the run's own under the user's temporary folder, for what a
// library keeps on disk while the program runs (the browser's profile): the
// program stores nothing, so the folder goes when the run ends.
//
// A run that is killed cannot remove its folder: each run holds a file in
// its own open, without sharing its deletion, for as long as it lives; the
// next run removes the folders whose file nobody holds any more, and only
// those.
#pragma once

#include <filesystem>
#include <string>

#include "platform/win32/kernel_handle.h"

namespace platform::win32 {

class PrivateFolder {
 public:
  // Removes what runs that are gone left behind, then creates this run's
  // folder as %TEMP%\<name>-<unique>.
  explicit PrivateFolder(const std::wstring& name);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::filesystem::path& Path() const noexcept { return path_; }
  // Removes the folder now, with all it holds: once nothing uses it any more
  // (the browser's processes have ended).
  void Remove() noexcept;

 private:
  std::filesystem::path path_;
  ::win32::KernelHandle lock_;
};

}  // namespace platform::win32
