#pragma once

#include <chrono>
#include <string>

#include "a11y.h"
#include "wait.h"
#include "xdo.h"

namespace gui {

// Pointer and keyboard aimed at an accessible object found through A11y.

// Clicks the middle of the object's on-screen extents.
void ClickCenter(const Xdo& xdo, const Accessible& target, int button = 1);

// Clicks the object and waits until it reports keyboard focus. Needed before
// typing: WebKit moves focus asynchronously, and keys typed right after the
// click land in whatever had focus before.
void FocusByClick(const Xdo& xdo, const Accessible& target, std::chrono::milliseconds timeout = kDefaultTimeout);

// FocusByClick, then types `text` with real key events.
void TypeInto(const Xdo& xdo, const Accessible& target, const std::string& text,
              std::chrono::milliseconds timeout = kDefaultTimeout);

}  // namespace gui
