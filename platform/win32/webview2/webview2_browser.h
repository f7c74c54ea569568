// The form's browser control on WebView2: WebView2's events turned into the
// browser core's (browser::PageLoad), and the core's requests carried out
// over ICoreWebView2 (browser::PageEngine).
//
// WebView2 event                        PageLoad
//   NavigationStarting                  Decide (cancelled unless followed), Started(id)
//   ContentLoading                      Committed(id, Source)
//   NavigationCompleted                 Failed(id, uri, failure) if not a success, Finished(id)
//   a frame's NavigationCompleted       FrameCompleted(the frame's address)
//   NewWindowRequested                  Decide(new window); followed: a window of ours (Popups)
//   ProcessFailed (the page's process)  ProcessEnded
//   ScriptDialogOpening                 our boxes (ScriptDialogs); PageFloods, PageKept
//   AcceleratorKeyPressed (controller)  the page's keys (CommandFor), run from the loop
//   ContextMenuRequested                our menu (ChooseFromMenu), from the loop
//   DownloadStarting                    the save dialog, in turn (Downloads)
//
// The control is made asynchronously (the environment, then the controller
// on the parent window): nothing waits for it, and what the core asks of
// the page meanwhile is carried out once the controller exists.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser/page_commands.h"
#include "platform/browser/page_load.h"
#include "platform/twips.h"
#include "platform/win32/hosted_browser.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/webview2/downloads.h"
#include "platform/win32/webview2/script_dialogs.h"
#include "platform/win32/webview2/webview2_sdk.h"
#include "platform/win32/win32_scheduler.h"

namespace platform::win32 {

// What the control needs of the program, and what the tests replace.
struct WebView2Setup {
  // Where the engine keeps its profile for the run.
  std::wstring user_data_folder;
  // Starts making the environment; the handler is called once it exists or
  // could not be made. CreateWebView2Environment (the loader) when empty.
  std::function<HRESULT(const std::wstring& user_data_folder,
                        ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler)>
      create_environment;
  // A page's link to another site, opened in the desktop's web browser
  // (ShellExecuteW when empty); an e-mail, telephone or SMS link offered to
  // the desktop's program (ShellExecuteW when empty).
  std::function<void(const std::string& uri)> open_in_browser;
  std::function<void(const std::string& uri)> offer_to_desktop;
  // The browser process the control's page runs in, once the control has
  // been made: the profile can go only once that process has ended.
  std::function<void(UINT32 process_id)> browser_started;
  // The save dialogs' turns, shared by every control made with this setup
  // (made by the first when empty).
  std::shared_ptr<Downloads> downloads;
};

class Popups;

// A control made for a page's new window (Popups): it joins the opener's
// environment and takes the new page through the event's deferral, rather
// than loading a page of its own.
struct WebView2NewWindow {
  ComPtr<ICoreWebView2Environment> environment;
  ComPtr<ICoreWebView2NewWindowRequestedEventArgs> args;
  ComPtr<ICoreWebView2Deferral> deferral;
  Popups* family = nullptr;  // where its own pop-ups go
  std::function<void(const std::string& title, const std::string& uri)> caption;
  std::function<void()> close_requested;  // the page's window.close()
};

class WebView2Browser final : public HostedBrowser, private browser::PageEngine {
 public:
  WebView2Browser(HWND parent, UINT dpi, const BrowserDesign& design, BrowserEvents events, WebView2Setup setup,
                  WebView2NewWindow new_window = {});
  ~WebView2Browser() override;
  WebView2Browser(const WebView2Browser&) = delete;
  WebView2Browser& operator=(const WebView2Browser&) = delete;

  // Control
  Single Left() const override { return rect_.left; }
  Single Top() const override { return rect_.top; }
  Single Width() const override { return rect_.width; }
  Single Height() const override { return rect_.height; }
  void SetLeft(Single twips) override;
  void SetTop(Single twips) override;
  void SetWidth(Single twips) override;
  void SetHeight(Single twips) override;

  // Browser
  bool Silent() const override { return silent_; }
  void SetSilent(bool silent) override { silent_ = silent; }
  void Navigate(const std::string& url) override { page_.Navigate(url); }
  std::string LocationURL() const override { return page_.Location(); }
  bool NavigatedByUser() const override { return page_.NavigatedByUser(); }
  void HoldAutomaticNavigation() override { page_.HoldAutomaticNavigation(); }

  // HostedBrowser
  void SetDpi(UINT dpi) override;
  void Focus() override;
  void Detach() override;

  // The controller exists and shows the page.
  bool Ready() const noexcept { return static_cast<bool>(webview_); }

 private:
  // browser::PageEngine
  void Load(const std::string& uri) override;
  void Reload() override;
  void ShowHtml(const std::string& html, const std::string& uri) override;
  void EndWebProcess() override;
  void LeaveFullscreen() override;
  bool Responsive() const override { return responsive_; }
  void Probe() override;
  void CancelProbe() override { ++probe_; }

