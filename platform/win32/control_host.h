// What the controls of one window share: the window they sit in (its client
// area is theirs), its DPI and its font. The window keeps it up to date and
// tells its controls when the DPI changes.
#pragma once

#include <windows.h>

#include "platform/twips.h"
#include "platform/win32/dpi.h"

namespace platform::win32 {

struct ControlHost {
  HWND window = nullptr;
  UINT dpi = kDefaultDpi;
  HFONT font = nullptr;

  TwipScale Scale() const { return ScaleAt(dpi); }
};

// A control the window lays out again: after a change of DPI or of its
// client area.
class PlacedControl {
 public:
  virtual ~PlacedControl() = default;
  virtual void Place() = 0;
  // The DPI or the font changed.
  virtual void Rescaled() = 0;
};

}  // namespace platform::win32
