#include "platform/gtk/page_dialogs.h"

#include <gtkmm/entry.h>
#include <gtkmm/window.h>

#include <algorithm>
#include <utility>

#include "platform/gtk/deferred_delete.h"
#include "platform/gtk/message_box.h"

namespace vb::gtk {

struct PageDialogs::Open {
  WebKitScriptDialog* script = nullptr;  // one reference of ours
  std::unique_ptr<Gtk::Dialog> dialog;
  Gtk::Entry* entry = nullptr;  // prompt only, owned by the dialog
};

namespace {

// Closer than a person answers one dialog and acts on the page again.
constexpr std::int64_t kRapidMicroseconds = 300'000;
constexpr int kRapidDialogsAllowed = 9;

}  // namespace

PageDialogs::PageDialogs(WebKitWebView* view, std::function<void()> flooded)
    : view_(view),
      flooded_(std::move(flooded)),
      connection_(view, g_signal_connect(view, "script-dialog", G_CALLBACK(OnScriptDialog), this)) {}

PageDialogs::~PageDialogs() { CloseAll(); }

void PageDialogs::CloseAll() {
  while (!open_.empty()) Answer(open_.back().get(), false);
  if (held_ != nullptr) {
    webkit_script_dialog_close(held_);
    webkit_script_dialog_unref(std::exchange(held_, nullptr));
  }
}

gboolean PageDialogs::OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* script,
                                     gpointer data) {
  auto* self = static_cast<PageDialogs*>(data);
  const std::int64_t now = g_get_monotonic_time();
  const bool rapid = self->open_.empty() && self->last_answered_ != 0 &&
                     now - self->last_answered_ < kRapidMicroseconds;
  self->rapid_ = rapid ? self->rapid_ + 1 : 0;
  if (self->rapid_ >= kRapidDialogsAllowed) {
    // Not shown, and not answered: the page waits here while it is stopped.
    self->rapid_ = 0;
    self->last_answered_ = 0;
    if (self->held_ == nullptr) self->held_ = webkit_script_dialog_ref(script);
    if (self->flooded_) self->flooded_();
    return TRUE;
  }
  const WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(script);
  const bool has_cancel = type != WEBKIT_SCRIPT_DIALOG_ALERT;

  auto open = std::make_unique<Open>();
  open->script = webkit_script_dialog_ref(script);
  const char* message = webkit_script_dialog_get_message(script);
  std::string text = message ? message : "";
  if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) text = "确实要离开此页吗？";
  GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(view));
  Gtk::Window* parent = GTK_IS_WINDOW(toplevel) ? Glib::wrap(GTK_WINDOW(toplevel)) : nullptr;
  open->dialog = BuildMessageBox(text, has_cancel, "来自网页的消息", parent);
  Gtk::Dialog& dialog = *open->dialog;
  if (type == WEBKIT_SCRIPT_DIALOG_PROMPT) {
    open->entry = Gtk::manage(new Gtk::Entry());
    const char* initial = webkit_script_dialog_prompt_get_default_text(script);
    open->entry->set_text(initial ? initial : "");
    open->entry->set_activates_default(true);
    open->entry->set_margin_start(20);
    open->entry->set_margin_end(24);
    open->entry->set_margin_bottom(10);
    dialog.get_content_area()->pack_start(*open->entry, Gtk::PACK_SHRINK);
    open->entry->show();
    open->entry->grab_focus();
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
  last_answered_ = g_get_monotonic_time();

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
