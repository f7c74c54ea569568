// The client stores nothing. The libraries under it keep caches of their own
// (GStreamer's plug-in registry, Mesa's shaders, fontconfig's), which they
// would write under the user's home; this points them at a directory of the
// run's own, removed again when the run ends.
#pragma once

#include <string>

namespace vb {

class PrivateCache {
 public:
  // Creates the directory and makes it the cache directory of this process
  // and of every process it starts. Call before any library starts up.
  PrivateCache();
  ~PrivateCache();
  PrivateCache(const PrivateCache&) = delete;
  PrivateCache& operator=(const PrivateCache&) = delete;

  const std::string& Path() const noexcept { return path_; }
  // Removes the directory now (for ways out that skip destructors).
  void Remove() noexcept;

 private:
  std::string path_;
};

}  // namespace vb
