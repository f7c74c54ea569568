// Operations of the operating system that the windows call: the process's
// working set, the registry, the file existence test and the start of
// another program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace reg {
class Registry;
}

namespace platform {

using ProcessHandle = std::intptr_t;

// Both limits of SetProcessWorkingSetSize at -1: remove as many pages as
// possible from the working set.
inline constexpr std::size_t kTrimWorkingSet = static_cast<std::size_t>(-1);

inline constexpr int vbNormalFocus = 1;  // a normal, activated window

class System {
 public:
  virtual ~System() = default;

  virtual ProcessHandle GetCurrentProcess() = 0;
  virtual bool SetProcessWorkingSetSize(ProcessHandle process, std::size_t minimum,
                                        std::size_t maximum) = 0;

  virtual reg::Registry& Registry() = 0;

  // True when a file of this name exists; directories, hidden and system
  // files do not count.
  virtual bool FileExists(const std::string& path) = 0;

  // Starts the program and returns at once without waiting for it; raises a
  // run-time error when it cannot be started. Returns the program's id.
  virtual double Shell(const std::string& path, int window_style) = 0;
};

}  // namespace platform
