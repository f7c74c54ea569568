// The operating system's operations on Linux. The registry is held in memory
// and seeded at start-up with what a Windows installation would hold.
#pragma once

#include "platform/memory_registry.h"
#include "platform/system.h"

namespace platform {

class PosixSystem final : public System {
 public:
  // Takes the environment the program was started with: the programs it
  // starts get the user's own, not what the run sets for the libraries
  // under it (its private cache, its settings kept in memory).
  PosixSystem();
  ~PosixSystem() override;
  PosixSystem(const PosixSystem&) = delete;
  PosixSystem& operator=(const PosixSystem&) = delete;

  ProcessHandle GetCurrentProcess() override;
  bool SetProcessWorkingSetSize(ProcessHandle process, std::size_t minimum,
                                std::size_t maximum) override;
  reg::Registry& Registry() override { return registry_; }
  bool FileExists(const std::string& path) override;
  double Shell(const std::string& path, int window_style) override;

  reg::MemoryRegistry& Memory() noexcept { return registry_; }

 private:
  reg::MemoryRegistry registry_;
  char** user_environment_;
};

// Gives freed heap back to the system and asks the kernel to reclaim the
// process's resident pages where it can. Returns the pages advised.
std::size_t TrimResidentPages();

// Where the system information tool is looked for, in order.
const char* const* SystemInformationCandidates();

}  // namespace platform
