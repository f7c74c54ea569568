#include "platform/gtk/webkit_browser.h"

namespace platform::gtk {

WebKitBrowser::WebKitBrowser(FormCanvas& canvas, WebEngine& engine, const BrowserDesign& design,
                             BrowserEvents events)
    : BrowserParts(engine),
      CanvasControl<Browser>(canvas, view.Widget(), design.rect),
      events_(std::move(events)) {
  view.Page().options.frames_wait_for_their_page = design.frames_wait_for_their_page;
  view.Page().options.before_login = design.before_login;
  view.Page().document_complete = [this](bool top_level, const std::string& url) {
    // The handler may unload the form; the form runtime keeps this object
    // alive until it returns.
    if (events_.DocumentComplete) events_.DocumentComplete(BrowserFrame{top_level}, Variant(url));
  };
}

WebKitBrowser::~WebKitBrowser() { Detach(); }

void WebKitBrowser::SetSilent(bool silent) {
  silent_ = silent;
  view.SetSilent(silent);
}

void WebKitBrowser::Detach() {
  events_ = {};
  view.Detach();
  popups.CloseAll();
}

}  // namespace platform::gtk
