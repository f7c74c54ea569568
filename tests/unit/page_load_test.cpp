// The browser core fed the events the engines emit, in the orders they emit
// them: WebKitGTK's load-changed with its frame messages, and WebView2's
// navigation events as its documentation orders them (NavigationStarting,
// SourceChanged, ContentLoading, HistoryChanged, DOMContentLoaded,
// NavigationCompleted; NavigationStarting again for each redirect with the
// same id; a second navigation overlapping the first: Starting(1),
// Starting(2), Completed(1), then the rest of 2; a failure may come without
// ContentLoading; FrameNavigationStarting/Completed like their counterparts).
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/browser/download_turns.h"
#include "platform/browser/navigation_policy.h"
#include "platform/browser/page_load.h"
#include "platform/texts.h"

namespace {

using namespace platform::browser;

// Test double: timers that run only when the test moves the clock on.
class ManualScheduler final : public Scheduler {
 public:
  std::unique_ptr<Timer> After(unsigned ms, std::function<void()> task) override {
    const int id = next_++;
    tasks_[id] = {now_ + static_cast<std::int64_t>(ms) * 1000, std::move(task)};
    return std::make_unique<Handle>(*this, id);
  }
  std::int64_t Now() const override { return now_; }

  // Moves the clock on by `ms`, running what falls due in order.
  void Advance(unsigned ms) {
    const std::int64_t until = now_ + static_cast<std::int64_t>(ms) * 1000;
    for (;;) {
      auto due = tasks_.end();
      for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
        if (it->second.at <= until && (due == tasks_.end() || it->second.at < due->second.at)) due = it;
      }
      if (due == tasks_.end()) break;
      now_ = std::max(now_, due->second.at);
      auto task = std::move(due->second.task);
      tasks_.erase(due);
      task();
    }
    now_ = until;
  }

 private:
  struct Task {
    std::int64_t at;
    std::function<void()> task;
  };
  class Handle final : public Timer {
   public:
    Handle(ManualScheduler& owner, int id) : owner_(owner), id_(id) {}
    ~Handle() override { owner_.tasks_.erase(id_); }

   private:
    ManualScheduler& owner_;
    int id_;
  };
  std::map<int, Task> tasks_;
  std::int64_t now_ = 1'000'000;
  int next_ = 0;
};

// Test double: the engine, recording what the core asks of it.
class RecordingEngine final : public PageEngine {
 public:
  void Load(const std::string& uri) override { calls.push_back("load " + uri); }
  void Reload() override { calls.push_back("reload"); }
  void ShowHtml(const std::string& html, const std::string& uri) override {
    shown.push_back(html);
    calls.push_back("show " + uri);
  }
  void EndWebProcess() override {
    ++ended;
    // WebKitGTK reports the end during the call.
    if (on_end) on_end();
  }
  void LeaveFullscreen() override { calls.push_back("unfullscreen"); }
  bool Responsive() const override { return responsive; }
  void Probe() override { calls.push_back("probe"); }
  void CancelProbe() override {}

  std::vector<std::string> calls;
  std::vector<std::string> shown;
  int ended = 0;
  bool responsive = true;
  std::function<void()> on_end;
};

class PageLoadTest : public ::testing::Test {
 public:
  PageLoadTest() {
    page.document_complete = [this](bool top, const std::string& url) {
      log += std::string(log.empty() ? "" : " ") + (top ? "top:" : "frame:") + url;
    };
    page.ask_hung = [this](bool ask) { asked = ask; };
    page.page_asks = [this] { return page_asks; };
    engine.on_end = [this] { page.ProcessEnded(true); };
  }
  bool Shows(const char* text) const {
    return !engine.shown.empty() && engine.shown.back().find(text) != std::string::npos;
  }

  ManualScheduler scheduler;
  RecordingEngine engine;
  PageLoad page{engine, scheduler};
  std::string log;
  bool asked = false;
  bool page_asks = false;
};

// ---------------------------------------------------------------- completions

// One engine event, as the backend passes it on. "|" marks a point in the
// sequence in the log, to show what was raised before it.
struct Step {
  enum Kind { Start, Commit, Fail, Finish, Frame, Crash, Mark };
  Step(Kind k, NavigationId i = 0, std::string u = {}, LoadFailure f = LoadFailure::Unreachable)
      : kind(k), id(i), uri(std::move(u)), failure(f) {}
  Kind kind;
  NavigationId id;
  std::string uri;
  LoadFailure failure;
};

