#include "platform/win32/webview2/webview2_browser.h"

#include <shellapi.h>

#include <utility>

#include "platform/errors.h"
#include "platform/texts.h"
#include "platform/win32/utf16.h"
#include "platform/browser/navigation_policy.h"
#include "platform/win32/webview2/com_handler.h"
#include "platform/win32/webview2/context_menu.h"
#include "platform/win32/webview2/page_keys.h"
#include "platform/win32/webview2/popups.h"
#include "platform/win32/webview2/webview2_loader.h"

namespace platform::win32 {
namespace {

// A string WebView2 hands over (CoTaskMemAlloc'd), in UTF-8.
template <class Getter>
std::string TakeString(Getter&& get) {
  LPWSTR text = nullptr;
  std::string result;
  if (SUCCEEDED(get(&text)) && text != nullptr) result = ::win32::Narrow(text);
  CoTaskMemFree(text);
  return result;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// What a failed load means to the user.
browser::LoadFailure FailureOf(COREWEBVIEW2_WEB_ERROR_STATUS status) {
  using browser::LoadFailure;
  switch (status) {
    // Cancelled in NavigationStarting, replaced by another navigation, or
    // turned into a download.
    case COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED:
      return LoadFailure::Superseded;
    case COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_COMMON_NAME_IS_INCORRECT:
    case COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_EXPIRED:
    case COREWEBVIEW2_WEB_ERROR_STATUS_CLIENT_CERTIFICATE_CONTAINS_ERRORS:
    case COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_REVOKED:
    case COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID:
      return LoadFailure::Certificate;
    // Chromium's ERR_TOO_MANY_REDIRECTS and unsafe redirects.
    case COREWEBVIEW2_WEB_ERROR_STATUS_REDIRECT_FAILED:
      return LoadFailure::TooManyRedirects;
    default:
      return LoadFailure::Unreachable;
  }
}

browser::NavigationKind KindOf(ICoreWebView2NavigationStartingEventArgs* args) {
  ComPtr<ICoreWebView2NavigationStartingEventArgs3> args3 =
      ComPtr<ICoreWebView2NavigationStartingEventArgs>::Retain(args).As<ICoreWebView2NavigationStartingEventArgs3>(
          IID_ICoreWebView2NavigationStartingEventArgs3);
  COREWEBVIEW2_NAVIGATION_KIND kind = COREWEBVIEW2_NAVIGATION_KIND_NEW_DOCUMENT;
  if (!args3 || FAILED(args3->get_NavigationKind(&kind))) return browser::NavigationKind::Other;
  switch (kind) {
    case COREWEBVIEW2_NAVIGATION_KIND_RELOAD: return browser::NavigationKind::Reload;
    case COREWEBVIEW2_NAVIGATION_KIND_BACK_OR_FORWARD: return browser::NavigationKind::BackForward;
    default: return browser::NavigationKind::Other;
  }
}

void ShellOpen(const std::string& uri) {
  const std::wstring wide = ::win32::Widen(uri);
  ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

WebView2Browser::WebView2Browser(HWND parent, UINT dpi, const BrowserDesign& design, BrowserEvents events,
                                 WebView2Setup setup, WebView2NewWindow new_window)
    : parent_(parent),
      scale_(dpi / 96.0),
      rect_(design.rect),
      events_(std::move(events)),
      setup_(std::move(setup)),
      dialogs_(
          scheduler_, [this] { return GetAncestor(parent_, GA_ROOT); },
          [this] { page_.PageFloods(browser::PageLoad::Flood::Dialogs); }, [this] { page_.PageKept(); }),
      new_window_(std::move(new_window)),
      alive_(std::make_shared<WebView2Browser*>(this)) {
  if (!setup_.create_environment) setup_.create_environment = CreateWebView2Environment;
  if (!setup_.open_in_browser) setup_.open_in_browser = ShellOpen;
  if (!setup_.offer_to_desktop) setup_.offer_to_desktop = ShellOpen;
  if (!setup_.downloads) setup_.downloads = std::make_shared<Downloads>();
  page_.options.frames_wait_for_their_page = design.frames_wait_for_their_page;
  page_.options.before_login = design.before_login;
  page_.page_asks = [this] { return dialogs_.AnyOpen(); };
  page_.document_complete = [this](bool top_level, const std::string& url) {
    // The handler may unload the form; the form runtime keeps this object
    // alive until it returns.
    if (events_.DocumentComplete) events_.DocumentComplete(BrowserFrame{top_level}, Variant(url));
  };
  if (new_window_.family) {
    popups_ = new_window_.family;
  } else {
    own_popups_ = std::make_unique<Popups>(setup_);
    popups_ = own_popups_.get();
  }
  Create();
}

WebView2Browser::~WebView2Browser() {
  *alive_ = nullptr;
  Detach();
  if (controller_) controller_->Close();
}

// No event of the engine's reaches the control any more: a page's dialog,
// menu or download after the window has let go of it shows nothing.
void WebView2Browser::StopListening() {
  for (auto& frame : std::exchange(frames_, {})) ForgetFrame(frame.get());
  if (webview4_) {
    webview4_->remove_FrameCreated(frame_created_);
    webview4_->remove_DownloadStarting(download_starting_);
  }
  if (webview11_) webview11_->remove_ContextMenuRequested(context_menu_);
  if (webview_) {
    for (auto [remove, token] : registrations_) (webview_.get()->*remove)(token);
  }
  registrations_.clear();
  if (controller_) controller_->remove_AcceleratorKeyPressed(accelerator_key_);
}

// ------------------------------------------------------------- creation

namespace {

// A handler that calls `method` of the browser with the event's arguments,
// while the browser exists.
template <class Interface, class Browser, class Args>
ComPtr<Interface> EventHandler(REFIID iid, std::weak_ptr<Browser*> alive, HRESULT (Browser::*method)(Args*)) {
  return MakeHandler<Interface>(iid, [alive, method](auto*, Args* args) -> HRESULT {
    auto self = alive.lock();
    if (!self || !*self || args == nullptr) return S_OK;
    return ((*self)->*method)(args);
  });
}

}  // namespace

void WebView2Browser::Create() {
  if (new_window_.environment) {
    OnEnvironment(S_OK, new_window_.environment.get());
    return;
  }
  std::weak_ptr<WebView2Browser*> alive = alive_;
  auto handler = MakeHandler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
      IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
      [alive](HRESULT result, ICoreWebView2Environment* environment) -> HRESULT {
        if (auto self = alive.lock(); self && *self) (*self)->OnEnvironment(result, environment);
        return S_OK;
      });
  // A failure leaves the control empty: the program checks for the runtime
  // (WebView2RuntimeVersion) before it makes any window with a browser.
  setup_.create_environment(setup_.user_data_folder, handler.get());
}

void WebView2Browser::OnEnvironment(HRESULT result, ICoreWebView2Environment* environment) {
  if (FAILED(result) || environment == nullptr) return;
  environment_ = ComPtr<ICoreWebView2Environment>::Retain(environment);
  std::weak_ptr<WebView2Browser*> alive = alive_;
  auto handler = MakeHandler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
      IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
      [alive](HRESULT result, ICoreWebView2Controller* controller) -> HRESULT {
        auto self = alive.lock();
        if (self && *self) {
          (*self)->OnController(result, controller);
        } else if (SUCCEEDED(result) && controller != nullptr) {
          controller->Close();  // the control went while it was being made
        }
        return S_OK;
      });
  environment_->CreateCoreWebView2Controller(parent_, handler.get());
}

void WebView2Browser::OnController(HRESULT result, ICoreWebView2Controller* controller) {
  if (FAILED(result) || controller == nullptr) {
    GiveUpNewWindow();
    return;
  }
  if (detached_) {
    // The window let go of the control while it was being made.
    controller->Close();
    return;
  }
  controller_ = ComPtr<ICoreWebView2Controller>::Retain(controller);
  if (FAILED(controller_->get_CoreWebView2(webview_.Out())) || !webview_) {
    controller_->Close();
    controller_.reset();
    GiveUpNewWindow();
    return;
  }
  UINT32 browser = 0;
  if (setup_.browser_started && SUCCEEDED(webview_->get_BrowserProcessId(&browser)) && browser != 0) {
    setup_.browser_started(browser);
  }
  Configure();
  Listen();
  controller_->add_AcceleratorKeyPressed(EventHandler<ICoreWebView2AcceleratorKeyPressedEventHandler>(
                                             IID_ICoreWebView2AcceleratorKeyPressedEventHandler,
                                             std::weak_ptr(alive_), &WebView2Browser::OnAcceleratorKeyPressed)
                                             .get(),
                                         &accelerator_key_);
  Place();
  controller_->put_IsVisible(TRUE);
  if (new_window_.args) {
    ListenAsNewWindow();
    // The engine loads the page that asked for the window into this one.
    new_window_.args->put_NewWindow(webview_.get());
    std::exchange(new_window_.deferral, {})->Complete();
    new_window_.args.reset();
    return;
  }
  Carry(std::exchange(queued_, Queued{}));
}

HRESULT WebView2Browser::OnDownloadStarting(ICoreWebView2DownloadStartingEventArgs* args) {
  return setup_.downloads->Starting(args, this, [this] { return GetAncestor(parent_, GA_ROOT); });
}

void WebView2Browser::GiveUpNewWindow() {
  if (!new_window_.args) return;
  new_window_.args->put_Handled(TRUE);
  if (new_window_.deferral) std::exchange(new_window_.deferral, {})->Complete();
  new_window_.args.reset();
}

void WebView2Browser::ListenAsNewWindow() {
  std::weak_ptr<WebView2Browser*> alive = alive_;
  EventRegistrationToken token{};
  auto recaption = [alive](ICoreWebView2*, auto*) -> HRESULT {
    if (auto self = alive.lock(); self && *self) (*self)->Recaption();
    return S_OK;
  };
  if (SUCCEEDED(webview_->add_DocumentTitleChanged(
          MakeHandler<ICoreWebView2DocumentTitleChangedEventHandler>(IID_ICoreWebView2DocumentTitleChangedEventHandler,
                                                                      [recaption](ICoreWebView2* w, IUnknown* a) {
                                                                        return recaption(w, a);
                                                                      })
              .get(),
          &token))) {
    registrations_.emplace_back(&ICoreWebView2::remove_DocumentTitleChanged, token);
  }
  if (SUCCEEDED(webview_->add_SourceChanged(
          MakeHandler<ICoreWebView2SourceChangedEventHandler>(
              IID_ICoreWebView2SourceChangedEventHandler,
              [recaption](ICoreWebView2* w, ICoreWebView2SourceChangedEventArgs* a) { return recaption(w, a); })
              .get(),
          &token))) {
    registrations_.emplace_back(&ICoreWebView2::remove_SourceChanged, token);
  }
  if (SUCCEEDED(webview_->add_WindowCloseRequested(
          MakeHandler<ICoreWebView2WindowCloseRequestedEventHandler>(
              IID_ICoreWebView2WindowCloseRequestedEventHandler,
              [alive](ICoreWebView2*, IUnknown*) -> HRESULT {
                auto self = alive.lock();
                if (self && *self && (*self)->new_window_.close_requested) (*self)->new_window_.close_requested();
                return S_OK;
              })
              .get(),
          &token))) {
    registrations_.emplace_back(&ICoreWebView2::remove_WindowCloseRequested, token);
  }
  Recaption();
}

void WebView2Browser::Recaption() {
  if (!webview_ || !new_window_.caption) return;
  new_window_.caption(TakeString([&](LPWSTR* out) { return webview_->get_DocumentTitle(out); }),
                      TakeString([&](LPWSTR* out) { return webview_->get_Source(out); }));
}

void WebView2Browser::Configure() {
  ComPtr<ICoreWebView2Settings> settings;
  if (FAILED(webview_->get_Settings(settings.Out())) || !settings) return;
  settings->put_AreDevToolsEnabled(FALSE);
  // ScriptDialogOpening comes only with the engine's own dialogs off.
  settings->put_AreDefaultScriptDialogsEnabled(FALSE);
  if (auto settings3 = settings.As<ICoreWebView2Settings3>(IID_ICoreWebView2Settings3)) {
    settings3->put_AreBrowserAcceleratorKeysEnabled(FALSE);
  }
  if (auto settings4 = settings.As<ICoreWebView2Settings4>(IID_ICoreWebView2Settings4)) {
    settings4->put_IsPasswordAutosaveEnabled(FALSE);
    settings4->put_IsGeneralAutofillEnabled(FALSE);
  }
}


void WebView2Browser::Listen() {
  ICoreWebView2* w = webview_.get();
  EventRegistrationToken token{};
#define VARNOCK_LISTEN(Event, Method)                                                                      \
  if (SUCCEEDED(w->add_##Event(EventHandler<ICoreWebView2##Event##EventHandler>(                            \
                                   IID_ICoreWebView2##Event##EventHandler, std::weak_ptr(alive_), &Method) \
                                   .get(),                                                                 \
                               &token))) {                                                                 \
    registrations_.emplace_back(&ICoreWebView2::remove_##Event, token);                                    \
  }
  VARNOCK_LISTEN(NavigationStarting, WebView2Browser::OnNavigationStarting)
  VARNOCK_LISTEN(ContentLoading, WebView2Browser::OnContentLoading)
  VARNOCK_LISTEN(NavigationCompleted, WebView2Browser::OnNavigationCompleted)
  VARNOCK_LISTEN(NewWindowRequested, WebView2Browser::OnNewWindowRequested)
  VARNOCK_LISTEN(ProcessFailed, WebView2Browser::OnProcessFailed)
  VARNOCK_LISTEN(PermissionRequested, WebView2Browser::OnPermissionRequested)
  VARNOCK_LISTEN(ScriptDialogOpening, WebView2Browser::OnScriptDialogOpening)
#undef VARNOCK_LISTEN
  webview4_ = webview_.As<ICoreWebView2_4>(IID_ICoreWebView2_4);
  if (webview4_) {
    webview4_->add_FrameCreated(EventHandler<ICoreWebView2FrameCreatedEventHandler>(
                                    IID_ICoreWebView2FrameCreatedEventHandler, std::weak_ptr(alive_),
                                    &WebView2Browser::OnFrameCreated)
                                    .get(),
                                &frame_created_);
    webview4_->add_DownloadStarting(EventHandler<ICoreWebView2DownloadStartingEventHandler>(
                                        IID_ICoreWebView2DownloadStartingEventHandler, std::weak_ptr(alive_),
                                        &WebView2Browser::OnDownloadStarting)
                                        .get(),
                                    &download_starting_);
  }
  webview11_ = webview_.As<ICoreWebView2_11>(IID_ICoreWebView2_11);
  if (webview11_) {
    webview11_->add_ContextMenuRequested(EventHandler<ICoreWebView2ContextMenuRequestedEventHandler>(
                                             IID_ICoreWebView2ContextMenuRequestedEventHandler,
                                             std::weak_ptr(alive_), &WebView2Browser::OnContextMenuRequested)
                                             .get(),
                                         &context_menu_);
  }
  if (auto webview10 = webview_.As<ICoreWebView2_10>(IID_ICoreWebView2_10)) {
    webview10->add_BasicAuthenticationRequested(EventHandler<ICoreWebView2BasicAuthenticationRequestedEventHandler>(
                                                    IID_ICoreWebView2BasicAuthenticationRequestedEventHandler,
                                                    std::weak_ptr(alive_),
                                                    &WebView2Browser::OnBasicAuthenticationRequested)
                                                    .get(),
                                                &token);
    // Removed with the controller's close: the interface is only asked for here.
  }
}

// ------------------------------------------------------------- geometry

void WebView2Browser::Place() {
  if (!controller_) return;
  const RECT bounds{scale_.ToPixels(rect_.left), scale_.ToPixels(rect_.top),
                    scale_.ToPixels(rect_.left + rect_.width), scale_.ToPixels(rect_.top + rect_.height)};
  controller_->put_Bounds(bounds);
}

void WebView2Browser::SetPlace(Single Rect::*side, Single twips) {
  rect_.*side = twips;
  Place();
}

void WebView2Browser::SetLeft(Single twips) { SetPlace(&Rect::left, twips); }
void WebView2Browser::SetTop(Single twips) { SetPlace(&Rect::top, twips); }

void WebView2Browser::SetWidth(Single twips) {
  if (!(twips >= 0)) throw RuntimeError(kErrInvalidPropertyValue, texts::kInvalidPropertyValue);
  SetPlace(&Rect::width, twips);
}

void WebView2Browser::SetHeight(Single twips) {
  if (!(twips >= 0)) throw RuntimeError(kErrInvalidPropertyValue, texts::kInvalidPropertyValue);
  SetPlace(&Rect::height, twips);
}

void WebView2Browser::SetDpi(UINT dpi) {
  scale_ = TwipScale(dpi / 96.0);
  Place();
}

void WebView2Browser::Focus() {
  if (controller_) controller_->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
}

void WebView2Browser::Detach() {
  if (detached_) return;
  detached_ = true;
  events_ = {};
  StopListening();
  page_.Detach();
  dialogs_.CloseAll();
  setup_.downloads->CancelWaiting(this);
  later_.clear();
  // The pop-ups of its pages go with it.
  if (own_popups_) own_popups_->CloseAll();
  GiveUpNewWindow();
}

// ------------------------------------------------------------- the core's requests

void WebView2Browser::Carry(const Queued& request) {
  switch (request.what) {
    case Queued::What::Nothing: break;
    case Queued::What::Load: Load(request.uri); break;
    case Queued::What::Reload: Reload(); break;
    case Queued::What::Html: ShowHtml(request.html, request.uri); break;
  }
}

void WebView2Browser::Load(const std::string& uri) {
  if (!webview_) {
    queued_ = Queued{Queued::What::Load, uri, {}};
    return;
  }
  webview_->Navigate(::win32::Widen(uri).c_str());
}

void WebView2Browser::Reload() {
  if (!webview_) {
    // Only a load asked for meanwhile can be loaded again.
    if (queued_.what == Queued::What::Nothing) queued_.what = Queued::What::Reload;
    return;
  }
  webview_->Reload();
}

void WebView2Browser::ShowHtml(const std::string& html, const std::string& uri) {
  if (!webview_) {
    queued_ = Queued{Queued::What::Html, uri, html};
    return;
  }
  // Its navigation starts with a data: address of the engine's making.
  own_page_uri_ = uri;
  own_page_asked_ = true;
  webview_->NavigateToString(::win32::Widen(html).c_str());
}

void WebView2Browser::EndWebProcess() {
  ++ending_;
  // WebView2 has no call that ends the process under one page: its
  // renderers are ended by their process ids, and each reports its end
  // through ProcessFailed.
  bool ended = false;
  if (auto environment8 = environment_.As<ICoreWebView2Environment8>(IID_ICoreWebView2Environment8)) {
    ComPtr<ICoreWebView2ProcessInfoCollection> processes;
    UINT count = 0;
    if (SUCCEEDED(environment8->GetProcessInfos(processes.Out())) && processes &&
        SUCCEEDED(processes->get_Count(&count))) {
      for (UINT i = 0; i < count; ++i) {
        ComPtr<ICoreWebView2ProcessInfo> process;
        COREWEBVIEW2_PROCESS_KIND kind{};
        INT32 id = 0;
        if (FAILED(processes->GetValueAtIndex(i, process.Out())) || !process ||
            FAILED(process->get_Kind(&kind)) || kind != COREWEBVIEW2_PROCESS_KIND_RENDERER ||
            FAILED(process->get_ProcessId(&id))) {
          continue;
        }
        if (HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(id))) {
          ended = TerminateProcess(handle, 1) != 0 || ended;
          CloseHandle(handle);
        }
      }
    }
  }
  if (!ended) {
    // No process to end (none yet, or none found): its end is reported now.
    --ending_;
    page_.ProcessEnded(true);
  }
}

void WebView2Browser::LeaveFullscreen() {
  if (webview_) webview_->ExecuteScript(L"document.fullscreenElement && document.exitFullscreen()", nullptr);
}

void WebView2Browser::Probe() {
  if (!webview_) {
    page_.ProbeAnswered(true);
    return;
  }
  const unsigned probe = ++probe_;
  std::weak_ptr<WebView2Browser*> alive = alive_;
  auto handler = MakeHandler<ICoreWebView2ExecuteScriptCompletedHandler>(
      IID_ICoreWebView2ExecuteScriptCompletedHandler, [alive, probe](HRESULT result, LPCWSTR) -> HRESULT {
        auto self = alive.lock();
        if (!self || !*self || (*self)->probe_ != probe) return S_OK;  // gone, or cancelled
        (*self)->page_.ProbeAnswered(SUCCEEDED(result));
        return S_OK;
      });
  webview_->ExecuteScript(L"0", handler.get());
}

void WebView2Browser::Later(std::function<void()> task) {
  later_.push_back(scheduler_.After(0, std::move(task)));
}

// ------------------------------------------------------------- loading

HRESULT WebView2Browser::OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* args) {
  const std::string uri = TakeString([&](LPWSTR* out) { return args->get_Uri(out); });
  UINT64 id = 0;
  BOOL user = FALSE;
  BOOL redirect = FALSE;
  args->get_NavigationId(&id);
  args->get_IsUserInitiated(&user);
  args->get_IsRedirected(&redirect);
  if (own_page_asked_ && !redirect && StartsWith(uri, "data:")) {
    // The page of ours ShowHtml asked for: no question of policy.
    own_page_asked_ = false;
    addresses_[id] = own_page_uri_;
    page_.Started(id);
    return S_OK;
  }
  browser::NavigationRequest request;
  request.uri = uri;
  request.main_frame = true;
  request.user_gesture = user != FALSE;
  request.redirect = redirect != FALSE;
  request.kind = KindOf(args);
  if (!Follow(page_.Decide(request), uri)) {
    args->put_Cancel(TRUE);
    return S_OK;
  }
  addresses_[id] = uri;
  page_.Started(id);
  return S_OK;
}

