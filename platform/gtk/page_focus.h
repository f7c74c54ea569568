// Where the keyboard is in a page, told again once the page has loaded.
#pragma once

#include <webkit2/webkit2.h>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

// A page focuses its field (autofocus) while it is still loading, and Orca
// drops focus events from a document that has not finished loading: a
// screen reader user would hear the window and never the field. Once the
// page has finished loading in a view that holds the keyboard, the view
// takes the focus afresh, so that the page's focused element, or the page
// itself, is announced; the window then shows where the focus is.
class PageFocus {
 public:
  explicit PageFocus(WebKitWebView* view);
  ~PageFocus();
  PageFocus(const PageFocus&) = delete;
  PageFocus& operator=(const PageFocus&) = delete;

 private:
  void Refocus();

  WebKitWebView* view_;
  SignalConnection loaded_;
  guint idle_ = 0;
};

}  // namespace platform::gtk
