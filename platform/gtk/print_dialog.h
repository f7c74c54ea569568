// Printing a page (Ctrl+P, or the page's own print()): GTK's print dialog
// over the page's window, shown without waiting and answered through its
// response signal; the page is printed once the user says so. The engine's
// own handling would run the dialog in a loop of its own inside its signal.
#pragma once

#include <gtk/gtkunixprint.h>
#include <gtkmm/printunixdialog.h>
#include <webkit2/webkit2.h>

#include <memory>

#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

class PrintDialog {
 public:
  explicit PrintDialog(WebKitWebView* view);
  ~PrintDialog();
  PrintDialog(const PrintDialog&) = delete;
  PrintDialog& operator=(const PrintDialog&) = delete;

  // Shows the dialog for `operation` (the page's), or for a new operation on
  // the whole page. One at a time: while it is open, asking again only
  // brings it to the front.
  void Open(WebKitPrintOperation* operation = nullptr);
  // Closes it unanswered: nothing is printed.
  void Close();
  bool IsOpen() const noexcept { return dialog_ != nullptr; }

 private:
  void OnResponse(int response);

  WebKitWebView* view_;
  GObjectPtr<WebKitPrintOperation> operation_;
  std::unique_ptr<Gtk::PrintUnixDialog> dialog_;
  sigc::connection response_;
};

}  // namespace vb::gtk
