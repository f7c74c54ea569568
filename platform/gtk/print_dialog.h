// Printing a page (Ctrl+P, or the page's own print()): GTK's print dialog
// over the page's window, shown without waiting and answered through its
// response signal; the page is printed once the user says so. The engine's
// own handling would run the dialog in a loop of its own inside its signal.
#pragma once

#include <gtk/gtkunixprint.h>
#include <gtkmm/printunixdialog.h>
#include <webkit2/webkit2.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

class PrintDialog {
 public:
  // `flooded` asks for the page to be stopped: it asks to print without end.
  PrintDialog(WebKitWebView* view, std::function<void()> flooded);
  ~PrintDialog();
  PrintDialog(const PrintDialog&) = delete;
  PrintDialog& operator=(const PrintDialog&) = delete;

  // Ctrl+P: shows the dialog for the whole page, or brings it to the front.
  void Open();
  // The page's print(): the same, unless the page asks again and again. A
  // page calling print() in a loop would put the dialog back in front of the
  // user the moment it was closed, and its requests alone keep the program
  // busy: while the dialog is open, and until the page has stopped asking
  // for a while after it closed, the page's requests are refused; a page
  // that goes on asking is stopped.
  void OpenForPage(WebKitPrintOperation* operation);
  // Closes it unanswered: nothing is printed.
  void Close();
  bool IsOpen() const noexcept { return dialog_ != nullptr; }

 private:
  void Show(WebKitPrintOperation* operation);
  void OnResponse(int response);

  WebKitWebView* view_;
  std::function<void()> flooded_;
  int refused_ = 0;
  GObjectPtr<WebKitPrintOperation> operation_;
  std::unique_ptr<Gtk::PrintUnixDialog> dialog_;
  sigc::connection response_;
  // When a dialog the page asked for last closed, or the page was last
  // refused (monotonic µs).
  std::int64_t last_ = 0;
  bool for_page_ = false;
};

}  // namespace platform::gtk
