#include "platform/win32/window_styles.h"

namespace platform::win32 {

WindowStyles StylesOf(const FormDesign& design) {
  WindowStyles styles;
  // Controls are never painted over by the form's own background.
  styles.style = WS_CLIPCHILDREN;
  DWORD buttons = 0;
  if (design.min_button) buttons |= WS_MINIMIZEBOX;
  if (design.max_button) buttons |= WS_MAXIMIZEBOX;
  switch (design.border) {
    case BorderStyle::None:
      styles.style |= WS_POPUP;
      break;
    case BorderStyle::FixedSingle:
      styles.style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | buttons;
      break;
    case BorderStyle::Sizable:
      styles.style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | buttons;
      break;
    case BorderStyle::FixedDialog:
      styles.style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      styles.ex_style |= WS_EX_DLGMODALFRAME;
      break;
  }
  return styles;
}

}  // namespace platform::win32
