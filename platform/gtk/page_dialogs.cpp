#include "platform/gtk/page_dialogs.h"

#include "platform/texts.h"

#include <gtkmm/entry.h>
#include <gtkmm/window.h>

#include <algorithm>
#include <utility>

#include "platform/gtk/deferred_delete.h"
#include "platform/gtk/message_box.h"

namespace platform::gtk {

struct PageDialogs::Open {
  ScriptDialogPtr script;
  std::unique_ptr<Gtk::Dialog> dialog;
  Gtk::Entry* entry = nullptr;  // prompt only, owned by the dialog
};

PageDialogs::PageDialogs(WebKitWebView* view, std::function<void()> flooded, std::function<void()> stayed)
    : view_(view),
      flooded_(std::move(flooded)),
      stayed_(std::move(stayed)),
      connection_(Connect<gboolean(WebKitWebView*, WebKitScriptDialog*)>(
          view, "script-dialog", [this](WebKitWebView*, WebKitScriptDialog* script) -> gboolean {
            OnScriptDialog(script);
            return TRUE;  // answered later, when the user has chosen
          })) {}

PageDialogs::~PageDialogs() { CloseAll(); }

void PageDialogs::CloseAll() {
  while (!open_.empty()) Answer(open_.back().get(), false);
  if (held_) {
    webkit_script_dialog_close(held_.get());
    held_.reset();
  }
}

void PageDialogs::OnScriptDialog(WebKitScriptDialog* script) {
  // One dialog open while another comes is no run: the page is not waiting
  // for answers to come back quickly.
  if (rapid_.TooMany(g_get_monotonic_time(), open_.empty() ? last_answered_ : 0)) {
    // Not shown, and not answered: the page waits here while it is stopped.
    last_answered_ = 0;
    if (!held_) held_.reset(webkit_script_dialog_ref(script));
    if (flooded_) flooded_();
    return;
  }
  const WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(script);
  const bool has_cancel = type != WEBKIT_SCRIPT_DIALOG_ALERT;

  auto open = std::make_unique<Open>();
  open->script.reset(webkit_script_dialog_ref(script));
  const char* message = webkit_script_dialog_get_message(script);
  std::string text = message ? message : "";
  if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) text = texts::kLeavePage;
  open->dialog = BuildMessageBox(text, has_cancel, texts::kPageDialogTitle, WindowOf(GTK_WIDGET(view_)));
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
  open_.push_back(std::move(open));
  dialog.signal_response().connect(
      [this, raw](int response) { Answer(raw, response == Gtk::RESPONSE_OK); });
  dialog.show();
}

void PageDialogs::Answer(Open* open, bool ok) {
  auto it = std::find_if(open_.begin(), open_.end(),
                         [open](const std::unique_ptr<Open>& o) { return o.get() == open; });
  if (it == open_.end()) return;
  std::unique_ptr<Open> done = std::move(*it);
  open_.erase(it);
  last_answered_ = g_get_monotonic_time();

  WebKitScriptDialog* script = done->script.get();
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
  const bool stayed = !ok && webkit_script_dialog_get_dialog_type(script) == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM;
  webkit_script_dialog_close(script);
  if (stayed && stayed_) stayed_();
  done->dialog->hide();
  // This may run inside the dialog's own response signal.
  DeleteLater(std::move(done->dialog));
}

}  // namespace platform::gtk
