// A response that is a download: the user chooses where it goes; the file
// is written under a temporary name beside its destination and takes the
// chosen name only once it is complete. Cancelling leaves nothing behind; a
// failure is reported and its partial file removed.
//
// Nothing here waits inside the engine's signals: the engine is told where
// a download goes (or that it is cancelled) once the user has answered the
// save dialog, which is shown without a loop of its own. One save dialog at
// a time; further downloads wait their turn. A page that starts download
// after download by itself (hidden frames, one every moment) would keep a
// dialog in front of the user for good: beyond a few in a row, downloads
// are refused without a word until the page has been quiet for a while.
#pragma once

#include <gtkmm/filechoosernative.h>
#include <webkit2/webkit2.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gtk/download_list.h"
#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

class MessageBoxLater;

// Where a download is written while it runs.
std::string PartialPath(const std::string& destination);

class Downloads {
 public:
  explicit Downloads(WebKitWebContext* context);
  ~Downloads();
  Downloads(const Downloads&) = delete;
  Downloads& operator=(const Downloads&) = delete;

  // The window of `view` goes: its downloads still asking for a destination
  // are cancelled, and their dialog closes.
  void CancelWaitingFor(WebKitWebView* view);
  // Downloads being written now, which end with the program.
  int UnderWay() const noexcept { return static_cast<int>(list_.Count()); }

 private:
  struct Transfer;
  void OnStarted(WebKitDownload* download);
  void OnDecideDestination(Transfer* transfer, const char* suggested);
  void OnFailed(Transfer* transfer, const GError* error);
  void OnFinished(Transfer* transfer);

  // Whether a download arriving now is one too many in a row.
  bool Refuse();
  void AskNext();
  void OnChosen(int response);
  void Cancel(Transfer* transfer);
  void Report(WebKitDownload* download, const std::string& text);
  void Forget(Transfer* transfer);

  SignalConnection started_;
  std::map<Transfer*, std::unique_ptr<Transfer>> transfers_;
  // Downloads waiting for the save dialog, the one asked about first.
  std::deque<Transfer*> waiting_;
  Glib::RefPtr<Gtk::FileChooserNative> chooser_;
  std::vector<std::unique_ptr<MessageBoxLater>> reports_;
  DownloadList list_;
  // When the last download came or was answered (monotonic µs), and how
  // many came in a row before it.
  std::int64_t last_activity_ = 0;
  int in_a_row_ = 0;
};

}  // namespace vb::gtk
