// The program ended by the system (SIGTERM, as a task manager ends it; SIGHUP,
// as the end of the desktop session does) while one of its windows waits for
// the user: every window goes without a question, and the program ends with
// status 0 and leaves its private cache behind it.
#include <atomic>
#include <csignal>
#include <filesystem>

#include "private_cache.h"
#include "stand_in_fixture.h"

namespace varnock_gui {
namespace {

const std::string kAboutTitle = "关于 Varnock";
const std::string kSaveTitle = "保存文件";
const std::string kPageDialogTitle = "来自网页的消息";
const MenuPath kAboutCommand{"alt+s", {"系统(S)", "关于"}, "", 3};
const MenuPath kExitCommand{"alt+s", {"系统(S)", "退出"}, "", 2};

enum class Open {
  Nothing,
  AboutBox,
  ExitQuestion,
  SystemInformationMessage,
  SaveDialog,
  PrintDialog,
  ResubmissionQuestion,
  PageAlert,
};

struct Ending {
  Open window;
  const char* name;
  int signal_number;
};

void PrintTo(const Ending& ending, std::ostream* out) {
  *out << ending.name << (ending.signal_number == SIGTERM ? " with SIGTERM" : " with SIGHUP");
}

// The client logged in at the stand-in, with a way to open each window.
class WindowOpenTest : public StandInTest {
 protected:
  // Opens the window in the logged-in main window; returns its title.
  std::string OpenIn(Open window, const Window& main) {
    switch (window) {
      case Open::Nothing:
        return {};
      case Open::AboutBox:
        ChooseMenuItem(main, kAboutCommand);
        WaitForWindow(kAboutTitle);
        return kAboutTitle;
      case Open::ExitQuestion:
        ChooseMenuItem(main, kExitCommand);
        WaitForWindow(kMessageBoxTitle);
        return kMessageBoxTitle;
      case Open::SystemInformationMessage: {
        ChooseMenuItem(main, kAboutCommand);
        xdo_->KeyToWindow(WaitForWindow(kAboutTitle).xid, "alt+s");
        WaitForWindow(kMessageBoxTitle);
        return kMessageBoxTitle;
      }
      case Open::SaveDialog:
        ChooseMenuItem(main, kCardCommand);
        WaitForWindow(kSaveTitle);
        return kSaveTitle;
      case Open::PrintDialog: {
        FocusPage(main);
        xdo_->Key("ctrl+p");
        // GTK's own title, translated or not.
        std::string title;
        gui::WaitUntil(
            [&] {
              for (const std::string candidate : {"打印", "Print"}) {
                if (!xdo_->FindWindowsByTitle(candidate).empty()) title = candidate;
              }
              return !title.empty();
            },
            gui::kDefaultTimeout, "the print dialog");
        return title;
      }
      case Open::ResubmissionQuestion:
        ChooseMenuItem(main, kSendCommand);
        WaitForPageTitle(main, TestService::TitleOf("发送结果"));
        FocusPage(main);
        xdo_->Key("F5");
        WaitForWindow(kMessageBoxTitle);
        return kMessageBoxTitle;
      case Open::PageAlert:
        ChooseMenuItem(main, kHistoryCommand);
        WaitForWindow(kPageDialogTitle);
        return kPageDialogTitle;
    }
    return {};
  }

  void SetUp() override {
    StandInTest::SetUp();
    // 名片发送 sends its form by itself; its answer is what F5 would send again.
    stand_in_->Serve("/?ac=send", [](const httplib::Request& request, httplib::Response& response) {
      if (request.method == "POST") {
        response.set_content(TestService::Page("发送结果", "<p>已发送</p>"), "text/html; charset=utf-8");
        return;
      }
      response.set_content(
          TestService::Page("名片发送",
                            "<form method=\"post\" action=\"/?ac=send\"><input name=\"n\" value=\"1\"></form>",
                            "window.onload = function () { document.forms[0].submit(); };"),
          "text/html; charset=utf-8");
    });
    // 发送记录 says something as soon as it has loaded.
    stand_in_->ServeHtml("/?ac=history", TestService::Page("发送记录", "", "window.onload = function () { alert('记录已更新'); };"));
    // 名片管理 answers with a file.
    stand_in_->Serve("/?ac=card", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Content-Disposition", "attachment; filename=\"cards.csv\"");
      response.set_content("name,mobile\n", "text/csv");
    });
  }
};

