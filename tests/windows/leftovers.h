// What a program under test leaves behind: the folders of the profile a
// program could write to, read before and after.
#pragma once

#include <filesystem>
#include <set>

namespace wintest {

// The test program's own folder, where the build puts what it tests.
std::filesystem::path OwnFolder();

// Every name in TEMP, LOCALAPPDATA, APPDATA and the test program's folder.
std::set<std::filesystem::path> ProfileContents();

// What `after` has that `before` had not; each printed, to say what was left.
std::set<std::filesystem::path> Added(const std::set<std::filesystem::path>& before,
                                      const std::set<std::filesystem::path>& after);

}  // namespace wintest
