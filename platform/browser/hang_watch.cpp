#include "platform/browser/hang_watch.h"

namespace platform::browser {

HangWatch::HangWatch(Scheduler& scheduler, Page page) : scheduler_(scheduler), page_(std::move(page)) {}

void HangWatch::Run(std::function<void()> command) {
  command_ = std::move(command);
  started_ = false;
  retried_ = false;
  // Known to hold nothing but its script, or the user was already asked
  // about it: no need to wait again. The user asked to leave.
  if (!page_.responsive() || asking_) {
    rerun_.reset();
    page_.end_process();
  }
  auto run = command_;
  run();
  start_watch_ = scheduler_.After(kStartPatienceMilliseconds, [this] { StartOverdue(); });
}

void HangWatch::StartOverdue() {
  start_watch_.reset();
  if (!command_ || started_ || retried_) return;
  // Waiting on the user's answer to the page's own question: look again later.
  if (page_.page_asks()) {
    start_watch_ = scheduler_.After(kStartPatienceMilliseconds, [this] { StartOverdue(); });
    return;
  }
  retried_ = true;  // once: after that a new process has it, the engine's to finish
  auto command = command_;
  rerun_.reset();
  page_.end_process();
  command();
}

void HangWatch::ResponsivenessChanged() {
  if (page_.responsive()) {
    Answered();
    return;
  }
  if (command_) {
    // The user's command met a page that holds its process: a new process
    // carries it out. Not from inside the engine's notification.
    rerun_ = scheduler_.After(0, [this] {
      rerun_.reset();
      // Declined or done meanwhile, or waiting on the user's answer to the
      // page's own question: nothing to carry out.
      if (!command_ || page_.page_asks() || page_.responsive()) return;
      auto command = command_;
      page_.end_process();
      command();
    });
    return;
  }
  AskAfter(kAskAfterMilliseconds);
}

void HangWatch::UserInput() {
  if (probing_) return;
  probing_ = true;
  page_.probe();
  AskAfter(kProbeAskAfterMilliseconds);
}

void HangWatch::ProbeAnswered(bool answered) {
  probing_ = false;
  if (answered) Answered();
}

void HangWatch::AskAfter(unsigned delay_ms) {
  if (asking_ || ask_) return;
  ask_ = scheduler_.After(delay_ms, [this, delay_ms] { AskNow(delay_ms); });
}

void HangWatch::AskNow(unsigned delay_ms) {
  ask_.reset();
  if (!Unanswering()) return;
  // The page waits on the user's answer to a question of its own.
  if (page_.page_asks()) {
    AskAfter(delay_ms);
    return;
  }
  asking_ = true;
  page_.ask(true);
}

bool HangWatch::Unanswering() const { return probing_ || !page_.responsive(); }

void HangWatch::Answered() {
  ask_.reset();
  if (!asking_) return;
  asking_ = false;
  page_.ask(false);
}

void HangWatch::Wait() {
  if (!asking_) return;
  asking_ = false;
  page_.ask(false);
  if (Unanswering()) AskAfter(kAskAfterMilliseconds);
}

void HangWatch::CancelProbe() {
  if (probing_) page_.cancel_probe();
  probing_ = false;
}

void HangWatch::ProcessGone() {
  CancelProbe();
  Answered();
}

void HangWatch::Stop() {
  command_ = nullptr;
  asking_ = false;
  CancelProbe();
  start_watch_.reset();
  rerun_.reset();
  ask_.reset();
}

}  // namespace platform::browser
