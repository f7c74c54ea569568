// One web view as users of a desktop browser expect it: error pages in place
// of failed loads and crashed pages, the usual keys, a find bar, a Chinese
// context menu, page dialogs, downloads handed to the engine's download
// handling, and pop-up windows that share the session. The form's browser
// control and every pop-up window are made of one.
#pragma once

#include <glibmm/main.h>
#include <gtkmm/overlay.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

class FindBar;
class HangQuestion;
class HangWatch;
class MessageBoxLater;
class OutsideLinks;
class PageDialogs;
class PopupFamily;
class PrintDialog;
class WebEngine;

class BrowserView {
 public:
  // A view on the engine's shared session. A pop-up's view is created
  // related to its opener's, as the engine requires.
  BrowserView(WebEngine& engine, PopupFamily& family, WebKitWebView* opener = nullptr);
  ~BrowserView();
  BrowserView(const BrowserView&) = delete;
  BrowserView& operator=(const BrowserView&) = delete;

  // The widget to place in a window: the page with the find bar over it.
  Gtk::Widget& Widget() const noexcept { return *overlay_; }
  WebKitWebView* View() const noexcept { return view_.get(); }

  // Starts loading `uri`. Should the page's web process not answer (a
  // script that never returns holds it), that process is ended and the load
  // carried out in a new one; the web session lives on in the network
  // process.
  void Navigate(const std::string& uri);
  // F5: the same for loading the page again.
  void Reload();
  // The address of the page shown, as of the last committed load.
  const std::string& Location() const noexcept { return location_; }
  void SetSilent(bool silent) noexcept { silent_ = silent; }
  // See BrowserDesign::frames_wait_for_their_page.
  void SetFramesWaitForTheirPage(bool wait) noexcept { frames_wait_ = wait; }
  // See Browser::NavigatedByUser and Browser::HoldAutomaticNavigation.
  bool NavigatedByUser() const noexcept { return navigated_by_user_; }
  void HoldAutomaticNavigation() noexcept { hold_next_page_ = true; }
  // See BrowserDesign::before_login: what the view says has no word about a
  // login state.
  void SetBeforeLogin(bool before_login) noexcept { before_login_ = before_login; }

  // Every frame that finished loading, then the page itself; never a load
  // that failed, nor an error page shown in its place.
  std::function<void(bool top_level, const std::string& url)> document_complete;
  // The page asked to close its window (pop-ups).
  std::function<void()> close_requested;

  // The page wants its window shown (pop-ups), with the size it asked for.
  std::function<void(const GdkRectangle& geometry)> ready_to_show;

  // Nothing more reaches the owner: pop-ups close, dialogs are answered,
  // loading stops.
  void Detach();

 private:
  // What the view is loading: a page of the web, or an error page of the
  // program's own, whose completion is no document of the web's.
  enum class LoadState {
    Idle,
    Loading,        // a page, not failed so far
    Failed,         // a page whose load failed: its FINISHED is no completion
    ErrorPageNext,  // an error page of ours asked for, not started yet
    ErrorPage,      // an error page of ours loading
  };

  // Ends a page that will not stop opening dialogs (or asking to print): a
  // pop-up's window closes, any other page is stopped.
  void StopFloodingPage(const std::string& why);
  // Ends the page's web process and says so in its place.
  void StopPage(const std::string& why);
  // A sentence of an error page that says what happened to the page, and
  // that it can be loaded again.
  std::string Reloadable(const std::string& what) const;
  // The page that made its window fullscreen is gone: the window is not.
  void LeaveFullscreen();
  // Ends the web process under the page without a word (the caller loads
  // something else at once).
  void EndWebProcess();
  // Puts "此页没有响应" to the user, over the page.
  void AskAboutHungPage();
  void ShowErrorPage(const std::string& heading, const std::string& detail,
                     const std::string& uri);
  bool HandleKey(const GdkEventKey* event);
  void Zoom(int direction);
  // Reloading the answer to a form sends the form again: asked without
  // waiting, and the engine's decision taken when the user answers.
  void AskResubmission(WebKitPolicyDecision* decision);
  void AnswerResubmission(bool resubmit);

  void OnLoadChanged(WebKitLoadEvent event);
  bool OnLoadFailed(const char* uri, const GError* error);
  void OnFrameComplete(WebKitJavascriptResult* result);
  bool OnPermissionRequest(WebKitPermissionRequest* request);
  bool OnDecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);
  // A new window on another site than the page's goes to the desktop's
  // browser; true when it is not for the client to open.
  bool OpensOutside(WebKitNavigationAction* action, const char* uri);
  GtkWidget* OnCreate(WebKitNavigationAction* action);
  void OnReadyToShow();
  void OnClose();
  void OnCrashed(WebKitWebProcessTerminationReason reason);
  bool OnPrint(WebKitPrintOperation* operation);
  bool OnAuthenticate(WebKitAuthenticationRequest* request);

  WebEngine& engine_;
  PopupFamily& family_;
  GObjectPtr<WebKitUserContentManager> content_;
  GObjectPtr<WebKitWebView> view_;
  Gtk::Overlay* overlay_;  // owned by the window it is placed in
  FindBar* find_bar_;      // owned by the overlay
  HangQuestion* hang_question_ = nullptr;  // owned by the overlay, made when first asked
  std::unique_ptr<PageDialogs> dialogs_;
  std::unique_ptr<PrintDialog> print_;
  std::unique_ptr<MessageBoxLater> resubmit_question_;
  GObjectPtr<WebKitPolicyDecision> resubmit_decision_;
  std::unique_ptr<HangWatch> hang_watch_;
  std::unique_ptr<OutsideLinks> outside_;
  std::vector<SignalConnection> connections_;
  std::string location_;
  LoadState load_ = LoadState::Idle;
  sigc::connection stop_page_;
  bool stopping_page_ = false;
  bool is_popup_ = false;
  // Why the page shown is the program's own error page, for a load that the
  // engine is about to report failed (a refusal with nothing to show).
  std::string refusal_;
  bool silent_ = false;
  bool frames_wait_ = false;
  bool navigated_by_user_ = false;
  bool hold_next_page_ = false;
  bool hold_automatic_ = false;
  // What Navigate asked for and the engine has not yet decided on.
  std::string own_navigation_;
  bool before_login_ = false;
  // The page made its window fullscreen.
  bool fullscreen_ = false;
  // Frames of the page still loading that completed, in order, while they
  // wait for it.
  std::vector<std::string> waiting_frames_;
  bool detached_ = false;
};

}  // namespace vb::gtk
