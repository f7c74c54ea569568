// The DPI functions of Windows 10 (1607 and later), looked up at run time so
// that the program still starts on older systems, where every window is at
// the system's DPI. Wine 8 has them all.
#pragma once

#include <windows.h>

#include "platform/twips.h"

namespace platform::win32 {

inline constexpr UINT kDefaultDpi = 96;

// The window's DPI, or 96 where the system cannot tell.
UINT DpiOfWindow(HWND window);
// The DPI of the primary screen, as programs that are not per-monitor aware see it.
UINT SystemDpi();
// The outer rectangle of a window whose client area is `client`.
RECT OuterFromClient(const RECT& client, DWORD style, DWORD ex_style, bool menu, UINT dpi);
// The system's metrics (SM_CXICON...) at `dpi`.
int MetricAt(int index, UINT dpi);
// The message font of the non-client metrics at `dpi`.
LOGFONTW MessageFontAt(UINT dpi);

inline platform::TwipScale ScaleAt(UINT dpi) { return platform::TwipScale(dpi / 96.0); }

}  // namespace platform::win32
