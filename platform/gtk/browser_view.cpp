#include "platform/gtk/browser_view.h"

#include <jsc/jsc.h>
#include <libsoup/soup.h>

#include <vector>

#include "platform/gtk/context_menu.h"
#include "platform/gtk/downloads.h"
#include "platform/gtk/find_bar.h"
#include "platform/gtk/hang_question.h"
#include "platform/gtk/message_box.h"
#include "platform/gtk/outside_links.h"
#include "platform/gtk/page_dialogs.h"
#include "platform/gtk/popups.h"
#include "platform/gtk/print_dialog.h"
#include "platform/gtk/web_engine.h"
#include "platform/browser/navigation_policy.h"
#include "platform/browser/page_commands.h"
#include "platform/texts.h"

namespace platform::gtk {
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

// What a failed load means to the user. WebKitGTK 2.50 ends a chain of more
// than 20 redirects itself, with an error of no domain and code 0 that only
// its message tells apart.
browser::LoadFailure FailureOf(const GError* error) {
  using browser::LoadFailure;
  if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
      g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE)) {
    return LoadFailure::Superseded;
  }
  if (error == nullptr) return LoadFailure::Unreachable;
  if (error->domain == WEBKIT_POLICY_ERROR) return LoadFailure::Refused;
  if (error->code == 0 && g_quark_to_string(error->domain)[0] == '\0' &&
      g_str_has_prefix(error->message, "Load cannot follow more than")) {
    return LoadFailure::TooManyRedirects;
  }
  const char* domain = g_quark_to_string(error->domain);
  if (g_strcmp0(domain, "soup-tls-error-quark") == 0 || g_strcmp0(domain, "g-tls-error-quark") == 0) {
    return LoadFailure::Certificate;
  }
  return LoadFailure::Unreachable;
}

browser::NavigationKind KindOf(WebKitNavigationAction* action) {
  switch (webkit_navigation_action_get_navigation_type(action)) {
    case WEBKIT_NAVIGATION_TYPE_RELOAD: return browser::NavigationKind::Reload;
    case WEBKIT_NAVIGATION_TYPE_BACK_FORWARD: return browser::NavigationKind::BackForward;
    case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED: return browser::NavigationKind::FormResubmitted;
    default: return browser::NavigationKind::Other;
  }
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
    : engine_(engine), family_(family) {
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
  gtk_widget_show(GTK_WIDGET(view_.get()));
  page_.options.popup = opener != nullptr;
  page_.close_window = [this] { OnClose(); };
  page_.page_asks = [this] { return dialogs_->AnyOpen() || resubmit_decision_ != nullptr; };
  page_.ask_hung = [this](bool ask) { AskAboutHungPage(ask); };
  dialogs_ = std::make_unique<PageDialogs>(
      view_.get(), [this] { page_.PageFloods(browser::PageLoad::Flood::Dialogs); }, [this] { page_.PageKept(); });
  print_ = std::make_unique<PrintDialog>(view_.get(),
                                         [this] { page_.PageFloods(browser::PageLoad::Flood::Printing); });
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
    page_.FullscreenChanged(true);
    return FALSE;
  }));
  connections_.push_back(Connect<gboolean(WebKitWebView*)>(v, "leave-fullscreen", [this](WebKitWebView*) -> gboolean {
    page_.FullscreenChanged(false);
    return FALSE;
  }));
  // The engine marks the process unresponsive once a load or a key has
  // waited about three seconds; a click or key that queues behind
  // unanswered pointer motion never reaches the process to start its clock,
  // so the user's input also sends a question of ours.
  connections_.push_back(Connect<void(WebKitWebView*, GParamSpec*)>(
      v, "notify::is-web-process-responsive", [this](WebKitWebView*, GParamSpec*) { page_.ResponsivenessChanged(); }));
  for (const char* input : {"button-press-event", "key-press-event"}) {
    connections_.push_back(Connect<gboolean(GtkWidget*, GdkEvent*)>(GTK_WIDGET(v), input,
                                                                    [this](GtkWidget*, GdkEvent*) -> gboolean {
                                                                      page_.UserInput();
                                                                      return FALSE;
                                                                    }));
  }
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
  page_.Detach();
  connections_.clear();
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

// ------------------------------------------------------------- the core's requests

void BrowserView::Load(const std::string& uri) { webkit_web_view_load_uri(view_.get(), uri.c_str()); }

void BrowserView::Reload() { webkit_web_view_reload(view_.get()); }

void BrowserView::ShowHtml(const std::string& html, const std::string& uri) {
  webkit_web_view_load_alternate_html(view_.get(), html.c_str(), uri.c_str(), uri.c_str());
}

