// The registry's ANSI forms hand back text in the system's code page (936 on
// a Chinese Windows); the program works in UTF-8.
#include "platform/text_encoding.h"

#include <windows.h>

#include "platform/win32/utf16.h"

namespace platform {

std::string AnsiToText(std::string_view ansi) {
  return win32::Narrow(win32::FromCodePage(CP_ACP, ansi));
}

}  // namespace platform
