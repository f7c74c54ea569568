// The question a page that has stopped answering puts to the user: wait for
// it (the default) or stop it. A bar over the top of the page, inside its
// window and never modal: the menu and the rest of the program stay usable.
#pragma once

#include <gtkmm/button.h>
#include <gtkmm/infobar.h>
#include <gtkmm/label.h>
#include <webkit2/webkit2.h>

#include <functional>

namespace platform::gtk {

class HangQuestion final : public Gtk::InfoBar {
 public:
  HangQuestion(WebKitWebView* view, std::function<void()> wait, std::function<void()> stop);

  // Shows the question with the focus on its wait button: the hung page takes no keys.
  void Ask();
  // Hides it; the focus, if it was here, goes back to the page.
  void Withdraw();

 private:
  WebKitWebView* view_;
  Gtk::Label text_;
  Gtk::Button* wait_;
};

}  // namespace platform::gtk