struct CompletionRow {
  const char* name;
  bool frames_wait;
  std::vector<Step> steps;
  const char* log;            // the completions raised, in order
  const char* error_page;     // what the page of ours shown says, or null
};

void PrintTo(const CompletionRow& row, std::ostream* out) { *out << row.name; }

class CompletionTest : public PageLoadTest, public ::testing::WithParamInterface<CompletionRow> {};

constexpr const char* kHome = "http://localhost:8010/?ac=home";
constexpr const char* kLogin = "http://localhost:8010/?fun=login";

TEST_P(CompletionTest, RaisedAsTheWindowsExpect) {
  const CompletionRow& row = GetParam();
  page.options.frames_wait_for_their_page = row.frames_wait;
  for (const Step& s : row.steps) {
    switch (s.kind) {
      case Step::Start: page.Started(s.id); break;
      case Step::Commit: page.Committed(s.id, s.uri); break;
      case Step::Fail: page.Failed(s.id, s.uri, s.failure); break;
      case Step::Finish: page.Finished(s.id); break;
      case Step::Frame: page.FrameCompleted(s.uri); break;
      case Step::Crash: page.ProcessEnded(false); break;
      case Step::Mark: log += log.empty() ? "|" : " |"; break;
    }
  }
  EXPECT_EQ(log, row.log);
  if (row.error_page == nullptr) {
    EXPECT_TRUE(engine.shown.empty()) << engine.shown.back();
  } else {
    EXPECT_TRUE(Shows(row.error_page)) << (engine.shown.empty() ? "nothing shown" : engine.shown.back());
  }
}

const Step kMark{Step::Mark};

