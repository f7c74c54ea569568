#include "platform/gtk/download_list.h"

#include "platform/texts.h"

#include <atkmm/object.h>

#include <algorithm>
#include <cstdio>

#include "platform/gtk/deferred_delete.h"

namespace platform::gtk {
namespace {

std::string Size(guint64 bytes) {
  char text[32];
  if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.0f KB", static_cast<double>(bytes) / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  }
  return text;
}

}  // namespace

struct DownloadList::Row {
  GObjectPtr<WebKitDownload> download;
  SignalConnection progress;
  Gtk::Box* box = nullptr;  // owned by the list
  Gtk::Label* name = nullptr;
  Gtk::ProgressBar* bar = nullptr;
};

DownloadList::DownloadList() = default;

// Made at the first download: most sessions download nothing, and a window
// costs its share of the start-up.
Gtk::Window& DownloadList::Window() {
  if (window_) return *window_;
  window_ = std::make_unique<Gtk::Window>(Gtk::WINDOW_TOPLEVEL);
  list_ = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8));
  window_->set_title(texts::kDownloads);
  window_->set_default_size(380, -1);
  window_->set_resizable(false);
  window_->set_type_hint(Gdk::WINDOW_TYPE_HINT_UTILITY);
  list_->set_border_width(12);
  window_->add(*list_);
  list_->show();
  // Closed by the user: it comes back with the next change.
  window_->signal_delete_event().connect([this](GdkEventAny*) {
    window_->hide();
    return true;
  });
  return *window_;
}

DownloadList::~DownloadList() {
  rows_.clear();
  if (!window_) return;
  window_->hide();
  DeleteLater(std::move(window_));
}

void DownloadList::Add(WebKitDownload* download, const std::string& name, Gtk::Window* parent) {
  Gtk::Window& window = Window();
  auto row = std::make_unique<Row>();
  row->download = GObjectPtr<WebKitDownload>(WEBKIT_DOWNLOAD(g_object_ref(download)));
  row->box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
  auto* text = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
  row->name = Gtk::manage(new Gtk::Label(name));
  row->name->set_xalign(0.0f);
  row->name->set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
  row->name->set_max_width_chars(36);
  row->bar = Gtk::manage(new Gtk::ProgressBar());
  row->bar->set_show_text(true);
  text->pack_start(*row->name, Gtk::PACK_SHRINK);
  text->pack_start(*row->bar, Gtk::PACK_SHRINK);
  auto* cancel = Gtk::manage(new Gtk::Button(texts::kCancel));
  cancel->set_valign(Gtk::ALIGN_CENTER);
  // The engine answers with "failed" (cancelled), and the row goes then.
  cancel->signal_clicked().connect([download = row->download.get()] { webkit_download_cancel(download); });
  row->box->pack_start(*text, Gtk::PACK_EXPAND_WIDGET);
  row->box->pack_start(*cancel, Gtk::PACK_SHRINK);
  list_->pack_start(*row->box, Gtk::PACK_SHRINK);
  row->box->show_all();
  row->progress = Connect<void(WebKitDownload*, GParamSpec*)>(
      download, "notify::estimated-progress", [this, r = row.get()](WebKitDownload*, GParamSpec*) { Update(*r); });
  Update(*row);
  rows_.push_back(std::move(row));
  if (parent != nullptr && !window.get_visible()) window.set_transient_for(*parent);
  window.show();
}

void DownloadList::Remove(WebKitDownload* download) {
  auto it = std::find_if(rows_.begin(), rows_.end(),
                         [download](const auto& row) { return row->download.get() == download; });
  if (it == rows_.end()) return;
  std::unique_ptr<Row> row = std::move(*it);
  rows_.erase(it);
  row->progress.Disconnect();
  // Perhaps from inside the row's own cancel button: its widgets go once that is
  // over (idle callbacks run in order, before the window's own deletion).
  Gtk::Box* box = row->box;
  box->hide();
  Glib::signal_idle().connect_once([list = list_, box] { list->remove(*box); });
  if (rows_.empty()) window_->hide();
}

void DownloadList::Update(Row& row) {
  WebKitDownload* download = row.download.get();
  const double fraction = webkit_download_get_estimated_progress(download);
  const guint64 received = webkit_download_get_received_data_length(download);
  WebKitURIResponse* response = webkit_download_get_response(download);
  const guint64 total = response ? webkit_uri_response_get_content_length(response) : 0;
  row.bar->set_fraction(std::clamp(fraction, 0.0, 1.0));
  char percent[16];
  std::snprintf(percent, sizeof percent, "%.0f%%", std::clamp(fraction, 0.0, 1.0) * 100.0);
  const std::string text = total > 0 ? std::string(percent) + "  " + Size(received) + " / " + Size(total)
                                     : texts::Fill(texts::kDownloaded, Size(received));
  row.bar->set_text(text);
  // Read out as shown.
  row.bar->get_accessible()->set_name(text);
}

}  // namespace platform::gtk
