#include "platform/gtk/web_engine.h"

#include "platform/gtk/downloads.h"
#include "platform/gtk/window_input_method.h"

namespace platform::gtk {

WebEngine::WebEngine(const std::function<void()>& context_made) {
  context_ = Adopt(webkit_web_context_new_ephemeral());
  if (context_made) context_made();
  // The service is a handful of small pages: the smallest caches do.
  webkit_web_context_set_cache_model(context_.get(), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
  // Certificate errors fail the load; nothing is ever accepted silently.
  webkit_website_data_manager_set_tls_errors_policy(
      webkit_web_context_get_website_data_manager(context_.get()), WEBKIT_TLS_ERRORS_POLICY_FAIL);

  settings_ = Adopt(webkit_settings_new());
  WebKitSettings* s = settings_.get();
  // Software rendering without compositing: less memory, nothing for a GPU
  // to do on forms and tables. OpenGlKeptOut relies on it.
  webkit_settings_set_hardware_acceleration_policy(s, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  webkit_settings_set_enable_developer_extras(s, FALSE);
  webkit_settings_set_enable_write_console_messages_to_stdout(s, FALSE);
  // Features the service's pages do not use.
  webkit_settings_set_enable_media(s, FALSE);
  webkit_settings_set_enable_webaudio(s, FALSE);
  webkit_settings_set_enable_webgl(s, FALSE);
  webkit_settings_set_enable_mediasource(s, FALSE);
  webkit_settings_set_enable_media_stream(s, FALSE);
  webkit_settings_set_enable_encrypted_media(s, FALSE);
  webkit_settings_set_enable_html5_database(s, FALSE);
  webkit_settings_set_enable_page_cache(s, FALSE);
  webkit_settings_set_enable_back_forward_navigation_gestures(s, FALSE);
  // The web process starts with the first view. Made now, it loads its
  // libraries while this process builds its first window, instead of after.
  Anchor();
  downloads_ = std::make_unique<Downloads>(context_.get());
}

WebEngine::~WebEngine() = default;

WebKitWebView* WebEngine::Anchor() {
  if (!anchor_) {
    GObjectPtr<WebKitUserContentManager> content = Adopt(webkit_user_content_manager_new());
    anchor_ = Retain(WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW,                    //
                                                  "web-context", context_.get(),           //
                                                  "settings", settings_.get(),             //
                                                  "user-content-manager", content.get(),   //
                                                  nullptr)));
  }
  return anchor_.get();
}

WebKitWebView* WebEngine::NewView(WebKitUserContentManager* content, WebKitWebView* opener) {
  // A view keeps the view it is related to alive for as long as it lives
  // itself. Relating each window's view to the one before would keep every
  // view of the run in memory; the anchor is one for all of them.
  WebKitWebView* related = opener ? opener : Anchor();
  auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW,                 //
                                            "related-view", related,              //
                                            "settings", settings_.get(),          //
                                            "user-content-manager", content,      //
                                            nullptr));
  // The view's own context would freeze its painting under XIM
  // (window_input_method.h).
  GObjectPtr<WebKitInputMethodContext> input_method = NewWindowInputMethod(GTK_WIDGET(view));
  webkit_web_view_set_input_method_context(view, input_method.get());
  views_.push_back(view);
  return view;
}

void WebEngine::Forget(WebKitWebView* view) noexcept { std::erase(views_, view); }

void WebEngine::EndWebProcesses() noexcept {
  for (WebKitWebView* view : views_) webkit_web_view_terminate_web_process(view);
  if (anchor_) webkit_web_view_terminate_web_process(anchor_.get());
}

}  // namespace platform::gtk