HRESULT WebView2Browser::OnContentLoading(ICoreWebView2ContentLoadingEventArgs* args) {
  UINT64 id = 0;
  args->get_NavigationId(&id);
  const auto own = addresses_.find(id);
  // A page of ours stands for the address it was shown for; the engine's
  // Source is its data: address.
  std::string source = TakeString([&](LPWSTR* out) { return webview_->get_Source(out); });
  if (own != addresses_.end() && StartsWith(source, "data:")) source = own->second;
  if (source.empty() && own != addresses_.end()) source = own->second;
  page_.Committed(id, source);
  return S_OK;
}

HRESULT WebView2Browser::OnNavigationCompleted(ICoreWebView2NavigationCompletedEventArgs* args) {
  UINT64 id = 0;
  BOOL success = FALSE;
  COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
  args->get_NavigationId(&id);
  args->get_IsSuccess(&success);
  args->get_WebErrorStatus(&status);
  // Reported, as the page is again, once its process answers.
  responsive_ = true;
  std::string uri;
  if (auto found = addresses_.find(id); found != addresses_.end()) {
    uri = std::move(found->second);
    addresses_.erase(found);
  }
  if (!success) page_.Failed(id, uri, FailureOf(status));
  page_.Finished(id);
  return S_OK;
}

