#include "platform/gtk/hang_question.h"

#include "platform/texts.h"

#include <atkmm/object.h>

namespace platform::gtk {
namespace {


enum Answer { kWaitAnswer = 1, kStopAnswer = 2 };

}  // namespace

HangQuestion::HangQuestion(WebKitWebView* view, std::function<void()> wait, std::function<void()> stop)
    : view_(view), text_(texts::kHungQuestion) {
  set_name("hang-question");
  set_message_type(Gtk::MESSAGE_WARNING);
  set_valign(Gtk::ALIGN_START);
  text_.set_xalign(0);
  gtk_container_add(GTK_CONTAINER(gtk_info_bar_get_content_area(gobj())), GTK_WIDGET(text_.gobj()));
  wait_ = add_button(texts::kHungWait, kWaitAnswer);
  add_button(texts::kHungStop, kStopAnswer);
  // Read out as an alert the moment it shows, with the question as its name.
  get_accessible()->set_role(Atk::ROLE_ALERT);
  get_accessible()->set_name(texts::kHungQuestion);
  show_all_children();
  set_no_show_all(true);
  hide();
  signal_response().connect([wait = std::move(wait), stop = std::move(stop)](int response) {
    if (response == kStopAnswer) {
      stop();
    } else {
      wait();
    }
  });
}

void HangQuestion::Ask() {
  show();
  // Only once in a window: a default is the window's.
  set_default_response(kWaitAnswer);
  wait_->grab_focus();
}

void HangQuestion::Withdraw() {
  GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(gobj()));
  GtkWidget* focus = GTK_IS_WINDOW(top) ? gtk_window_get_focus(GTK_WINDOW(top)) : nullptr;
  const bool had_focus = focus != nullptr && gtk_widget_is_ancestor(focus, GTK_WIDGET(gobj()));
  hide();
  if (GTK_IS_WINDOW(top) && gtk_window_get_default_widget(GTK_WINDOW(top)) == GTK_WIDGET(wait_->gobj())) {
    gtk_window_set_default(GTK_WINDOW(top), nullptr);
  }
  if (had_focus) gtk_widget_grab_focus(GTK_WIDGET(view_));
}

}  // namespace platform::gtk
