// Test doubles of WebView2 (see fake_webview2.h).
#include "tests/windows/fake_webview2.h"

#include <cwchar>

namespace wintest {
namespace {

LPWSTR CoString(const std::wstring& text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  std::wmemcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

template <class Handler>
HRESULT Keep(ComPtr<Handler>& slot, Handler* handler, EventRegistrationToken* token) {
  slot = ComPtr<Handler>::Retain(handler);
  token->value = reinterpret_cast<INT64>(handler);
  return S_OK;
}

class StartingArgs final : public ComObject<stubs::ICoreWebView2NavigationStartingEventArgs> {
 public:
  StartingArgs(UINT64 id, std::wstring uri, bool redirect)
      : ComObject({&IID_ICoreWebView2NavigationStartingEventArgs}), id_(id), uri_(std::move(uri)),
        redirect_(redirect) {}
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return *uri = CoString(uri_), S_OK; }
  HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* user) override { return *user = FALSE, S_OK; }
  HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* redirect) override { return *redirect = redirect_, S_OK; }
  HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override { return *id = id_, S_OK; }
  HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override { return *cancel = cancel_, S_OK; }
  HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override { return cancel_ = cancel, S_OK; }
  BOOL cancel_ = FALSE;

 private:
  UINT64 id_;
  std::wstring uri_;
  BOOL redirect_;
};

class ContentLoadingArgs final : public ComObject<stubs::ICoreWebView2ContentLoadingEventArgs> {
 public:
  explicit ContentLoadingArgs(UINT64 id) : ComObject({&IID_ICoreWebView2ContentLoadingEventArgs}), id_(id) {}
  HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL* error) override { return *error = FALSE, S_OK; }
  HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override { return *id = id_, S_OK; }

 private:
  UINT64 id_;
};

class CompletedArgs final : public ComObject<stubs::ICoreWebView2NavigationCompletedEventArgs> {
 public:
  CompletedArgs(UINT64 id, bool success, COREWEBVIEW2_WEB_ERROR_STATUS status)
      : ComObject({&IID_ICoreWebView2NavigationCompletedEventArgs}), id_(id), success_(success), status_(status) {}
  HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* success) override { return *success = success_, S_OK; }
  HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* status) override {
    return *status = status_, S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override { return *id = id_, S_OK; }

 private:
  UINT64 id_;
  BOOL success_;
  COREWEBVIEW2_WEB_ERROR_STATUS status_;
};

class FrameCreatedArgs final : public ComObject<stubs::ICoreWebView2FrameCreatedEventArgs> {
 public:
  explicit FrameCreatedArgs(ComPtr<FakeFrame> frame)
      : ComObject({&IID_ICoreWebView2FrameCreatedEventArgs}), frame_(std::move(frame)) {}
  HRESULT STDMETHODCALLTYPE get_Frame(ICoreWebView2Frame** frame) override {
    *frame = frame_.get();
    frame_->AddRef();
    return S_OK;
  }

 private:
  ComPtr<FakeFrame> frame_;
};

class ProcessFailedArgs final : public ComObject<stubs::ICoreWebView2ProcessFailedEventArgs> {
 public:
  explicit ProcessFailedArgs(COREWEBVIEW2_PROCESS_FAILED_KIND kind)
      : ComObject({&IID_ICoreWebView2ProcessFailedEventArgs}), kind_(kind) {}
  HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* kind) override {
    return *kind = kind_, S_OK;
  }

 private:
  COREWEBVIEW2_PROCESS_FAILED_KIND kind_;
};

class KeyArgs final : public ComObject<stubs::ICoreWebView2AcceleratorKeyPressedEventArgs> {
 public:
  KeyArgs(UINT key, COREWEBVIEW2_KEY_EVENT_KIND kind)
      : ComObject({&IID_ICoreWebView2AcceleratorKeyPressedEventArgs}), key_(key), kind_(kind) {}
  HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* kind) override { return *kind = kind_, S_OK; }
  HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* key) override { return *key = key_, S_OK; }
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled_out) override { return *handled_out = handled, S_OK; }
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override { return handled = value, S_OK; }
  BOOL handled = FALSE;

 private:
  UINT key_;
  COREWEBVIEW2_KEY_EVENT_KIND kind_;
};

