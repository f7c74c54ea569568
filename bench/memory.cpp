#include "memory.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "harness/proc_table.h"

namespace bench {
namespace {

long FieldKib(const std::string& path, const char* field) {
  std::ifstream in(path);
  const std::size_t length = std::strlen(field);
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, length, field) == 0) return std::strtol(line.c_str() + length, nullptr, 10);
  }
  return -1;
}

std::string Comm(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

}  // namespace

std::vector<ProcessMemory> TreeMemory(pid_t root) {
  std::vector<pid_t> pids{root};
  for (pid_t p : gui::DescendantsOf(root)) pids.push_back(p);
  std::vector<ProcessMemory> tree;
  for (pid_t p : pids) {
    const std::string base = "/proc/" + std::to_string(p);
    const long pss = FieldKib(base + "/smaps_rollup", "Pss:");
    if (pss < 0) continue;  // gone meanwhile, or a zombie
    tree.push_back({p, Comm(p), pss, FieldKib(base + "/smaps_rollup", "Rss:")});
  }
  return tree;
}

long TotalPss(const std::vector<ProcessMemory>& tree) {
  long total = 0;
  for (const auto& p : tree) total += p.pss_kib;
  return total;
}

std::string DescribeTree(const std::vector<ProcessMemory>& tree) {
  std::ostringstream out;
  for (const auto& p : tree) out << p.name << ' ' << p.pss_kib / 1024.0 << " MB; ";
  return out.str();
}

namespace {

// The frame numbers of every page `pid` has resident (one entry per mapping
// of a frame); false when the kernel hides them.
bool ResidentFrames(pid_t pid, std::vector<std::uint64_t>& frames) {
  const std::string base = "/proc/" + std::to_string(pid);
  const int pagemap = ::open((base + "/pagemap").c_str(), O_RDONLY | O_CLOEXEC);
  if (pagemap < 0) return true;  // gone meanwhile
  const unsigned long page = static_cast<unsigned long>(::sysconf(_SC_PAGESIZE));
  std::vector<std::uint64_t> entries(1 << 16);
  std::ifstream smaps(base + "/smaps");
  unsigned long start = 0, end = 0;
  bool visible = true;
  for (std::string line; visible && std::getline(smaps, line);) {
    if (std::sscanf(line.c_str(), "%lx-%lx ", &start, &end) == 2) continue;
    // Only ranges with something resident are worth reading page by page.
    if (line.rfind("Rss:", 0) != 0 || std::strtol(line.c_str() + 4, nullptr, 10) == 0) continue;
    for (unsigned long at = start; at < end;) {
      const std::size_t count = std::min<std::size_t>(entries.size(), (end - at) / page);
      const ssize_t got = ::pread(pagemap, entries.data(), count * 8, static_cast<off_t>(at / page * 8));
      if (got <= 0) break;
      for (std::size_t i = 0; i < static_cast<std::size_t>(got) / 8; ++i) {
        const std::uint64_t e = entries[i];
        if (((e >> 63) & 1) == 0) continue;
        const std::uint64_t pfn = e & ((1ULL << 55) - 1);
        if (pfn == 0) visible = false;
        frames.push_back(pfn);
      }
      at += static_cast<unsigned long>(got) / 8 * page;
    }
  }
  ::close(pagemap);
  return visible;
}

}  // namespace

long SessionPssKib(const std::vector<ProcessMemory>& tree, const std::vector<pid_t>& others) {
  // (frame, whether the mapping is the tree's), sorted by frame.
  std::vector<std::pair<std::uint64_t, bool>> all;
  std::vector<std::uint64_t> frames;
  auto collect = [&](pid_t pid, bool ours) {
    frames.clear();
    if (!ResidentFrames(pid, frames)) return false;
    for (auto f : frames) all.emplace_back(f, ours);
    return true;
  };
  for (const auto& p : tree) {
    if (!collect(p.pid, true)) return -1;
  }
  for (pid_t pid : others) {
    if (std::none_of(tree.begin(), tree.end(), [pid](const auto& p) { return p.pid == pid; })) collect(pid, false);
  }
  std::sort(all.begin(), all.end());
  double pages = 0;
  for (std::size_t i = 0; i < all.size();) {
    std::size_t j = i, ours = 0;
    for (; j < all.size() && all[j].first == all[i].first; ++j) ours += all[j].second;
    pages += static_cast<double>(ours) / static_cast<double>(j - i);
    i = j;
  }
  return std::lround(pages * (::sysconf(_SC_PAGESIZE) / 1024));
}

double TreeCpuMs(pid_t root) {
  std::vector<pid_t> pids{root};
  for (pid_t p : gui::DescendantsOf(root)) pids.push_back(p);
  const double tick_ms = 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
  double total = 0;
  for (pid_t p : pids) {
    std::ifstream in("/proc/" + std::to_string(p) + "/stat");
    std::string line;
    std::getline(in, line);
    // The name in parentheses may hold spaces: count fields after it.
    const auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
      if (i == 14) utime = std::stoull(field);
      if (i == 15) {
        stime = std::stoull(field);
        break;
      }
    }
    total += static_cast<double>(utime + stime) * tick_ms;
  }
  return total;
}

long ResidentKib(pid_t pid) { return FieldKib("/proc/" + std::to_string(pid) + "/status", "VmRSS:"); }

RssRecorder::RssRecorder(pid_t pid, std::chrono::microseconds interval) {
  samples_.reserve(1 << 14);
  thread_ = std::thread([this, pid, interval] {
    // One open file, read again from the start: cheap enough for 2 ms steps.
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    std::FILE* f = std::fopen(path.c_str(), "re");
    if (f == nullptr) return;
    std::setvbuf(f, nullptr, _IONBF, 0);
    char buffer[4096];
    while (!stop_) {
      std::rewind(f);
      const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
      const auto now = std::chrono::steady_clock::now();
      if (n == 0) break;
      buffer[n] = '\0';
      if (const char* rss = std::strstr(buffer, "VmRSS:")) {
        samples_.push_back({now, std::strtol(rss + 6, nullptr, 10)});
      }
      std::this_thread::sleep_for(interval);
    }
    std::fclose(f);
  });
}

RssRecorder::~RssRecorder() { Finish(); }

std::vector<RssRecorder::Sample> RssRecorder::Finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return std::move(samples_);
}

}  // namespace bench
