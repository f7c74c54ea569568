// Windows a page opens (target="_blank", window.open): plain browser windows
// of the client on the same web session. They belong to the form's browser
// whose page opened them, directly or through another pop-up, and close with
// it; only a handful may be open at once.
#pragma once

#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

class BrowserView;
class PopupFamily;
class WebEngine;

class PopupWindow {
 public:
  PopupWindow(WebEngine& engine, PopupFamily& family, WebKitWebView* opener);
  ~PopupWindow();
  PopupWindow(const PopupWindow&) = delete;
  PopupWindow& operator=(const PopupWindow&) = delete;

  WebKitWebView* View() const;

 private:
  void UpdateCaption();

  PopupFamily& family_;
  WeakRef<WebKitWebView> opener_;
  std::unique_ptr<Gtk::Window> window_;
  std::unique_ptr<BrowserView> browser_;
  SignalConnection title_;
  SignalConnection uri_;
  sigc::connection delete_;
};

class PopupFamily {
 public:
  explicit PopupFamily(WebEngine& engine) : engine_(engine) {}
  ~PopupFamily();
  PopupFamily(const PopupFamily&) = delete;
  PopupFamily& operator=(const PopupFamily&) = delete;

  // A new pop-up for a page of `opener`; null when too many are open.
  WebKitWebView* Open(WebKitWebView* opener);
  // Closes one window once the current event is over.
  void Close(const PopupWindow* window);

  void CloseAll();
  std::size_t Count() const noexcept { return windows_.size(); }

 private:
  WebEngine& engine_;
  std::vector<std::unique_ptr<PopupWindow>> windows_;
};

}  // namespace platform::gtk
