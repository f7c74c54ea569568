// The client stores nothing. The libraries under it keep caches of their own
// (GStreamer's plug-in registry, Mesa's shaders, fontconfig's), which they
// would write under the user's home; this points them at a directory of the
// run's own, removed again when the run ends.
//
// A run that is killed (SIGKILL, power loss) cannot remove its directory:
// each run holds a lock on a file in its own for as long as it lives, and
// the next run removes those whose lock nobody holds any more, and only
// those.
#pragma once

#include <string>

namespace platform {

class PrivateCache {
 public:
  // Removes what runs that are gone left behind, then creates this run's
  // directory as /tmp/<name>-cache-XXXXXX and makes it the cache directory
  // of this process and of every process it starts. Call before any
  // library starts up.
  explicit PrivateCache(const std::string& name);
  ~PrivateCache();
  PrivateCache(const PrivateCache&) = delete;
  PrivateCache& operator=(const PrivateCache&) = delete;

  const std::string& Path() const noexcept { return path_; }
  // Removes the directory now (for ways out that skip destructors).
  void Remove() noexcept;

 private:
  std::string path_;
  int lock_ = -1;
};

}  // namespace platform