class MenuItem final : public ComObject<stubs::ICoreWebView2ContextMenuItem> {
 public:
  explicit MenuItem(MenuEntry entry) : ComObject({&IID_ICoreWebView2ContextMenuItem}), entry_(std::move(entry)) {}
  HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* value) override { return *value = CoString(entry_.name), S_OK; }
  HRESULT STDMETHODCALLTYPE get_Label(LPWSTR* value) override { return *value = CoString(entry_.label), S_OK; }
  HRESULT STDMETHODCALLTYPE get_CommandId(INT32* value) override { return *value = entry_.command, S_OK; }
  HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND* value) override {
    *value = entry_.name.empty() ? COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_SEPARATOR
                                 : COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_COMMAND;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsEnabled(BOOL* value) override { return *value = entry_.enabled, S_OK; }
  HRESULT STDMETHODCALLTYPE get_IsChecked(BOOL* value) override { return *value = FALSE, S_OK; }

 private:
  MenuEntry entry_;
};

class MenuItems final : public ComObject<stubs::ICoreWebView2ContextMenuItemCollection> {
 public:
  explicit MenuItems(const std::vector<MenuEntry>& entries) : ComObject({&IID_ICoreWebView2ContextMenuItemCollection}) {
    for (const MenuEntry& entry : entries) items_.push_back(MakeFake<MenuItem>(entry));
  }
  HRESULT STDMETHODCALLTYPE get_Count(UINT32* value) override { return *value = static_cast<UINT32>(items_.size()), S_OK; }
  HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT32 index, ICoreWebView2ContextMenuItem** value) override {
    if (index >= items_.size()) return E_INVALIDARG;
    *value = items_[index].get();
    (*value)->AddRef();
    return S_OK;
  }

 private:
  std::vector<ComPtr<MenuItem>> items_;
};

}  // namespace

// ------------------------------------------------------------- context menus

FakeContextMenu::FakeContextMenu(std::vector<MenuEntry> entries, POINT location)
    : ComObject({&IID_ICoreWebView2ContextMenuRequestedEventArgs}), entries(std::move(entries)), location(location) {}
HRESULT FakeContextMenu::get_MenuItems(ICoreWebView2ContextMenuItemCollection** items) {
  auto made = MakeFake<MenuItems>(entries);
  *items = made.get();
  made->AddRef();
  return S_OK;
}
HRESULT FakeContextMenu::get_Location(POINT* value) { return *value = location, S_OK; }
HRESULT FakeContextMenu::put_SelectedCommandId(INT32 id) { return selected = id, S_OK; }
HRESULT FakeContextMenu::get_SelectedCommandId(INT32* id) { return *id = selected, S_OK; }
HRESULT FakeContextMenu::put_Handled(BOOL value) { return handled = value, S_OK; }
HRESULT FakeContextMenu::get_Handled(BOOL* value) { return *value = handled, S_OK; }
HRESULT FakeContextMenu::GetDeferral(ICoreWebView2Deferral** out) {
  if (!deferral) deferral = MakeFake<FakeDeferral>();
  *out = deferral.get();
  deferral->AddRef();
  return S_OK;
}

// ------------------------------------------------------------- downloads

FakeDownload::FakeDownload(std::wstring suggested)
    : ComObject({&IID_ICoreWebView2DownloadStartingEventArgs}),
      operation(MakeFake<FakeDownloadOperation>()),
      path(std::move(suggested)) {}
HRESULT FakeDownload::get_DownloadOperation(ICoreWebView2DownloadOperation** out) {
  *out = operation.get();
  operation->AddRef();
  return S_OK;
}
HRESULT FakeDownload::get_Cancel(BOOL* value) { return *value = cancel, S_OK; }

