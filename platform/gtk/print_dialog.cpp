#include "platform/gtk/print_dialog.h"

#include "platform/texts.h"

#include "platform/browser/flood_limit.h"
#include "platform/gtk/deferred_delete.h"
#include "platform/gtk/message_box.h"

namespace platform::gtk {

PrintDialog::PrintDialog(WebKitWebView* view, std::function<void()> flooded)
    : view_(view), flooded_(std::move(flooded)) {}

PrintDialog::~PrintDialog() { Close(); }

void PrintDialog::Open() {
  if (dialog_) {
    dialog_->present();
    return;
  }
  for_page_ = false;
  Show(nullptr);
}

void PrintDialog::OpenForPage(WebKitPrintOperation* operation) {
  const std::int64_t now = g_get_monotonic_time();
  if (dialog_ || (last_ != 0 && now - last_ < browser::kPrintQuietUs)) {
    if (!dialog_) last_ = now;
    if (++refused_ >= browser::kPrintRefusalsAllowed) {
      refused_ = 0;
      Close();
      if (flooded_) flooded_();
    }
    return;
  }
  refused_ = 0;
  for_page_ = true;
  Show(operation);
}

void PrintDialog::Show(WebKitPrintOperation* operation) {
  operation_ = operation ? GObjectPtr<WebKitPrintOperation>(WEBKIT_PRINT_OPERATION(g_object_ref(operation)))
                         : Adopt(webkit_print_operation_new(view_));
  dialog_ = std::make_unique<Gtk::PrintUnixDialog>(texts::kPrint);
  if (Gtk::Window* parent = WindowOf(GTK_WIDGET(view_))) dialog_->set_transient_for(*parent);
  dialog_->set_modal(true);
  // What the engine's own dialog offers: it lays the page out itself.
  dialog_->set_embed_page_setup(true);
  dialog_->set_manual_capabilities(
      Gtk::PRINT_CAPABILITY_PAGE_SET | Gtk::PRINT_CAPABILITY_COPIES | Gtk::PRINT_CAPABILITY_COLLATE |
      Gtk::PRINT_CAPABILITY_REVERSE | Gtk::PRINT_CAPABILITY_SCALE | Gtk::PRINT_CAPABILITY_GENERATE_PDF |
      Gtk::PRINT_CAPABILITY_GENERATE_PS | Gtk::PRINT_CAPABILITY_NUMBER_UP |
      Gtk::PRINT_CAPABILITY_NUMBER_UP_LAYOUT);
  if (GtkPrintSettings* settings = webkit_print_operation_get_print_settings(operation_.get())) {
    gtk_print_unix_dialog_set_settings(dialog_->gobj(), settings);
  }
  if (GtkPageSetup* setup = webkit_print_operation_get_page_setup(operation_.get())) {
    gtk_print_unix_dialog_set_page_setup(dialog_->gobj(), setup);
  }
  response_ = dialog_->signal_response().connect([this](int response) { OnResponse(response); });
  dialog_->show();
}

void PrintDialog::OnResponse(int response) {
  if (response == Gtk::RESPONSE_OK && operation_) {
    GObjectPtr<GtkPrintSettings> settings = Adopt(gtk_print_unix_dialog_get_settings(dialog_->gobj()));
    webkit_print_operation_set_print_settings(operation_.get(), settings.get());
    webkit_print_operation_set_page_setup(operation_.get(),
                                          gtk_print_unix_dialog_get_page_setup(dialog_->gobj()));
    webkit_print_operation_print(operation_.get());
  }
  Close();
}

void PrintDialog::Close() {
  response_.disconnect();
  operation_.reset();
  if (!dialog_) return;
  if (for_page_) last_ = g_get_monotonic_time();
  dialog_->hide();
  // This may run inside the dialog's own response signal.
  DeleteLater(std::move(dialog_));
}

}  // namespace platform::gtk
