#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <thread>

#include "error.h"
#include "proc_table.h"
#include "unique_fd.h"

namespace gui {
namespace {

// Pids owned by live Process objects, so the adopted-children sweep leaves them alone.
std::mutex registry_mutex;
std::set<pid_t>& Registry() {
  static std::set<pid_t> pids;
  return pids;
}

void Register(pid_t pid) {
  std::lock_guard lock(registry_mutex);
  Registry().insert(pid);
}

void Unregister(pid_t pid) {
  std::lock_guard lock(registry_mutex);
  Registry().erase(pid);
}

bool Registered(pid_t pid) {
  std::lock_guard lock(registry_mutex);
  return Registry().count(pid) != 0;
}

int EncodeStatus(int wait_status) {
  if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) return StatusForSignal(WTERMSIG(wait_status));
  return -1000;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// RAII holders for the posix_spawn attribute objects.
struct FileActions {
  posix_spawn_file_actions_t value;
  FileActions() { posix_spawn_file_actions_init(&value); }
  ~FileActions() { posix_spawn_file_actions_destroy(&value); }
};
struct SpawnAttr {
  posix_spawnattr_t value;
  SpawnAttr() { posix_spawnattr_init(&value); }
  ~SpawnAttr() { posix_spawnattr_destroy(&value); }
};
}  // namespace

std::string DescribeStatus(int status) {
  if (status >= 0) return "exit status " + std::to_string(status);
  if (status == -1000) return "unknown wait status";
  return "killed by signal " + std::to_string(-status) + " (" + strsignal(-status) + ")";
}

Process::Process(std::vector<std::string> argv, ProcessOptions options)
    : argv_(std::move(argv)), options_(std::move(options)) {
  if (argv_.empty()) throw Error("Process: empty argument list");
  std::filesystem::path out_dir = options_.output_dir;
  if (out_dir.empty()) {
    own_output_ = std::make_unique<TempDir>("gui-proc");
    out_dir = own_output_->path();
  }
  const std::string stem = std::filesystem::path(argv_[0]).filename().string();
  // Several processes may share an output dir; make the names unique.
  for (int n = 0;; ++n) {
    const std::string suffix = n == 0 ? "" : "." + std::to_string(n);
    stdout_path_ = out_dir / (stem + suffix + ".stdout");
    stderr_path_ = out_dir / (stem + suffix + ".stderr");
    if (!std::filesystem::exists(stdout_path_)) break;
  }

  FileActions actions;
  posix_spawn_file_actions_addopen(&actions.value, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions.value, 1, stdout_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions.value, 2, stderr_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // Duplicate first to high numbers so mappings can never clobber each other.
  std::vector<UniqueFd> staged;
  int highest_child_fd = 2;
  for (const auto& [ours, theirs] : options_.pass_fds) {
    staged.emplace_back(fcntl(ours, F_DUPFD_CLOEXEC, 100));
    if (!staged.back().valid()) throw Error("Process: cannot duplicate fd " + std::to_string(ours));
    posix_spawn_file_actions_adddup2(&actions.value, staged.back().get(), theirs);
    highest_child_fd = std::max(highest_child_fd, theirs);
  }
  // Nothing else of ours (sockets, pipes without O_CLOEXEC) leaks into the child.
  posix_spawn_file_actions_addclosefrom_np(&actions.value, highest_child_fd + 1);
  if (!options_.working_dir.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions.value, options_.working_dir.c_str());
  }

  SpawnAttr attr;
  sigset_t empty_mask;
  sigemptyset(&empty_mask);
  sigset_t all_default;
  sigfillset(&all_default);
  posix_spawnattr_setsigmask(&attr.value, &empty_mask);
  posix_spawnattr_setsigdefault(&attr.value, &all_default);
  posix_spawnattr_setpgroup(&attr.value, 0);
  posix_spawnattr_setflags(&attr.value, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  std::vector<char*> args;
  for (auto& a : argv_) args.push_back(a.data());
  args.push_back(nullptr);
  std::vector<std::string> env_strings = options_.env.ToStrings();
  std::vector<char*> envp;
  for (auto& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);

  const int rc = posix_spawnp(&pid_, argv_[0].c_str(), &actions.value, &attr.value, args.data(), envp.data());
  if (rc != 0) {
    pid_ = -1;
    throw Error("cannot start " + CommandLine() + ": " + std::strerror(rc));
  }
  Register(pid_);
}

Process::~Process() {
  try {
    Stop();
  } catch (...) {
    // Destructors must not throw; Stop() only fails on impossible waitpid errors.
  }
  Unregister(pid_);
}

std::string Process::CommandLine() const {
  std::string out;
  for (const auto& a : argv_) {
    if (!out.empty()) out += ' ';
    out += a;
  }
  return out;
}

bool Process::Reap(bool block) {
  if (status_) return true;
  int wait_status = 0;
  for (;;) {
    const pid_t r = waitpid(pid_, &wait_status, block ? 0 : WNOHANG);
    if (r == pid_) {
      status_ = EncodeStatus(wait_status);
      return true;
    }
    if (r == 0) return false;
    if (errno == EINTR) continue;
    // ECHILD: someone else reaped it; treat as gone with an unknown status.
    status_ = -1000;
    return true;
  }
}

bool Process::Running() { return !Reap(false); }

std::optional<int> Process::WaitExit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  auto pause = std::chrono::milliseconds(2);
  while (!Reap(false)) {
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(25));
  }
  return status_;
}

