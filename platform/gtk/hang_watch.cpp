#include "platform/gtk/hang_watch.h"

namespace vb::gtk {
namespace {

// How long a page may go on not answering before the user is asked whether
// to wait for it (browsers ask after 10 to 20 s; a page's long computation
// or slow synchronous request is often legitimate work).
constexpr unsigned kAskAfterMilliseconds = 12000;
// How long a load may take to start before it counts as held.
constexpr unsigned kStartPatienceMilliseconds = 4000;
// After the user's input: the engine's own wait before it calls a process
// unresponsive (WebKit's ResponsivenessTimer, 3 s), then the same as above.
constexpr unsigned kProbeAskAfterMilliseconds = 3000 + kAskAfterMilliseconds;

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
  // Known to hold nothing but its script, or the user was already asked
  // about it: no need to wait again. The user asked to leave.
  if (!webkit_web_view_get_is_web_process_responsive(view_) || asking_) {
    rerun_.disconnect();
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
  // Done, declined (the page asked and the user stayed), or still asked.
  if (!command_ || started_ || hooks_.page_asks()) return;
  retried_ = true;  // once: after that a new process has it, the engine's to finish
  auto command = command_;
  rerun_.disconnect();
  hooks_.end_process();
  command();
}

void HangWatch::ResponsiveChanged() {
  if (webkit_web_view_get_is_web_process_responsive(view_)) {
    Answered();
    return;
  }
  if (command_) {
    // The user's command met a page that holds its process: a new process
    // carries it out. Not from inside the engine's notification.
    rerun_.disconnect();
    rerun_ = Glib::signal_idle().connect([this] {
      // Declined or done meanwhile, or waiting on the user's answer to the
      // page's own question: nothing to carry out.
      if (!command_ || hooks_.page_asks() || webkit_web_view_get_is_web_process_responsive(view_)) {
        return false;
      }
      auto command = command_;
      hooks_.end_process();
      command();
      return false;
    });
    return;
  }
  AskAfter(kAskAfterMilliseconds);
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
  AskAfter(kProbeAskAfterMilliseconds);
}

void HangWatch::ProbeAnswered(GObject* view, GAsyncResult* result, gpointer self) {
  GError* error = nullptr;
  webkit_web_view_can_execute_editing_command_finish(WEBKIT_WEB_VIEW(view), result, &error);
  // Cancelled: the watch may be gone. Any other error: the process went
  // without answering.
  const bool cancelled = error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  const bool answered = error == nullptr;
  g_clear_error(&error);
  if (cancelled) return;
  auto* watch = static_cast<HangWatch*>(self);
  watch->probe_.reset();
  if (answered) watch->Answered();
}

void HangWatch::AskAfter(unsigned delay_ms) {
  if (asking_ || ask_.connected()) return;
  ask_ = Glib::signal_timeout().connect(
      [this] {
        if (!Unanswering()) return false;
        // The page waits on the user's answer to a question of its own.
        if (hooks_.page_asks()) return true;
        asking_ = true;
        hooks_.ask(true);
        return false;
      },
      delay_ms);
}

bool HangWatch::Unanswering() const {
  return probe_ || !webkit_web_view_get_is_web_process_responsive(view_);
}

void HangWatch::Answered() {
  ask_.disconnect();
  if (!asking_) return;
  asking_ = false;
  hooks_.ask(false);
}

void HangWatch::Wait() {
  if (!asking_) return;
  asking_ = false;
  hooks_.ask(false);
  if (Unanswering()) AskAfter(kAskAfterMilliseconds);
}

void HangWatch::CancelProbe() {
  if (probe_) g_cancellable_cancel(probe_.get());
  probe_.reset();
}

void HangWatch::ProcessGone() {
  CancelProbe();
  Answered();
}

void HangWatch::Stop() {
  command_ = nullptr;
  asking_ = false;
  CancelProbe();
  button_.Disconnect();
  key_.Disconnect();
  start_watch_.disconnect();
  rerun_.disconnect();
  ask_.disconnect();
  responsive_.Disconnect();
}

}  // namespace vb::gtk
