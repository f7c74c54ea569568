// The toolkit's message loop: posted tasks run in order through messages to
// a message-only window, nested loops end when their condition holds or on
// Quit, and every message first passes the windows' own key handling.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>

namespace platform::win32 {

class MessageLoop {
 public:
  MessageLoop();
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Runs until Quit, or until `done` holds after a message.
  void RunUntil(const std::function<bool()>& done);
  // Ends every loop running now and every loop started later.
  void Quit();
  bool Quitting() const noexcept { return quit_; }

  // Runs `task` from the loop after the message being handled now, behind
  // every task posted before it.
  void Post(std::function<void()> task);

  // While set, called after each task and every `period_ms` milliseconds:
  // for waits that run in a loop of the system's own (a message box).
  void Watch(std::function<void()> check, UINT period_ms);
  void StopWatching();

  // A message the loop is about to dispatch; true when it was handled
  // (a window's Tab, Enter, Esc, access keys).
  std::function<bool(MSG&)> pre_translate;

 private:
  static ATOM RegisterTaskClass();
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  void RunOneTask();
  void Check();

  HWND window_ = nullptr;
  std::deque<std::function<void()>> tasks_;
  std::size_t messages_pending_ = 0;
  std::function<void()> check_;
  bool quit_ = false;
};

}  // namespace platform::win32
