// The browser control as a Win32 window holds it: the WebView2 adapter in
// the program, a stand-in in the tests. The window makes it through the
// factory the toolkit was given, and tells it what only the window knows.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/controls.h"

namespace platform::win32 {

class HostedBrowser : public Browser {
 public:
  // The window moved to a monitor of another DPI: the control keeps its
  // place in twips (1440 / DPI twips a pixel).
  virtual void SetDpi(UINT dpi) = 0;
  // The window was activated, or the user tabbed to the control.
  virtual void Focus() = 0;
  // The window is unloading: no further event reaches the form.
  virtual void Detach() = 0;
};

// `parent` is the window's client area; `dpi` its DPI when the control is made.
using BrowserFactory = std::function<std::shared_ptr<HostedBrowser>(
    HWND parent, UINT dpi, const BrowserDesign& design, BrowserEvents events)>;

}  // namespace platform::win32
