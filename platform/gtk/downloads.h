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

#include "platform/browser/download_turns.h"
#include "platform/gtk/download_list.h"
#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

class MessageBoxLater;

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

  void AskNext();
  void CloseChooser();
  void OnChosen(int response);
  void Cancel(Transfer* transfer);
  void Report(WebKitDownload* download, const std::string& text);
  void Forget(Transfer* transfer);

  SignalConnection started_;
  std::map<Transfer*, std::unique_ptr<Transfer>> transfers_;
  // Downloads waiting for the save dialog, in turn.
  browser::DownloadTurns turns_;
  Glib::RefPtr<Gtk::FileChooserNative> chooser_;
  Transfer* asked_ = nullptr;  // the one the dialog asks about
  std::vector<std::unique_ptr<MessageBoxLater>> reports_;
  DownloadList list_;
};

}  // namespace platform::gtk