class EndingTest : public WindowOpenTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(EndingTest, EndsWithStatusZeroAndNoWindowLeft) {
  const Ending ending = GetParam();
  const Window main = LogInAtStandIn();
  const auto cache = PrivateCacheOf(Client());
  ASSERT_TRUE(cache.has_value()) << "the client's private cache directory was not found";
  const std::string title = OpenIn(ending.window, main);

  Client().Signal(ending.signal_number);
  const auto status = WaitClientExit();
  ASSERT_TRUE(status.has_value()) << "still running after the signal"
                                  << (title.empty() ? "" : " with \"" + title + "\" open");
  EXPECT_EQ(*status, 0) << gui::DescribeStatus(*status);
  if (!title.empty()) {
    EXPECT_TRUE(xdo_->FindWindowsByTitle(title).empty()) << "\"" << title << "\" stayed";
  }
  EXPECT_TRUE(xdo_->FindWindowsByTitle(kMainTitle).empty());
  EXPECT_FALSE(std::filesystem::exists(*cache)) << "the run's private cache was left behind: " << *cache;
}

std::vector<Ending> EveryEnding() {
  const std::pair<Open, const char*> windows[] = {
      {Open::Nothing, "Nothing"},
      {Open::AboutBox, "AboutBox"},
      {Open::ExitQuestion, "ExitQuestion"},
      {Open::SystemInformationMessage, "SystemInformationMessage"},
      {Open::SaveDialog, "SaveDialog"},
      {Open::PrintDialog, "PrintDialog"},
      {Open::ResubmissionQuestion, "ResubmissionQuestion"},
      {Open::PageAlert, "PageAlert"},
  };
  std::vector<Ending> endings;
  for (const auto& [window, name] : windows) {
    for (int signal_number : {SIGTERM, SIGHUP}) endings.push_back({window, name, signal_number});
  }
  return endings;
}

INSTANTIATE_TEST_SUITE_P(WithEachWindowOpen, EndingTest, ::testing::ValuesIn(EveryEnding()),
                         [](const auto& info) {
                           return std::string(info.param.name) +
                                  (info.param.signal_number == SIGTERM ? "_Sigterm" : "_Sighup");
                         });

// The web session ends (the service sends the main window's page to the
// login page) while a box of the main window's waits for the user: the box
// goes with the main window, and the login window that comes back takes
// the user's keys. Enter there logs in; it does not answer a hidden box.
class SessionEndTest : public WindowOpenTest, public ::testing::WithParamInterface<Open> {
 protected:
  void SetUp() override {
    WindowOpenTest::SetUp();
    // The work page asks the service now and then whether the session has
    // ended, and logs out when it has, as a page whose session timed out.
    stand_in_->ServeHtml(
        "/?ac=home",
        TestService::Page("工作台", "",
                          "setInterval(function () {"
                          "  fetch('/?ac=ended').then(function (r) { return r.text(); }).then(function (t) {"
                          "    if (t === 'yes') location.href = '/?fun=logout';"
                          "  });"
                          "}, 300);"));
    stand_in_->Serve("/?ac=ended", [ended = ended_](const httplib::Request&, httplib::Response& response) {
      response.set_content(*ended ? "yes" : "no", "text/plain");
    });
  }

  std::shared_ptr<std::atomic<bool>> ended_ = std::make_shared<std::atomic<bool>>(false);
};

TEST_P(SessionEndTest, TheBoxGoesAndTheLoginWindowTakesTheKeys) {
  const Window main = LogInAtStandIn();
  const std::string title = OpenIn(GetParam(), main);
  *ended_ = true;
  WaitForLoginWindow();
  *ended_ = false;
  WaitWindowGone(kMainTitle);
  EXPECT_FALSE(HasWindow(title)) << "\"" << title << "\" stayed open behind the login window";

  // Typed as a user would; Enter submits the login form.
  const std::size_t mark = Mark();
  LogIn(kDemoUser, kDemoPassword);
  WaitForRequest(R"(POST /\?fun=login sid=-)", mark);
  WaitForMainWindow();
  WaitWindowGone(kLoginTitle);
  EXPECT_TRUE(Client().Running()) << "Enter answered a box that was no longer there";
}

INSTANTIATE_TEST_SUITE_P(WithItsBoxOpen, SessionEndTest,
                         ::testing::Values(Open::AboutBox, Open::ExitQuestion, Open::SystemInformationMessage),
                         [](const auto& info) {
                           switch (info.param) {
                             case Open::AboutBox: return std::string("AboutBox");
                             case Open::ExitQuestion: return std::string("ExitQuestion");
                             default: return std::string("SystemInformationMessage");
                           }
                         });

}  // namespace
}  // namespace varnock_gui
