// The window classes of the forms and their own controls: the arrow, the
// dialog's face colour, this program's instance.
#pragma once

#include <windows.h>

namespace platform::win32 {

ATOM RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

}  // namespace platform::win32
