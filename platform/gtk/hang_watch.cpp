#include "platform/gtk/hang_watch.h"

namespace vb::gtk {
namespace {

// How long a page may go on not answering while the user waits on it.
constexpr unsigned kPatienceMilliseconds = 3000;
// How long a load may take to start before it counts as held.
constexpr unsigned kStartPatienceMilliseconds = 4000;
// The engine's own wait before it calls a process unresponsive (WebKit's
// ResponsivenessTimer, 3 s), then the same patience.
constexpr unsigned kProbePatienceMilliseconds = 3000 + kPatienceMilliseconds;

constexpr const char* kStopped =
    "此页面长时间没有响应，已被停止。您的登录状态不受影响，可以重新加载此页。";

}  // namespace

HangWatch::HangWatch(WebKitWebView* view, Hooks hooks)
    : view_(view),
      hooks_(std::move(hooks)),
      responsive_(Connect<void(WebKitWebView*, GParamSpec*)>(
          view, "notify::is-web-process-responsive",
          [this](WebKitWebView*, GParamSpec*) { ResponsiveChanged(); })),
      button_(Connect<gboolean(GtkWidget*, GdkEvent*)>(GTK_WIDGET(view), "button-press-event",
                                                       [this](GtkWidget*, GdkEvent*) -> gboolean {
                                                         Probe();
                                                         return FALSE;
                                                       })),
      key_(Connect<gboolean(GtkWidget*, GdkEvent*)>(GTK_WIDGET(view), "key-press-event",
                                                    [this](GtkWidget*, GdkEvent*) -> gboolean {
                                                      Probe();
                                                      return FALSE;
                                                    })) {}

void HangWatch::Run(std::function<void()> command) {
  command_ = std::move(command);
  started_ = false;
  retried_ = false;
  // Known to hold nothing but its script: no need to wait again.
  if (!webkit_web_view_get_is_web_process_responsive(view_)) {
    patience_.disconnect();
    hooks_.end_process();
  }
  auto run = command_;
  run();
  start_watch_.disconnect();
  start_watch_ = Glib::signal_timeout().connect(
      [this] {
        StartOverdue();
        return command_ && !started_ && !retried_;
      },
      kStartPatienceMilliseconds);
}

void HangWatch::StartOverdue() {
  if (!command_ || started_ || hooks_.page_asks()) return;
  retried_ = true;  // once: after that a new process has it, the engine's to finish
  auto command = command_;
  patience_.disconnect();
  hooks_.end_process();
  command();
}

void HangWatch::ResponsiveChanged() {
  if (webkit_web_view_get_is_web_process_responsive(view_)) {
    patience_.disconnect();
    return;
  }
  patience_.disconnect();
  if (command_) {
    // The user's command met a page that holds its process: a new process
    // carries it out. Not from inside the engine's notification.
    patience_ = Glib::signal_idle().connect([this] {
      auto command = command_;
      hooks_.end_process();
      if (command) command();
      return false;
    });
    return;
  }
  patience_ = Glib::signal_timeout().connect(
      [this] {
        if (!webkit_web_view_get_is_web_process_responsive(view_)) {
          Stopped();
        }
        return false;
      },
      kPatienceMilliseconds);
}

// The engine starts its clock for a click or a key only once it has sent
// it, and it holds a click back until the process has answered the pointer
// motion before it: a page hung with the pointer over it never gets the
// click, and the engine never notices. A question of our own (can the page
// copy?) goes out at once; a process that answers nothing is held.
void HangWatch::Probe() {
  if (probe_) return;
  probe_.reset(g_cancellable_new());
  webkit_web_view_can_execute_editing_command(view_, WEBKIT_EDITING_COMMAND_COPY, probe_.get(),
                                              &HangWatch::ProbeAnswered, this);
  probe_patience_ = Glib::signal_timeout().connect(
      [this] {
        // A question of the page's own, or a load the user is waiting for,
        // holds the process for a reason, or is watched already.
        if (!command_ && !hooks_.page_asks()) Stopped();
        return false;
      },
      kProbePatienceMilliseconds);
}

void HangWatch::ProbeAnswered(GObject* view, GAsyncResult* result, gpointer self) {
  GError* error = nullptr;
  webkit_web_view_can_execute_editing_command_finish(WEBKIT_WEB_VIEW(view), result, &error);
  // Cancelled: the watch may be gone.
  const bool cancelled = error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  g_clear_error(&error);
  if (cancelled) return;
  auto* watch = static_cast<HangWatch*>(self);
  watch->probe_patience_.disconnect();
  watch->probe_.reset();
}

void HangWatch::Stopped() {
  patience_.disconnect();
  probe_patience_.disconnect();
  if (probe_) g_cancellable_cancel(probe_.get());
  probe_.reset();
  hooks_.stop_page(kStopped);
}

void HangWatch::Stop() {
  command_ = nullptr;
  probe_patience_.disconnect();
  if (probe_) g_cancellable_cancel(probe_.get());
  probe_.reset();
  button_.Disconnect();
  key_.Disconnect();
  start_watch_.disconnect();
  patience_.disconnect();
  responsive_.Disconnect();
}

}  // namespace vb::gtk
