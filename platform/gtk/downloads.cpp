#include "platform/gtk/downloads.h"

#include <glib/gstdio.h>
#include <gtkmm/filechooserdialog.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gtk/deferred_delete.h"
#include "platform/gtk/message_box.h"

namespace vb::gtk {

struct Downloads::Transfer {
  Downloads* owner = nullptr;
  GObjectPtr<WebKitDownload> download;
  std::vector<SignalConnection> connections;
  std::string destination;  // the name the user chose
  std::string partial;      // where the data goes until it is complete
  bool failed = false;
};

namespace {

Gtk::Window* ParentOf(WebKitDownload* download) {
  WebKitWebView* view = webkit_download_get_web_view(download);
  if (view == nullptr) return nullptr;
  GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(view));
  return GTK_IS_WINDOW(toplevel) ? Glib::wrap(GTK_WINDOW(toplevel)) : nullptr;
}

void Report(Gtk::Window* parent, const std::string& text) {
  RunMessageBox(text, false, "Varnock", parent, [](const std::function<bool()>& answered) {
    while (!answered()) g_main_context_iteration(nullptr, TRUE);
  });
}

std::string FolderForSaving() {
  const char* downloads = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
  return downloads && g_file_test(downloads, G_FILE_TEST_IS_DIR) ? downloads : g_get_home_dir();
}

}  // namespace

std::string PartialPath(const std::string& destination) {
  const auto slash = destination.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
  return folder + "." + name + ".part";
}

Downloads::Downloads(WebKitWebContext* context)
    : started_(context,
               g_signal_connect(context, "download-started", G_CALLBACK(OnStarted), this)) {}

Downloads::~Downloads() {
  for (auto& [key, transfer] : transfers_) {
    transfer->connections.clear();
    webkit_download_cancel(transfer->download.get());
    if (!transfer->partial.empty()) g_unlink(transfer->partial.c_str());
  }
}

void Downloads::OnStarted(WebKitWebContext*, WebKitDownload* download, gpointer data) {
  auto* self = static_cast<Downloads*>(data);
  auto transfer = std::make_unique<Transfer>();
  transfer->owner = self;
  transfer->download = GObjectPtr<WebKitDownload>(WEBKIT_DOWNLOAD(g_object_ref(download)));
  Transfer* t = transfer.get();
  t->connections.emplace_back(
      download, g_signal_connect(download, "decide-destination", G_CALLBACK(OnDecideDestination), t));
  t->connections.emplace_back(download,
                              g_signal_connect(download, "failed", G_CALLBACK(OnFailed), t));
  t->connections.emplace_back(download,
                              g_signal_connect(download, "finished", G_CALLBACK(OnFinished), t));
  self->transfers_[t] = std::move(transfer);
}

gboolean Downloads::OnDecideDestination(WebKitDownload* download, gchar* suggested, gpointer data) {
  auto* t = static_cast<Transfer*>(data);
  Gtk::Window* parent = ParentOf(download);
  Gtk::FileChooserDialog chooser("保存文件", Gtk::FILE_CHOOSER_ACTION_SAVE);
  if (parent != nullptr) chooser.set_transient_for(*parent);
  chooser.set_modal(true);
  chooser.add_button("取消", Gtk::RESPONSE_CANCEL);
  chooser.add_button("保存", Gtk::RESPONSE_ACCEPT);
  chooser.set_default_response(Gtk::RESPONSE_ACCEPT);
  chooser.set_do_overwrite_confirmation(true);
  chooser.set_current_folder(FolderForSaving());
  chooser.set_current_name(suggested && *suggested ? suggested : "download");
  const int answer = chooser.run();
  const std::string chosen = answer == Gtk::RESPONSE_ACCEPT ? std::string(chooser.get_filename()) : "";
  chooser.hide();
  if (chosen.empty()) {
    webkit_download_cancel(download);
    return TRUE;
  }
  t->destination = chosen;
  t->partial = PartialPath(chosen);
  GCharPtr uri(g_filename_to_uri(t->partial.c_str(), nullptr, nullptr));
  webkit_download_set_allow_overwrite(download, TRUE);
  webkit_download_set_destination(download, uri.get());
  return TRUE;
}

void Downloads::OnFailed(WebKitDownload* download, GError* error, gpointer data) {
  auto* t = static_cast<Transfer*>(data);
  t->failed = true;
  if (!t->partial.empty()) g_unlink(t->partial.c_str());
  if (!g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER)) {
    Report(ParentOf(download),
           "下载失败：" + std::string(error ? error->message : "未知错误") + "\n文件未保存。");
  }
}

void Downloads::OnFinished(WebKitDownload* download, gpointer data) {
  auto* t = static_cast<Transfer*>(data);
  Downloads* self = t->owner;
  if (!t->failed && !t->partial.empty()) {
    // Complete: now, and only now, it takes the name the user chose.
    if (std::rename(t->partial.c_str(), t->destination.c_str()) != 0) {
      const std::string reason = std::strerror(errno);
      g_unlink(t->partial.c_str());
      Report(ParentOf(download), "无法保存文件 " + t->destination + "：" + reason);
    }
  }
  self->Forget(t);
}

void Downloads::Forget(Transfer* transfer) {
  auto it = transfers_.find(transfer);
  if (it == transfers_.end()) return;
  std::unique_ptr<Transfer> done = std::move(it->second);
  transfers_.erase(it);
  done->connections.clear();
  // We are inside one of its signals: let the signal finish first.
  DeleteLater(std::move(done));
}

}  // namespace vb::gtk