FakeDownloadOperation::FakeDownloadOperation() : ComObject({&IID_ICoreWebView2DownloadOperation}) {}
HRESULT FakeDownloadOperation::add_StateChanged(ICoreWebView2StateChangedEventHandler* handler,
                                                EventRegistrationToken* token) {
  return Keep(state_changed_, handler, token);
}
HRESULT FakeDownloadOperation::remove_StateChanged(EventRegistrationToken) { return state_changed_.reset(), S_OK; }
HRESULT FakeDownloadOperation::get_State(COREWEBVIEW2_DOWNLOAD_STATE* value) { return *value = state, S_OK; }
void FakeDownloadOperation::RaiseState(COREWEBVIEW2_DOWNLOAD_STATE value) {
  state = value;
  if (state_changed_) state_changed_->Invoke(this, nullptr);
}
HRESULT FakeDownload::put_Cancel(BOOL value) { return cancel = value, S_OK; }
HRESULT FakeDownload::get_ResultFilePath(LPWSTR* value) { return *value = CoString(path), S_OK; }
HRESULT FakeDownload::put_ResultFilePath(LPCWSTR value) { return path = value, S_OK; }
HRESULT FakeDownload::GetDeferral(ICoreWebView2Deferral** out) {
  if (!deferral) deferral = MakeFake<FakeDeferral>();
  *out = deferral.get();
  deferral->AddRef();
  return S_OK;
}

// ------------------------------------------------------------- settings

FakeSettings::FakeSettings()
    : ComObject({&IID_ICoreWebView2Settings, &IID_ICoreWebView2Settings2, &IID_ICoreWebView2Settings3,
                 &IID_ICoreWebView2Settings4}) {}
HRESULT FakeSettings::put_AreDevToolsEnabled(BOOL value) { return dev_tools = value, S_OK; }
HRESULT FakeSettings::put_AreBrowserAcceleratorKeysEnabled(BOOL value) { return accelerator_keys = value, S_OK; }
HRESULT FakeSettings::put_IsPasswordAutosaveEnabled(BOOL value) { return password_autosave = value, S_OK; }
HRESULT FakeSettings::put_IsGeneralAutofillEnabled(BOOL value) { return autofill = value, S_OK; }
HRESULT FakeSettings::put_AreDefaultScriptDialogsEnabled(BOOL value) { return script_dialogs = value, S_OK; }

// ------------------------------------------------------------- script dialogs

FakeDeferral::FakeDeferral() : ComObject({&IID_ICoreWebView2Deferral}) {}
HRESULT FakeDeferral::Complete() { return ++completed, S_OK; }

FakeScriptDialog::FakeScriptDialog(COREWEBVIEW2_SCRIPT_DIALOG_KIND kind, std::wstring message,
                                   std::wstring default_text)
    : ComObject({&IID_ICoreWebView2ScriptDialogOpeningEventArgs}),
      kind(kind),
      message(std::move(message)),
      default_text(std::move(default_text)) {}
HRESULT FakeScriptDialog::get_Uri(LPWSTR* uri) { return *uri = CoString(L"http://localhost:8010/main.aspx"), S_OK; }
HRESULT FakeScriptDialog::get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* out) { return *out = kind, S_OK; }
// Empty for beforeunload, as WebView2 gives it.
HRESULT FakeScriptDialog::get_Message(LPWSTR* out) {
  return *out = CoString(kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD ? L"" : message), S_OK;
}
HRESULT FakeScriptDialog::Accept() { return accepted = true, S_OK; }
HRESULT FakeScriptDialog::get_DefaultText(LPWSTR* out) { return *out = CoString(default_text), S_OK; }
HRESULT FakeScriptDialog::put_ResultText(LPCWSTR text) { return result_text = text ? text : L"", S_OK; }
HRESULT FakeScriptDialog::GetDeferral(ICoreWebView2Deferral** out) {
  if (!deferral) deferral = MakeFake<FakeDeferral>();
  *out = deferral.get();
  deferral->AddRef();
  return S_OK;
}

// ------------------------------------------------------------- frames

FakeFrame::FakeFrame() : ComObject({&IID_ICoreWebView2Frame, &IID_ICoreWebView2Frame2}) {}