// WebKitGTK reports the end (web-process-terminated, by API) during this call.
void BrowserView::EndWebProcess() { webkit_web_view_terminate_web_process(view_.get()); }

// WebKitGTK 2.50 leaves the window fullscreen when the web process of the
// page that asked for it ends.
void BrowserView::LeaveFullscreen() {
  GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view_.get()));
  if (GTK_IS_WINDOW(top)) gtk_window_unfullscreen(GTK_WINDOW(top));
}

bool BrowserView::Responsive() const { return webkit_web_view_get_is_web_process_responsive(view_.get()); }

// A question the web process answers at once unless a script holds it
// (can the page copy?).
void BrowserView::Probe() {
  probe_.reset(g_cancellable_new());
  webkit_web_view_can_execute_editing_command(view_.get(), WEBKIT_EDITING_COMMAND_COPY, probe_.get(),
                                              &BrowserView::ProbeAnswered, this);
}

void BrowserView::CancelProbe() {
  if (probe_) g_cancellable_cancel(probe_.get());
  probe_.reset();
}

void BrowserView::ProbeAnswered(GObject* view, GAsyncResult* result, gpointer self) {
  GError* error = nullptr;
  webkit_web_view_can_execute_editing_command_finish(WEBKIT_WEB_VIEW(view), result, &error);
  // Cancelled: the view may be gone. Any other error: the process went
  // without answering.
  const bool cancelled = error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  const bool answered = error == nullptr;
  g_clear_error(&error);
  if (cancelled) return;
  auto* browser = static_cast<BrowserView*>(self);
  browser->probe_.reset();
  browser->page_.ProbeAnswered(answered);
}

void BrowserView::AskAboutHungPage(bool ask) {
  if (!ask) {
    if (hang_question_ != nullptr) hang_question_->Withdraw();
    return;
  }
  // Made when first needed: most views never ask, and every window's view
  // is made while the user waits for the window.
  if (hang_question_ == nullptr) {
    hang_question_ = Gtk::manage(new HangQuestion(
        view_.get(), [this] { page_.WaitForPage(); }, [this] { page_.StopHungPage(); }));
    overlay_->add_overlay(*hang_question_);
  }
  hang_question_->Ask();
}

// ------------------------------------------------------------- loading

void BrowserView::OnLoadChanged(WebKitLoadEvent event) {
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      page_.Started(++navigation_);
      break;
    case WEBKIT_LOAD_REDIRECTED:
      break;
    case WEBKIT_LOAD_COMMITTED: {
      const char* uri = webkit_web_view_get_uri(view_.get());
      page_.Committed(navigation_, uri ? uri : page_.Location());
      break;
    }
    case WEBKIT_LOAD_FINISHED:
      page_.Finished(navigation_);
      break;
  }
}

bool BrowserView::OnLoadFailed(const char* uri, const GError* error) {
  page_.Failed(navigation_, uri ? uri : "", FailureOf(error));
  return true;
}

void BrowserView::OnFrameComplete(WebKitJavascriptResult* result) {
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  if (!jsc_value_is_string(value)) return;
  GCharPtr href(jsc_value_to_string(value));
  page_.FrameCompleted(href.get());
}