HRESULT WebView2Browser::OnFrameCreated(ICoreWebView2FrameCreatedEventArgs* args) {
  ComPtr<ICoreWebView2Frame> created;
  if (FAILED(args->get_Frame(created.Out())) || !created) return S_OK;
  auto frame = std::make_unique<Frame>();
  frame->frame = created.As<ICoreWebView2Frame2>(IID_ICoreWebView2Frame2);
  if (!frame->frame) return S_OK;
  Frame* f = frame.get();
  std::weak_ptr<WebView2Browser*> alive = alive_;
  auto live = [alive]() -> WebView2Browser* {
    auto self = alive.lock();
    return self ? *self : nullptr;
  };
  frame->frame->add_NavigationStarting(
      MakeHandler<ICoreWebView2FrameNavigationStartingEventHandler>(
          IID_ICoreWebView2FrameNavigationStartingEventHandler,
          [live, f](ICoreWebView2Frame*, ICoreWebView2NavigationStartingEventArgs* args) -> HRESULT {
            WebView2Browser* self = live();
            if (self == nullptr || args == nullptr) return S_OK;
            const std::string uri = TakeString([&](LPWSTR* out) { return args->get_Uri(out); });
            UINT64 id = 0;
            BOOL user = FALSE;
            args->get_NavigationId(&id);
            args->get_IsUserInitiated(&user);
            browser::NavigationRequest request;
            request.uri = uri;
            request.main_frame = false;
            request.user_gesture = user != FALSE;
            if (!self->Follow(self->page_.Decide(request), uri)) {
              args->put_Cancel(TRUE);
              return S_OK;
            }
            f->addresses[id] = uri;
            return S_OK;
          })
          .get(),
      &frame->starting);
  frame->frame->add_NavigationCompleted(
      MakeHandler<ICoreWebView2FrameNavigationCompletedEventHandler>(
          IID_ICoreWebView2FrameNavigationCompletedEventHandler,
          [live, f](ICoreWebView2Frame*, ICoreWebView2NavigationCompletedEventArgs* args) -> HRESULT {
            WebView2Browser* self = live();
            if (self == nullptr || args == nullptr) return S_OK;
            UINT64 id = 0;
            BOOL success = FALSE;
            args->get_NavigationId(&id);
            args->get_IsSuccess(&success);
            auto found = f->addresses.find(id);
            if (found == f->addresses.end()) return S_OK;
            const std::string uri = std::move(found->second);
            f->addresses.erase(found);
            if (success) self->page_.FrameCompleted(uri);
            return S_OK;
          })
          .get(),
      &frame->completed);
  frame->frame->add_Destroyed(MakeHandler<ICoreWebView2FrameDestroyedEventHandler>(
                                  IID_ICoreWebView2FrameDestroyedEventHandler,
                                  [live, f](ICoreWebView2Frame*, IUnknown*) -> HRESULT {
                                    // Not from inside the frame's own event.
                                    if (WebView2Browser* self = live()) self->Later([self, f] { self->ForgetFrame(f); });
                                    return S_OK;
                                  })
                                  .get(),
                              &frame->destroyed);
  frames_.push_back(std::move(frame));
  return S_OK;
}

