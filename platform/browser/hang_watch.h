// A page whose script never returns holds its web process, and with it every
// page that process shows: loads are never started, keys never reach a page.
// Engines mark such a process unresponsive once a message they expect an
// answer to (a load, a key) has waited a few seconds; they do not always
// notice (WebKitGTK 2.50 does not watch the first load of a new view, nor a
// click queued behind unanswered pointer motion), so the backend also sends
// a question of its own after the user's click or key. This watch acts on
// both, and never stops a page the user has not asked to leave:
// - a command the user gave (a load) that meets such a process ends the
//   process and is carried out again in a new one; the web session lives on
//   in the network process;
// - a page that stays unresponsive while the user is on it is the user's to
//   wait for or to stop: after a while the user is asked, and the question
//   goes the moment the page answers again;
// - a load the page's own question (leave this page?) declined is dropped,
//   never carried out by a retry.
#pragma once

#include <functional>
#include <memory>

#include "platform/browser/scheduler.h"

namespace platform::browser {

// How long a page may go on not answering before the user is asked whether
// to wait for it (browsers ask after 10 to 20 s; a page's long computation
// or slow synchronous request is often legitimate work).
inline constexpr unsigned kAskAfterMilliseconds = 12000;
// How long a load may take to start before it counts as held.
inline constexpr unsigned kStartPatienceMilliseconds = 4000;
// After the user's input: the engine's own wait before it calls a process
// unresponsive (WebKit's ResponsivenessTimer, 3 s), then the same as above.
inline constexpr unsigned kProbeAskAfterMilliseconds = 3000 + kAskAfterMilliseconds;

class HangWatch {
 public:
  // What the watch needs of the page's engine and of the user.
  struct Page {
    // The engine's own verdict on the web process.
    std::function<bool()> responsive;
    // Sends the page a question of ours; ProbeAnswered when it answers.
    std::function<void()> probe;
    std::function<void()> cancel_probe;
    // Ends the web process under the page without a word.
    std::function<void()> end_process;
    // A question of the page's own (leave this page?) is open: the load
    // waits for the user, not for the process.
    std::function<bool()> page_asks;
    // Asks the user whether to wait for the page or stop it (true), or
    // withdraws the question (false).
    std::function<void(bool ask)> ask;
  };

  HangWatch(Scheduler& scheduler, Page page);
  HangWatch(const HangWatch&) = delete;
  HangWatch& operator=(const HangWatch&) = delete;
  ~HangWatch() { Stop(); }

  // Runs `command` (a load) now, watched.
  void Run(std::function<void()> command);
  // The load has started; then committed, failed or declined: the command
  // is done.
  void Started() noexcept { started_ = true; }
  void Settled() noexcept { command_ = nullptr; }
  // The engine's verdict on the process changed.
  void ResponsivenessChanged();
  // The user clicked or typed into the page: is anyone there?
  void UserInput();
  // The question sent after the user's input was answered (false: the
  // process went without answering).
  void ProbeAnswered(bool answered);
  // The user chose to wait: asked again after as long again.
  void Wait();
  // The web process is gone (ended or crashed): nothing of it is waited on.
  void ProcessGone();
  // The view goes: nothing more is watched.
  void Stop();
  bool Asking() const noexcept { return asking_; }

 private:
  void StartOverdue();
  void AskAfter(unsigned delay_ms);
  void AskNow(unsigned delay_ms);
  bool Unanswering() const;
  void Answered();
  void CancelProbe();

  Scheduler& scheduler_;
  Page page_;
  // The load the user asked for and still waits on.
  std::function<void()> command_;
  bool started_ = false;
  bool retried_ = false;
  bool asking_ = false;
  bool probing_ = false;
  std::unique_ptr<Timer> start_watch_;
  std::unique_ptr<Timer> rerun_;
  std::unique_ptr<Timer> ask_;
};

}  // namespace platform::browser