INSTANTIATE_TEST_SUITE_P(
    Engines, CompletionTest,
    ::testing::Values(
        // WebKitGTK: load-changed STARTED, COMMITTED, FINISHED; frames report
        // from the page's own script world as their load event fires.
        CompletionRow{"WebKitPage", false, {{Step::Start, 1}, {Step::Commit, 1, kHome}, {Step::Finish, 1}},
                      "top:http://localhost:8010/?ac=home", nullptr},
        CompletionRow{"WebKitFramesAtOnce", false,
                      {{Step::Start, 1}, {Step::Commit, 1, kLogin}, {Step::Frame, 0, "f1"}, {Step::Frame, 0, "f2"},
                       kMark, {Step::Finish, 1}},
                      "frame:f1 frame:f2 | top:http://localhost:8010/?fun=login", nullptr},
        CompletionRow{"WebKitFramesHeldForTheirPage", true,
                      {{Step::Start, 1}, {Step::Commit, 1, kLogin}, {Step::Frame, 0, "f1"}, {Step::Frame, 0, "f2"},
                       kMark, {Step::Finish, 1}},
                      "| frame:f1 frame:f2 top:http://localhost:8010/?fun=login", nullptr},
        // load-failed comes before FINISHED: the frames held go with it, and
        // neither the failed page nor our page in its place completes.
        CompletionRow{"WebKitFailureDropsHeldFrames", true,
                      {{Step::Start, 1}, {Step::Commit, 1, kLogin}, {Step::Frame, 0, "f1"},
                       {Step::Fail, 1, kLogin, LoadFailure::Unreachable}, {Step::Finish, 1}, {Step::Start, 2},
                       {Step::Commit, 2, kLogin}, {Step::Finish, 2}},
                      "", platform::texts::kUnreachable},
        CompletionRow{"WebKitSupersededSaysNothing", false,
                      {{Step::Start, 1}, {Step::Fail, 1, kLogin, LoadFailure::Superseded}, {Step::Finish, 1},
                       {Step::Start, 2}, {Step::Commit, 2, kHome}, {Step::Finish, 2}},
                      "top:http://localhost:8010/?ac=home", nullptr},
        CompletionRow{"WebKitFrameAfterThePageCompletesAtOnce", true,
                      {{Step::Start, 1}, {Step::Commit, 1, kHome}, {Step::Finish, 1}, {Step::Frame, 0, "late"}},
                      "top:http://localhost:8010/?ac=home frame:late", nullptr},
        CompletionRow{"WebKitCrash", false,
                      {{Step::Start, 1}, {Step::Commit, 1, kHome}, {Step::Finish, 1}, {Step::Crash}},
                      "top:http://localhost:8010/?ac=home", platform::texts::kCrashed},
        // WebView2: NavigationStarting → Started, ContentLoading → Commit,
        // FrameNavigationCompleted → Frame, NavigationCompleted → (Fail) Finish.
        CompletionRow{"WebView2Page", false, {{Step::Start, 7}, {Step::Commit, 7, kHome}, {Step::Finish, 7}},
                      "top:http://localhost:8010/?ac=home", nullptr},
        CompletionRow{"WebView2RedirectStartsAgainWithTheSameId", true,
                      {{Step::Start, 7}, {Step::Frame, 0, "early"}, {Step::Start, 7}, {Step::Commit, 7, kHome},
                       {Step::Frame, 0, "f1"}, kMark, {Step::Finish, 7}},
                      "| frame:early frame:f1 top:http://localhost:8010/?ac=home", nullptr},
        CompletionRow{"WebView2OverlappingNavigations", false,
                      {{Step::Start, 1}, {Step::Start, 2}, {Step::Fail, 1, kLogin, LoadFailure::Superseded},
                       {Step::Finish, 1}, {Step::Commit, 2, kHome}, {Step::Finish, 2}},
                      "top:http://localhost:8010/?ac=home", nullptr},
        CompletionRow{"WebView2OverlapWhileFramesWait", true,
                      {{Step::Start, 1}, {Step::Commit, 1, kLogin}, {Step::Start, 2},
                       {Step::Fail, 1, kLogin, LoadFailure::Superseded}, {Step::Finish, 1}, {Step::Commit, 2, kHome},
                       {Step::Frame, 0, "f2"}, kMark, {Step::Finish, 2}},
                      "| frame:f2 top:http://localhost:8010/?ac=home", nullptr},
        CompletionRow{"WebView2FailureWithoutContentLoading", false,
                      {{Step::Start, 3}, {Step::Fail, 3, kHome, LoadFailure::TooManyRedirects}, {Step::Finish, 3},
                       {Step::Start, 4}, {Step::Commit, 4, kHome}, {Step::Finish, 4}},
                      "", platform::texts::kTooManyRedirects}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- decisions

struct DecisionRow {
  const char* name;
  bool held;  // HoldAutomaticNavigation and a page committed since
  NavigationRequest request;
  NavigationDecision expected;
};

void PrintTo(const DecisionRow& row, std::ostream* out) { *out << row.name; }

class DecisionTest : public PageLoadTest, public ::testing::WithParamInterface<DecisionRow> {};

TEST_P(DecisionTest, EachRequestAsTheUserExpects) {
  const DecisionRow& row = GetParam();
  if (row.held) page.HoldAutomaticNavigation();
  page.Started(1);
  page.Committed(1, kLogin);
  page.Finished(1);
  EXPECT_EQ(page.Decide(row.request), row.expected);
}

using K = NavigationKind;
using D = NavigationDecision;

NavigationRequest Req(const char* uri, bool main_frame = true, bool new_window = false, bool gesture = false,
                      K kind = K::Other) {
  NavigationRequest r;
  r.uri = uri;
  r.main_frame = main_frame;
  r.new_window = new_window;
  r.user_gesture = gesture;
  r.kind = kind;
  return r;
}
INSTANTIATE_TEST_SUITE_P(
    Requests, DecisionTest,
    ::testing::Values(
        DecisionRow{"Page", false, Req(kHome), D::Follow},
        DecisionRow{"MailLink", false, Req("mailto:a@b.example"), D::ToTheDesktop},
        DecisionRow{"LocalFile", false, Req("file:///etc/passwd"), D::Ignore},
        DecisionRow{"WindowOnTheSameSite", false, Req(kHome, true, true), D::Follow},
        DecisionRow{"ClickedWindowOnAnotherSite", false, Req("https://pay.example/", true, true, true), D::ToTheBrowser},
        DecisionRow{"ScriptWindowOnAnotherSite", false, Req("https://pay.example/", true, true), D::Ignore},
        DecisionRow{"HeldAgainstTheScript", true, Req(kHome), D::Ignore},
        DecisionRow{"HeldButClicked", true, Req(kHome, true, false, true), D::Follow},
        DecisionRow{"HeldButReloaded", true, Req(kLogin, true, false, false, K::Reload), D::Follow},
        DecisionRow{"HeldButAFrame", true, Req(kHome, false), D::Follow},
        DecisionRow{"FormSentAgain", false, Req(kHome, true, false, false, K::FormResubmitted),
                    D::AskResubmission}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageLoadTest, TheProgramsOwnNavigationPassesTheHold) {
  page.HoldAutomaticNavigation();
  page.Started(1);
  page.Committed(1, kLogin);
  page.Finished(1);
  page.Navigate(kHome);
  EXPECT_EQ(page.Decide(Req(kHome)), D::Follow);
  // Once: the page cannot take the same address afterwards.
  EXPECT_EQ(page.Decide(Req(kHome)), D::Ignore);
}

TEST_F(PageLoadTest, AnEmptyRefusalSaysItIsAnHttpSignIn) {
  page.Started(1);
  EXPECT_EQ(page.DecideResponse(Response{401, 0, true, false, true}), ResponseDecision::Refuse);
  page.Failed(1, kHome, LoadFailure::Superseded);
  EXPECT_TRUE(Shows(platform::texts::kHttpSignIn));
  EXPECT_EQ(page.DecideResponse(Response{200, 10, true, true, true}), ResponseDecision::Download);
}

// ---------------------------------------------------------------- unresponsive pages

struct HangRow {
  const char* name;
  std::function<void(PageLoadTest&)> act;
  int processes_ended;
  bool asked;
  std::vector<std::string> loads;  // the engine's loads, in order
};

void PrintTo(const HangRow& row, std::ostream* out) { *out << row.name; }

class UnresponsivePageTest : public PageLoadTest, public ::testing::WithParamInterface<HangRow> {};

TEST_P(UnresponsivePageTest, TheUserDecides) {
  const HangRow& row = GetParam();
  row.act(*this);
  EXPECT_EQ(engine.ended, row.processes_ended);
  EXPECT_EQ(asked, row.asked);
  std::vector<std::string> loads;
  for (const std::string& call : engine.calls) {
    if (call.rfind("load ", 0) == 0) loads.push_back(call.substr(5));
  }
  EXPECT_EQ(loads, row.loads);
}

void Hung(PageLoadTest& t) {
  t.engine.responsive = false;
  t.page.ResponsivenessChanged();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, UnresponsivePageTest,
    ::testing::Values(
        // Legitimate slow work: a minute without an answer stops nothing; the
        // user is asked after 12 s, not before.
        HangRow{"AskedNotStopped",
                [](PageLoadTest& t) {
                  Hung(t);
                  t.scheduler.Advance(kAskAfterMilliseconds - 100);
                  EXPECT_FALSE(t.asked);
                  t.scheduler.Advance(60'000);
                },
                0, true, {}},
        HangRow{"WithdrawnWhenThePageAnswers",
                [](PageLoadTest& t) {
                  Hung(t);
                  t.scheduler.Advance(kAskAfterMilliseconds);
                  t.engine.responsive = true;
                  t.page.ResponsivenessChanged();
                },
                0, false, {}},
        HangRow{"WaitAsksAgainLater",
                [](PageLoadTest& t) {
                  Hung(t);
                  t.scheduler.Advance(kAskAfterMilliseconds);
                  t.page.WaitForPage();
                  EXPECT_FALSE(t.asked);
                  t.scheduler.Advance(kAskAfterMilliseconds);
                },
                0, true, {}},
        HangRow{"StoppedOnTheUsersWord",
                [](PageLoadTest& t) {
                  t.page.Navigate(kHome);
                  t.page.Started(1);
                  t.page.Committed(1, kHome);
                  t.page.Finished(1);
                  Hung(t);
                  t.scheduler.Advance(kAskAfterMilliseconds);
                  t.page.StopHungPage();
                  EXPECT_TRUE(t.Shows(platform::texts::kStoppedHung));
                  EXPECT_TRUE(t.Shows(platform::texts::kSessionKept));
                },
                1, false, {kHome}},
        // A command the user gave meets a held process: a new one carries it out.
        HangRow{"CommandCarriedOutInANewProcess",
                [](PageLoadTest& t) {
                  t.page.Navigate(kHome);
                  Hung(t);
                  t.scheduler.Advance(0);
                },
                1, false, {kHome, kHome}},
        // The page's "leave this page?" answered 取消: final, no retry.
        HangRow{"DeclinedLeaveIsNeverCarriedOut",
                [](PageLoadTest& t) {
                  t.page.Navigate(kHome);
                  t.page_asks = true;
                  Hung(t);
                  t.scheduler.Advance(0);
                  t.page_asks = false;
                  t.page.PageKept();
                  t.engine.responsive = true;
                  t.page.ResponsivenessChanged();
                  t.scheduler.Advance(60'000);
                },
                0, false, {kHome}},
        HangRow{"LoadThatNeverStartsRetriedOnce",
                [](PageLoadTest& t) {
                  t.page.Navigate(kHome);
                  t.scheduler.Advance(60'000);
                },
                1, false, {kHome, kHome}},
        // The user's click into a page that does not answer our question.
        HangRow{"ClickIntoASilentPage",
                [](PageLoadTest& t) {
                  t.page.UserInput();
                  t.scheduler.Advance(kProbeAskAfterMilliseconds);
                },
                0, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageLoadTest, BeforeTheLoginTheStopPageSaysNothingOfALogin) {
  page.options.before_login = true;
  Hung(*this);
  scheduler.Advance(kAskAfterMilliseconds);
  page.StopHungPage();
  EXPECT_TRUE(Shows(platform::texts::kStoppedHung));
  EXPECT_FALSE(Shows(platform::texts::kSessionKept));
}

// ---------------------------------------------------------------- downloads

TEST(DownloadTurnsTest, OneDialogAtATimeAndNoFlood) {
  DownloadTurns turns;
  int a, b, c, d, view, other;
  std::int64_t now = 10'000'000;
  EXPECT_TRUE(turns.Arrive(&a, &view, now));
  EXPECT_EQ(turns.NextToAsk(), &a);
  EXPECT_EQ(turns.NextToAsk(), std::nullopt);  // the dialog is taken
  EXPECT_TRUE(turns.Arrive(&b, &other, now += 1000));
  EXPECT_TRUE(turns.Arrive(&c, &view, now += 1000));
  EXPECT_FALSE(turns.Arrive(&d, &view, now += 1000));  // a page that will not stop
  // The window of `view` goes: its waiting download is cancelled, and the
  // dialog asking about one of its downloads closes.
  const auto withdrawal = turns.WithdrawFor(&view);
  EXPECT_TRUE(withdrawal.dialog_closes);
  EXPECT_EQ(withdrawal.cancelled, (std::vector<DownloadTurns::Id>{&a, &c}));
  EXPECT_EQ(turns.NextToAsk(), &b);
  EXPECT_EQ(turns.Answered(true, now += 1000), std::vector<DownloadTurns::Id>{});
  // After a quiet while, downloads are welcome again; no to one of a batch
  // is no to the batch.
  now += 5'000'000;
  EXPECT_TRUE(turns.Arrive(&a, &view, now));
  EXPECT_TRUE(turns.Arrive(&b, &view, now += 1000));
  EXPECT_EQ(turns.NextToAsk(), &a);
  EXPECT_EQ(turns.Answered(false, now += 1000), (std::vector<DownloadTurns::Id>{&a, &b}));
  EXPECT_EQ(PartialPath("/home/u/下载/报表.csv"), "/home/u/下载/.报表.csv.part");
  EXPECT_EQ(PartialPath("C:\\Users\\u\\report.csv"), "C:\\Users\\u\\.report.csv.part");
}

TEST(TextsTest, FillPutsEachValueInItsPlace) {
  EXPECT_EQ(platform::texts::Fill(platform::texts::kCannotSave, {"/tmp/{}.csv", "磁盘已满"}), "无法保存文件 /tmp/{}.csv：磁盘已满");
  EXPECT_EQ(WebPageCaption("", "http://user@pay.example:8443/x"), "网页 - 无标题 (pay.example)");
  EXPECT_EQ(WebPageCaption("付款", "about:blank"), "网页 - 付款 (about:blank)");
}

}  // namespace
