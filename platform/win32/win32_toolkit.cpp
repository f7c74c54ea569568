#include "platform/win32/win32_toolkit.h"

#include <windows.h>

#include "platform/errors.h"
#include "platform/win32/message_box.h"
#include "platform/win32/utf16.h"

namespace platform {
namespace {

[[noreturn]] void NotAvailable(const char* what) {
  throw RuntimeError(kErrInvalidProcedureCall,
                     std::string(what) + " is not available in this build (no Win32 form backend)");
}

}  // namespace

std::unique_ptr<NativeWindow> Win32Toolkit::OpenWindow(const FormDesign&, WindowCallbacks) {
  NotAvailable("Toolkit::OpenWindow");
}
Single Win32Toolkit::ScreenWidth() const { NotAvailable("Toolkit::ScreenWidth"); }
Single Win32Toolkit::ScreenHeight() const { NotAvailable("Toolkit::ScreenHeight"); }

int Win32Toolkit::MsgBox(const std::string& prompt, int buttons, const std::string& title,
                         const std::function<bool()>&) {
  return Win32MessageBox(prompt, buttons, title);
}

void Win32Toolkit::Run() { NotAvailable("Toolkit::Run"); }
void Win32Toolkit::RunUntil(const std::function<bool()>&) { NotAvailable("Toolkit::RunUntil"); }
void Win32Toolkit::Quit() { NotAvailable("Toolkit::Quit"); }
void Win32Toolkit::Post(std::function<void()>) { NotAvailable("Toolkit::Post"); }

void Win32Toolkit::LogMisplacedWait(const std::string& what) {
  ::OutputDebugStringW(win32::Widen(what + "\n").c_str());
}

}  // namespace platform
