// Test doubles of WebView2: an environment, a controller, a web view, its
// settings, frames and event arguments, implementing the ICoreWebView2*
// interfaces the adapter uses, compiled against the SDK's headers. Nothing
// runs a page: a test raises the events itself, in the orders WebView2
// documents (navigation events: NavigationStarting, SourceChanged,
// ContentLoading, HistoryChanged, DOMContentLoaded, NavigationCompleted; a
// navigation started during another: Starting(1), Starting(2),
// Completed(1), the rest of 2; a navigation cancelled in NavigationStarting
// completes unsuccessfully, OPERATION_CANCELED).
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/com_ptr.h"
#include "platform/win32/webview2/webview2_browser.h"
#include "tests/windows/webview2_stubs.h"

namespace wintest {

using platform::win32::ComPtr;

// IUnknown for a double that implements one chain of interfaces.
template <class Stub>
class ComObject : public Stub {
 public:
  explicit ComObject(std::initializer_list<const IID*> iids) : iids_(iids) {}
  virtual ~ComObject() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    bool known = IsEqualIID(riid, IID_IUnknown);
    for (const IID* iid : iids_) known = known || IsEqualIID(riid, *iid);
    if (!known) return E_NOINTERFACE;
    *object = static_cast<Stub*>(this);
    this->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::vector<const IID*> iids_;
  ULONG references_ = 1;
};

template <class T, class... A>
ComPtr<T> MakeFake(A&&... args) {
  return ComPtr<T>::Adopt(new T(std::forward<A>(args)...));
}

class FakeSettings final : public ComObject<stubs::ICoreWebView2Settings4> {
 public:
  FakeSettings();
  HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL value) override;
  HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL value) override;
  HRESULT STDMETHODCALLTYPE put_IsPasswordAutosaveEnabled(BOOL value) override;
  HRESULT STDMETHODCALLTYPE put_IsGeneralAutofillEnabled(BOOL value) override;
  HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL value) override;
  // As WebView2 starts: everything on.
  BOOL dev_tools = TRUE, accelerator_keys = TRUE, password_autosave = TRUE, autofill = TRUE, script_dialogs = TRUE;
};

class FakeFrame final : public ComObject<stubs::ICoreWebView2Frame2> {
 public:
  FakeFrame();
  HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2FrameNavigationStartingEventHandler* handler,
                                                   EventRegistrationToken* token) override;
  HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) override;
  HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2FrameNavigationCompletedEventHandler* handler,
                                                    EventRegistrationToken* token) override;
  HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken token) override;
  HRESULT STDMETHODCALLTYPE add_Destroyed(ICoreWebView2FrameDestroyedEventHandler* handler,
                                          EventRegistrationToken* token) override;
  HRESULT STDMETHODCALLTYPE remove_Destroyed(EventRegistrationToken token) override;

  // The frame's own navigation, whole: true when it was let through.
  bool Load(UINT64 id, const std::wstring& uri, bool success = true);

 private:
  ComPtr<ICoreWebView2FrameNavigationStartingEventHandler> starting_;
  ComPtr<ICoreWebView2FrameNavigationCompletedEventHandler> completed_;
  ComPtr<ICoreWebView2FrameDestroyedEventHandler> destroyed_;
};

// A deferral: the event it was taken from is answered when it completes.
class FakeDeferral final : public ComObject<stubs::ICoreWebView2Deferral> {
 public:
  FakeDeferral();
  HRESULT STDMETHODCALLTYPE Complete() override;
  int completed = 0;
};

// A page's alert, confirm, prompt or beforeunload, as the page's script
// waits in it.
class FakeScriptDialog final : public ComObject<stubs::ICoreWebView2ScriptDialogOpeningEventArgs> {
 public:
  FakeScriptDialog(COREWEBVIEW2_SCRIPT_DIALOG_KIND kind, std::wstring message, std::wstring default_text = L"");
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override;
  HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) override;
  HRESULT STDMETHODCALLTYPE get_Message(LPWSTR* message) override;
  HRESULT STDMETHODCALLTYPE Accept() override;
  HRESULT STDMETHODCALLTYPE get_DefaultText(LPWSTR* text) override;
  HRESULT STDMETHODCALLTYPE put_ResultText(LPCWSTR text) override;
  HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) override;
  // Answered: by the handler's return when no deferral was taken, else by
  // the deferral's completion.
  bool Answered() const { return returned && (!deferral || deferral->completed > 0); }

  COREWEBVIEW2_SCRIPT_DIALOG_KIND kind;
  std::wstring message;
  std::wstring default_text;  // prompt's second argument
  std::wstring result_text;   // what prompt() returns when accepted
  bool accepted = false;
  bool returned = false;  // the handler has returned
  ComPtr<FakeDeferral> deferral;
};

// An item of the engine's context menu, and the menu's request.
struct MenuEntry {
  std::wstring name;   // the engine's unlocalized name; empty: a separator
  std::wstring label;  // the engine's own label
  INT32 command = 0;
  bool enabled = true;
};

