#include "platform/gtk/browser_view.h"

#include <jsc/jsc.h>
#include <libsoup/soup.h>

#include <vector>

#include "platform/gtk/context_menu.h"
#include "platform/gtk/downloads.h"
#include "platform/gtk/error_page.h"
#include "platform/gtk/find_bar.h"
#include "platform/gtk/hang_question.h"
#include "platform/gtk/hang_watch.h"
#include "platform/gtk/message_box.h"
#include "platform/gtk/outside_links.h"
#include "platform/gtk/page_dialogs.h"
#include "platform/gtk/popups.h"
#include "platform/gtk/print_dialog.h"
#include "platform/gtk/web_engine.h"
#include "platform/navigation_policy.h"

namespace vb::gtk {
namespace {

// Frames report their completion from a script world of the client's own:
// a page's script cannot reach this channel, so it cannot forge one.
constexpr const char* kScriptWorld = "shell";
constexpr const char* kFrameChannel = "frameComplete";
// The address is read when the frame's document starts, before any script
// of the page's runs: a page that later changes the address it shows
// (history.replaceState) has not been loaded there.
constexpr const char* kFrameScript =
    "(function () {"
    "  if (window === window.top) return;"
    "  var loadedFrom = String(location.href);"
    "  window.addEventListener('load', function () {"
    "    window.webkit.messageHandlers.frameComplete.postMessage(loadedFrom);"
    "  });"
    "})();";

// What an error page says about a page stopped or gone, then that the
// session is kept (not before the login), then what can be done.
constexpr const char* kStoppedHeading = "此页已被停止";
constexpr const char* kStoppedHung = "此页面长时间没有响应，已被停止。";
constexpr const char* kStoppedDialogs = "此页面不停地弹出对话框，已被停止。";
constexpr const char* kStoppedPrinting = "此页面不停地要求打印，已被停止。";
constexpr const char* kCrashedHeading = "页面已停止响应";
constexpr const char* kCrashed = "显示此页面的进程意外结束。";
constexpr const char* kSessionKept = "您的登录状态不受影响，";
constexpr const char* kReloadable = "可以重新加载此页。";

std::string FailureDetail(const GError* error) {
  if (error != nullptr && error->domain == WEBKIT_POLICY_ERROR) {
    return "此页面无法在本程序中显示。";
  }
  // WebKitGTK 2.50 ends a chain of more than 20 redirects itself, with an
  // error of no domain and code 0 that only its message tells apart.
  if (error != nullptr && error->code == 0 && g_quark_to_string(error->domain)[0] == '\0' &&
      g_str_has_prefix(error->message, "Load cannot follow more than")) {
    return "此网页重定向次数过多。";
  }
  const char* domain = error ? g_quark_to_string(error->domain) : "";
  if (g_strcmp0(domain, "soup-tls-error-quark") == 0 || g_strcmp0(domain, "g-tls-error-quark") == 0) {
    return "此网站的安全证书有问题，连接已被阻止。";
  }
  return "无法连接到服务器。请检查网络连接，或稍后再试。";
}

bool IsAttachment(WebKitURIResponse* response) {
  SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response);
  if (headers == nullptr) return false;
  const char* disposition = soup_message_headers_get_one(headers, "Content-Disposition");
  return disposition != nullptr && g_ascii_strncasecmp(disposition, "attachment", 10) == 0;
}

// The engine parents a hidden text view of its own to every web view (it
// turns keys into editing commands) and forgets it without destroying it
// when the view goes, since a container's destruction reaches only its
// ordinary children: two views a login cycle, each leaving a text view with
// its buffer and styles behind. The overlay is destroyed just before the
// view, while the view still lists that child.
void DestroyViewChildren(WebKitWebView* view) {
  std::vector<GtkWidget*> children;
  gtk_container_forall(
      GTK_CONTAINER(view),
      [](GtkWidget* child, gpointer out) { static_cast<std::vector<GtkWidget*>*>(out)->push_back(child); },
      &children);
  for (GtkWidget* child : children) gtk_widget_destroy(child);
}

}  // namespace

