// A response that is a download: the user chooses where it goes; the file
// is written under a temporary name beside its destination and takes the
// chosen name only once it is complete. Cancelling leaves nothing behind; a
// failure is reported and its partial file removed.
#pragma once

#include <webkit2/webkit2.h>

#include <map>
#include <memory>
#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

// Where a download is written while it runs.
std::string PartialPath(const std::string& destination);

class Downloads {
 public:
  explicit Downloads(WebKitWebContext* context);
  ~Downloads();
  Downloads(const Downloads&) = delete;
  Downloads& operator=(const Downloads&) = delete;

 private:
  struct Transfer;
  static void OnStarted(WebKitWebContext*, WebKitDownload* download, gpointer self);
  static gboolean OnDecideDestination(WebKitDownload* download, gchar* suggested, gpointer transfer);
  static void OnFailed(WebKitDownload* download, GError* error, gpointer transfer);
  static void OnFinished(WebKitDownload* download, gpointer transfer);
  void Forget(Transfer* transfer);

  SignalConnection started_;
  std::map<Transfer*, std::unique_ptr<Transfer>> transfers_;
};

}  // namespace vb::gtk
