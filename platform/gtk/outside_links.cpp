#include "platform/gtk/outside_links.h"

#include <glibmm/main.h>
#include <gtk/gtk.h>

#include "platform/gtk/message_box.h"
#include "platform/browser/navigation_policy.h"
#include "platform/texts.h"

namespace platform::gtk {
namespace {

// The address as a person reads it: escapes undone where that gives text.
std::string Readable(const std::string& uri) {
  GCharPtr plain(g_uri_unescape_string(uri.c_str(), nullptr));
  return plain && g_utf8_validate(plain.get(), -1, nullptr) ? plain.get() : uri;
}

struct LaunchRequest {
  std::weak_ptr<OutsideLinks*> owner;
  bool default_for_uri = false;
  std::string uri;
  GList uris{};  // the one address, for as long as the launch runs
};

}  // namespace

OutsideLinks::OutsideLinks(WebKitWebView* view)
    : view_(view), self_(std::make_shared<OutsideLinks*>(this)) {}

OutsideLinks::~OutsideLinks() { ask_.disconnect(); }

void OutsideLinks::Offer(const std::string& uri) {
  // Not from inside the engine's decision: it has been answered already.
  ask_.disconnect();
  ask_ = Glib::signal_idle().connect([this, uri] {
    Ask(uri);
    return false;
  });
}

void OutsideLinks::Ask(const std::string& uri) {
  box_.reset();
  offered_app_.reset();
  const std::string scheme = browser::SchemeOf(uri);
  GAppInfo* app = g_app_info_get_default_for_uri_scheme(scheme.c_str());
  if (app == nullptr) {
    Say(texts::Fill(texts::kNoProgram, scheme));
    return;
  }
  offered_app_ = Adopt(app);
  offered_uri_ = uri;
  box_ = std::make_unique<MessageBoxLater>(
      texts::Fill(texts::kOpenWith, g_app_info_get_display_name(app)) + "\n\n" + Readable(uri), true,
      WindowOf(GTK_WIDGET(view_)), [this](bool ok) {
        GObjectPtr<GAppInfo> chosen = std::move(offered_app_);
        const std::string uri = std::move(offered_uri_);
        box_.reset();
        if (ok && chosen) Launch(chosen.get(), uri);
      });
}

void OutsideLinks::OpenInBrowser(const std::string& uri) { Launch(nullptr, uri); }

void OutsideLinks::Launch(GAppInfo* app, const std::string& uri) {
  GObjectPtr<GdkAppLaunchContext> context(gdk_display_get_app_launch_context(gtk_widget_get_display(GTK_WIDGET(view_))));
  gdk_app_launch_context_set_timestamp(context.get(), gtk_get_current_event_time());
  auto* request = new LaunchRequest{self_, app == nullptr, uri};
  if (app == nullptr) {
    g_app_info_launch_default_for_uri_async(request->uri.c_str(), G_APP_LAUNCH_CONTEXT(context.get()), nullptr,
                                            &Launched, request);
    return;
  }
  request->uris.data = request->uri.data();
  g_app_info_launch_uris_async(app, &request->uris, G_APP_LAUNCH_CONTEXT(context.get()), nullptr, &Launched,
                               request);
}

void OutsideLinks::Launched(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<LaunchRequest> request(static_cast<LaunchRequest*>(data));
  GError* error = nullptr;
  const bool ok = request->default_for_uri ? g_app_info_launch_default_for_uri_finish(result, &error)
                                           : g_app_info_launch_uris_finish(G_APP_INFO(source), result, &error);
  if (ok) return;
  OwnedPtr<GError, g_error_free> failure(error);
  if (auto owner = request->owner.lock()) (*owner)->Say(texts::Fill(texts::kCannotOpen, error ? error->message : ""));
}

void OutsideLinks::Say(const std::string& text) {
  box_ = std::make_unique<MessageBoxLater>(text, false, WindowOf(GTK_WIDGET(view_)), [this](bool) { box_.reset(); });
}

}  // namespace platform::gtk
