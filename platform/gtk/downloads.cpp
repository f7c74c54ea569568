#include "platform/gtk/downloads.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/gtk/deferred_delete.h"
#include "platform/texts.h"
#include "platform/gtk/message_box.h"

namespace platform::gtk {

struct Downloads::Transfer {
  GObjectPtr<WebKitDownload> download;
  std::vector<SignalConnection> connections;
  std::string suggested;    // the name the server proposed
  std::string destination;  // the name the user chose
  std::string partial;      // where the data goes until it is complete
  bool failed = false;
};

namespace {

std::string FolderForSaving() {
  const char* downloads = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
  return downloads && g_file_test(downloads, G_FILE_TEST_IS_DIR) ? downloads : g_get_home_dir();
}

Gtk::Window* ParentOf(WebKitDownload* download) {
  WebKitWebView* view = webkit_download_get_web_view(download);
  return view ? WindowOf(GTK_WIDGET(view)) : nullptr;
}

}  // namespace

Downloads::Downloads(WebKitWebContext* context)
    : started_(Connect<void(WebKitWebContext*, WebKitDownload*)>(
          context, "download-started", [this](WebKitWebContext*, WebKitDownload* download) { OnStarted(download); })) {}

Downloads::~Downloads() {
  if (chooser_) chooser_->hide();
  reports_.clear();
  for (auto& [key, transfer] : transfers_) {
    transfer->connections.clear();
    webkit_download_cancel(transfer->download.get());
    if (!transfer->partial.empty()) g_unlink(transfer->partial.c_str());
  }
}

void Downloads::OnStarted(WebKitDownload* download) {
  auto transfer = std::make_unique<Transfer>();
  transfer->download = GObjectPtr<WebKitDownload>(WEBKIT_DOWNLOAD(g_object_ref(download)));
  Transfer* t = transfer.get();
  t->connections.push_back(Connect<gboolean(WebKitDownload*, gchar*)>(
      download, "decide-destination", [this, t](WebKitDownload*, gchar* suggested) -> gboolean {
        OnDecideDestination(t, suggested);
        return TRUE;  // kept: answered once the user has chosen
      }));
  t->connections.push_back(Connect<void(WebKitDownload*, GError*)>(
      download, "failed", [this, t](WebKitDownload*, GError* error) { OnFailed(t, error); }));
  t->connections.push_back(
      Connect<void(WebKitDownload*)>(download, "finished", [this, t](WebKitDownload*) { OnFinished(t); }));
  transfers_[t] = std::move(transfer);
}

void Downloads::OnDecideDestination(Transfer* t, const char* suggested) {
  if (!turns_.Arrive(t, webkit_download_get_web_view(t->download.get()), g_get_monotonic_time())) {
    Cancel(t);
    return;
  }
  // The engine waits for its destination until the user has chosen.
  t->suggested = suggested && *suggested ? suggested : "download";
  AskNext();
}

void Downloads::AskNext() {
  const auto next = turns_.NextToAsk();
  if (!next) return;
  Transfer* t = static_cast<Transfer*>(const_cast<void*>(*next));
  Gtk::Window* parent = ParentOf(t->download.get());
  // The desktop's own chooser where a portal offers one, GTK's otherwise;
  // either way shown without a loop of its own.
  chooser_ = parent ? Gtk::FileChooserNative::create(texts::kSaveFile, *parent, Gtk::FILE_CHOOSER_ACTION_SAVE,
                                                     texts::kSave, texts::kCancel)
                    : Gtk::FileChooserNative::create(texts::kSaveFile, Gtk::FILE_CHOOSER_ACTION_SAVE, texts::kSave,
                                                     texts::kCancel);
  asked_ = t;
  chooser_->set_modal(true);
  chooser_->set_do_overwrite_confirmation(true);
  chooser_->set_current_folder(FolderForSaving());
  chooser_->set_current_name(t->suggested);
  chooser_->signal_response().connect([this](int response) { OnChosen(response); });
  chooser_->show();
}

void Downloads::CloseChooser() {
  if (chooser_) chooser_->hide();
  chooser_.reset();
  asked_ = nullptr;
}

void Downloads::OnChosen(int response) {
  Glib::RefPtr<Gtk::FileChooserNative> chooser = chooser_;
  Transfer* t = asked_;
  const std::string chosen =
      chooser && response == Gtk::RESPONSE_ACCEPT ? std::string(chooser->get_filename()) : "";
  CloseChooser();
  // No to one of a batch is no to the batch: the user is not asked again
  // for each of the others.
  for (const void* declined : turns_.Answered(!chosen.empty(), g_get_monotonic_time())) {
    Cancel(static_cast<Transfer*>(const_cast<void*>(declined)));
  }
  if (t == nullptr || chosen.empty()) return;
  t->destination = chosen;
  t->partial = browser::PartialPath(chosen);
  GCharPtr uri(g_filename_to_uri(t->partial.c_str(), nullptr, nullptr));
  webkit_download_set_allow_overwrite(t->download.get(), TRUE);
  webkit_download_set_destination(t->download.get(), uri.get());
  GCharPtr name(g_path_get_basename(chosen.c_str()));
  list_.Add(t->download.get(), name.get(), ParentOf(t->download.get()));
  AskNext();
}

void Downloads::CancelWaitingFor(WebKitWebView* view) {
  const browser::DownloadTurns::Withdrawal withdrawal = turns_.WithdrawFor(view);
  if (withdrawal.dialog_closes) CloseChooser();
  for (const void* going : withdrawal.cancelled) Cancel(static_cast<Transfer*>(const_cast<void*>(going)));
  AskNext();
}

void Downloads::Cancel(Transfer* transfer) {
  // The engine answers with "failed" (cancelled by the user), then
  // "finished"; neither is reported.
  webkit_download_cancel(transfer->download.get());
}

void Downloads::OnFailed(Transfer* t, const GError* error) {
  t->failed = true;
  list_.Remove(t->download.get());
  if (!t->partial.empty()) g_unlink(t->partial.c_str());
  if (!g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER)) {
    Report(t->download.get(), texts::Fill(texts::kDownloadFailed, error ? error->message : texts::kUnknownError));
  }
}

void Downloads::OnFinished(Transfer* t) {
  list_.Remove(t->download.get());
  if (!t->failed && !t->partial.empty()) {
    // Complete: now, and only now, it takes the name the user chose.
    if (std::rename(t->partial.c_str(), t->destination.c_str()) != 0) {
      const std::string reason = std::strerror(errno);
      g_unlink(t->partial.c_str());
      Report(t->download.get(), texts::Fill(texts::kCannotSave, {t->destination, reason}));
    }
  }
  Forget(t);
}

void Downloads::Report(WebKitDownload* download, const std::string& text) {
  // Dropped, and its box closed, once answered.
  auto self = std::make_shared<const MessageBoxLater*>(nullptr);
  auto box = std::make_unique<MessageBoxLater>(text, false, ParentOf(download), [this, self](bool) {
    std::erase_if(reports_, [&](const auto& report) { return report.get() == *self; });
  });
  *self = box.get();
  reports_.push_back(std::move(box));
}

void Downloads::Forget(Transfer* transfer) {
  if (turns_.Forget(transfer)) {
    CloseChooser();
    AskNext();
  }
  auto it = transfers_.find(transfer);
  if (it == transfers_.end()) return;
  std::unique_ptr<Transfer> done = std::move(it->second);
  transfers_.erase(it);
  done->connections.clear();
  // We are inside one of its signals: let the signal finish first.
  DeleteLater(std::move(done));
}

}  // namespace platform::gtk