void WebView2Browser::ForgetFrame(Frame* frame) {
  frame->frame->remove_NavigationStarting(frame->starting);
  frame->frame->remove_NavigationCompleted(frame->completed);
  frame->frame->remove_Destroyed(frame->destroyed);
  // Called from the destructor over frames_ as well: only the later call erases.
  if (!*alive_) return;
  std::erase_if(frames_, [frame](const std::unique_ptr<Frame>& f) { return f.get() == frame; });
}

// ------------------------------------------------------------- policies

bool WebView2Browser::Follow(browser::NavigationDecision decision, const std::string& uri) {
  switch (decision) {
    case browser::NavigationDecision::Follow:
      return true;
    // WebView2 says nothing of a form sent again: never asked.
    case browser::NavigationDecision::AskResubmission:
      return true;
    case browser::NavigationDecision::ToTheDesktop: {
      auto offer = setup_.offer_to_desktop;
      Later([offer, uri] { offer(uri); });
      return false;
    }
    case browser::NavigationDecision::ToTheBrowser: {
      auto open = setup_.open_in_browser;
      Later([open, uri] { open(uri); });
      return false;
    }
    case browser::NavigationDecision::Ignore:
      return false;
  }
  return false;
}

HRESULT WebView2Browser::OnNewWindowRequested(ICoreWebView2NewWindowRequestedEventArgs* args) {
  const std::string uri = TakeString([&](LPWSTR* out) { return args->get_Uri(out); });
  BOOL user = FALSE;
  args->get_IsUserInitiated(&user);
  browser::NavigationRequest request;
  request.uri = uri;
  request.new_window = true;
  request.user_gesture = user != FALSE;
  // Followed: a window of ours on the same session, unless too many are
  // open. Handled without a new window: none opens.
  if (!Follow(page_.Decide(request), uri) || !popups_ || !popups_->Open(args, environment_.get(), parent_)) {
    args->put_Handled(TRUE);
  }
  return S_OK;
}

