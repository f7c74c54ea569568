// The end of the desktop session as the program hears of it: a hidden
// top-level window, since the system asks only top-level windows
// (WM_QUERYENDSESSION, then WM_ENDSESSION) and no form window may be open.
#pragma once

#include <windows.h>

#include <functional>

namespace platform::win32 {

class SessionEndWatch {
 public:
  // `ending` is called when the session ends, from either message; the
  // program is never asked whether it may.
  explicit SessionEndWatch(std::function<void()> ending);
  ~SessionEndWatch();
  SessionEndWatch(const SessionEndWatch&) = delete;
  SessionEndWatch& operator=(const SessionEndWatch&) = delete;

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);

  std::function<void()> ending_;
  HWND window_ = nullptr;
};

}  // namespace platform::win32
