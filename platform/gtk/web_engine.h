// The browser engine shared by every browser of one run: one in-memory web
// session (cookies carry over from the login window to the main window and
// nothing is written to disk) and one set of engine settings.
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

class Downloads;

class WebEngine {
 public:
  // `context_made` runs once the engine's context exists, before the web
  // process starts.
  explicit WebEngine(const std::function<void()>& context_made = nullptr);
  ~WebEngine();
  WebEngine(const WebEngine&) = delete;
  WebEngine& operator=(const WebEngine&) = delete;

  // A new view on the shared session, with its own content manager. A
  // pop-up's view is related to its opener's, every other view to the
  // anchor: all share one web process. The returned reference is floating,
  // for a container to sink.
  WebKitWebView* NewView(WebKitUserContentManager* content, WebKitWebView* opener = nullptr);

  // Every view made by NewView is followed until it goes.
  void Forget(WebKitWebView* view) noexcept;
  // The program ends: every web process goes now. One held by a script that
  // never returns would otherwise outlive the program by seconds.
  void EndWebProcesses() noexcept;

  WebKitWebContext* Context() const noexcept { return context_.get(); }
  Downloads& Transfers() const noexcept { return *downloads_; }
  WebKitSettings* Settings() const noexcept { return settings_.get(); }

 private:
  // A view that never loads or shows anything, made with the engine: every
  // window's view is related to it.
  WebKitWebView* Anchor();

  GObjectPtr<WebKitWebContext> context_;
  GObjectPtr<WebKitSettings> settings_;
  std::unique_ptr<Downloads> downloads_;
  GObjectPtr<WebKitWebView> anchor_;
  std::vector<WebKitWebView*> views_;
};

}  // namespace platform::gtk
