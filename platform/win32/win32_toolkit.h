// The form runtime's toolkit on Win32: top-level windows with their
// controls, message boxes, the screen, and the message loop.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/toolkit.h"
#include "platform/win32/hosted_browser.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/open_boxes.h"
#include "platform/win32/session_end.h"

namespace platform {

namespace win32 {
class Win32NativeWindow;
}

class Win32Toolkit final : public Toolkit {
 public:
  // `browsers` makes the browser control of a window (none: a window asked
  // for a browser raises a run-time error).
  // `downloads_under_way` counts the browser controls' downloads not yet
  // complete (none: there are none).
  explicit Win32Toolkit(win32::BrowserFactory browsers = {}, std::function<int()> downloads_under_way = {});
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  std::unique_ptr<NativeWindow> OpenWindow(const FormDesign& design,
                                             WindowCallbacks callbacks) override;
  Single ScreenWidth() const override;
  Single ScreenHeight() const override;
  int MsgBox(const std::string& prompt, int buttons, const std::string& title,
             const std::function<bool()>& withdrawn) override;
  void Run() override;
  void RunUntil(const std::function<bool()>& done) override;
  void Quit() override;
  void Post(std::function<void()> task) override;
  int DownloadsUnderWay() const override { return downloads_under_way_ ? downloads_under_way_() : 0; }
  // To the debugger's output, where Windows programs log their faults.
  void LogMisplacedWait(const std::string& what) override;

  void Register(win32::Win32NativeWindow* window);
  void Unregister(win32::Win32NativeWindow* window) noexcept;

 private:
  bool PreTranslate(MSG& message);
  void CheckBoxes();

  win32::BrowserFactory browsers_;
  std::function<int()> downloads_under_way_;
  win32::MessageLoop loop_;
  win32::OpenBoxes boxes_;
  std::vector<win32::Win32NativeWindow*> windows_;
  std::unique_ptr<win32::SessionEndWatch> session_end_;
  // Common controls and COM for this thread, for as long as the toolkit lives.
  bool com_started_ = false;
};

}  // namespace platform
