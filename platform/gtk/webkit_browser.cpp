#include "platform/gtk/webkit_browser.h"

#include <jsc/jsc.h>

#include "platform/gtk/error_page.h"
#include "platform/gtk/page_dialogs.h"
#include "platform/gtk/web_engine.h"

namespace vb::gtk {
namespace {

// Frames report their completion from a script world of the client's own:
// a page's script cannot reach this channel, so it cannot forge one.
constexpr const char* kScriptWorld = "varnock-shell";
constexpr const char* kFrameChannel = "frameComplete";
constexpr const char* kFrameScript =
    "(function () {"
    "  if (window === window.top) return;"
    "  window.addEventListener('load', function () {"
    "    window.webkit.messageHandlers.frameComplete.postMessage(String(location.href));"
    "  });"
    "})();";

std::string ErrorDetail(const GError* error) {
  if (error == nullptr) return "页面无法加载。";
  if (error->domain == WEBKIT_NETWORK_ERROR) {
    return "无法连接到服务器。请检查网络连接，或稍后再试。";
  }
  if (error->domain == WEBKIT_POLICY_ERROR) return "此页面无法在本程序中显示。";
  if (g_strcmp0(g_quark_to_string(error->domain), "soup-tls-error-quark") == 0 ||
      g_strcmp0(g_quark_to_string(error->domain), "g-tls-error-quark") == 0) {
    return "此网站的安全证书不受信任，连接已被阻止。";
  }
  return "无法连接到服务器。请检查网络连接，或稍后再试。";
}

}  // namespace

WebViewParts::WebViewParts(WebEngine& engine) {
  content = Adopt(webkit_user_content_manager_new());
  // A boxed, reference-counted type: the manager takes a reference of its own.
  WebKitUserScript* script = webkit_user_script_new_for_world(
      kFrameScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, kScriptWorld, nullptr, nullptr);
  webkit_user_content_manager_add_script(content.get(), script);
  webkit_user_script_unref(script);
  view = Retain(engine.NewView(content.get()));
  view_widget = Glib::wrap(GTK_WIDGET(view.get()));
}

WebKitBrowser::WebKitBrowser(FormCanvas& canvas, WebEngine& engine, const BrowserDesign& design,
                             BrowserEvents events)
    : WebViewParts(engine),
      CanvasControl<Browser>(canvas, *view_widget, design.rect),
      events_(std::move(events)),
      dialogs_(std::make_unique<PageDialogs>(view.get())) {
  WebKitWebView* v = view.get();
  connections_.emplace_back(v, g_signal_connect(v, "load-changed", G_CALLBACK(OnLoadChanged), this));
  connections_.emplace_back(v, g_signal_connect(v, "load-failed", G_CALLBACK(OnLoadFailed), this));
  connections_.emplace_back(v, g_signal_connect(v, "notify::uri", G_CALLBACK(OnUriChanged), this));
  connections_.emplace_back(
      v, g_signal_connect(v, "permission-request", G_CALLBACK(OnPermissionRequest), this));
  WebKitUserContentManager* ucm = content.get();
  connections_.emplace_back(ucm, g_signal_connect(ucm, "script-message-received::frameComplete",
                                                  G_CALLBACK(OnFrameComplete), this));
  webkit_user_content_manager_register_script_message_handler_in_world(ucm, kFrameChannel,
                                                                       kScriptWorld);
}

WebKitBrowser::~WebKitBrowser() {
  Detach();
  webkit_user_content_manager_unregister_script_message_handler_in_world(
      content.get(), kFrameChannel, kScriptWorld);
}

void WebKitBrowser::Detach() {
  connections_.clear();
  events_ = {};
  if (dialogs_) dialogs_->CloseAll();
  // A page still loading in a window that is gone only costs time.
  webkit_web_view_stop_loading(view.get());
}

void WebKitBrowser::Navigate(const std::string& url) {
  webkit_web_view_load_uri(view.get(), url.c_str());
}

void WebKitBrowser::RaiseDocumentComplete(bool top_level, const std::string& url) {
  if (events_.DocumentComplete) events_.DocumentComplete(BrowserFrame{top_level}, Variant(url));
}

void WebKitBrowser::OnLoadChanged(WebKitWebView* v, WebKitLoadEvent event, gpointer data) {
  auto* self = static_cast<WebKitBrowser*>(data);
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      self->provisional_ = true;
      self->load_failed_ = false;
      self->error_page_load_ = self->error_page_next_;
      self->error_page_next_ = false;
      break;
    case WEBKIT_LOAD_REDIRECTED:
      break;
    case WEBKIT_LOAD_COMMITTED:
      self->provisional_ = false;
      if (const char* uri = webkit_web_view_get_uri(v)) self->location_ = uri;
      break;
    case WEBKIT_LOAD_FINISHED: {
      self->provisional_ = false;
      // A failed load and the error page in its place never count as a
      // document that completed.
      const bool completed = !self->load_failed_ && !self->error_page_load_;
      self->load_failed_ = false;
      self->error_page_load_ = false;
      if (completed) self->RaiseDocumentComplete(true, self->location_);
      break;
    }
  }
}

gboolean WebKitBrowser::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                                     gpointer data) {
  auto* self = static_cast<WebKitBrowser*>(data);
  self->load_failed_ = true;
  // Superseded by another navigation, or turned into a download: nothing to
  // show.
  if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
      g_error_matches(error, WEBKIT_POLICY_ERROR,
                      WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE)) {
    return TRUE;
  }
  self->ShowErrorPage(uri ? uri : "", error);
  return TRUE;
}

void WebKitBrowser::ShowErrorPage(const std::string& uri, const GError* error) {
  error_page_next_ = true;
  const std::string html = ErrorPageHtml("无法显示此页", ErrorDetail(error), uri);
  webkit_web_view_load_alternate_html(view.get(), html.c_str(), uri.c_str(), uri.c_str());
}

void WebKitBrowser::OnUriChanged(WebKitWebView* v, GParamSpec*, gpointer data) {
  auto* self = static_cast<WebKitBrowser*>(data);
  // While a load is provisional the page shown is still the old one; a
  // change after the commit is a navigation within the page.
  if (self->provisional_) return;
  if (const char* uri = webkit_web_view_get_uri(v)) self->location_ = uri;
}

void WebKitBrowser::OnFrameComplete(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                    gpointer data) {
  auto* self = static_cast<WebKitBrowser*>(data);
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  if (!jsc_value_is_string(value)) return;
  GCharPtr href(jsc_value_to_string(value));
  self->RaiseDocumentComplete(false, href.get());
}

gboolean WebKitBrowser::OnPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request,
                                            gpointer data) {
  auto* self = static_cast<WebKitBrowser*>(data);
  if (!self->silent_) return FALSE;
  // Silent: no question of the engine's own reaches the user.
  webkit_permission_request_deny(request);
  return TRUE;
}

}  // namespace vb::gtk
