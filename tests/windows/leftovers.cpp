#include "tests/windows/leftovers.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <windows.h>

namespace fs = std::filesystem;

namespace wintest {
namespace {

fs::path FolderFromVariable(const wchar_t* variable) {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableW(variable, path, MAX_PATH * 2);
  return length == 0 ? fs::path() : fs::path(path);
}

}  // namespace

fs::path OwnFolder() {
  wchar_t path[MAX_PATH * 2] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return fs::path(path).parent_path();
}

std::set<fs::path> ProfileContents() {
  std::set<fs::path> names;
  for (const fs::path& folder : {FolderFromVariable(L"TEMP"), FolderFromVariable(L"LOCALAPPDATA"),
                                 FolderFromVariable(L"APPDATA"), OwnFolder()}) {
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
      names.insert(it->path());
    }
  }
  return names;
}

std::set<fs::path> Added(const std::set<fs::path>& before, const std::set<fs::path>& after) {
  std::set<fs::path> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::inserter(added, added.end()));
  for (const fs::path& path : added) std::printf("    left behind: %ls\n", path.c_str());
  return added;
}


}  // namespace wintest
