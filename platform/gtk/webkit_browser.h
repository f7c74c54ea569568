// The form's browser control on WebKitGTK.
#pragma once

#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/gtk/browser_view.h"
#include "platform/gtk/canvas_control.h"
#include "platform/gtk/page_focus.h"
#include "platform/gtk/popups.h"

namespace platform::gtk {

class WebEngine;

// The view and the pop-ups it may open, made before the control that places
// the view on the canvas.
struct BrowserParts {
  explicit BrowserParts(WebEngine& engine) : popups(engine), view(engine, popups) {}
  PopupFamily popups;
  BrowserView view;
};

class WebKitBrowser final : private BrowserParts, public CanvasControl<Browser> {
 public:
  WebKitBrowser(FormCanvas& canvas, WebEngine& engine, const BrowserDesign& design,
                BrowserEvents events);
  ~WebKitBrowser() override;

  bool Silent() const override { return silent_; }
  void SetSilent(bool silent) override;
  void Navigate(const std::string& url) override { view.Navigate(url); }
  std::string LocationURL() const override { return view.Page().Location(); }
  bool NavigatedByUser() const override { return view.Page().NavigatedByUser(); }
  void HoldAutomaticNavigation() override { view.Page().HoldAutomaticNavigation(); }

  // No further event reaches the form, and the pop-ups close.
  void Detach();

  // What takes the keyboard focus: the page itself.
  Gtk::Widget& FocusWidget() const { return *Glib::wrap(GTK_WIDGET(view.View())); }

 private:
  BrowserEvents events_;
  PageFocus focus_{view.View()};
  bool silent_ = false;
};

}  // namespace platform::gtk
