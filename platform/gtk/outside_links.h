// Addresses a page leads to that the client does not show itself. E-mail,
// telephone and SMS links go to the desktop's program for them once the user
// has agreed to the program named; a window a page opens on another site
// goes to the desktop's browser. Nothing here waits: the question is a box
// answered later, and programs start asynchronously.
#pragma once

#include <gio/gio.h>
#include <sigc++/connection.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

class MessageBoxLater;

class OutsideLinks {
 public:
  // Boxes go over the window of `view`.
  explicit OutsideLinks(WebKitWebView* view);
  ~OutsideLinks();
  OutsideLinks(const OutsideLinks&) = delete;
  OutsideLinks& operator=(const OutsideLinks&) = delete;

  // Asks, once the current event is over, whether the desktop's program for
  // the link's scheme should open it; or says that no program does. A newer
  // link replaces a question still open.
  void Offer(const std::string& uri);
  // Opens a web address in the desktop's browser.
  void OpenInBrowser(const std::string& uri);

 private:
  void Ask(const std::string& uri);
  void Launch(GAppInfo* app, const std::string& uri);
  void Say(const std::string& text);
  static void Launched(GObject* source, GAsyncResult* result, gpointer data);

  WebKitWebView* view_;
  std::unique_ptr<MessageBoxLater> box_;
  GObjectPtr<GAppInfo> offered_app_;
  std::string offered_uri_;
  sigc::connection ask_;
  // Launches finish after this object may have gone.
  std::shared_ptr<OutsideLinks*> self_;
};

}  // namespace platform::gtk