BrowserView::BrowserView(WebEngine& engine, PopupFamily& family, WebKitWebView* opener)
    : engine_(engine), family_(family), is_popup_(opener != nullptr) {
  content_ = Adopt(webkit_user_content_manager_new());
  // The manager takes a reference of its own.
  OwnedPtr<WebKitUserScript, webkit_user_script_unref> script(webkit_user_script_new_for_world(
      kFrameScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START,
      kScriptWorld, nullptr, nullptr));
  webkit_user_content_manager_add_script(content_.get(), script.get());
  view_ = Retain(engine_.NewView(content_.get(), opener));

  overlay_ = Gtk::manage(new Gtk::Overlay());
  overlay_->add(*Glib::wrap(GTK_WIDGET(view_.get())));
  // For as long as the overlay lives, which may be longer than this object.
  Connect<void(GtkWidget*)>(overlay_->gobj(), "destroy", [view = view_.get()](GtkWidget*) {
    DestroyViewChildren(view);
  }).KeepForItsLifetime();
  find_bar_ = Gtk::manage(new FindBar(view_.get()));
  overlay_->add_overlay(*find_bar_);
  gtk_widget_show(GTK_WIDGET(view_.get()));
  dialogs_ = std::make_unique<PageDialogs>(
      view_.get(), [this] { StopFloodingPage(Reloadable(kStoppedDialogs)); },
      // The page's "leave this page?" answered 取消: the command is dropped.
      [this] {
        if (hang_watch_) hang_watch_->Settled();
      });
  print_ = std::make_unique<PrintDialog>(view_.get(), [this] { StopFloodingPage(Reloadable(kStoppedPrinting)); });
  hang_watch_ = std::make_unique<HangWatch>(
      view_.get(), HangWatch::Hooks{[this] { EndWebProcess(); },
                                    [this] { return dialogs_->AnyOpen() || resubmit_decision_ != nullptr; },
                                    [this](bool ask) {
                                      if (ask) {
                                        AskAboutHungPage();
                                      } else if (hang_question_ != nullptr) {
                                        hang_question_->Withdraw();
                                      }
                                    }});
  outside_ = std::make_unique<OutsideLinks>(view_.get());

  WebKitWebView* v = view_.get();
  connections_.push_back(Connect<void(WebKitWebView*, WebKitLoadEvent)>(
      v, "load-changed", [this](WebKitWebView*, WebKitLoadEvent event) { OnLoadChanged(event); }));
  connections_.push_back(Connect<gboolean(WebKitWebView*, WebKitLoadEvent, gchar*, GError*)>(
      v, "load-failed",
      [this](WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error) -> gboolean { return OnLoadFailed(uri, error); }));
  connections_.push_back(Connect<gboolean(WebKitWebView*, WebKitPermissionRequest*)>(
      v, "permission-request",
      [this](WebKitWebView*, WebKitPermissionRequest* request) -> gboolean { return OnPermissionRequest(request); }));
  connections_.push_back(Connect<gboolean(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType)>(
      v, "decide-policy", [this](WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type)
                              -> gboolean { return OnDecidePolicy(decision, type); }));
  connections_.push_back(Connect<GtkWidget*(WebKitWebView*, WebKitNavigationAction*)>(
      v, "create", [this](WebKitWebView*, WebKitNavigationAction* action) { return OnCreate(action); }));
  connections_.push_back(
      Connect<void(WebKitWebView*)>(v, "ready-to-show", [this](WebKitWebView*) { OnReadyToShow(); }));
  connections_.push_back(Connect<void(WebKitWebView*)>(v, "close", [this](WebKitWebView*) { OnClose(); }));
  connections_.push_back(Connect<void(WebKitWebView*, WebKitWebProcessTerminationReason)>(
      v, "web-process-terminated",
      [this](WebKitWebView*, WebKitWebProcessTerminationReason reason) { OnCrashed(reason); }));
  // The engine makes the window fullscreen and back for the page.
  connections_.push_back(Connect<gboolean(WebKitWebView*)>(v, "enter-fullscreen", [this](WebKitWebView*) -> gboolean {
    fullscreen_ = true;
    return FALSE;
  }));
  connections_.push_back(Connect<gboolean(WebKitWebView*)>(v, "leave-fullscreen", [this](WebKitWebView*) -> gboolean {
    fullscreen_ = false;
    return FALSE;
  }));
  connections_.push_back(Connect<gboolean(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*)>(
      v, "context-menu", [v](WebKitWebView*, WebKitContextMenu* menu, GdkEvent*, WebKitHitTestResult*) -> gboolean {
        PrepareContextMenu(menu, v);
        return FALSE;
      }));
  connections_.push_back(Connect<gboolean(GtkWidget*, GdkEventKey*)>(
      v, "key-press-event", [this](GtkWidget*, GdkEventKey* event) -> gboolean { return HandleKey(event); }));
  connections_.push_back(Connect<gboolean(WebKitWebView*, WebKitPrintOperation*)>(
      v, "print", [this](WebKitWebView*, WebKitPrintOperation* operation) -> gboolean { return OnPrint(operation); }));
  connections_.push_back(Connect<gboolean(WebKitWebView*, WebKitAuthenticationRequest*)>(
      v, "authenticate",
      [this](WebKitWebView*, WebKitAuthenticationRequest* request) -> gboolean { return OnAuthenticate(request); }));
  connections_.push_back(Connect<void(WebKitUserContentManager*, WebKitJavascriptResult*)>(
      content_.get(), "script-message-received::frameComplete",
      [this](WebKitUserContentManager*, WebKitJavascriptResult* result) { OnFrameComplete(result); }));
  webkit_user_content_manager_register_script_message_handler_in_world(content_.get(),
                                                                       kFrameChannel, kScriptWorld);
}

