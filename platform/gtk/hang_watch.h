// A page whose script never returns holds its web process, and with it every
// page that process shows: loads are never started, keys never reach a page.
// The engine marks its web process unresponsive once a message it expects
// an answer to (a load, a key) has waited about three seconds; it does not
// watch the first load of a new view (a window opening on a process another
// page holds), and a click or key that queues behind unanswered pointer
// motion never reaches the process to start its clock. This watch acts on
// all three: a command the user gave (a load) that meets such a process
// ends the process and is carried out again in a new one, and a page that
// stays unresponsive while the user waits on it (the engine says so, or a
// question sent after the user's click or key goes unanswered) is stopped.
// The web session lives on in the network process.
#pragma once

#include <glibmm/main.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

class HangWatch {
 public:
  struct Hooks {
    // Ends the web process under the page without a word.
    std::function<void()> end_process;
    // Ends it and says so in the page's place.
    std::function<void(const std::string& why)> stop_page;
    // A question of the page's own (leave this page?) is open: the load
    // waits for the user, not for the process.
    std::function<bool()> page_asks;
  };

  HangWatch(WebKitWebView* view, Hooks hooks);
  HangWatch(const HangWatch&) = delete;
  HangWatch& operator=(const HangWatch&) = delete;

  // Runs `command` (a load) now, watched.
  void Run(std::function<void()> command);
  // The load has started; then committed or failed: the command is done.
  void Started() noexcept { started_ = true; }
  void Settled() noexcept { command_ = nullptr; }
  // The view goes: nothing more is watched.
  void Stop();
  ~HangWatch() { Stop(); }

 private:
  void ResponsiveChanged();
  void StartOverdue();
  // The user clicked or typed into the page: is anyone there?
  void Probe();
  static void ProbeAnswered(GObject* view, GAsyncResult* result, gpointer self);
  void Stopped();

  WebKitWebView* view_;
  Hooks hooks_;
  // The load the user asked for and still waits on.
  std::function<void()> command_;
  bool started_ = false;
  bool retried_ = false;
  sigc::connection start_watch_;
  // A page unresponsive while the user waits on it is stopped when this
  // has run out.
  sigc::connection patience_;
  // The question sent after the user's input, cancelled when answered or
  // when the watch ends (its answer may come after that).
  GObjectPtr<GCancellable> probe_;
  sigc::connection probe_patience_;
  SignalConnection responsive_;
  SignalConnection button_;
  SignalConnection key_;
};

}  // namespace vb::gtk