HRESULT FakeFrame::add_NavigationStarting(ICoreWebView2FrameNavigationStartingEventHandler* handler,
                                          EventRegistrationToken* token) {
  return Keep(starting_, handler, token);
}
HRESULT FakeFrame::remove_NavigationStarting(EventRegistrationToken) { return starting_.reset(), S_OK; }
HRESULT FakeFrame::add_NavigationCompleted(ICoreWebView2FrameNavigationCompletedEventHandler* handler,
                                           EventRegistrationToken* token) {
  return Keep(completed_, handler, token);
}
HRESULT FakeFrame::remove_NavigationCompleted(EventRegistrationToken) { return completed_.reset(), S_OK; }
HRESULT FakeFrame::add_Destroyed(ICoreWebView2FrameDestroyedEventHandler* handler, EventRegistrationToken* token) {
  return Keep(destroyed_, handler, token);
}
HRESULT FakeFrame::remove_Destroyed(EventRegistrationToken) { return destroyed_.reset(), S_OK; }

bool FakeFrame::Load(UINT64 id, const std::wstring& uri, bool success) {
  auto starting = MakeFake<StartingArgs>(id, uri, false);
  if (starting_) starting_->Invoke(this, starting.get());
  if (starting->cancel_) success = false;
  auto completed = MakeFake<CompletedArgs>(id, success,
                                           starting->cancel_ ? COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED
                                                             : COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN);
  if (completed_) completed_->Invoke(this, completed.get());
  return !starting->cancel_;
}

// ------------------------------------------------------------- the web view

FakeWebView::FakeWebView()
    : ComObject({&IID_ICoreWebView2, &IID_ICoreWebView2_2, &IID_ICoreWebView2_3, &IID_ICoreWebView2_4,
                 &IID_ICoreWebView2_5, &IID_ICoreWebView2_6, &IID_ICoreWebView2_7, &IID_ICoreWebView2_8,
                 &IID_ICoreWebView2_9, &IID_ICoreWebView2_10, &IID_ICoreWebView2_11}),
      settings(MakeFake<FakeSettings>()) {}

HRESULT FakeWebView::get_Settings(ICoreWebView2Settings** out) {
  *out = settings.get();
  settings->AddRef();
  return S_OK;
}
HRESULT FakeWebView::get_Source(LPWSTR* uri) { return *uri = CoString(source), S_OK; }
HRESULT FakeWebView::Navigate(LPCWSTR uri) { return navigated.emplace_back(uri), S_OK; }
HRESULT FakeWebView::NavigateToString(LPCWSTR html) { return shown.emplace_back(html), S_OK; }
HRESULT FakeWebView::Reload() { return ++reloads, S_OK; }
HRESULT FakeWebView::get_CanGoBack(BOOL* can) { return *can = can_go_back, S_OK; }
HRESULT FakeWebView::GoBack() { return ++went_back, S_OK; }
HRESULT FakeWebView::get_CanGoForward(BOOL* can) { return *can = can_go_forward, S_OK; }
HRESULT FakeWebView::ExecuteScript(LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* handler) {
  scripts.emplace_back(script);
  if (handler != nullptr) handler->Invoke(S_OK, L"0");
  return S_OK;
}

#define FAKE_EVENT(Event, slot)                                                                                \
  HRESULT FakeWebView::add_##Event(ICoreWebView2##Event##EventHandler* handler, EventRegistrationToken* token) { \
    return Keep(slot, handler, token);                                                                         \
  }                                                                                                            \
  HRESULT FakeWebView::remove_##Event(EventRegistrationToken) { return slot.reset(), S_OK; }
FAKE_EVENT(NavigationStarting, starting_)
FAKE_EVENT(ContentLoading, content_loading_)
FAKE_EVENT(NavigationCompleted, completed_)
FAKE_EVENT(NewWindowRequested, new_window_)
FAKE_EVENT(ProcessFailed, process_failed_)
FAKE_EVENT(PermissionRequested, permission_)
FAKE_EVENT(FrameCreated, frame_created_)
FAKE_EVENT(ScriptDialogOpening, script_dialog_)
FAKE_EVENT(ContextMenuRequested, context_menu_)
FAKE_EVENT(DownloadStarting, download_)
FAKE_EVENT(DocumentTitleChanged, title_changed_)
FAKE_EVENT(WindowCloseRequested, close_requested_)
#undef FAKE_EVENT

