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
class MessageBoxLater;
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
  void Connect(gpointer instance, const char* signal, GCallback handler);
  // Ends a page that will not stop opening dialogs (or asking to print): a
  // pop-up's window closes, any other page is stopped.
  void StopFloodingPage(const std::string& why);
  // Ends the page's web process and says so in its place.
  void StopPage(const std::string& why);
  // Ends the web process under the page without a word (the caller loads
  // something else at once).
  void EndWebProcess();
  // Runs a command the user gave (a load), watched: see Navigate.
  void RunWatched(std::function<void()> command);
  void WatchCommandStart();
  void WebProcessResponsiveChanged();
  void ShowErrorPage(const std::string& heading, const std::string& detail,
                     const std::string& uri);
  bool HandleKey(const GdkEventKey* event);
  void Zoom(int direction);
  // Reloading the answer to a form sends the form again: asked without
  // waiting, and the engine's decision taken when the user answers.
  void AskResubmission(WebKitPolicyDecision* decision);
  void AnswerResubmission(bool resubmit);

  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
  static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                               gpointer self);
  static void OnFrameComplete(WebKitUserContentManager*, WebKitJavascriptResult* result,
                              gpointer self);
  static gboolean OnPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request,
                                      gpointer self);
  static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
  static GtkWidget* OnCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self);
  static void OnReadyToShow(WebKitWebView*, gpointer self);
  static void OnClose(WebKitWebView*, gpointer self);
  static void OnCrashed(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self);
  static gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*,
                                WebKitHitTestResult*, gpointer self);
  static gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self);
  static gboolean OnPrint(WebKitWebView*, WebKitPrintOperation* operation, gpointer self);
  static gboolean OnAuthenticate(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer self);

  WebEngine& engine_;
  PopupFamily& family_;
  GObjectPtr<WebKitUserContentManager> content_;
  GObjectPtr<WebKitWebView> view_;
  Gtk::Overlay* overlay_;  // owned by the window it is placed in
  FindBar* find_bar_;      // owned by the overlay
  std::unique_ptr<PageDialogs> dialogs_;
  std::unique_ptr<PrintDialog> print_;
  std::unique_ptr<MessageBoxLater> resubmit_question_;
  GObjectPtr<WebKitPolicyDecision> resubmit_decision_;
  std::vector<SignalConnection> connections_;
  std::string location_;
  sigc::connection stop_page_;
  bool stopping_page_ = false;
  bool is_popup_ = false;
  // The load the user asked for and still waits on: run again in a new web
  // process if the old one does not answer.
  std::function<void()> watched_command_;
  bool command_started_ = false;
  bool command_retried_ = false;
  sigc::connection command_watch_;
  // A page that stopped answering while the user waits on it is stopped
  // once this has run out.
  sigc::connection patience_;
  // Why the page shown is the program's own error page, for a load that the
  // engine is about to report failed (a refusal with nothing to show).
  std::string refusal_;
  bool silent_ = false;
  bool frames_wait_ = false;
  // Frames of the page still loading that completed, in order, while they
  // wait for it.
  std::vector<std::string> waiting_frames_;
  bool page_loading_ = false;
  bool detached_ = false;
  bool load_failed_ = false;      // the current load failed: its FINISHED is no completion
  bool error_page_next_ = false;  // the next load to start is an error page of ours
  bool error_page_load_ = false;  // the current load is an error page of ours
};

}  // namespace vb::gtk
