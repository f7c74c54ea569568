// alert, confirm and prompt from a page: modal dialogs over the page's
// window, with the page's text. The page waits until the user answers.
// A page that opens one dialog the moment the last one is answered, again
// and again, would hold the user for good (each dialog is modal). A page may
// well ask two or three questions in a row; the tenth dialog in a row that
// comes right after the one before is not shown, and `flooded` asks for the
// page to be stopped. That last dialog is held unanswered: the page's
// script waits in it, and runs no more, until the page is stopped (the
// engine serves the other pages of its process meanwhile).
// A page's "leave this page?" answered Cancel is final: `stayed` drops the
// command that would have left it.
#pragma once

#include <webkit2/webkit2.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/browser/flood_limit.h"
#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

class PageDialogs {
 public:
  PageDialogs(WebKitWebView* view, std::function<void()> flooded, std::function<void()> stayed);
  ~PageDialogs();
  PageDialogs(const PageDialogs&) = delete;
  PageDialogs& operator=(const PageDialogs&) = delete;

  // Answers every open dialog with Cancel and closes it.
  void CloseAll();
  bool AnyOpen() const noexcept { return !open_.empty(); }

  struct Open;

 private:
  using ScriptDialogPtr = OwnedPtr<WebKitScriptDialog, webkit_script_dialog_unref>;
  void OnScriptDialog(WebKitScriptDialog* dialog);
  void Answer(Open* open, bool ok);

  WebKitWebView* view_;
  std::function<void()> flooded_;
  std::function<void()> stayed_;
  SignalConnection connection_;
  // When the last dialog was answered (monotonic µs), and the dialogs in a
  // row that came right after the one before.
  std::int64_t last_answered_ = 0;
  browser::RapidRun rapid_{browser::kRapidDialogsAllowed, browser::kRapidDialogGapUs};
  std::vector<std::unique_ptr<Open>> open_;
  // The dialog a flooding page waits in.
  ScriptDialogPtr held_;
};

}  // namespace platform::gtk