HRESULT FakeWebView::get_DocumentTitle(LPWSTR* out) { return *out = CoString(title), S_OK; }

void FakeWebView::RaiseTitle(const std::wstring& text) {
  title = text;
  if (title_changed_) title_changed_->Invoke(this, nullptr);
}

void FakeWebView::RaiseWindowCloseRequested() {
  if (close_requested_) close_requested_->Invoke(this, nullptr);
}

ComPtr<FakeNewWindow> FakeWebView::RaiseNewWindow(const std::wstring& uri, bool user) {
  auto args = MakeFake<FakeNewWindow>(uri, user);
  if (new_window_) new_window_->Invoke(this, args.get());
  args->returned = true;
  return args;
}

FakeNewWindow::FakeNewWindow(std::wstring address, bool user)
    : ComObject({&IID_ICoreWebView2NewWindowRequestedEventArgs}), uri(std::move(address)), user_initiated(user) {}
HRESULT FakeNewWindow::get_Uri(LPWSTR* out) { return *out = CoString(uri), S_OK; }
HRESULT FakeNewWindow::put_NewWindow(ICoreWebView2* webview) {
  new_window = ComPtr<ICoreWebView2>::Retain(webview);
  return S_OK;
}
HRESULT FakeNewWindow::put_Handled(BOOL value) { return handled = value, S_OK; }
HRESULT FakeNewWindow::get_IsUserInitiated(BOOL* out) { return *out = user_initiated, S_OK; }
HRESULT FakeNewWindow::GetDeferral(ICoreWebView2Deferral** out) {
  deferral = MakeFake<FakeDeferral>();
  *out = deferral.get();
  deferral->AddRef();
  return S_OK;
}

bool FakeWebView::Listened() const { return starting_ && content_loading_ && completed_ && frame_created_; }

bool FakeWebView::RaiseStarting(UINT64 id, const std::wstring& uri, bool redirect) {
  auto args = MakeFake<StartingArgs>(id, uri, redirect);
  if (starting_) starting_->Invoke(this, args.get());
  return !args->cancel_;
}

void FakeWebView::RaiseContentLoading(UINT64 id) {
  auto args = MakeFake<ContentLoadingArgs>(id);
  if (content_loading_) content_loading_->Invoke(this, args.get());
}

void FakeWebView::RaiseCompleted(UINT64 id, bool success, COREWEBVIEW2_WEB_ERROR_STATUS status) {
  auto args = MakeFake<CompletedArgs>(id, success, status);
  if (completed_) completed_->Invoke(this, args.get());
}

ComPtr<FakeFrame> FakeWebView::RaiseFrameCreated() {
  auto frame = MakeFake<FakeFrame>();
  auto args = MakeFake<FrameCreatedArgs>(frame);
  if (frame_created_) frame_created_->Invoke(this, args.get());
  return frame;
}

void FakeWebView::RaiseProcessFailed(COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
  auto args = MakeFake<ProcessFailedArgs>(kind);
  if (process_failed_) process_failed_->Invoke(this, args.get());
}

ComPtr<FakeDownload> FakeWebView::RaiseDownload(const std::wstring& suggested) {
  auto args = MakeFake<FakeDownload>(suggested);
  if (download_) download_->Invoke(this, args.get());
  args->returned = true;
  return args;
}

ComPtr<FakeContextMenu> FakeWebView::RaiseContextMenu(std::vector<MenuEntry> entries, POINT location) {
  auto args = MakeFake<FakeContextMenu>(std::move(entries), location);
  if (context_menu_) context_menu_->Invoke(this, args.get());
  args->returned = true;
  return args;
}

