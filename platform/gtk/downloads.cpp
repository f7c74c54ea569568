#include "platform/gtk/downloads.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/gtk/deferred_delete.h"
#include "platform/gtk/message_box.h"

namespace vb::gtk {

struct Downloads::Transfer {
  GObjectPtr<WebKitDownload> download;
  std::vector<SignalConnection> connections;
  std::string suggested;    // the name the server proposed
  std::string destination;  // the name the user chose
  std::string partial;      // where the data goes until it is complete
  bool failed = false;
};

namespace {

// A page may start two or three downloads together; more than that in a
// row, each coming while the last is still asked about or soon after it was
// answered, is a page that will not stop.
constexpr int kInARowAllowed = 3;
constexpr std::int64_t kQuietMicroseconds = 2'000'000;

std::string FolderForSaving() {
  const char* downloads = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
  return downloads && g_file_test(downloads, G_FILE_TEST_IS_DIR) ? downloads : g_get_home_dir();
}

Gtk::Window* ParentOf(WebKitDownload* download) {
  WebKitWebView* view = webkit_download_get_web_view(download);
  return view ? WindowOf(GTK_WIDGET(view)) : nullptr;
}

}  // namespace

std::string PartialPath(const std::string& destination) {
  const auto slash = destination.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
  return folder + "." + name + ".part";
}

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

bool Downloads::Refuse() {
  const std::int64_t now = g_get_monotonic_time();
  const bool in_a_row = chooser_ || !waiting_.empty() ||
                        (last_activity_ != 0 && now - last_activity_ < kQuietMicroseconds);
  in_a_row_ = in_a_row ? in_a_row_ + 1 : 0;
  last_activity_ = now;
  return in_a_row_ >= kInARowAllowed;
}

void Downloads::OnDecideDestination(Transfer* t, const char* suggested) {
  if (Refuse()) {
    Cancel(t);
    return;
  }
  // The engine waits for its destination until the user has chosen.
  t->suggested = suggested && *suggested ? suggested : "download";
  waiting_.push_back(t);
  AskNext();
}

void Downloads::AskNext() {
  if (chooser_ || waiting_.empty()) return;
  Transfer* t = waiting_.front();
  Gtk::Window* parent = ParentOf(t->download.get());
  // The desktop's own chooser where a portal offers one, GTK's otherwise;
  // either way shown without a loop of its own.
  chooser_ = parent ? Gtk::FileChooserNative::create("保存文件", *parent, Gtk::FILE_CHOOSER_ACTION_SAVE,
                                                     "保存", "取消")
                    : Gtk::FileChooserNative::create("保存文件", Gtk::FILE_CHOOSER_ACTION_SAVE, "保存",
                                                     "取消");
  chooser_->set_modal(true);
  chooser_->set_do_overwrite_confirmation(true);
  chooser_->set_current_folder(FolderForSaving());
  chooser_->set_current_name(t->suggested);
  chooser_->signal_response().connect([this](int response) { OnChosen(response); });
  chooser_->show();
}

void Downloads::OnChosen(int response) {
  Glib::RefPtr<Gtk::FileChooserNative> chooser = std::move(chooser_);
  chooser_.reset();
  last_activity_ = g_get_monotonic_time();
  if (waiting_.empty()) return;
  Transfer* t = waiting_.front();
  waiting_.pop_front();
  const std::string chosen = response == Gtk::RESPONSE_ACCEPT ? std::string(chooser->get_filename()) : "";
  chooser->hide();
  if (chosen.empty()) {
    // No to one of a batch is no to the batch: the user is not asked again
    // for each of the others.
    Cancel(t);
    while (!waiting_.empty()) {
      Transfer* other = waiting_.front();
      waiting_.pop_front();
      Cancel(other);
    }
    return;
  }
  t->destination = chosen;
  t->partial = PartialPath(chosen);
  GCharPtr uri(g_filename_to_uri(t->partial.c_str(), nullptr, nullptr));
  webkit_download_set_allow_overwrite(t->download.get(), TRUE);
  webkit_download_set_destination(t->download.get(), uri.get());
  GCharPtr name(g_path_get_basename(chosen.c_str()));
  list_.Add(t->download.get(), name.get(), ParentOf(t->download.get()));
  AskNext();
}

void Downloads::CancelWaitingFor(WebKitWebView* view) {
  const bool asking = chooser_ && !waiting_.empty() &&
                      webkit_download_get_web_view(waiting_.front()->download.get()) == view;
  std::vector<Transfer*> going;
  for (Transfer* t : waiting_) {
    if (webkit_download_get_web_view(t->download.get()) == view) going.push_back(t);
  }
  if (asking) {
    chooser_->hide();
    chooser_.reset();
  }
  for (Transfer* t : going) {
    std::erase(waiting_, t);
    Cancel(t);
  }
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
    Report(t->download.get(), "下载失败：" + std::string(error ? error->message : "未知错误") + "\n文件未保存。");
  }
}

void Downloads::OnFinished(Transfer* t) {
  list_.Remove(t->download.get());
  if (!t->failed && !t->partial.empty()) {
    // Complete: now, and only now, it takes the name the user chose.
    if (std::rename(t->partial.c_str(), t->destination.c_str()) != 0) {
      const std::string reason = std::strerror(errno);
      g_unlink(t->partial.c_str());
      Report(t->download.get(), "无法保存文件 " + t->destination + "：" + reason);
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
  std::erase(waiting_, transfer);
  auto it = transfers_.find(transfer);
  if (it == transfers_.end()) return;
  std::unique_ptr<Transfer> done = std::move(it->second);
  transfers_.erase(it);
  done->connections.clear();
  // We are inside one of its signals: let the signal finish first.
  DeleteLater(std::move(done));
}

}  // namespace vb::gtk