  // What the core asked of the page before the controller existed.
  struct Queued {
    enum class What { Nothing, Load, Reload, Html } what = What::Nothing;
    std::string uri;
    std::string html;
  };

  // A frame of the page and its handlers, kept until it is destroyed.
  struct Frame {
    ComPtr<ICoreWebView2Frame2> frame;
    EventRegistrationToken starting{}, completed{}, destroyed{};
    std::map<UINT64, std::string> addresses;  // by navigation id
  };

  void Create();
  void OnEnvironment(HRESULT result, ICoreWebView2Environment* environment);
  void OnController(HRESULT result, ICoreWebView2Controller* controller);
  void Configure();
  void Listen();
  void StopListening();
  void Place();
  void SetPlace(Single Rect::*side, Single twips);
  void Carry(const Queued& request);
  // Runs `task` after the current event, from the message loop.
  void Later(std::function<void()> task);

  HRESULT OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* args);
  HRESULT OnContentLoading(ICoreWebView2ContentLoadingEventArgs* args);
  HRESULT OnNavigationCompleted(ICoreWebView2NavigationCompletedEventArgs* args);
  HRESULT OnFrameCreated(ICoreWebView2FrameCreatedEventArgs* args);
  HRESULT OnNewWindowRequested(ICoreWebView2NewWindowRequestedEventArgs* args);
  HRESULT OnProcessFailed(ICoreWebView2ProcessFailedEventArgs* args);
  HRESULT OnPermissionRequested(ICoreWebView2PermissionRequestedEventArgs* args);
  HRESULT OnBasicAuthenticationRequested(ICoreWebView2BasicAuthenticationRequestedEventArgs* args);
  HRESULT OnAcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventArgs* args);
  void RunCommand(browser::PageCommand command);
  void Zoom(int direction);
  void Print();
  // The engine's find bar, where the runtime has one (ICoreWebView2_28).
  bool CanFind() const;
  void Find();
  HRESULT OnContextMenuRequested(ICoreWebView2ContextMenuRequestedEventArgs* args);
  HRESULT OnDownloadStarting(ICoreWebView2DownloadStartingEventArgs* args);
  HRESULT OnScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventArgs* args) { return dialogs_.Opening(args); }
  void ForgetFrame(Frame* frame);
  // The new window this control was made for will not have it: none opens.
  void GiveUpNewWindow();
  void ListenAsNewWindow();
  void Recaption();
  // Carries out the core's decision; false when the engine is not to follow.
  bool Follow(browser::NavigationDecision decision, const std::string& uri);

  HWND parent_;
  TwipScale scale_;
  Rect rect_;
  BrowserEvents events_;
  WebView2Setup setup_;
  Win32Scheduler scheduler_;
  browser::PageLoad page_{*this, scheduler_};
  ScriptDialogs dialogs_;
  WebView2NewWindow new_window_;
  // The pop-ups of this control's pages: its own, or, for a pop-up, the
  // family of the control that opened it.
  std::unique_ptr<Popups> own_popups_;
  Popups* popups_ = nullptr;
  // Handlers WebView2 calls later check this before they touch the control.
  std::shared_ptr<WebView2Browser*> alive_;

  ComPtr<ICoreWebView2Environment> environment_;
  ComPtr<ICoreWebView2Controller> controller_;
  ComPtr<ICoreWebView2> webview_;
  std::vector<std::pair<HRESULT (STDMETHODCALLTYPE ICoreWebView2::*)(EventRegistrationToken), EventRegistrationToken>>
      registrations_;
  ComPtr<ICoreWebView2_4> webview4_;
  EventRegistrationToken accelerator_key_{};
  ComPtr<ICoreWebView2_11> webview11_;
  EventRegistrationToken context_menu_{};
  EventRegistrationToken frame_created_{};
  EventRegistrationToken download_starting_{};
  std::vector<std::unique_ptr<Frame>> frames_;

  Queued queued_;
  // The page of ours asked for (ShowHtml) and the address it stands for,
  // until its navigation starts; then that navigation's id.
  std::string own_page_uri_;
  bool own_page_asked_ = false;
  UINT64 own_page_id_ = 0;
  bool own_page_started_ = false;
  // The address each navigation under way started for, by id.
  std::map<UINT64, std::string> addresses_;
  std::vector<std::unique_ptr<browser::Timer>> later_;
  int ending_ = 0;  // process ends asked for and not yet reported
  unsigned probe_ = 0;
  bool responsive_ = true;
  bool silent_ = false;
  bool detached_ = false;
};

// The factory the Win32 toolkit is given: WebView2 controls sharing one
// user data folder. `setup.user_data_folder` applies to every control.
BrowserFactory WebView2Factory(WebView2Setup setup);

}  // namespace platform::win32
