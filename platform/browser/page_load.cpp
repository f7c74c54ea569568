#include "platform/browser/page_load.h"

#include "platform/browser/error_page.h"
#include "platform/browser/navigation_policy.h"
#include "platform/texts.h"

namespace platform::browser {

PageLoad::PageLoad(PageEngine& engine, Scheduler& scheduler)
    : engine_(engine),
      scheduler_(scheduler),
      hang_(scheduler, HangWatch::Page{
                           [this] { return engine_.Responsive(); },
                           [this] { engine_.Probe(); },
                           [this] { engine_.CancelProbe(); },
                           [this] { EndWebProcess(); },
                           [this] { return page_asks && page_asks(); },
                           [this](bool ask) {
                             if (ask_hung) ask_hung(ask);
                           },
                       }) {}

PageLoad::~PageLoad() { Detach(); }

void PageLoad::Detach() {
  detached_ = true;
  stop_flooding_.reset();
  hang_.Stop();
  document_complete = nullptr;
  close_window = nullptr;
  ask_hung = nullptr;
}

// ------------------------------------------------------------- commands

void PageLoad::Navigate(const std::string& uri) {
  own_navigation_ = uri;
  hang_.Run([this, uri] { engine_.Load(uri); });
}

void PageLoad::Reload() {
  hang_.Run([this] { engine_.Reload(); });
}

void PageLoad::StopHungPage() { StopPage(Reloadable(texts::kStoppedHung)); }

void PageLoad::ResubmissionAnswered(bool resubmit) {
  // Declined: final; no retry carries the reload out.
  if (!resubmit) hang_.Settled();
}

void PageLoad::PageFloods(Flood flood) {
  const char* what = flood == Flood::Dialogs ? texts::kStoppedDialogs : texts::kStoppedPrinting;
  // Not from inside the engine's signal: the page's script waits in it.
  stop_flooding_ = scheduler_.After(0, [this, what] {
    stop_flooding_.reset();
    if (options.popup && close_window) {
      // A window the page opened: it goes. Only ending its web process stops
      // the script (the engine may share it with the opener, whose page
      // then comes back in a new one).
      EndWebProcess();
      auto close = close_window;
      close();
      return;
    }
    // Only a new web process stops a script that never returns. Views that
    // shared the old one show their crash page; the session lives on in the
    // network process.
    StopPage(Reloadable(what));
  });
}

void PageLoad::StopPage(const std::string& why) {
  hang_.Settled();
  EndWebProcess();
  ShowErrorPage(texts::kStoppedHeading, why, location_);
}

std::string PageLoad::Reloadable(const char* what) const {
  return std::string(what) + (options.before_login ? "" : texts::kSessionKept) + texts::kReloadable;
}

void PageLoad::EndWebProcess() {
  ++ending_;
  engine_.EndWebProcess();
}

void PageLoad::ShowErrorPage(const char* heading, const std::string& detail, const std::string& uri) {
  state_ = State::OwnPageNext;
  engine_.ShowHtml(ErrorPageHtml(heading, detail, uri), uri);
}

// The engine may leave the window fullscreen when the web process of the
// page that asked for it ends (WebKitGTK 2.50 does): no title bar, no way
// out but the page.
void PageLoad::LeaveFullscreen() {
  if (!fullscreen_) return;
  fullscreen_ = false;
  engine_.LeaveFullscreen();
}

// ------------------------------------------------------------- decisions

NavigationDecision PageLoad::Decide(const NavigationRequest& request) {
  const NavigationVerdict verdict = JudgeNavigation(request.uri, request.main_frame || request.new_window);
  if (verdict == NavigationVerdict::ToTheDesktop) return NavigationDecision::ToTheDesktop;
  if (verdict != NavigationVerdict::Follow) return NavigationDecision::Ignore;
  if (request.new_window) {
    // A new window on another site than the page's goes to the desktop's
    // browser, and only for the user's click: a page cannot start the
    // desktop's browser again and again by itself.
    const std::string scheme = SchemeOf(request.uri);
    if ((scheme == "http" || scheme == "https") && !SameOrigin(location_, request.uri)) {
      return request.user_gesture ? NavigationDecision::ToTheBrowser : NavigationDecision::Ignore;
    }
    return NavigationDecision::Follow;
  }
  if (request.main_frame && !request.redirect) {
    const bool own = !own_navigation_.empty() && own_navigation_ == request.uri;
    if (own) own_navigation_.clear();
    // Held: a script or a refresh cannot take the page away; a click, a
    // key, F5, history and the program's own loads still can.
    if (hold_automatic_ && !request.user_gesture && !own && state_ != State::OwnPageNext &&
        request.kind != NavigationKind::Reload && request.kind != NavigationKind::BackForward) {
      return NavigationDecision::Ignore;
    }
    navigated_by_user_ = request.user_gesture;
  }
  // Reloading the answer to a form would send the form again (a second
  // batch of messages, a second payment): only if the user says so.
  if (request.kind == NavigationKind::FormResubmitted) return NavigationDecision::AskResubmission;
  return NavigationDecision::Follow;
}

ResponseDecision PageLoad::DecideResponse(const Response& response) {
  // A refusal to anyone who has not signed in over HTTP, with nothing to
  // show: say what it is rather than show an empty page.
  if (response.status == 401 && response.content_length == 0 && response.main_resource) {
    refusal_ = texts::kHttpSignIn;
    return ResponseDecision::Refuse;
  }
  if (response.attachment || !response.type_shown) return ResponseDecision::Download;
  return ResponseDecision::Show;
}

// ------------------------------------------------------------- loading

void PageLoad::Started(NavigationId id) {
  hang_.Started();
  // The same navigation again: a redirect reported as a new start.
  if (Current(id)) return;
  current_ = true;
  current_id_ = id;
  waiting_frames_.clear();
  state_ = state_ == State::OwnPageNext ? State::OwnPage : State::Loading;
}

void PageLoad::Committed(NavigationId id, const std::string& uri) {
  if (!Current(id)) return;
  // The command the user waited on has been carried out, and any process
  // we ended was reported long before a page of a new one commits.
  hang_.Settled();
  ending_ = 0;
  // The address the document was loaded from, after any redirects. A
  // page's script may show another one (History API, fragments), but the
  // page has not been loaded there: a login page that claims the session's
  // address is no login, a page claiming the login address no logout.
  location_ = uri;
  // From the next page on: ignoring a navigation of the page still shown
  // would cancel the load that replaces it.
  if (hold_next_page_) hold_automatic_ = true;
}

void PageLoad::Failed(NavigationId id, const std::string& uri, LoadFailure failure) {
  // A load that another one has replaced ends as it likes.
  if (current_ && id != current_id_) return;
  if (state_ == State::Loading) state_ = State::Failed;
  hang_.Settled();
  if (!refusal_.empty()) {
    const std::string why = std::move(refusal_);
    refusal_.clear();
    ShowErrorPage(texts::kErrorPageTitle, why, uri);
    return;
  }
  // Replaced, refused by our policy before anything loaded, or turned into
  // a download: the page shown stays.
  if (failure == LoadFailure::Superseded) return;
  ShowErrorPage(texts::kErrorPageTitle, FailureText(failure), uri);
}

void PageLoad::Finished(NavigationId id) {
  if (current_ && id != current_id_) return;
  current_ = false;
  const bool completed = state_ == State::Loading;
  // A page of ours asked for while this load failed starts next.
  if (state_ != State::OwnPageNext) state_ = State::Idle;
  std::vector<std::string> frames = std::move(waiting_frames_);
  waiting_frames_.clear();
  if (!completed) return;
  // The owner may unload its window in any of these calls; nothing more is
  // raised once it has detached.
  for (const std::string& frame : frames) {
    if (!document_complete) return;
    auto notify = document_complete;
    notify(false, frame);
  }
  if (document_complete) {
    auto notify = document_complete;
    notify(true, location_);
  }
}

void PageLoad::FrameCompleted(const std::string& url) {
  if (!document_complete) return;
  if (options.frames_wait_for_their_page && state_ != State::Idle) {
    waiting_frames_.push_back(url);
    return;
  }
  auto notify = document_complete;
  notify(false, url);
}

void PageLoad::ProcessEnded(bool ended_through_api) {
  if (detached_) return;
  hang_.ProcessGone();
  LeaveFullscreen();
  if (ended_through_api) {
    // Ended by us, with a page of our own to come.
    if (ending_ > 0) {
      --ending_;
      return;
    }
    // Ended for another page of the same process (a pop-up of this one that
    // would not stop): this page had done nothing, and comes back.
    if (!location_.empty()) Navigate(location_);
    return;
  }
  ShowErrorPage(texts::kCrashedHeading, Reloadable(texts::kCrashed), location_);
}

}  // namespace platform::browser