HRESULT WebView2Browser::OnProcessFailed(ICoreWebView2ProcessFailedEventArgs* args) {
  COREWEBVIEW2_PROCESS_FAILED_KIND kind = COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED;
  args->get_ProcessFailedKind(&kind);
  switch (kind) {
    case COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE:
      responsive_ = false;
      page_.ResponsivenessChanged();
      return S_OK;
    case COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED: {
      responsive_ = true;
      const bool ours = ending_ > 0;
      if (ours) --ending_;
      page_.ProcessEnded(ours);
      return S_OK;
    }
    default:
      // Helpers (GPU, utility) come back by themselves; the browser
      // process's end takes the page's with it, reported as its own.
      if (kind == COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED) page_.ProcessEnded(false);
      return S_OK;
  }
}

HRESULT WebView2Browser::OnPermissionRequested(ICoreWebView2PermissionRequestedEventArgs* args) {
  // The service's pages need no camera, position or notifications: nobody is asked.
  args->put_State(COREWEBVIEW2_PERMISSION_STATE_DENY);
  return S_OK;
}

HRESULT WebView2Browser::OnBasicAuthenticationRequested(ICoreWebView2BasicAuthenticationRequestedEventArgs* args) {
  // Silent: no sign-in dialog of the engine's own; the page the server sent
  // with its refusal is shown.
  if (silent_) args->put_Cancel(TRUE);
  return S_OK;
}

