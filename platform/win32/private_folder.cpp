#include "platform/win32/private_folder.h"

#include <windows.h>

#include <system_error>

namespace platform::win32 {
namespace {

constexpr const wchar_t* kLockName = L"run.lock";

std::filesystem::path TempFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
  return length == 0 || length > MAX_PATH ? std::filesystem::path(L".") : std::filesystem::path(path);
}

// Read-only files (a library may leave some) would stop remove_all.
void RemoveTree(const std::filesystem::path& folder) noexcept {
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(folder, error);
}

// Folders of this name whose run is gone: their lock can be deleted (or
// they never got one, the run having died between the two steps).
void RemoveLeftovers(const std::filesystem::path& temp, const std::wstring& name) noexcept {
  std::error_code error;
  const std::wstring prefix = name + L"-";
  for (auto it = std::filesystem::directory_iterator(temp, error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const std::wstring leaf = it->path().filename().wstring();
    if (leaf.rfind(prefix, 0) != 0 || !it->is_directory(error)) continue;
    const std::filesystem::path lock = it->path() / kLockName;
    if (::DeleteFileW(lock.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND) RemoveTree(it->path());
  }
}

}  // namespace

PrivateFolder::PrivateFolder(const std::wstring& name) {
  const std::filesystem::path temp = TempFolder();
  RemoveLeftovers(temp, name);
  const std::wstring stem = name + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
  for (ULONGLONG attempt = ::GetTickCount64();; ++attempt) {
    std::filesystem::path candidate = temp / (stem + std::to_wstring(attempt % 1000000));
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = std::move(candidate);
      break;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return;  // no folder: the library keeps its default
  }
  // Shared for reading and writing, never for deletion: while this run holds
  // it, no other run can delete it, and with it the folder.
  lock_.reset(::CreateFileW((path_ / kLockName).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

PrivateFolder::~PrivateFolder() { Remove(); }

void PrivateFolder::Remove() noexcept {
  if (path_.empty()) return;
  lock_.reset();
  RemoveTree(path_);
  path_.clear();
}

}  // namespace platform::win32
