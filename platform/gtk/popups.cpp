#include "platform/gtk/popups.h"

#include <algorithm>

#include "platform/browser/flood_limit.h"
#include "platform/browser/navigation_policy.h"
#include "platform/gtk/browser_view.h"
#include "platform/gtk/deferred_delete.h"

namespace platform::gtk {
PopupWindow::PopupWindow(WebEngine& engine, PopupFamily& family, WebKitWebView* opener)
    : family_(family),
      opener_(opener),
      window_(std::make_unique<Gtk::Window>(Gtk::WINDOW_TOPLEVEL)),
      browser_(std::make_unique<BrowserView>(engine, family, opener)) {
  window_->set_name("web-popup");
  window_->set_default_size(800, 600);
  window_->add(browser_->Widget());
  browser_->Widget().show();
  browser_->SetSilent(true);
  browser_->ready_to_show = [this](const GdkRectangle& geometry) {
    int width = 800, height = 600;
    if (geometry.width > 0 && geometry.height > 0) {
      width = geometry.width;
      height = geometry.height;
    }
    window_->set_default_size(width, height);
    // Over the middle of the window whose page opened it.
    GObjectPtr<WebKitWebView> opener = opener_.Get();
    GtkWidget* top = opener ? gtk_widget_get_toplevel(GTK_WIDGET(opener.get())) : nullptr;
    if (top != nullptr && GTK_IS_WINDOW(top) && gtk_widget_get_visible(top)) {
      int x = 0, y = 0, w = 0, h = 0;
      gtk_window_get_position(GTK_WINDOW(top), &x, &y);
      gtk_window_get_size(GTK_WINDOW(top), &w, &h);
      window_->move(x + (w - width) / 2, y + (h - height) / 2);
    }
    window_->show();
    window_->present();
  };
  browser_->close_requested = [this] { family_.Close(this); };
  delete_ = window_->signal_delete_event().connect([this](GdkEventAny*) {
    family_.Close(this);
    return true;
  });
  WebKitWebView* view = browser_->View();
  title_ = Connect<void(WebKitWebView*, GParamSpec*)>(view, "notify::title",
                                                     [this](WebKitWebView*, GParamSpec*) { UpdateCaption(); });
  uri_ = Connect<void(WebKitWebView*, GParamSpec*)>(view, "notify::uri",
                                                   [this](WebKitWebView*, GParamSpec*) { UpdateCaption(); });
  UpdateCaption();
}

PopupWindow::~PopupWindow() {
  delete_.disconnect();
  title_.Disconnect();
  uri_.Disconnect();
  browser_->Detach();
  window_->hide();
  browser_.reset();
  DeleteLater(std::move(window_));
}

WebKitWebView* PopupWindow::View() const { return browser_->View(); }


void PopupWindow::UpdateCaption() {
  WebKitWebView* view = browser_->View();
  const char* title = webkit_web_view_get_title(view);
  const char* uri = webkit_web_view_get_uri(view);
  window_->set_title(browser::WebPageCaption(title ? title : "", uri ? uri : ""));
}

PopupFamily::~PopupFamily() { CloseAll(); }

WebKitWebView* PopupFamily::Open(WebKitWebView* opener) {
  if (windows_.size() >= browser::kMaxPopups) return nullptr;
  windows_.push_back(std::make_unique<PopupWindow>(engine_, *this, opener));
  return windows_.back()->View();
}

void PopupFamily::Close(const PopupWindow* window) {
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [window](const auto& w) { return w.get() == window; });
  if (it == windows_.end()) return;
  std::unique_ptr<PopupWindow> closing = std::move(*it);
  windows_.erase(it);
  // Asked from the window's own signals: it goes once they are over.
  DeleteLater(std::move(closing));
}

void PopupFamily::CloseAll() {
  // Each window hides at once; its widgets go once the current event is over.
  auto windows = std::move(windows_);
  windows_.clear();
}

}  // namespace platform::gtk