// ------------------------------------------------------------- context menu

HRESULT WebView2Browser::OnContextMenuRequested(ICoreWebView2ContextMenuRequestedEventArgs* args) {
  // Our menu, not the engine's: shown from the loop, the choice given
  // through the deferral.
  args->put_Handled(TRUE);
  ComPtr<ICoreWebView2Deferral> deferral;
  args->GetDeferral(deferral.Out());
  auto held = ComPtr<ICoreWebView2ContextMenuRequestedEventArgs>::Retain(args);
  Later([this, held, deferral] {
    // In the page's coordinates.
    POINT at{};
    held->get_Location(&at);
    at.x += scale_.ToPixels(rect_.left);
    at.y += scale_.ToPixels(rect_.top);
    ClientToScreen(parent_, &at);
    ComPtr<ICoreWebView2ContextMenuItemCollection> items;
    held->get_MenuItems(items.Out());
    BOOL back = FALSE;
    BOOL forward = FALSE;
    webview_->get_CanGoBack(&back);
    webview_->get_CanGoForward(&forward);
    // The menu's loop, in which this control may go: nothing of it is used after.
    const std::optional<INT32> chosen = ChooseFromMenu(parent_, at, items.get(), back, forward);
    if (chosen) held->put_SelectedCommandId(*chosen);
    if (deferral) deferral->Complete();
  });
  return S_OK;
}

