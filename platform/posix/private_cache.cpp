#include "platform/posix/private_cache.h"

#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

namespace vb {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

}  // namespace

PrivateCache::PrivateCache() {
  std::string pattern = "/tmp/varnock-cache-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return;  // the libraries fall back to their defaults
  path_ = std::move(pattern);
  ::setenv("XDG_CACHE_HOME", path_.c_str(), 1);
}

PrivateCache::~PrivateCache() { Remove(); }

void PrivateCache::Remove() noexcept {
  if (path_.empty()) return;
  ::nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  path_.clear();
}

}  // namespace vb