BrowserView::~BrowserView() {
  Detach();
  engine_.Forget(view_.get());
  webkit_user_content_manager_unregister_script_message_handler_in_world(
      content_.get(), kFrameChannel, kScriptWorld);
}

void BrowserView::Detach() {
  if (detached_) return;
  detached_ = true;
  stop_page_.disconnect();
  hang_watch_->Stop();
  connections_.clear();
  document_complete = nullptr;
  close_requested = nullptr;
  ready_to_show = nullptr;
  dialogs_->CloseAll();
  print_->Close();
  AnswerResubmission(false);
  outside_.reset();
  engine_.Transfers().CancelWaitingFor(view_.get());
  // A page still loading in a window that is gone only costs time.
  webkit_web_view_stop_loading(view_.get());
}

void BrowserView::Navigate(const std::string& uri) {
  own_navigation_ = uri;
  hang_watch_->Run([this, uri] { webkit_web_view_load_uri(view_.get(), uri.c_str()); });
}

void BrowserView::Reload() {
  hang_watch_->Run([this] { webkit_web_view_reload(view_.get()); });
}

void BrowserView::AskAboutHungPage() {
  // Made when first needed: most views never ask, and every window's view
  // is made while the user waits for the window.
  if (hang_question_ == nullptr) {
    hang_question_ = Gtk::manage(new HangQuestion(
        view_.get(), [this] { hang_watch_->Wait(); }, [this] { StopPage(Reloadable(kStoppedHung)); }));
    overlay_->add_overlay(*hang_question_);
  }
  hang_question_->Ask();
}

void BrowserView::EndWebProcess() {
  stopping_page_ = true;
  webkit_web_view_terminate_web_process(view_.get());
  stopping_page_ = false;
}

void BrowserView::StopPage(const std::string& why) {
  hang_watch_->Settled();
  EndWebProcess();
  ShowErrorPage(kStoppedHeading, why, location_);
}

std::string BrowserView::Reloadable(const std::string& what) const {
  return what + (before_login_ ? "" : kSessionKept) + kReloadable;
}

// WebKitGTK 2.50 leaves the window fullscreen when the web process of the
// page that asked for it ends: no title bar, no way out but the page.
void BrowserView::LeaveFullscreen() {
  if (!fullscreen_) return;
  fullscreen_ = false;
  GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view_.get()));
  if (GTK_IS_WINDOW(top)) gtk_window_unfullscreen(GTK_WINDOW(top));
}

// ------------------------------------------------------------- loading

