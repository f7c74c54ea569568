#include "platform/gtk/page_dialogs.h"

#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include <algorithm>

#include "platform/gtk/deferred_delete.h"

namespace vb::gtk {

struct PageDialogs::Open {
  WebKitScriptDialog* script = nullptr;  // one reference of ours
  std::unique_ptr<Gtk::MessageDialog> dialog;
  Gtk::Entry* entry = nullptr;  // prompt only, owned by the dialog
};

PageDialogs::PageDialogs(WebKitWebView* view)
    : view_(view),
      connection_(view, g_signal_connect(view, "script-dialog", G_CALLBACK(OnScriptDialog), this)) {}

PageDialogs::~PageDialogs() { CloseAll(); }

void PageDialogs::CloseAll() {
  while (!open_.empty()) Answer(open_.back().get(), false);
}

gboolean PageDialogs::OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* script,
                                     gpointer data) {
  auto* self = static_cast<PageDialogs*>(data);
  const WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(script);
  const bool has_cancel = type != WEBKIT_SCRIPT_DIALOG_ALERT;

  auto open = std::make_unique<Open>();
  open->script = webkit_script_dialog_ref(script);
  const char* message = webkit_script_dialog_get_message(script);
  open->dialog = std::make_unique<Gtk::MessageDialog>(message ? message : "", false,
                                                      Gtk::MESSAGE_OTHER, Gtk::BUTTONS_NONE, true);
  Gtk::MessageDialog& dialog = *open->dialog;
  dialog.set_title("来自网页的消息");
  if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
    dialog.set_message("确实要离开此页吗？");
    dialog.set_secondary_text(message ? message : "");
  }
  if (type == WEBKIT_SCRIPT_DIALOG_PROMPT) {
    open->entry = Gtk::manage(new Gtk::Entry());
    const char* initial = webkit_script_dialog_prompt_get_default_text(script);
    open->entry->set_text(initial ? initial : "");
    open->entry->set_activates_default(true);
    dialog.get_message_area()->pack_end(*open->entry, Gtk::PACK_SHRINK);
    open->entry->show();
  }
  dialog.add_button("确定", Gtk::RESPONSE_OK);
  if (has_cancel) dialog.add_button("取消", Gtk::RESPONSE_CANCEL);
  dialog.set_default_response(Gtk::RESPONSE_OK);
  GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(view));
  if (GTK_IS_WINDOW(toplevel)) {
    gtk_window_set_transient_for(GTK_WINDOW(dialog.gobj()), GTK_WINDOW(toplevel));
  }

  Open* raw = open.get();
  self->open_.push_back(std::move(open));
  dialog.signal_response().connect(
      [self, raw](int response) { self->Answer(raw, response == Gtk::RESPONSE_OK); });
  dialog.show();
  return TRUE;  // answered later, when the user has chosen
}

void PageDialogs::Answer(Open* open, bool ok) {
  auto it = std::find_if(open_.begin(), open_.end(),
                         [open](const std::unique_ptr<Open>& o) { return o.get() == open; });
  if (it == open_.end()) return;
  std::unique_ptr<Open> done = std::move(*it);
  open_.erase(it);

  WebKitScriptDialog* script = done->script;
  switch (webkit_script_dialog_get_dialog_type(script)) {
    case WEBKIT_SCRIPT_DIALOG_CONFIRM:
    case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
      webkit_script_dialog_confirm_set_confirmed(script, ok);
      break;
    case WEBKIT_SCRIPT_DIALOG_PROMPT:
      if (ok && done->entry) {
        webkit_script_dialog_prompt_set_text(script, done->entry->get_text().c_str());
      }
      break;
    case WEBKIT_SCRIPT_DIALOG_ALERT:
      break;
  }
  webkit_script_dialog_close(script);
  webkit_script_dialog_unref(script);
  done->dialog->hide();
  // This may run inside the dialog's own response signal.
  DeleteLater(std::move(done->dialog));
}

}  // namespace vb::gtk
