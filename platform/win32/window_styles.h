// The window styles of a form's border style and its min and max buttons.
#pragma once

#include <windows.h>

#include "platform/toolkit.h"

namespace platform::win32 {

struct WindowStyles {
  DWORD style = 0;
  DWORD ex_style = 0;
};

// None: no frame, no caption. FixedSingle: a thin frame. Sizable: a sizing
// frame. FixedDialog: a dialog frame, no icon, no min or max button.
// Min and max buttons as the design asks, where the border has them.
WindowStyles StylesOf(const FormDesign& design);

}  // namespace platform::win32
