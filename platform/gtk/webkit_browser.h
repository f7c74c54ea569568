// The embedded browser on WebKitGTK.
#pragma once

#include <webkit2/webkit2.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/gtk/canvas_control.h"
#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

class WebEngine;
class PageDialogs;

// The view and its content manager, made before the control that places
// the view on the canvas.
struct WebViewParts {
  explicit WebViewParts(WebEngine& engine);
  GObjectPtr<WebKitUserContentManager> content;
  GObjectPtr<WebKitWebView> view;
  Gtk::Widget* view_widget;
};

class WebKitBrowser final : private WebViewParts, public CanvasControl<Browser> {
 public:
  WebKitBrowser(FormCanvas& canvas, WebEngine& engine, const BrowserDesign& design,
                BrowserEvents events);
  ~WebKitBrowser() override;

  bool Silent() const override { return silent_; }
  void SetSilent(bool silent) override { silent_ = silent; }
  void Navigate(const std::string& url) override;
  std::string LocationURL() const override { return location_; }

  // No further event reaches the form.
  void Detach();

  WebKitWebView* View() const noexcept { return view.get(); }

 private:
  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
  static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                               gpointer self);
  static void OnUriChanged(WebKitWebView*, GParamSpec*, gpointer self);
  static void OnFrameComplete(WebKitUserContentManager*, WebKitJavascriptResult* result,
                              gpointer self);
  static gboolean OnPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request,
                                      gpointer self);

  void ShowErrorPage(const std::string& uri, const GError* error);
  void RaiseDocumentComplete(bool top_level, const std::string& url);

  BrowserEvents events_;
  std::unique_ptr<PageDialogs> dialogs_;
  std::vector<SignalConnection> connections_;
  std::string location_;
  bool silent_ = false;
  bool provisional_ = false;      // a load has started and not yet committed
  bool load_failed_ = false;      // the current load failed: its FINISHED is no completion
  bool error_page_next_ = false;  // the next load to start is our error page
  bool error_page_load_ = false;  // the current load is our error page
};

}  // namespace vb::gtk
