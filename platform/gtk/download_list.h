// The downloads under way, each with its progress and a way to cancel it:
// a small window of its own beside the page's window, shown while any runs.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/progressbar.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

class DownloadList {
 public:
  DownloadList();
  ~DownloadList();
  DownloadList(const DownloadList&) = delete;
  DownloadList& operator=(const DownloadList&) = delete;

  // A download now being written under `name`, over `parent`.
  void Add(WebKitDownload* download, const std::string& name, Gtk::Window* parent);
  // It has ended, one way or another.
  void Remove(WebKitDownload* download);
  std::size_t Count() const noexcept { return rows_.size(); }

 private:
  struct Row;
  void Update(Row& row);
  Gtk::Window& Window();

  std::unique_ptr<Gtk::Window> window_;
  Gtk::Box* list_ = nullptr;  // owned by the window
  std::vector<std::unique_ptr<Row>> rows_;
};

}  // namespace platform::gtk