class FakeContextMenu final : public ComObject<stubs::ICoreWebView2ContextMenuRequestedEventArgs> {
 public:
  FakeContextMenu(std::vector<MenuEntry> entries, POINT location);
  HRESULT STDMETHODCALLTYPE get_MenuItems(ICoreWebView2ContextMenuItemCollection** items) override;
  HRESULT STDMETHODCALLTYPE get_Location(POINT* location) override;
  HRESULT STDMETHODCALLTYPE put_SelectedCommandId(INT32 id) override;
  HRESULT STDMETHODCALLTYPE get_SelectedCommandId(INT32* id) override;
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) override;
  // WebView2 shows its own menu unless handled; with a deferral, once it completes.
  bool Answered() const { return returned && (!deferral || deferral->completed > 0); }

  std::vector<MenuEntry> entries;
  POINT location;
  INT32 selected = -1;  // as WebView2 starts it
  BOOL handled = FALSE;
  bool returned = false;
  ComPtr<FakeDeferral> deferral;
};

// A download as it asks where it goes; the engine's own choice is
// `suggested` (its download folder and the server's name).
// A download under way, as the engine runs it once it has a destination.
class FakeDownloadOperation final : public ComObject<stubs::ICoreWebView2DownloadOperation> {
 public:
  FakeDownloadOperation();
  HRESULT STDMETHODCALLTYPE add_StateChanged(ICoreWebView2StateChangedEventHandler* handler,
                                             EventRegistrationToken* token) override;
  HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken token) override;
  HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_DOWNLOAD_STATE* value) override;
  // The download completes, or is interrupted.
  void RaiseState(COREWEBVIEW2_DOWNLOAD_STATE value);

  COREWEBVIEW2_DOWNLOAD_STATE state = COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS;

 private:
  ComPtr<ICoreWebView2StateChangedEventHandler> state_changed_;
};

class FakeDownload final : public ComObject<stubs::ICoreWebView2DownloadStartingEventArgs> {
 public:
  explicit FakeDownload(std::wstring suggested);
  HRESULT STDMETHODCALLTYPE get_DownloadOperation(ICoreWebView2DownloadOperation** operation) override;
  ComPtr<FakeDownloadOperation> operation;
  HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) override;
  bool Answered() const { return returned && (!deferral || deferral->completed > 0); }

  std::wstring path;  // ResultFilePath
  BOOL cancel = FALSE;
  bool returned = false;
  ComPtr<FakeDeferral> deferral;
};

// A page's request for a new window (target="_blank", window.open).
class FakeNewWindow final : public ComObject<stubs::ICoreWebView2NewWindowRequestedEventArgs> {
 public:
  FakeNewWindow(std::wstring uri, bool user);
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override;
  HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* webview) override;
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override;
  HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* user) override;
  HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) override;
  // No window features: the page asked for no size.
  HRESULT STDMETHODCALLTYPE get_WindowFeatures(ICoreWebView2WindowFeatures** features) override {
    *features = nullptr;
    return S_OK;
  }
  // WebView2 opens a window of its own unless the handler took the
  // request (Handled) or gave it a web view, once the deferral completes.
  bool Answered() const { return returned && (!deferral || deferral->completed > 0); }

  std::wstring uri;
  BOOL user_initiated;
  BOOL handled = FALSE;
  ComPtr<ICoreWebView2> new_window;
  bool returned = false;
  ComPtr<FakeDeferral> deferral;
};

class FakeWebView final : public ComObject<stubs::ICoreWebView2_11> {
 public:
  FakeWebView();
  HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override;
  HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override {
    *value = browser_process;
    return S_OK;
  }
  UINT32 browser_process = 4242;
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override;
  HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
  HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR html) override;
  HRESULT STDMETHODCALLTYPE Reload() override;
  HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
  HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* can) override;
  HRESULT STDMETHODCALLTYPE GoBack() override;
  HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* can) override;
#define FAKE_EVENT(Event)                                                                                     \
  HRESULT STDMETHODCALLTYPE add_##Event(ICoreWebView2##Event##EventHandler* handler, EventRegistrationToken* token) \
      override;                                                                                               \
  HRESULT STDMETHODCALLTYPE remove_##Event(EventRegistrationToken token) override;
  FAKE_EVENT(NavigationStarting)
  FAKE_EVENT(ContentLoading)
  FAKE_EVENT(NavigationCompleted)
  FAKE_EVENT(NewWindowRequested)
  FAKE_EVENT(ProcessFailed)
  FAKE_EVENT(PermissionRequested)
  FAKE_EVENT(FrameCreated)
  FAKE_EVENT(ScriptDialogOpening)
  FAKE_EVENT(ContextMenuRequested)
  FAKE_EVENT(DownloadStarting)
  FAKE_EVENT(DocumentTitleChanged)
  FAKE_EVENT(WindowCloseRequested)
