// A key the control's window gets, as the page's commands know it
// (browser::CommandFor): the key and the modifiers held as it came.
#pragma once

#include <windows.h>

#include "platform/browser/page_commands.h"

namespace platform::win32 {

// `virtual_key` as it comes with WM_KEYDOWN / WM_SYSKEYDOWN; the modifiers
// are read from this thread's key state (GetKeyState), which is the one of
// the key's own message while it is handled.
browser::KeyChord ChordOf(UINT virtual_key);

}  // namespace platform::win32
