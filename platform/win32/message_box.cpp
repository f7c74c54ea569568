#include "platform/win32/message_box.h"

#include <windows.h>

#include "platform/toolkit.h"
#include "platform/win32/utf16.h"

namespace platform {

int Win32MessageBox(const std::string& prompt, int buttons, const std::string& title) {
  const bool with_cancel = buttons == vbOKCancel;
  const UINT style = (with_cancel ? MB_OKCANCEL : MB_OK) | MB_DEFBUTTON1;
  // The active window of this thread, if any, owns the box.
  const int answer = ::MessageBoxW(::GetActiveWindow(), win32::Widen(prompt).c_str(),
                                   win32::Widen(title).c_str(), style);
  if (!with_cancel) return vbOK;
  return answer == IDOK ? vbOK : vbCancel;
}

}  // namespace platform
