// Windows a page opens (target="_blank", window.open): plain browser windows
// of the client, in the environment of the page that opened them, so on the
// same web session. They belong to the form's browser whose page opened
// them, directly or through another pop-up, and close with it; only a
// handful may be open at once (browser::kMaxPopups).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/browser/scheduler.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/webview2/webview2_sdk.h"
#include "platform/win32/win32_scheduler.h"

namespace platform::win32 {

struct WebView2Setup;
class WebView2Browser;
class Popups;

class PopupWindow {
 public:
  PopupWindow(Popups& family, const WebView2Setup& setup, ICoreWebView2NewWindowRequestedEventArgs* args,
              ComPtr<ICoreWebView2Deferral> deferral, ICoreWebView2Environment* environment, HWND opener);
  ~PopupWindow();
  PopupWindow(const PopupWindow&) = delete;
  PopupWindow& operator=(const PopupWindow&) = delete;

  HWND Handle() const noexcept { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // The control fills the client area.
  void Fit();

  Popups& family_;
  HWND window_ = nullptr;
  UINT dpi_;
  std::shared_ptr<WebView2Browser> browser_;
};

class Popups {
 public:
  explicit Popups(const WebView2Setup& setup);
  ~Popups();  // closes every window
  Popups(const Popups&) = delete;
  Popups& operator=(const Popups&) = delete;

  // A window of ours whose control takes the page's new window through the
  // event's deferral; false when too many are open.
  bool Open(ICoreWebView2NewWindowRequestedEventArgs* args, ICoreWebView2Environment* environment, HWND opener);
  // Closes one from the message loop: asked from its own control's events
  // or its window's messages.
  void Close(const PopupWindow* window);
  void CloseAll();
  std::size_t Count() const noexcept { return windows_.size(); }

 private:
  std::unique_ptr<WebView2Setup> setup_;
  Win32Scheduler scheduler_;
  std::vector<std::unique_ptr<PopupWindow>> windows_;
  std::vector<std::unique_ptr<PopupWindow>> closing_;
  std::unique_ptr<browser::Timer> sweep_;
};

}  // namespace platform::win32
