// The browser core's timers on GLib's main loop.
#pragma once

#include "platform/browser/scheduler.h"

namespace platform::gtk {

class GlibScheduler : public browser::Scheduler {
 public:
  std::unique_ptr<browser::Timer> After(unsigned milliseconds, std::function<void()> task) override;
  std::int64_t Now() const override;
};

}  // namespace platform::gtk
