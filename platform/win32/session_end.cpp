#include "platform/win32/session_end.h"

#include <utility>

namespace platform::win32 {
namespace {

constexpr const wchar_t* kClassName = L"SessionEndWindow";

}  // namespace

SessionEndWatch::SessionEndWatch(std::function<void()> ending) : ending_(std::move(ending)) {
  // Process-wide: registered once.
  static const ATOM registered = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &SessionEndWatch::WindowProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = kClassName;
    return ::RegisterClassExW(&window_class);
  }();
  (void)registered;
  // Never shown, and not in the task bar.
  window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

SessionEndWatch::~SessionEndWatch() {
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  ::DestroyWindow(window_);
}

LRESULT CALLBACK SessionEndWatch::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  auto* self = reinterpret_cast<SessionEndWatch*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  // The forms unload at the question already: after WM_ENDSESSION the
  // process may be ended at any moment. The answer is always yes.
  if (self != nullptr && (message == WM_QUERYENDSESSION || (message == WM_ENDSESSION && wparam))) {
    if (self->ending_) self->ending_();
    return message == WM_QUERYENDSESSION ? TRUE : 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace platform::win32
