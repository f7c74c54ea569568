#include "tests/windows/temp_dir.h"

#include <fstream>
#include <windows.h>

#include "platform/win32/utf16.h"

namespace wintest {

TempDir::TempDir(const std::wstring& name) {
  static int counter = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  path_ = std::filesystem::path(temp) / (name + L" " + std::to_wstring(::GetCurrentProcessId()) +
                                         L"-" + std::to_wstring(++counter));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code error;
  // Attributes that stop a deletion go first.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    ::SetFileAttributesW(it->path().c_str(),
                         it->is_directory() ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(path_, error);
}

std::string TempDir::Text() const { return win32::Narrow(path_.wstring()); }
std::string TempDir::Text(const std::wstring& child) const {
  return win32::Narrow((path_ / child).wstring());
}

bool WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  return static_cast<bool>(out);
}

}  // namespace wintest
