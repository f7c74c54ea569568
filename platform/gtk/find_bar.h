// Ctrl+F: a small bar over the page that finds text in it.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/searchentry.h>
#include <webkit2/webkit2.h>

#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

// A label whose changes a screen reader announces, as a page's polite live
// region (role="status") is announced: read out as a status bar with the
// live-region attributes.
class LiveLabel final : public Gtk::Label {
 public:
  LiveLabel();
};

class FindBar final : public Gtk::Box {
 public:
  explicit FindBar(WebKitWebView* view);
  ~FindBar() override;

  // Shows the bar with the focus in its entry.
  void Open();
  // Hides it, clears the highlighting and gives the focus back to the page.
  void Close();

 private:
  void Search();
  void ShowResult(const std::string& result);
  bool OnKey(GdkEventKey* event);

  WebKitWebView* view_;
  WebKitFindController* finder_;
  Gtk::SearchEntry entry_;
  Gtk::Button previous_;
  Gtk::Button next_;
  LiveLabel result_;
  Gtk::Button close_;
  SignalConnection found_;
  SignalConnection not_found_;
};

}  // namespace platform::gtk