ComPtr<FakeScriptDialog> FakeWebView::RaiseScriptDialog(COREWEBVIEW2_SCRIPT_DIALOG_KIND kind,
                                                        const std::wstring& message,
                                                        const std::wstring& default_text) {
  auto args = MakeFake<FakeScriptDialog>(kind, message, default_text);
  if (script_dialog_) script_dialog_->Invoke(this, args.get());
  args->returned = true;
  return args;
}

void FakeWebView::Load(UINT64 id, const std::wstring& uri) {
  const std::wstring address = uri.empty() ? L"data:text/html;charset=utf-8;base64,PHA+" : uri;
  if (!RaiseStarting(id, address)) {
    RaiseCompleted(id, false, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED);
    return;
  }
  source = address;
  RaiseContentLoading(id);
  RaiseCompleted(id, true);
}

// ------------------------------------------------------------- controller, environment

FakeController::FakeController(ComPtr<FakeWebView> webview)
    : ComObject({&IID_ICoreWebView2Controller}), webview_(std::move(webview)) {}
HRESULT FakeController::get_CoreWebView2(ICoreWebView2** webview) {
  *webview = webview_.get();
  webview_->AddRef();
  return S_OK;
}
HRESULT FakeController::put_Bounds(RECT value) { return bounds = value, S_OK; }
HRESULT FakeController::put_IsVisible(BOOL value) { return visible = value, S_OK; }
HRESULT FakeController::MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON) { return S_OK; }
HRESULT FakeController::Close() { return closed = true, S_OK; }
HRESULT FakeController::get_ZoomFactor(double* factor) { return *factor = zoom, S_OK; }
HRESULT FakeController::put_ZoomFactor(double factor) { return zoom = factor, S_OK; }
HRESULT FakeController::add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* handler,
                                                  EventRegistrationToken* token) {
  return Keep(key_, handler, token);
}
HRESULT FakeController::remove_AcceleratorKeyPressed(EventRegistrationToken) { return key_.reset(), S_OK; }

bool FakeController::RaiseKey(UINT virtual_key, COREWEBVIEW2_KEY_EVENT_KIND kind) {
  auto args = MakeFake<KeyArgs>(virtual_key, kind);
  if (key_) key_->Invoke(this, args.get());
  return args->handled;
}

FakeEnvironment::FakeEnvironment() : ComObject({&IID_ICoreWebView2Environment}) {}
HRESULT FakeEnvironment::CreateCoreWebView2Controller(HWND parent,
                                                      ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* h) {
  pending = ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>::Retain(h);
  pending_parent = parent;
  return S_OK;
}

FakeWebView2::FakeWebView2()
    : webview(MakeFake<FakeWebView>()),
      controller(MakeFake<FakeController>(webview)),
      environment(MakeFake<FakeEnvironment>()) {}

platform::win32::WebView2Setup FakeWebView2::Setup() {
  platform::win32::WebView2Setup setup;
  setup.user_data_folder = L"C:\\profile";
  setup.create_environment = [this](const std::wstring& folder,
                                    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    user_data_folder = folder;
    environment_pending = ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>::Retain(handler);
    return S_OK;
  };
  setup.offer_to_desktop = [this](const std::string& uri) { offered.push_back(uri); };
  setup.open_in_browser = [this](const std::string& uri) { opened.push_back(uri); };
  setup.browser_started = [this](UINT32 process) { browser_processes.push_back(process); };
  return setup;
}

void FakeWebView2::CompleteEnvironment() {
  auto handler = std::move(environment_pending);
  if (handler) handler->Invoke(S_OK, environment.get());
}

void FakeWebView2::CompleteController() {
  auto handler = std::move(environment->pending);
  if (handler) handler->Invoke(S_OK, controller.get());
}

ComPtr<FakeWebView> FakeWebView2::CompleteAnotherController() {
  auto handler = std::move(environment->pending);
  if (!handler) return {};
  auto view = MakeFake<FakeWebView>();
  auto another = MakeFake<FakeController>(view);
  handler->Invoke(S_OK, another.get());
  return view;
}

}  // namespace wintest
