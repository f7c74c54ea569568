// What one browser view is doing, whatever engine shows it: its navigation
// and load state, which completions it raises and when, the navigation
// policy, the unresponsive-page decisions and the pages of its own it shows
// in place of a failed or stopped one. A backend turns its engine's events
// into calls here, in the engine's order, and carries out what this asks of
// PageEngine.
//
// Both engines report a load as start, commit, then finish or failure:
//   WebKitGTK: decide-policy, load-changed STARTED, (REDIRECTED), COMMITTED,
//     FINISHED; a failure is load-failed, then FINISHED.
//   WebView2: NavigationStarting (again for each redirect, same id),
//     SourceChanged, ContentLoading, HistoryChanged, DOMContentLoaded,
//     NavigationCompleted (IsSuccess false for a failure, perhaps with no
//     ContentLoading before it). A navigation started while another is under
//     way overlaps it: Starting(1), Starting(2), Completed(1), then the rest
//     of 2. Loads therefore carry the engine's navigation id, and what comes
//     for a load that is no longer the current one changes nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser/hang_watch.h"
#include "platform/browser/scheduler.h"

namespace platform::browser {

using NavigationId = std::uint64_t;

enum class NavigationKind { Other, Reload, BackForward, FormResubmitted };

// A navigation the engine asks about before it starts.
struct NavigationRequest {
  std::string uri;
  bool main_frame = true;   // the page itself, not a frame of it
  bool new_window = false;  // a window the page opens
  bool user_gesture = false;
  bool redirect = false;
  NavigationKind kind = NavigationKind::Other;
};

enum class NavigationDecision {
  Follow,
  Ignore,           // not followed, and nothing said
  ToTheDesktop,     // not followed; the user is asked to open it with the desktop's program
  ToTheBrowser,     // not followed; opened in the desktop's web browser
  AskResubmission,  // held until the user says whether to send the form again
};

// The answer to a page's document, before it is shown.
struct Response {
  int status = 200;
  std::int64_t content_length = -1;  // -1: not given
  bool main_resource = true;         // the page's own document, not a frame's
  bool attachment = false;           // Content-Disposition: attachment
  bool type_shown = true;            // the engine shows documents of its type
};

enum class ResponseDecision { Show, Download, Refuse };

// Why a load failed, as far as the user is concerned.
enum class LoadFailure {
  Superseded,        // another navigation replaced it, or it became a download
  Refused,           // refused by the navigation policy
  TooManyRedirects,
  Certificate,
  Unreachable,
};

// What the core asks of the engine.
class PageEngine {
 public:
  virtual ~PageEngine() = default;
  virtual void Load(const std::string& uri) = 0;
  virtual void Reload() = 0;
  // Shows `html` in place of the page, as if loaded from `uri`.
  virtual void ShowHtml(const std::string& html, const std::string& uri) = 0;
  // Ends the web process under the page; its end is reported back through
  // ProcessEnded, during this call or later.
  virtual void EndWebProcess() = 0;
  virtual void LeaveFullscreen() = 0;
  virtual bool Responsive() const = 0;
  virtual void Probe() = 0;
  virtual void CancelProbe() = 0;
};

class PageLoad {
 public:
  struct Options {
    // A frame's completion is raised only once the document that holds it
    // has finished loading, just before the document's own (in their
    // order), and dropped if the document fails; otherwise at once.
    bool frames_wait_for_their_page = false;
    // Nobody is logged in while this view shows: nothing it says speaks of
    // a login state.
    bool before_login = false;
    // A window the page opened: a page that floods it is closed, not stopped.
    bool popup = false;
  };

  PageLoad(PageEngine& engine, Scheduler& scheduler);
  PageLoad(const PageLoad&) = delete;
  PageLoad& operator=(const PageLoad&) = delete;
  ~PageLoad();

  Options options;

  // Every frame that finished loading, then the page itself; never a load
  // that failed, nor a page of ours shown in its place.
  std::function<void(bool top_level, const std::string& url)> document_complete;
  // A page in a window it opened would not stop: the window goes.
  std::function<void()> close_window;
  // Asks the user whether to wait for an unresponsive page or stop it
  // (true), or withdraws the question (false).
  std::function<void(bool ask)> ask_hung;
  // A question of the page's own is open (its dialogs, the resubmission):
  // a load waits for the user, not for the process.
  std::function<bool()> page_asks;

