#include "platform/gtk/message_box.h"

#include "platform/texts.h"

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/buttonbox.h>
#include <gtkmm/dialog.h>
#include <gtkmm/label.h>

#include <optional>

#include "platform/gtk/deferred_delete.h"

namespace platform::gtk {

std::unique_ptr<Gtk::Dialog> BuildMessageBox(const std::string& prompt, bool with_cancel,
                                             const std::string& title, Gtk::Window* parent) {
  auto dialog = std::make_unique<Gtk::Dialog>(title, true);
  dialog->set_name("message-box");
  // Read out as the toolkit's message dialogs are: Orca speaks an alert's
  // labels, of a plain dialog only its title and the focused button.
  atk_object_set_role(gtk_widget_get_accessible(GTK_WIDGET(dialog->gobj())), ATK_ROLE_ALERT);
  dialog->set_resizable(false);
  // Wide enough for its title, as message boxes of the desktop are.
  dialog->set_size_request(260, -1);
  if (parent != nullptr) dialog->set_transient_for(*parent);
  dialog->set_position(parent ? Gtk::WIN_POS_CENTER_ON_PARENT : Gtk::WIN_POS_CENTER);

  auto* text = Gtk::manage(new Gtk::Label(prompt));
  text->set_line_wrap(true);
  text->set_max_width_chars(60);
  text->set_xalign(0.0f);
  text->set_selectable(false);
  text->set_margin_top(18);
  text->set_margin_bottom(14);
  text->set_margin_start(20);
  text->set_margin_end(24);
  dialog->get_content_area()->pack_start(*text, Gtk::PACK_EXPAND_WIDGET);
  text->show();

  Gtk::Button* ok = dialog->add_button(texts::kOk, Gtk::RESPONSE_OK);
  ok->set_size_request(75, -1);
  if (with_cancel) dialog->add_button(texts::kCancel, Gtk::RESPONSE_CANCEL)->set_size_request(75, -1);
  // The buttons' own box (the dialog's action area) centres them.
  if (auto* buttons = dynamic_cast<Gtk::ButtonBox*>(ok->get_parent())) {
    buttons->set_layout(Gtk::BUTTONBOX_CENTER);
  }
  dialog->set_default_response(Gtk::RESPONSE_OK);
  ok->grab_focus();
  return dialog;
}

std::optional<bool> RunMessageBox(const std::string& prompt, bool with_cancel,
                                  const std::string& title, Gtk::Window* parent,
                                  const std::function<void(const std::function<bool()>&)>& loop) {
  std::unique_ptr<Gtk::Dialog> dialog = BuildMessageBox(prompt, with_cancel, title, parent);
  std::optional<int> response;
  dialog->signal_response().connect([&](int r) { response = r; });
  dialog->show();
  loop([&] { return response.has_value(); });
  dialog->hide();
  if (!response) return std::nullopt;
  return *response == Gtk::RESPONSE_OK;
}

MessageBoxLater::MessageBoxLater(const std::string& prompt, bool with_cancel, Gtk::Window* parent,
                                 std::function<void(bool ok)> answered)
    : dialog_(BuildMessageBox(prompt, with_cancel, g_get_application_name(), parent)),
      answered_(std::move(answered)) {
  response_ = dialog_->signal_response().connect([this](int response) {
    dialog_->hide();
    // Once: a second response (the box closed while hiding) finds nothing.
    auto answered = std::move(answered_);
    answered_ = nullptr;
    if (answered) answered(response == Gtk::RESPONSE_OK);
  });
  dialog_->show();
}

MessageBoxLater::~MessageBoxLater() {
  response_.disconnect();
  dialog_->hide();
  // This may run inside the box's own response signal.
  DeleteLater(std::move(dialog_));
}

Gtk::Window* WindowOf(GtkWidget* widget) {
  GtkWidget* toplevel = widget ? gtk_widget_get_toplevel(widget) : nullptr;
  return toplevel && GTK_IS_WINDOW(toplevel) ? Glib::wrap(GTK_WINDOW(toplevel)) : nullptr;
}

}  // namespace platform::gtk