void BrowserView::OnLoadChanged(WebKitLoadEvent event) {
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      hang_watch_->Started();
      waiting_frames_.clear();
      load_ = load_ == LoadState::ErrorPageNext ? LoadState::ErrorPage : LoadState::Loading;
      break;
    case WEBKIT_LOAD_REDIRECTED:
      break;
    case WEBKIT_LOAD_COMMITTED:
      // The command the user waited on has been carried out.
      hang_watch_->Settled();
      // The address the document was loaded from, after any redirects. A
      // page's script may show another one (History API, fragments), but
      // the page has not been loaded there: a login page that claims the
      // session's address is no login, a page claiming the login address no
      // logout.
      if (const char* uri = webkit_web_view_get_uri(view_.get())) location_ = uri;
      // From the next page on: ignoring a navigation of the page still shown
      // would cancel the load that replaces it.
      if (hold_next_page_) hold_automatic_ = true;
      break;
    case WEBKIT_LOAD_FINISHED: {
      const bool completed = load_ == LoadState::Loading;
      // An error page asked for while this load failed starts next.
      if (load_ != LoadState::ErrorPageNext) load_ = LoadState::Idle;
      std::vector<std::string> frames = std::move(waiting_frames_);
      waiting_frames_.clear();
      if (!completed) break;
      // The owner may unload its window in any of these calls; this object
      // lives on until the handler has returned, but raises nothing more
      // once detached.
      for (const std::string& frame : frames) {
        if (!document_complete) break;
        auto notify = document_complete;
        notify(false, frame);
      }
      if (document_complete) {
        auto notify = document_complete;
        notify(true, location_);
      }
      break;
    }
  }
}

bool BrowserView::OnLoadFailed(const char* uri, const GError* error) {
  if (load_ == LoadState::Loading) load_ = LoadState::Failed;
  hang_watch_->Settled();
  if (!refusal_.empty()) {
    const std::string why = std::move(refusal_);
    refusal_.clear();
    ShowErrorPage("无法显示此页", why, uri ? uri : "");
    return true;
  }
  // Superseded by another navigation, refused by our policy, or turned into
  // a download: the page shown stays.
  if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
      g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE)) {
    return true;
  }
  ShowErrorPage("无法显示此页", FailureDetail(error), uri ? uri : "");
  return true;
}

void BrowserView::ShowErrorPage(const std::string& heading, const std::string& detail,
                                const std::string& uri) {
  load_ = LoadState::ErrorPageNext;
  const std::string html = ErrorPageHtml(heading, detail, uri);
  webkit_web_view_load_alternate_html(view_.get(), html.c_str(), uri.c_str(), uri.c_str());
}

void BrowserView::OnFrameComplete(WebKitJavascriptResult* result) {
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  if (!jsc_value_is_string(value) || !document_complete) return;
  GCharPtr href(jsc_value_to_string(value));
  if (frames_wait_ && load_ != LoadState::Idle) {
    waiting_frames_.emplace_back(href.get());
    return;
  }
  auto notify = document_complete;
  notify(false, href.get());
}

void BrowserView::StopFloodingPage(const std::string& why) {
  // Not from inside the dialog's signal: the web process is waiting in it.
  stop_page_.disconnect();
  stop_page_ = Glib::signal_idle().connect([this, why] {
    if (is_popup_ && close_requested) {
      // A window the page opened: it goes. Its web process is its opener's
      // (the engine relates them) and only ending it stops the script; the
      // opener's page comes back in a new one.
      EndWebProcess();
      auto close = close_requested;
      close();
      return false;
    }
    // Only a new web process stops a script that never returns. Views that
    // shared the old one show their crash page; the session lives on in the
    // network process.
    StopPage(why);
    return false;
  });
}

void BrowserView::OnCrashed(WebKitWebProcessTerminationReason reason) {
  if (detached_) return;
  hang_watch_->ProcessGone();
  LeaveFullscreen();
  if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) {
    // Stopped by us, with a page of its own to come.
    if (stopping_page_) return;
    // Stopped for another page of the same process (a pop-up of this one
    // that would not stop): this page had done nothing, and comes back.
    if (!location_.empty()) Navigate(location_);
    return;
  }
  ShowErrorPage(kCrashedHeading, Reloadable(kCrashed), location_);
}

