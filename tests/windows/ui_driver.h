// Drives the program's own windows as a user would, from the thread that
// runs their message loop: keys through SendInput, waits that let the
// loop run, and the windows this thread has open.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace wintest {

// Runs the toolkit's loop until `done` holds or `timeout_ms` has passed;
// returns whether `done` held.
bool RunUntil(platform::Toolkit& toolkit, const std::function<bool()>& done,
              unsigned timeout_ms = 5000);

// Alt and a letter, then Alt released; or one key alone.
void PressAlt(wchar_t letter);
void PressKey(WORD key);

// The top-level windows of this thread; visible ones only when asked.
std::vector<HWND> ThreadWindows(bool visible_only);
std::wstring TextOf(HWND window);
// The window's text and that of every window in it, one a line.
std::wstring AllTextOf(HWND window);
std::wstring ClassOf(HWND window);

// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);

}  // namespace wintest
