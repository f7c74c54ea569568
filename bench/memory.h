// Memory as the kernel accounts it for a process tree.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace bench {

struct ProcessMemory {
  pid_t pid = 0;
  std::string name;    // /proc/PID/comm
  long pss_kib = 0;    // proportional set size
  long rss_kib = 0;
};

// `root` and every live process below it, with their PSS from smaps_rollup.
std::vector<ProcessMemory> TreeMemory(pid_t root);
long TotalPss(const std::vector<ProcessMemory>& tree);
// PSS of the tree as if the machine ran nothing but the bench's desktop:
// each resident page the tree maps is shared only among the processes in
// `tree` and `others` (the rest of the session) that map it. The kernel's
// PSS also divides by every other program mapping the same library files, so
// it falls whenever, say, another WebKit program runs on a shared machine.
// Needs root (page frame numbers); -1 without.
long SessionPssKib(const std::vector<ProcessMemory>& tree, const std::vector<pid_t>& others);
std::string DescribeTree(const std::vector<ProcessMemory>& tree);

// CPU time (user and system, all threads) that `root` and every live
// process below it have used so far, in ms (10 ms steps).
double TreeCpuMs(pid_t root);

// VmRSS from /proc/PID/status; -1 when gone.
long ResidentKib(pid_t pid);

// Reads one process's VmRSS every `interval` on a thread of its own.
class RssRecorder {
 public:
  struct Sample {
    std::chrono::steady_clock::time_point at;
    long rss_kib;
  };
  RssRecorder(pid_t pid, std::chrono::microseconds interval);
  ~RssRecorder();
  RssRecorder(const RssRecorder&) = delete;
  RssRecorder& operator=(const RssRecorder&) = delete;
  // Stops recording and hands over the samples.
  std::vector<Sample> Finish();

 private:
  std::vector<Sample> samples_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace bench