#undef FAKE_EVENT
  HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) override;

  // Raise one event each. Starting answers whether it was let through.
  bool RaiseStarting(UINT64 id, const std::wstring& uri, bool redirect = false);
  void RaiseContentLoading(UINT64 id);
  void RaiseCompleted(UINT64 id, bool success,
                      COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN);
  ComPtr<FakeFrame> RaiseFrameCreated();
  void RaiseProcessFailed(COREWEBVIEW2_PROCESS_FAILED_KIND kind);
  ComPtr<FakeDownload> RaiseDownload(const std::wstring& suggested);
  ComPtr<FakeContextMenu> RaiseContextMenu(std::vector<MenuEntry> entries, POINT location);
  ComPtr<FakeNewWindow> RaiseNewWindow(const std::wstring& uri, bool user);
  void RaiseTitle(const std::wstring& title);
  void RaiseWindowCloseRequested();
  ComPtr<FakeScriptDialog> RaiseScriptDialog(COREWEBVIEW2_SCRIPT_DIALOG_KIND kind, const std::wstring& message,
                                             const std::wstring& default_text = L"");
  // A whole navigation as WebView2 reports a load that succeeds (Source
  // changes before ContentLoading); the one NavigateToString asked for
  // when `uri` is empty (its address is a data: one).
  void Load(UINT64 id, const std::wstring& uri);
  bool Listened() const;

  std::vector<std::wstring> navigated;  // Navigate's addresses, in order
  std::vector<std::wstring> shown;      // NavigateToString's documents
  std::vector<std::wstring> scripts;    // ExecuteScript's, in order
  int reloads = 0;
  BOOL can_go_back = TRUE;
  BOOL can_go_forward = FALSE;
  int went_back = 0;
  std::wstring source = L"about:blank";
  std::wstring title;
  ComPtr<FakeSettings> settings;

 private:
  ComPtr<ICoreWebView2NavigationStartingEventHandler> starting_;
  ComPtr<ICoreWebView2ContentLoadingEventHandler> content_loading_;
  ComPtr<ICoreWebView2NavigationCompletedEventHandler> completed_;
  ComPtr<ICoreWebView2NewWindowRequestedEventHandler> new_window_;
  ComPtr<ICoreWebView2ProcessFailedEventHandler> process_failed_;
  ComPtr<ICoreWebView2PermissionRequestedEventHandler> permission_;
  ComPtr<ICoreWebView2FrameCreatedEventHandler> frame_created_;
  ComPtr<ICoreWebView2ScriptDialogOpeningEventHandler> script_dialog_;
  ComPtr<ICoreWebView2ContextMenuRequestedEventHandler> context_menu_;
  ComPtr<ICoreWebView2DownloadStartingEventHandler> download_;
  ComPtr<ICoreWebView2DocumentTitleChangedEventHandler> title_changed_;
  ComPtr<ICoreWebView2WindowCloseRequestedEventHandler> close_requested_;
};

class FakeController final : public ComObject<stubs::ICoreWebView2Controller> {
 public:
  explicit FakeController(ComPtr<FakeWebView> webview);
  HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** webview) override;
  HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override;
  HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL visible) override;
  HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) override;
  HRESULT STDMETHODCALLTYPE Close() override;
  HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* factor) override;
  HRESULT STDMETHODCALLTYPE put_ZoomFactor(double factor) override;
  HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* handler,
                                                      EventRegistrationToken* token) override;
  HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken token) override;

  // A key the control's window got, as WebView2 reports it before the page
  // sees it (the modifiers are in the thread's key state): true when the
  // handler kept it from the page and the engine.
  bool RaiseKey(UINT virtual_key, COREWEBVIEW2_KEY_EVENT_KIND kind);

  RECT bounds{};
  double zoom = 1.0;
  BOOL visible = FALSE;
  bool closed = false;

 private:
  ComPtr<FakeWebView> webview_;
  ComPtr<ICoreWebView2AcceleratorKeyPressedEventHandler> key_;
};

class FakeEnvironment final : public ComObject<stubs::ICoreWebView2Environment> {
 public:
  FakeEnvironment();
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
  ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> pending;
  HWND pending_parent = nullptr;  // the window the pending controller is for
};

// One WebView2 as the adapter sees it, made when the test says so.
struct FakeWebView2 {
  FakeWebView2();
  // Creation as the adapter starts it: held until the test completes it.
  platform::win32::WebView2Setup Setup();
  void CompleteEnvironment();
  void CompleteController();
  // Completes the controller asked for last (a pop-up's) with a web view of
  // its own, which it returns.
  ComPtr<FakeWebView> CompleteAnotherController();

  ComPtr<FakeWebView> webview;
  ComPtr<FakeController> controller;
  ComPtr<FakeEnvironment> environment;
  ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> environment_pending;
  std::wstring user_data_folder;
  std::vector<std::string> offered;  // addresses offered to the desktop
  std::vector<std::string> opened;   // addresses opened in the desktop's browser
  std::vector<UINT32> browser_processes;  // as the control reported them
};

}  // namespace wintest