void BrowserView::OnCrashed(WebKitWebProcessTerminationReason reason) {
  page_.ProcessEnded(reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API);
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
      WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(navigation);
      const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
      browser::NavigationRequest request;
      request.uri = uri ? uri : "";
      request.new_window = type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION;
      // A named frame is never the page itself.
      request.main_frame = request.new_window || webkit_navigation_action_get_frame_name(action) == nullptr;
      request.user_gesture = webkit_navigation_action_is_user_gesture(action);
      request.redirect = webkit_navigation_action_is_redirect(action);
      request.kind = KindOf(action);
      return Carry(page_.Decide(request), uri, decision);
    }
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
      auto* response_decision = WEBKIT_RESPONSE_POLICY_DECISION(decision);
      WebKitURIResponse* response = webkit_response_policy_decision_get_response(response_decision);
      browser::Response answer;
      answer.status = static_cast<int>(webkit_uri_response_get_status_code(response));
      answer.content_length = static_cast<std::int64_t>(webkit_uri_response_get_content_length(response));
      answer.main_resource = webkit_response_policy_decision_is_main_frame_main_resource(response_decision);
      answer.attachment = IsAttachment(response);
      answer.type_shown = webkit_response_policy_decision_is_mime_type_supported(response_decision);
      switch (page_.DecideResponse(answer)) {
        case browser::ResponseDecision::Refuse:
          webkit_policy_decision_ignore(decision);
          return TRUE;
        case browser::ResponseDecision::Download:
          webkit_policy_decision_download(decision);
          return TRUE;
        case browser::ResponseDecision::Show:
          return FALSE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

bool BrowserView::Carry(browser::NavigationDecision verdict, const char* uri, WebKitPolicyDecision* decision) {
  switch (verdict) {
    case browser::NavigationDecision::Follow:
      return false;
    case browser::NavigationDecision::AskResubmission:
      AskResubmission(decision);
      return true;
    case browser::NavigationDecision::ToTheDesktop:
      outside_->Offer(uri);
      break;
    case browser::NavigationDecision::ToTheBrowser:
      outside_->OpenInBrowser(uri);
      break;
    case browser::NavigationDecision::Ignore:
      break;
  }
  if (decision != nullptr) webkit_policy_decision_ignore(decision);
  return true;
}

void BrowserView::AskResubmission(WebKitPolicyDecision* decision) {
  // A newer reload replaces one still asked about.
  AnswerResubmission(false);
  resubmit_decision_ = GObjectPtr<WebKitPolicyDecision>(WEBKIT_POLICY_DECISION(g_object_ref(decision)));
  resubmit_question_ = std::make_unique<MessageBoxLater>(texts::kResubmit, true, WindowOf(GTK_WIDGET(view_.get())),
                                                         [this](bool ok) {
                                                           page_.ResubmissionAnswered(ok);
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

GtkWidget* BrowserView::OnCreate(WebKitNavigationAction* action) {
  const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  if (uri != nullptr && *uri != '\0') {
    browser::NavigationRequest request;
    request.uri = uri;
    request.new_window = true;
    request.user_gesture = webkit_navigation_action_is_user_gesture(action);
    if (Carry(page_.Decide(request), uri, nullptr)) return nullptr;
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

namespace {

browser::PageKey KeyOf(guint keyval) {
  using browser::PageKey;
  switch (gdk_keyval_to_lower(keyval)) {
    case GDK_KEY_F5: return PageKey::F5;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return PageKey::Left;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return PageKey::Right;
    case GDK_KEY_r: return PageKey::R;
    case GDK_KEY_p: return PageKey::P;
    case GDK_KEY_f: return PageKey::F;
    case GDK_KEY_plus:
    case GDK_KEY_KP_Add: return PageKey::Plus;
    case GDK_KEY_equal: return PageKey::Equals;
    case GDK_KEY_minus:
    case GDK_KEY_KP_Subtract: return PageKey::Minus;
    case GDK_KEY_0:
    case GDK_KEY_KP_0: return PageKey::Zero;
    default: return PageKey::Other;
  }
}

}  // namespace

bool BrowserView::HandleKey(const GdkEventKey* event) {
  const browser::KeyChord chord{KeyOf(event->keyval), (event->state & GDK_CONTROL_MASK) != 0,
                                (event->state & GDK_MOD1_MASK) != 0, (event->state & GDK_SHIFT_MASK) != 0,
                                (event->state & GDK_SUPER_MASK) != 0};
  const std::optional<browser::PageCommand> command = browser::CommandFor(chord);
  if (!command) return false;
  WebKitWebView* v = view_.get();
  switch (*command) {
    case browser::PageCommand::Reload: page_.Reload(); break;
    case browser::PageCommand::Back:
      if (webkit_web_view_can_go_back(v)) webkit_web_view_go_back(v);
      break;
    case browser::PageCommand::Forward:
      if (webkit_web_view_can_go_forward(v)) webkit_web_view_go_forward(v);
      break;
    case browser::PageCommand::Print: print_->Open(); break;
    case browser::PageCommand::Find:
      // Made when first asked for, as the hung page's question: every
      // window's view is made while the user waits for the window.
      if (find_bar_ == nullptr) {
        find_bar_ = Gtk::manage(new FindBar(view_.get()));
        overlay_->add_overlay(*find_bar_);
      }
      find_bar_->Open();
      break;
    case browser::PageCommand::ZoomIn: Zoom(+1); break;
    case browser::PageCommand::ZoomOut: Zoom(-1); break;
    case browser::PageCommand::ZoomReset: Zoom(0); break;
  }
  return true;
}

void BrowserView::Zoom(int direction) {
  WebKitWebView* v = view_.get();
  webkit_web_view_set_zoom_level(v, browser::NextZoomLevel(webkit_web_view_get_zoom_level(v), direction));
}

}  // namespace platform::gtk
