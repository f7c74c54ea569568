// A page whose script never returns holds its web process, and with it every
// page that process shows: loads are never started, keys never reach a page.
// The engine marks its web process unresponsive once a message it expects
// an answer to (a load, a key) has waited about three seconds; it does not
// watch the first load of a new view (a window opening on a process another
// page holds), and a click or key that queues behind unanswered pointer
// motion never reaches the process to start its clock. This watch acts on
// all three, and never stops a page the user has not asked to leave:
// - a command the user gave (a load) that meets such a process ends the
//   process and is carried out again in a new one; the web session lives on
//   in the network process;
// - a page that stays unresponsive while the user is on it (the engine says
//   so, or a question sent after the user's click or key goes unanswered)
//   is the user's to wait for or to stop: after a while the user is asked,
//   and the question goes the moment the page answers again;
// - a load the page's own question (leave this page?) declined is dropped,
//   never carried out by a retry.
#pragma once

#include <glibmm/main.h>
#include <webkit2/webkit2.h>

#include <functional>

#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

class HangWatch {
 public:
  struct Hooks {
    // Ends the web process under the page without a word.
    std::function<void()> end_process;
    // A question of the page's own (leave this page?) is open: the load
    // waits for the user, not for the process.
    std::function<bool()> page_asks;
    // Asks the user whether to wait for the page or stop it (true), or
    // withdraws the question (false).
    std::function<void(bool ask)> ask;
  };

  HangWatch(WebKitWebView* view, Hooks hooks);
  HangWatch(const HangWatch&) = delete;
  HangWatch& operator=(const HangWatch&) = delete;

  // Runs `command` (a load) now, watched.
  void Run(std::function<void()> command);
  // The load has started; then committed, failed or declined: the command
  // is done.
  void Started() noexcept { started_ = true; }
  void Settled() noexcept { command_ = nullptr; }
  // The user chose to wait: asked again after as long again.
  void Wait();
  // The web process is gone (ended or crashed): nothing of it is waited on.
  void ProcessGone();
  // The view goes: nothing more is watched.
  void Stop();
  ~HangWatch() { Stop(); }

 private:
  void ResponsiveChanged();
  void StartOverdue();
  // The user clicked or typed into the page: is anyone there?
  void Probe();
  static void ProbeAnswered(GObject* view, GAsyncResult* result, gpointer self);
  // The page has not answered something: the user is asked after `delay`
  // unless it answers first.
  void AskAfter(unsigned delay_ms);
  bool Unanswering() const;
  void Answered();
  void CancelProbe();

  WebKitWebView* view_;
  Hooks hooks_;
  // The load the user asked for and still waits on.
  std::function<void()> command_;
  bool started_ = false;
  bool retried_ = false;
  bool asking_ = false;
  sigc::connection start_watch_;
  sigc::connection rerun_;
  sigc::connection ask_;
  // The question sent after the user's input, cancelled when the watch
  // ends or the process goes (its answer may come after that).
  GObjectPtr<GCancellable> probe_;
  SignalConnection responsive_;
  SignalConnection button_;
  SignalConnection key_;
};

}  // namespace vb::gtk
