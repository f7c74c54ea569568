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

#include "platform/browser/page_load.h"
#include "platform/gtk/glib_scheduler.h"
#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

class FindBar;
class HangQuestion;
class MessageBoxLater;
class OutsideLinks;
class PageDialogs;
class PopupFamily;
class PrintDialog;
class WebEngine;

// The engine's side of a view: WebKit's signals turned into the browser
// core's events (PageLoad), and the core's decisions carried out.
class BrowserView : private browser::PageEngine {
 public:
  // A view on the engine's shared session. A pop-up's view is created
  // related to its opener's, as the engine requires.
  BrowserView(WebEngine& engine, PopupFamily& family, WebKitWebView* opener = nullptr);
  ~BrowserView() override;
  BrowserView(const BrowserView&) = delete;
  BrowserView& operator=(const BrowserView&) = delete;

  // The widget to place in a window: the page with the find bar over it.
  Gtk::Widget& Widget() const noexcept { return *overlay_; }
  WebKitWebView* View() const noexcept { return view_.get(); }
  // What the view does and raises, whatever the engine.
  browser::PageLoad& Page() noexcept { return page_; }
  const browser::PageLoad& Page() const noexcept { return page_; }

  void Navigate(const std::string& uri) { page_.Navigate(uri); }
  void SetSilent(bool silent) noexcept { silent_ = silent; }

  // The page asked to close its window (pop-ups).
  std::function<void()> close_requested;
  // The page wants its window shown (pop-ups), with the size it asked for.
  std::function<void(const GdkRectangle& geometry)> ready_to_show;

  // Nothing more reaches the owner: pop-ups close, dialogs are answered,
  // loading stops.
  void Detach();

 private:
  // browser::PageEngine
  void Load(const std::string& uri) override;
  void Reload() override;
  void ShowHtml(const std::string& html, const std::string& uri) override;
  void EndWebProcess() override;
  void LeaveFullscreen() override;
  bool Responsive() const override;
  void Probe() override;
  void CancelProbe() override;

  // Asks the user, over the page, whether to wait for it, or withdraws the question.
  void AskAboutHungPage(bool ask);
  bool HandleKey(const GdkEventKey* event);
  void Zoom(int direction);
  // Reloading the answer to a form sends the form again: asked without
  // waiting, and the engine's decision taken when the user answers.
  void AskResubmission(WebKitPolicyDecision* decision);
  void AnswerResubmission(bool resubmit);
  static void ProbeAnswered(GObject* view, GAsyncResult* result, gpointer self);

  void OnLoadChanged(WebKitLoadEvent event);
  bool OnLoadFailed(const char* uri, const GError* error);
  void OnFrameComplete(WebKitJavascriptResult* result);
  bool OnPermissionRequest(WebKitPermissionRequest* request);
  bool OnDecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);
  // Carries out the core's answer to a navigation; true when the engine is
  // not to follow it (or waits for the user).
  bool Carry(browser::NavigationDecision decision, const char* uri, WebKitPolicyDecision* engine_decision);
  GtkWidget* OnCreate(WebKitNavigationAction* action);
  void OnReadyToShow();
  void OnClose();
  void OnCrashed(WebKitWebProcessTerminationReason reason);
  bool OnPrint(WebKitPrintOperation* operation);
  bool OnAuthenticate(WebKitAuthenticationRequest* request);

  WebEngine& engine_;
  PopupFamily& family_;
  GlibScheduler scheduler_;
  browser::PageLoad page_{*this, scheduler_};
  GObjectPtr<WebKitUserContentManager> content_;
  GObjectPtr<WebKitWebView> view_;
  Gtk::Overlay* overlay_;  // owned by the window it is placed in
  FindBar* find_bar_ = nullptr;  // owned by the overlay, made when first opened
  HangQuestion* hang_question_ = nullptr;  // owned by the overlay, made when first asked
  std::unique_ptr<PageDialogs> dialogs_;
  std::unique_ptr<PrintDialog> print_;
  std::unique_ptr<MessageBoxLater> resubmit_question_;
  GObjectPtr<WebKitPolicyDecision> resubmit_decision_;
  std::unique_ptr<OutsideLinks> outside_;
  std::vector<SignalConnection> connections_;
  // The question sent after the user's input, cancelled when the watch
  // ends or the process goes (its answer may come after that).
  GObjectPtr<GCancellable> probe_;
  // Each load the engine starts, numbered.
  browser::NavigationId navigation_ = 0;
  bool silent_ = false;
  bool detached_ = false;
};

}  // namespace platform::gtk
