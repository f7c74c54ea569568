// The browser core's timers on the Win32 message loop of the thread that
// makes the scheduler: a message-only window whose timers and posted
// messages run the tasks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/browser/scheduler.h"

namespace platform::win32 {

class Win32Scheduler final : public browser::Scheduler {
 public:
  Win32Scheduler();
  ~Win32Scheduler() override;
  Win32Scheduler(const Win32Scheduler&) = delete;
  Win32Scheduler& operator=(const Win32Scheduler&) = delete;

  std::unique_ptr<browser::Timer> After(unsigned milliseconds, std::function<void()> task) override;
  std::int64_t Now() const override;

  // What the window and its timers share; timers that outlive the
  // scheduler find it gone.
  struct Tasks {
    HWND window = nullptr;
    UINT_PTR next_id = 1;
    std::map<UINT_PTR, std::function<void()>> waiting;
  };

 private:
  std::shared_ptr<Tasks> tasks_;
};

}  // namespace platform::win32
