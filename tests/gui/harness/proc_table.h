#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace gui {

// One row of /proc, as far as the harness needs it.
struct ProcInfo {
  pid_t pid = 0;
  pid_t ppid = 0;
  pid_t pgrp = 0;
  char state = '?';  // 'Z' for a zombie
  std::string comm;
};

std::vector<ProcInfo> ListProcesses();

// All live (non-zombie) processes below `pid` in the parent tree.
std::vector<pid_t> DescendantsOf(pid_t pid);

// False when the process is gone or only a zombie waiting to be reaped.
bool PidAlive(pid_t pid);

// Live processes whose environment has an entry containing `needle`.
std::vector<pid_t> ProcessesWithEnvironmentContaining(std::string_view needle);

// Live processes in process group `pgrp`.
std::vector<pid_t> ProcessGroupMembers(pid_t pgrp);

// "/proc/PID/cmdline" with spaces between the arguments; empty when gone.
std::string CommandLineOf(pid_t pid);

}  // namespace gui
