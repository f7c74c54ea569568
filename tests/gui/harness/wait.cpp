#include "wait.h"

#include <thread>

#include "error.h"

namespace gui {
namespace {

// Returns true when the predicate held; records the last harness error seen.
bool PollRecordingErrors(const std::function<bool()>& predicate, std::chrono::milliseconds timeout,
                         std::chrono::milliseconds interval, std::string& last_error) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    try {
      if (predicate()) return true;
    } catch (const Error& e) {
      last_error = e.what();
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(interval);
  }
}

}  // namespace

bool PollUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval) {
  std::string ignored;
  return PollRecordingErrors(predicate, timeout, interval, ignored);
}

void WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout,
               const std::string& what, const std::function<std::string()>& diagnostics) {
  std::string last_error;
  if (PollRecordingErrors(predicate, timeout, kPollInterval, last_error)) return;
  std::string message = "timed out after " + std::to_string(timeout.count()) + " ms waiting for " + what;
  if (!last_error.empty()) message += "\nlast error: " + last_error;
  if (diagnostics) {
    try {
      message += "\n" + diagnostics();
    } catch (const std::exception& e) {
      message += "\n(diagnostics failed: " + std::string(e.what()) + ")";
    }
  }
  throw Timeout(message);
}

}  // namespace gui