// ------------------------------------------------------------- keys

HRESULT WebView2Browser::OnAcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
  COREWEBVIEW2_KEY_EVENT_KIND kind = COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP;
  UINT key = 0;
  if (FAILED(args->get_KeyEventKind(&kind)) || FAILED(args->get_VirtualKey(&key))) return S_OK;
  // Alt's chords come as system keys.
  if (kind != COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN && kind != COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN) return S_OK;
  const std::optional<browser::PageCommand> command = browser::CommandFor(ChordOf(key));
  if (!command) return S_OK;
  // No find bar to open: the key is the page's.
  if (*command == browser::PageCommand::Find && !CanFind()) return S_OK;
  args->put_Handled(TRUE);
  const browser::PageCommand run = *command;
  Later([this, run] { RunCommand(run); });
  return S_OK;
}

void WebView2Browser::RunCommand(browser::PageCommand command) {
  if (!webview_) return;
  BOOL can = FALSE;
  switch (command) {
    case browser::PageCommand::Reload: page_.Reload(); break;
    case browser::PageCommand::Back:
      if (SUCCEEDED(webview_->get_CanGoBack(&can)) && can) webview_->GoBack();
      break;
    case browser::PageCommand::Forward:
      if (SUCCEEDED(webview_->get_CanGoForward(&can)) && can) webview_->GoForward();
      break;
    case browser::PageCommand::Print: Print(); break;
    case browser::PageCommand::Find: Find(); break;
    case browser::PageCommand::ZoomIn: Zoom(+1); break;
    case browser::PageCommand::ZoomOut: Zoom(-1); break;
    case browser::PageCommand::ZoomReset: Zoom(0); break;
  }
}