// ------------------------------------------------------------- policies

bool BrowserView::OnPermissionRequest(WebKitPermissionRequest* request) {
  if (!silent_) return false;
  // Silent: no question of the engine's own reaches the user.
  webkit_permission_request_deny(request);
  return true;
}

bool BrowserView::OnDecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
  switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION:
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION: {
      auto* navigation = WEBKIT_NAVIGATION_POLICY_DECISION(decision);
      WebKitNavigationAction* action =
          webkit_navigation_policy_decision_get_navigation_action(navigation);
      const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
      // A named frame is never the page itself; new windows hold whole pages.
      const bool main_frame = type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION ||
                              webkit_navigation_action_get_frame_name(action) == nullptr;
      const NavigationVerdict verdict = JudgeNavigation(uri ? uri : "", main_frame);
      if (verdict != NavigationVerdict::Follow) {
        webkit_policy_decision_ignore(decision);
        if (verdict == NavigationVerdict::ToTheDesktop) outside_->Offer(uri);
        return TRUE;
      }
      if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION && OpensOutside(action, uri)) {
        webkit_policy_decision_ignore(decision);
        return TRUE;
      }
      if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && main_frame &&
          !webkit_navigation_action_is_redirect(action)) {
        const bool own = uri != nullptr && own_navigation_ == uri;
        if (own) own_navigation_.clear();
        const bool by_user = webkit_navigation_action_is_user_gesture(action);
        const WebKitNavigationType kind = webkit_navigation_action_get_navigation_type(action);
        // Held: a script or a refresh cannot take the page away; a click,
        // a key, F5, history and the program's own loads still can.
        if (hold_automatic_ && !by_user && !own && load_ != LoadState::ErrorPageNext &&
            kind != WEBKIT_NAVIGATION_TYPE_RELOAD && kind != WEBKIT_NAVIGATION_TYPE_BACK_FORWARD) {
          webkit_policy_decision_ignore(decision);
          return TRUE;
        }
        navigated_by_user_ = by_user;
      }
      // Reloading the answer to a form would send the form again (a second
      // batch of messages, a second payment): only if the user says so.
      if (webkit_navigation_action_get_navigation_type(action) ==
          WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED) {
        AskResubmission(decision);
        return TRUE;
      }
      return FALSE;
    }
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
      auto* response_decision = WEBKIT_RESPONSE_POLICY_DECISION(decision);
      WebKitURIResponse* response = webkit_response_policy_decision_get_response(response_decision);
      // A refusal to anyone who has not signed in over HTTP, with nothing
      // to show: say what it is rather than show an empty page.
      if (webkit_uri_response_get_status_code(response) == SOUP_STATUS_UNAUTHORIZED &&
          webkit_uri_response_get_content_length(response) == 0 &&
          webkit_response_policy_decision_is_main_frame_main_resource(response_decision)) {
        refusal_ =
            "此页面要求以 HTTP 身份验证登录（用户名和密码），本程序不提供这种登录方式。";
        webkit_policy_decision_ignore(decision);
        return TRUE;
      }
      if (IsAttachment(response) ||
          !webkit_response_policy_decision_is_mime_type_supported(response_decision)) {
        webkit_policy_decision_download(decision);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

void BrowserView::AskResubmission(WebKitPolicyDecision* decision) {
  // A newer reload replaces one still asked about.
  AnswerResubmission(false);
  resubmit_decision_ = GObjectPtr<WebKitPolicyDecision>(WEBKIT_POLICY_DECISION(g_object_ref(decision)));
  resubmit_question_ = std::make_unique<MessageBoxLater>(
      "此页面是提交表单的结果。重新加载将再次提交表单（例如再次发送短信）。\n确定要再次提交吗？", true,
      WindowOf(GTK_WIDGET(view_.get())), [this](bool ok) {
        // Declined: final; no retry carries the reload out.
        if (!ok) hang_watch_->Settled();
        AnswerResubmission(ok);
      });
}

void BrowserView::AnswerResubmission(bool resubmit) {
  resubmit_question_.reset();
  GObjectPtr<WebKitPolicyDecision> decision = std::move(resubmit_decision_);
  if (!decision) return;
  if (resubmit) {
    webkit_policy_decision_use(decision.get());
  } else {
    webkit_policy_decision_ignore(decision.get());
  }
}

// ------------------------------------------------------------- pop-ups

bool BrowserView::OpensOutside(WebKitNavigationAction* action, const char* uri) {
  const std::string scheme = SchemeOf(uri ? uri : "");
  if ((scheme != "http" && scheme != "https") || SameOrigin(location_, uri)) return false;
  // Only for the user's click: a page cannot start the desktop's browser
  // again and again by itself.
  if (webkit_navigation_action_is_user_gesture(action)) outside_->OpenInBrowser(uri);
  return true;
}

GtkWidget* BrowserView::OnCreate(WebKitNavigationAction* action) {
  const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  if (uri != nullptr && *uri != '\0') {
    const NavigationVerdict verdict = JudgeNavigation(uri, true);
    if (verdict == NavigationVerdict::ToTheDesktop) outside_->Offer(uri);
    if (verdict != NavigationVerdict::Follow || OpensOutside(action, uri)) return nullptr;
  }
  WebKitWebView* popup = family_.Open(view_.get());
  return popup ? GTK_WIDGET(popup) : nullptr;
}

void BrowserView::OnReadyToShow() {
  GdkRectangle geometry{0, 0, 0, 0};
  webkit_window_properties_get_geometry(webkit_web_view_get_window_properties(view_.get()), &geometry);
  if (ready_to_show) ready_to_show(geometry);
}

void BrowserView::OnClose() {
  if (close_requested) {
    auto close = close_requested;
    close();
  }
}

// ------------------------------------------------------------- keys, printing

bool BrowserView::OnAuthenticate(WebKitAuthenticationRequest* request) {
  if (!silent_) return false;
  // Silent: no sign-in dialog of the engine's own. The load goes on without
  // credentials, and the page the server sent with its refusal is shown.
  webkit_authentication_request_authenticate(request, nullptr);
  return true;
}

bool BrowserView::OnPrint(WebKitPrintOperation* operation) {
  print_->OpenForPage(operation);
  return true;  // the engine's own dialog would wait inside this signal
}

bool BrowserView::HandleKey(const GdkEventKey* event) {
  const guint modifiers =
      event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SHIFT_MASK | GDK_SUPER_MASK);
  const guint key = gdk_keyval_to_lower(event->keyval);
  WebKitWebView* v = view_.get();
  if (modifiers == 0 && key == GDK_KEY_F5) {
    Reload();
    return true;
  }
  if (modifiers == GDK_MOD1_MASK && (key == GDK_KEY_Left || key == GDK_KEY_KP_Left)) {
    if (webkit_web_view_can_go_back(v)) webkit_web_view_go_back(v);
    return true;
  }
  if (modifiers == GDK_MOD1_MASK && (key == GDK_KEY_Right || key == GDK_KEY_KP_Right)) {
    if (webkit_web_view_can_go_forward(v)) webkit_web_view_go_forward(v);
    return true;
  }
  // Ctrl with or without Shift: "+" sits on a shifted key on many layouts.
  if ((modifiers & ~GDK_SHIFT_MASK) != GDK_CONTROL_MASK) return false;
  switch (key) {
    case GDK_KEY_r:
      Reload();
      return true;
    case GDK_KEY_p:
      print_->Open();
      return true;
    case GDK_KEY_f:
      find_bar_->Open();
      return true;
    case GDK_KEY_plus:
    case GDK_KEY_equal:
    case GDK_KEY_KP_Add:
      Zoom(+1);
      return true;
    case GDK_KEY_minus:
    case GDK_KEY_KP_Subtract:
      Zoom(-1);
      return true;
    case GDK_KEY_0:
    case GDK_KEY_KP_0:
      Zoom(0);
      return true;
    default:
      return false;
  }
}

void BrowserView::Zoom(int direction) {
  WebKitWebView* v = view_.get();
  webkit_web_view_set_zoom_level(v, NextZoomLevel(webkit_web_view_get_zoom_level(v), direction));
}

}  // namespace vb::gtk
