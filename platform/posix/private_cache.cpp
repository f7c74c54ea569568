#include "platform/posix/private_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include <cstdio>
#include <vector>

namespace platform {
namespace {

constexpr const char* kFolder = "/tmp";
constexpr const char* kLockName = "/owner.lock";

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

void RemoveTree(const std::string& path) { ::nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

// The directories `prefix`* in the folder whose owner has gone: their lock
// file can be locked, or there is none (a run killed before it took it).
void RemoveLeftBehind(const std::string& prefix) {
  std::vector<std::string> gone;
  if (DIR* folder = ::opendir(kFolder)) {
    while (const dirent* entry = ::readdir(folder)) {
      const std::string name = entry->d_name;
      if (name.rfind(prefix, 0) != 0 || name.size() != prefix.size() + 6) continue;
      const std::string path = std::string(kFolder) + "/" + name;
      const int lock = ::open((path + kLockName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
      if (lock < 0) {
        // No lock file: made by a run killed at once, or not ours at all.
        // Only a directory of our own making, that is not being made now.
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
            ::time(nullptr) - st.st_mtime > 60) {
          gone.push_back(path);
        }
        continue;
      }
      if (::flock(lock, LOCK_EX | LOCK_NB) == 0) gone.push_back(path);
      ::close(lock);
    }
    ::closedir(folder);
  }
  for (const std::string& path : gone) RemoveTree(path);
}

}  // namespace

PrivateCache::PrivateCache(const std::string& name) {
  const std::string prefix = name + "-cache-";
  RemoveLeftBehind(prefix);
  std::string pattern = std::string(kFolder) + "/" + prefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return;  // the libraries fall back to their defaults
  path_ = std::move(pattern);
  // Held until the process ends, however it ends; not handed to the
  // programs it starts.
  lock_ = ::open((path_ + kLockName).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (lock_ >= 0) ::flock(lock_, LOCK_EX | LOCK_NB);
  ::setenv("XDG_CACHE_HOME", path_.c_str(), 1);
}

PrivateCache::~PrivateCache() { Remove(); }

void PrivateCache::Remove() noexcept {
  if (path_.empty()) return;
  RemoveTree(path_);
  path_.clear();
  if (lock_ >= 0) ::close(lock_);
  lock_ = -1;
}

}  // namespace platform