void WebView2Browser::Zoom(int direction) {
  double factor = 1.0;
  if (FAILED(controller_->get_ZoomFactor(&factor))) factor = 1.0;
  controller_->put_ZoomFactor(browser::NextZoomLevel(factor, direction));
}

void WebView2Browser::Print() {
  // The system's print dialog, as the Linux client shows its desktop's.
  if (auto webview16 = webview_.As<ICoreWebView2_16>(IID_ICoreWebView2_16)) {
    if (SUCCEEDED(webview16->ShowPrintUI(COREWEBVIEW2_PRINT_DIALOG_KIND_SYSTEM))) return;
  }
  // Runtimes before 1.0.1518: the page's own print.
  webview_->ExecuteScript(L"window.print()", nullptr);
}

bool WebView2Browser::CanFind() const {
  return webview_.As<ICoreWebView2_28>(IID_ICoreWebView2_28) &&
         environment_.As<ICoreWebView2Environment15>(IID_ICoreWebView2Environment15);
}

void WebView2Browser::Find() {
  auto webview28 = webview_.As<ICoreWebView2_28>(IID_ICoreWebView2_28);
  auto environment15 = environment_.As<ICoreWebView2Environment15>(IID_ICoreWebView2Environment15);
  if (!webview28 || !environment15) return;
  ComPtr<ICoreWebView2Find> find;
  ComPtr<ICoreWebView2FindOptions> options;
  if (FAILED(webview28->get_Find(find.Out())) || !find || FAILED(environment15->CreateFindOptions(options.Out())) ||
      !options) {
    return;
  }
  // No term: the engine's find bar opens and waits for one.
  options->put_FindTerm(L"");
  options->put_SuppressDefaultFindDialog(FALSE);
  find->Start(options.get(), MakeHandler<ICoreWebView2FindStartCompletedHandler>(
                                 IID_ICoreWebView2FindStartCompletedHandler, [](HRESULT) { return S_OK; })
                                 .get());
}

BrowserFactory WebView2Factory(WebView2Setup setup) {
  // Downloads take turns across every window.
  if (!setup.downloads) setup.downloads = std::make_shared<Downloads>();
  return [setup](HWND parent, UINT dpi, const BrowserDesign& design, BrowserEvents events) {
    return std::make_shared<WebView2Browser>(parent, dpi, design, std::move(events), setup);
  };
}

}  // namespace platform::win32