  // ------------------------------------------------ the program's commands
  // Starts loading `uri`; should the page's web process not answer, it is
  // ended and the load carried out in a new one.
  void Navigate(const std::string& uri);
  // F5: the same for loading the page again.
  void Reload();
  // The address of the page shown, as of the last committed load.
  const std::string& Location() const noexcept { return location_; }
  bool NavigatedByUser() const noexcept { return navigated_by_user_; }
  // From the next page on, the page cannot leave by itself.
  void HoldAutomaticNavigation() noexcept { hold_next_page_ = true; }
  // Nothing more is raised; loading stops being watched.
  void Detach();

  // ------------------------------------------------ the engine's questions
  NavigationDecision Decide(const NavigationRequest& request);
  ResponseDecision DecideResponse(const Response& response);

  // ------------------------------------------------ the engine's events
  void Started(NavigationId id);
  void Committed(NavigationId id, const std::string& uri);
  void Failed(NavigationId id, const std::string& uri, LoadFailure failure);
  void Finished(NavigationId id);
  // A frame of the page finished loading its document, loaded from `url`.
  void FrameCompleted(const std::string& url);
  // The web process ended: ended through the engine's API (by this view or
  // another one sharing the process), or crashed.
  void ProcessEnded(bool ended_through_api);
  void FullscreenChanged(bool fullscreen) noexcept { fullscreen_ = fullscreen; }
  // The user clicked or typed into the page; the engine's verdict on the
  // web process changed; our question after the input was answered.
  void UserInput() { hang_.UserInput(); }
  void ResponsivenessChanged() { hang_.ResponsivenessChanged(); }
  void ProbeAnswered(bool answered) { hang_.ProbeAnswered(answered); }

  // ------------------------------------------------ the user's answers
  // To the hung page's question.
  void WaitForPage() { hang_.Wait(); }
  void StopHungPage();
  // To the resubmission question: declined is final, no retry sends it.
  void ResubmissionAnswered(bool resubmit);
  // The page's "leave this page?" answered 取消: the command is dropped.
  void PageKept() noexcept { hang_.Settled(); }
  // A page that keeps opening dialogs or asking to print: stopped, from
  // the message loop (its script waits inside the engine's signal).
  enum class Flood { Dialogs, Printing };
  void PageFloods(Flood flood);

 private:
  // What the view is loading: a page of the web, or a page of ours, whose
  // completion is no document of the web's.
  enum class State {
    Idle,
    Loading,        // a page, not failed so far
    Failed,         // a page whose load failed: its finish is no completion
    OwnPageNext,    // a page of ours asked for, not started yet
    OwnPage,        // a page of ours loading
  };

  void StopPage(const std::string& why);
  std::string Reloadable(const char* what) const;
  void EndWebProcess();
  void ShowErrorPage(const char* heading, const std::string& detail, const std::string& uri);
  void LeaveFullscreen();
  bool Current(NavigationId id) const noexcept { return current_ && id == current_id_; }

  PageEngine& engine_;
  Scheduler& scheduler_;
  HangWatch hang_;
  State state_ = State::Idle;
  bool current_ = false;  // a load of the engine's is under way
  NavigationId current_id_ = 0;
  std::string location_;
  // Why the page shown is our error page, for a load that the engine is
  // about to report failed (a refusal with nothing to show).
  std::string refusal_;
  // Frames of the page still loading that completed, in order, while they
  // wait for it.
  std::vector<std::string> waiting_frames_;
  // What Navigate asked for and the engine has not yet decided on.
  std::string own_navigation_;
  bool navigated_by_user_ = false;
  bool hold_next_page_ = false;
  bool hold_automatic_ = false;
  bool fullscreen_ = false;
  // Process ends we asked for and have not yet heard of.
  int ending_ = 0;
  std::unique_ptr<Timer> stop_flooding_;
  bool detached_ = false;
};

}  // namespace platform::browser