void Process::Signal(int signal_number) {
  if (!status_) kill(pid_, signal_number);
}

void Process::SignalGroup(int signal_number) {
  if (!status_) {
    kill(-pid_, signal_number);
    return;
  }
  for (pid_t member : ProcessGroupMembers(pid_)) kill(member, signal_number);
}

void Process::KillLeftoverGroupMembers() {
  // The group id cannot be reused while members exist, so these are ours.
  for (int round = 0; round < 50; ++round) {
    const auto members = ProcessGroupMembers(pid_);
    if (members.empty()) return;
    for (pid_t member : members) kill(member, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void Process::Stop() {
  if (pid_ <= 0) return;
  if (!Reap(false)) {
    SignalGroup(options_.stop_signal);
    if (!WaitExit(options_.stop_grace)) {
      kill(-pid_, SIGKILL);
      Reap(true);
    }
  }
  KillLeftoverGroupMembers();
}

std::string Process::Stdout() const { return ReadFile(stdout_path_); }
std::string Process::Stderr() const { return ReadFile(stderr_path_); }

std::vector<pid_t> Process::Descendants() const {
  if (status_) return {};
  return DescendantsOf(pid_);
}

CommandResult RunCommand(std::vector<std::string> argv, const Environment& env, std::chrono::milliseconds timeout) {
  ProcessOptions options;
  options.env = env;
  options.stop_grace = std::chrono::milliseconds(200);
  Process process(std::move(argv), options);
  const auto status = process.WaitExit(timeout);
  if (!status) {
    const std::string command = process.CommandLine();
    process.Stop();
    throw Error("command did not finish within " + std::to_string(timeout.count()) + " ms: " + command +
                "\nstderr: " + process.Stderr());
  }
  return CommandResult{*status, process.Stdout(), process.Stderr()};
}

void ReapAdoptedChildren() {
  const pid_t self = getpid();
  for (int round = 0; round < 100; ++round) {
    bool any = false;
    for (const auto& info : ListProcesses()) {
      if (info.ppid != self || Registered(info.pid)) continue;
      any = true;
      if (info.state != 'Z') kill(info.pid, SIGKILL);
      int ignored = 0;
      waitpid(info.pid, &ignored, info.state == 'Z' ? 0 : WNOHANG);
    }
    if (!any) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace gui
