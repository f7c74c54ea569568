// alert, confirm and prompt from a page: modal dialogs over the page's
// window, with the page's text. The page waits until the user answers.
#pragma once

#include <webkit2/webkit2.h>

#include <memory>
#include <vector>

#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

class PageDialogs {
 public:
  explicit PageDialogs(WebKitWebView* view);
  ~PageDialogs();
  PageDialogs(const PageDialogs&) = delete;
  PageDialogs& operator=(const PageDialogs&) = delete;

  // Answers every open dialog with Cancel and closes it.
  void CloseAll();

  struct Open;

 private:
  static gboolean OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer self);
  void Answer(Open* open, bool ok);

  WebKitWebView* view_;
  SignalConnection connection_;
  std::vector<std::unique_ptr<Open>> open_;
};

}  // namespace vb::gtk
