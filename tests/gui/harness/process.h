#pragma once

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "environment.h"
#include "temp_dir.h"

namespace gui {

struct ProcessOptions {
  // The child's whole environment (nothing else is inherited).
  Environment env = Environment::FromCurrentProcess();
  std::filesystem::path working_dir;  // empty: this process's
  // Descriptors of this process handed to the child: {ours, number in the child}.
  std::vector<std::pair<int, int>> pass_fds;
  // How Stop() and the destructor ask the process to end before SIGKILL.
  int stop_signal = SIGTERM;
  std::chrono::milliseconds stop_grace{3000};
  // Where stdout/stderr files go; empty: a private temp dir removed with the object.
  std::filesystem::path output_dir;
};

// Exit statuses: 0..255 for a normal exit, -N for death by signal N.
inline constexpr int StatusForSignal(int signal_number) { return -signal_number; }
std::string DescribeStatus(int status);

// A child process in its own process group; stdin is /dev/null, stdout and
// stderr go to files. The destructor stops the whole group and reaps it.
class Process {
 public:
  explicit Process(std::vector<std::string> argv, ProcessOptions options = {});
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  pid_t pid() const { return pid_; }
  std::string CommandLine() const;

  bool Running();
  // The exit status, or nullopt when still running after `timeout`.
  std::optional<int> WaitExit(std::chrono::milliseconds timeout);
  // Status recorded by an earlier Running()/WaitExit() that saw the exit.
  std::optional<int> ExitStatus() const { return status_; }

  void Signal(int signal_number);       // the main process only
  void SignalGroup(int signal_number);  // everything in its process group
  void Kill() { Signal(SIGKILL); }
  // stop_signal to the group, SIGKILL after the grace time, then reap. Idempotent.
  void Stop();

  std::string Stdout() const;
  std::string Stderr() const;
  const std::filesystem::path& StdoutPath() const { return stdout_path_; }
  const std::filesystem::path& StderrPath() const { return stderr_path_; }

  // Live processes below this one (e.g. WebKit's web and network processes).
  std::vector<pid_t> Descendants() const;

 private:
  bool Reap(bool block);
  void KillLeftoverGroupMembers();

  std::vector<std::string> argv_;
  ProcessOptions options_;
  std::unique_ptr<TempDir> own_output_;
  std::filesystem::path stdout_path_;
  std::filesystem::path stderr_path_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// Runs a short command to completion; throws gui::Error when it does not
// finish within `timeout` (the process is killed) or cannot start.
struct CommandResult {
  int status = 0;
  std::string out;
  std::string err;
};
CommandResult RunCommand(std::vector<std::string> argv, const Environment& env,
                         std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// Kills and reaps children this process adopted as a subreaper (orphans of
// processes it started), leaving alone those owned by live Process objects.
void ReapAdoptedChildren();

}  // namespace gui
