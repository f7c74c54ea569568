// The operating system's operations on Windows: the real working set, the
// real registry, file attributes and CreateProcess.
#pragma once

#include "platform/system.h"
#include "platform/win32/win32_registry.h"

namespace platform {

class Win32System final : public System {
 public:
  // The pseudo handle of the current process, (HANDLE)-1.
  ProcessHandle GetCurrentProcess() override;
  bool SetProcessWorkingSetSize(ProcessHandle process, std::size_t minimum,
                                std::size_t maximum) override;
  reg::Registry& Registry() override { return registry_; }
  bool FileExists(const std::string& path) override;
  double Shell(const std::string& path, int window_style) override;

 private:
  reg::Win32Registry registry_;
};

}  // namespace platform
