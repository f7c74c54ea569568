#include "platform/win32/dpi.h"

namespace platform::win32 {
namespace {

// The address of a user32 function that older systems lack, as type F.
template <class F>
F User32(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

UINT DpiOfWindow(HWND window) {
  using Function = UINT(WINAPI*)(HWND);
  static const auto get = User32<Function>("GetDpiForWindow");
  const UINT dpi = get && window ? get(window) : 0;
  return dpi != 0 ? dpi : kDefaultDpi;
}

UINT SystemDpi() {
  using Function = UINT(WINAPI*)();
  static const auto get = User32<Function>("GetDpiForSystem");
  if (get) return get();
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

RECT OuterFromClient(const RECT& client, DWORD style, DWORD ex_style, bool menu, UINT dpi) {
  using Function = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = User32<Function>("AdjustWindowRectExForDpi");
  RECT outer = client;
  if (adjust) {
    adjust(&outer, style, menu, ex_style, dpi);
  } else {
    ::AdjustWindowRectEx(&outer, style, menu, ex_style);
  }
  return outer;
}

int MetricAt(int index, UINT dpi) {
  using Function = int(WINAPI*)(int, UINT);
  static const auto get = User32<Function>("GetSystemMetricsForDpi");
  if (get) return get(index, dpi);
  return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

LOGFONTW MessageFontAt(UINT dpi) {
  using Function = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto get = User32<Function>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (get && get(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    return metrics.lfMessageFont;
  }
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // At the system's DPI: scaled to the window's.
    metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi),
                                              static_cast<int>(SystemDpi()));
    return metrics.lfMessageFont;
  }
  LOGFONTW font{};
  font.lfHeight = -::MulDiv(9, static_cast<int>(dpi), 72);
  font.lfCharSet = DEFAULT_CHARSET;
  ::lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
  return font;
}

}  // namespace platform::win32
