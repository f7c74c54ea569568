#include "platform/win32/message_loop.h"

#include <utility>

namespace platform::win32 {
namespace {

constexpr UINT kRunTask = WM_APP + 1;
constexpr UINT_PTR kWatchTimer = 1;
constexpr const wchar_t* kClassName = L"TaskWindow";

}  // namespace

ATOM MessageLoop::RegisterTaskClass() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &MessageLoop::WindowProc;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = kClassName;
  return ::RegisterClassExW(&window_class);
}

MessageLoop::MessageLoop() {
  // Process-wide: registered by the first loop, kept by the later ones.
  static const ATOM registered = RegisterTaskClass();
  (void)registered;
  window_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageLoop::~MessageLoop() {
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  ::DestroyWindow(window_);
  // The messages still queued for it went with the window.
}

LRESULT CALLBACK MessageLoop::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<MessageLoop*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == kRunTask) {
      self->RunOneTask();
      return 0;
    }
    if (message == WM_TIMER && wparam == kWatchTimer) {
      self->Check();
      return 0;
    }
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

void MessageLoop::Post(std::function<void()> task) {
  tasks_.push_back(std::move(task));
  if (::PostMessageW(window_, kRunTask, 0, 0)) ++messages_pending_;
}

void MessageLoop::RunOneTask() {
  if (messages_pending_ > 0) --messages_pending_;
  if (!tasks_.empty()) {
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    task();
  }
  // A task whose message could not be posted (a full queue) gets one now.
  if (tasks_.size() > messages_pending_ && ::PostMessageW(window_, kRunTask, 0, 0)) {
    ++messages_pending_;
  }
  Check();
}

void MessageLoop::Watch(std::function<void()> check, UINT period_ms) {
  check_ = std::move(check);
  ::SetTimer(window_, kWatchTimer, period_ms, nullptr);
}

void MessageLoop::StopWatching() {
  ::KillTimer(window_, kWatchTimer);
  check_ = nullptr;
}

void MessageLoop::Check() {
  if (check_) {
    auto check = check_;  // the check may stop the watch
    check();
  }
}

void MessageLoop::RunUntil(const std::function<bool()>& done) {
  while (!quit_ && !done()) {
    MSG message;
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // Someone posted WM_QUIT: the program ends as on Quit.
      quit_ = true;
      break;
    }
    if (pre_translate && pre_translate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void MessageLoop::Quit() {
  quit_ = true;
  // Wakes the loop that waits in GetMessage, to see it.
  ::PostMessageW(window_, WM_NULL, 0, 0);
  Check();
}

}  // namespace platform::win32
