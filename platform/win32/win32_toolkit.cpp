#include "platform/win32/win32_toolkit.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "platform/win32/dpi.h"
#include "platform/win32/utf16.h"
#include "platform/win32/win32_window.h"

namespace platform {
namespace {

// How often an open message box looks whether it is still wanted, for
// the withdrawals that no message of the loop's own brings.
constexpr UINT kBoxCheckMilliseconds = 100;

}  // namespace

Win32Toolkit::Win32Toolkit(win32::BrowserFactory browsers, std::function<int()> downloads_under_way)
    : browsers_(std::move(browsers)), downloads_under_way_(std::move(downloads_under_way)) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The browser control and the image decoder are COM objects of this
  // thread's single-threaded apartment.
  com_started_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  loop_.pre_translate = [this](MSG& message) { return PreTranslate(message); };
  session_end_ = std::make_unique<win32::SessionEndWatch>([this] {
    if (system_unload) system_unload(vbAppWindows);
  });
}

Win32Toolkit::~Win32Toolkit() {
  session_end_.reset();
  if (com_started_) ::CoUninitialize();
}

std::unique_ptr<NativeWindow> Win32Toolkit::OpenWindow(const FormDesign& design,
                                                         WindowCallbacks callbacks) {
  return std::make_unique<win32::Win32NativeWindow>(*this, browsers_, design, std::move(callbacks));
}

void Win32Toolkit::Register(win32::Win32NativeWindow* window) { windows_.push_back(window); }

void Win32Toolkit::Unregister(win32::Win32NativeWindow* window) noexcept {
  std::erase(windows_, window);
}

Single Win32Toolkit::ScreenWidth() const {
  return win32::ScaleAt(win32::SystemDpi()).ToTwips(::GetSystemMetrics(SM_CXSCREEN));
}

Single Win32Toolkit::ScreenHeight() const {
  return win32::ScaleAt(win32::SystemDpi()).ToTwips(::GetSystemMetrics(SM_CYSCREEN));
}

bool Win32Toolkit::PreTranslate(MSG& message) {
  if (message.hwnd == nullptr) return false;
  HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
  for (win32::Win32NativeWindow* window : windows_) {
    if (window->Handle() == root) return window->TranslateKey(message);
  }
  return false;
}

int Win32Toolkit::MsgBox(const std::string& prompt, int buttons, const std::string& title,
                         const std::function<bool()>& withdrawn) {
  if (loop_.Quitting() || (withdrawn && withdrawn())) return vbCancel;
  loop_.Watch([this] { CheckBoxes(); }, kBoxCheckMilliseconds);
  const std::optional<int> answer = boxes_.Show(prompt, buttons, title, withdrawn);
  if (!boxes_.Any()) loop_.StopWatching();
  // Ended unanswered: the program is ending, or the asker has gone.
  return answer.value_or(vbCancel);
}

void Win32Toolkit::CheckBoxes() { boxes_.CloseEnded(loop_.Quitting()); }

void Win32Toolkit::Run() { loop_.RunUntil([] { return false; }); }

void Win32Toolkit::RunUntil(const std::function<bool()>& done) { loop_.RunUntil(done); }

void Win32Toolkit::Quit() {
  loop_.Quit();
  // The boxes others opened too (a page's dialogs), which no watch checks.
  boxes_.CloseEnded(true);
}

void Win32Toolkit::Post(std::function<void()> task) { loop_.Post(std::move(task)); }

void Win32Toolkit::LogMisplacedWait(const std::string& what) {
  ::OutputDebugStringW(::win32::Widen(what + "\n").c_str());
}

}  // namespace platform
