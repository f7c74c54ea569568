#include "platform/gtk/glib_scheduler.h"

#include <glib.h>

namespace platform::gtk {
namespace {

struct Pending {
  std::function<void()> task;
  bool ran = false;
};

// A timer may be dropped from inside its own task: the task is moved out
// before it runs, and GLib frees the source's data only once the dispatch
// has returned.
class GlibTimer : public browser::Timer {
 public:
  GlibTimer(unsigned milliseconds, std::function<void()> task)
      : pending_(std::make_shared<Pending>(Pending{std::move(task)})) {
    auto* data = new std::shared_ptr<Pending>(pending_);
    auto run = [](gpointer p) -> gboolean {
      std::shared_ptr<Pending> pending = *static_cast<std::shared_ptr<Pending>*>(p);
      pending->ran = true;
      std::function<void()> task = std::move(pending->task);
      task();
      return G_SOURCE_REMOVE;
    };
    auto free = [](gpointer p) { delete static_cast<std::shared_ptr<Pending>*>(p); };
    // Idle for "once the current event is done", as the toolkit posts.
    id_ = milliseconds == 0 ? g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, run, data, free)
                            : g_timeout_add_full(G_PRIORITY_DEFAULT, milliseconds, run, data, free);
  }
  ~GlibTimer() override {
    if (!pending_->ran) g_source_remove(id_);
  }
  GlibTimer(const GlibTimer&) = delete;
  GlibTimer& operator=(const GlibTimer&) = delete;

 private:
  std::shared_ptr<Pending> pending_;
  guint id_ = 0;
};

}  // namespace

std::unique_ptr<browser::Timer> GlibScheduler::After(unsigned milliseconds, std::function<void()> task) {
  return std::make_unique<GlibTimer>(milliseconds, std::move(task));
}

std::int64_t GlibScheduler::Now() const { return g_get_monotonic_time(); }

}  // namespace platform::gtk
