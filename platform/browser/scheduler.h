// Time for the browser's decisions: tasks run later from the message loop,
// and a clock. Each backend provides it on its own message loop; the unit
// tests drive a double of it by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform::browser {

// A task waiting to run. Dropping the handle cancels the task.
class Timer {
 public:
  virtual ~Timer() = default;
};

class Scheduler {
 public:
  virtual ~Scheduler() = default;
  // Runs `task` once, after `milliseconds` (0: once the current event is
  // done), from the message loop, unless the handle has gone by then.
  [[nodiscard]] virtual std::unique_ptr<Timer> After(unsigned milliseconds, std::function<void()> task) = 0;
  // A monotonic clock, in microseconds.
  virtual std::int64_t Now() const = 0;
};

}  // namespace platform::browser
