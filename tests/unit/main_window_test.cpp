// The main window: load, layout, exit, the menu and its page commands, and
// the return to the login window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "tests/support/program_fixture.h"
#include "windows/main/notice.h"

namespace {

using fake::Base;
using fake::Login;

class MainWindowTest : public fake::ProgramTest {
 protected:
  std::vector<std::string> MainLoadJournal() const {
    std::vector<std::string> lines;
    bool in_load = false;
    for (const auto& line : toolkit.journal) {
      if (line == "varnock.Create") in_load = true;
      if (!in_load) continue;
      if (line == "varnock.Show") break;
      lines.push_back(line);
    }
    return lines;
  }
  bool QuestionAsked() const {
    return std::any_of(toolkit.msgboxes.begin(), toolkit.msgboxes.end(),
                       [](const fake::MsgBoxCall& m) { return m.prompt == "确定要退出吗？"; });
  }
};

TEST_F(MainWindowTest, LoadStepsRunInOrderAndEndByUnloadingTheLoginWindow) {
  StartLoggedIn(Base() + "?ac=home&sid=1");
  const std::string notice = "欢迎使用Varnock客户系统　瓦诺克通信技术有限公司　服务热线 400-000-8010　www.varnock.example";
  EXPECT_EQ(MainLoadJournal(), (std::vector<std::string>{
                                   "varnock.Create",
                                   "varnock.Caption Varnock客户系统",
                                   "varnock.WindowState 0",
                                   "varnock.Width 14520",
                                   "varnock.Height 10880",
                                   "varnock.Top 100",
                                   "varnock.Left 2340",
                                   "varnock.WebBrowser1.Top 0",
                                   "varnock.WebBrowser1.Left 0",
                                   "varnock.WebBrowser1.Silent True",
                                   "varnock.WebBrowser1.Navigate " + Base() + "?ac=home&sid=1",
                                   "StatusBar1.Height 300",
                                   "StatusBar1.SimpleText " + notice,
                                   "frmLogin.Unload",
                               }));
  EXPECT_EQ(MainWindow()->Left(), 2340);
  EXPECT_EQ(MainWindow()->Top(), 100);
  EXPECT_EQ(MainWindow()->Width(), 14520);
  EXPECT_EQ(MainWindow()->Height(), 10880);
}

TEST_F(MainWindowTest, ANarrowScreenOverhangsBothSidesEqually) {
  toolkit.screen_width = 12000;  // 800 pixels
  StartLoggedIn();
  EXPECT_EQ(MainWindow()->Left(), -1260);
  EXPECT_EQ(MainWindow()->Left() + MainWindow()->Width() - toolkit.screen_width, 1260);
}

TEST_F(MainWindowTest, DesignHasTheCaptionAStatusBarAndTheBrowser) {
  StartLoggedIn();
  const platform::FormDesign& d = MainWindow()->design;
  EXPECT_EQ(d.caption, "Varnock客户系统");
  EXPECT_EQ(d.border, platform::BorderStyle::Sizable);
  ASSERT_NE(MainWindow()->status_bar, nullptr);
  ASSERT_NE(MainWindow()->browser, nullptr);
}

TEST_F(MainWindowTest, TheNoticeIsTheTemplateWithTheCaptionInPlaceOfThePlaceholder) {
  const std::string_view t = windows::kNoticeTemplate;
  const auto first = t.find("[sCaption]");
  ASSERT_NE(first, std::string_view::npos);
  EXPECT_EQ(t.find("[sCaption]", first + 1), std::string_view::npos) << "exactly once";
  StartLoggedIn();
  EXPECT_EQ(MainWindow()->status_bar->SimpleText(),
            "欢迎使用Varnock客户系统　瓦诺克通信技术有限公司　服务热线 400-000-8010　www.varnock.example");
}

TEST(NoticeReplace, EveryOccurrenceExactlyAndCaseSensitive) {
  using windows::Replace;
  EXPECT_EQ(Replace("a[x]b[x]c", "[x]", "Y"), "aYbYc");
  EXPECT_EQ(Replace("[X][x]", "[x]", "Y"), "[X]Y");
  EXPECT_EQ(Replace("[x][x]", "[x]", "[x][x]"), "[x][x][x][x]") << "replaced text is not rescanned";
  EXPECT_EQ(Replace("aaa", "aa", "b"), "ba") << "from the first character, not overlapping";
  EXPECT_EQ(Replace("abc", "", "z"), "abc");
  EXPECT_EQ(Replace("", "[x]", "z"), "");
  EXPECT_EQ(Replace("前[x]后", "[x]", "中"), "前中后");
}

TEST_F(MainWindowTest, TheBrowserFillsTheClientAreaAboveTheStatusBar) {
  StartLoggedIn();
  fake::FakeWindow* w = MainWindow();
  fake::FakeBrowser* b = w->browser;
  w->ResizeClient(14000, 9000);
  EXPECT_EQ(b->Width(), 14000);
  EXPECT_EQ(b->Height(), 9000 - 300);
  w->Minimize();
  EXPECT_EQ(b->Width(), 14000);
  EXPECT_EQ(b->Height(), 8700);
  w->Restore();
  w->ResizeClient(16000, 12000);  // maximised
  EXPECT_EQ(b->Width(), 16000);
  EXPECT_EQ(b->Height(), 11700);
  // Lower than the status bar: the width follows, the height stays.
  w->ResizeClient(5000, 200);
  EXPECT_EQ(b->Width(), 5000);
  EXPECT_EQ(b->Height(), 11700);
  EXPECT_TRUE(toolkit.msgboxes.empty());
}

TEST_F(MainWindowTest, CloseFromTheFrameAsksAndCancelKeepsEverything) {
  StartLoggedIn();
  fake::FakeWindow* w = MainWindow();
  const auto navigations = w->browser->navigations;
  toolkit.answers.push_back({platform::vbCancel, nullptr});
  w->CloseFromFrame();
  ASSERT_EQ(toolkit.msgboxes.size(), 1u);
  EXPECT_EQ(toolkit.msgboxes[0].prompt, "确定要退出吗？");
  EXPECT_EQ(toolkit.msgboxes[0].buttons, platform::vbOKCancel);
  EXPECT_EQ(toolkit.msgboxes[0].title, "Varnock");
  EXPECT_EQ(MainWindow(), w);
  EXPECT_TRUE(w->Visible());
  EXPECT_EQ(w->browser->navigations, navigations);
  EXPECT_EQ(app::Public::LoggedIn, platform::True);
  EXPECT_EQ(system.trims, 0);
  EXPECT_FALSE(toolkit.quit);
}

class ConfirmedExit : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ConfirmedExit, ClearsTheFlagTrimsOnceAndEndsAtOnce) {
  StartLoggedIn();
  toolkit.answers.push_back({platform::vbOK, nullptr});
  if (GetParam()) {
    MainWindow()->CloseFromFrame();
  } else {
    MainWindow()->ChooseMenu("mnExit");
  }
  EXPECT_TRUE(QuestionAsked());
  EXPECT_EQ(app::Public::LoggedIn, platform::False);
  EXPECT_EQ(system.trims, 1) << "the window's own unload handler does not run";
  EXPECT_TRUE(toolkit.quit);
  toolkit.RunPending();
  EXPECT_EQ(toolkit.LiveWindows(), 0);
}

INSTANTIATE_TEST_SUITE_P(FromTheFrameOrTheMenu, ConfirmedExit, ::testing::Bool());

TEST_F(MainWindowTest, WithTheFlagClearExitEndsWithoutAQuestion) {
  StartLoggedIn();
  app::Public::LoggedIn = platform::False;
  MainWindow()->ChooseMenu("mnExit");
  EXPECT_FALSE(QuestionAsked());
  EXPECT_EQ(system.trims, 1);
  EXPECT_TRUE(toolkit.quit);
}

// Downloads under way end with the program: the exit says so, logged in or
// not, and 取消 keeps everything.
class ExitWithDownloads : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ExitWithDownloads, AsksAndSaysTheyWillBeDropped) {
  StartLoggedIn();
  if (!GetParam()) app::Public::LoggedIn = platform::False;
  toolkit.downloads_under_way = 2;
  toolkit.answers.push_back({platform::vbCancel, nullptr});
  MainWindow()->ChooseMenu("mnExit");
  ASSERT_EQ(toolkit.msgboxes.size(), 1u);
  EXPECT_EQ(toolkit.msgboxes[0].prompt, "确定要退出吗？\n\n有 2 个下载尚未完成，退出后将被取消。");
  EXPECT_EQ(toolkit.msgboxes[0].buttons, platform::vbOKCancel);
  EXPECT_FALSE(toolkit.quit);
  EXPECT_EQ(app::Public::LoggedIn, GetParam() ? platform::True : platform::False);
  toolkit.answers.push_back({platform::vbOK, nullptr});
  MainWindow()->CloseFromFrame();
  EXPECT_TRUE(toolkit.quit);
}

INSTANTIATE_TEST_SUITE_P(LoggedInOrNot, ExitWithDownloads, ::testing::Bool());

class SystemEnd : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(SystemEnd, AsksNothingTrimsAndEnds) {
  StartLoggedIn();
  toolkit.system_unload(GetParam());
  EXPECT_FALSE(QuestionAsked());
  EXPECT_EQ(system.trims, 1);
  EXPECT_TRUE(toolkit.quit);
  EXPECT_EQ(app::Public::LoggedIn, platform::True) << "the flag is left as it was";
}

INSTANTIATE_TEST_SUITE_P(TaskManagerAndSessionEnd, SystemEnd,
                         ::testing::Values(platform::vbAppTaskManager, platform::vbAppWindows));

// ------------------------------------------------------------------ menu

struct MenuRow {
  const char* name;
  const char* caption;
  const char* parent;
};

const MenuRow kExpectedMenu[] = {
    {"mnSms", "短信管理(&M)", ""},      {"mnSend", "名片发送(&S)", "mnSms"},
    {"mnImport", "导入发送(&I)", "mnSms"}, {"mnHistory", "发送记录(&H)", "mnSms"},
    {"mnTime", "定时短信(&T)", "mnSms"},   {"mnReceive", "短信互动", "mnSms"},
    {"mnState", "短信状态", "mnSms"},       {"mnCustomer", "客户管理(&C)", ""},
    {"mnCard", "名片管理(&C)", "mnCustomer"}, {"mnCardIO", "客户资料备份", "mnCustomer"},
    {"mnUser", "账户管理(&U)", ""},         {"mnUserinfo", "账户信息(&U)", "mnUser"},
    {"mnPay", "在线充值", "mnUser"},        {"mnVoucher", "充值记录查询", "mnUser"},
    {"mnConsume", "消费记录查询", "mnUser"}, {"mnEditpwd", "修改密码", "mnUser"},
    {"mnSystem", "系统(&S)", ""},           {"mnSetting", "系统设置(&S)", "mnSystem"},
    {"mnAlert", "设置提醒", "mnSystem"},     {"mnExit", "退出", "mnSystem"},
    {"mnLine", "-", "mnSystem"},            {"mnAbout", "关于", "mnSystem"},
};

const std::map<std::string, std::string> kExpectedPages = {
    {"mnSend", "?ac=send"},       {"mnImport", "?ac=sends&fun=import"},
    {"mnHistory", "?ac=history"}, {"mnTime", "?ac=time"},
    {"mnReceive", "?ac=receive"}, {"mnState", "?ac=state"},
    {"mnCard", "?ac=card"},       {"mnCardIO", "?ac=card_io&fun=export"},
    {"mnUserinfo", "?info"},      {"mnPay", "?ac=pay"},
    {"mnVoucher", "?ac=voucher"}, {"mnConsume", "?ac=consume"},
    {"mnEditpwd", "?fun=edit"},   {"mnSetting", "?ac=setting"},
    {"mnAlert", "?ac=setting"},
};

TEST_F(MainWindowTest, TheMenuBarHasTheTwentyTwoItemsInOrder) {
  StartLoggedIn();
  const auto& menu = MainWindow()->menu;
  ASSERT_EQ(menu.size(), std::size(kExpectedMenu));
  for (std::size_t i = 0; i < menu.size(); ++i) {
    SCOPED_TRACE(kExpectedMenu[i].name);
    EXPECT_EQ(menu[i].name, kExpectedMenu[i].name);
    EXPECT_EQ(menu[i].caption, kExpectedMenu[i].caption);
    EXPECT_EQ(menu[i].parent, kExpectedMenu[i].parent);
  }
}

TEST_F(MainWindowTest, AccessKeysNeverRepeatWithinOneMenu) {
  StartLoggedIn();
  std::map<std::string, std::set<char>> keys;
  for (const auto& item : MainWindow()->menu) {
    const auto amp = item.caption.find('&');
    if (amp == std::string::npos) continue;
    EXPECT_TRUE(keys[item.parent].insert(item.caption[amp + 1]).second) << item.caption;
  }
}

TEST_F(MainWindowTest, EachPageCommandNavigatesToItsAddressByteForByte) {
  StartLoggedIn();
  fake::FakeBrowser* b = MainWindow()->browser;
  for (const auto& [name, key] : kExpectedPages) {
    SCOPED_TRACE(name);
    b->navigations.clear();
    MainWindow()->ChooseMenu(name);
    ASSERT_EQ(b->navigations.size(), 1u);
    EXPECT_EQ(b->navigations[0], Base() + key);
  }
  EXPECT_EQ(app::Public::LoggedIn, platform::True) << "page commands leave the session state alone";
}

TEST_F(MainWindowTest, ChoosingTheSamePageTwiceNavigatesTwice) {
  StartLoggedIn();
  fake::FakeBrowser* b = MainWindow()->browser;
  b->navigations.clear();
  MainWindow()->ChooseMenu("mnHistory");
  MainWindow()->ChooseMenu("mnHistory");
  EXPECT_EQ(b->navigations,
            (std::vector<std::string>{Base() + "?ac=history", Base() + "?ac=history"}));
}

TEST_F(MainWindowTest, TitlesAndTheSeparatorRunNothing) {
  StartLoggedIn();
  fake::FakeBrowser* b = MainWindow()->browser;
  b->navigations.clear();
  for (const char* name : {"mnSms", "mnCustomer", "mnUser", "mnSystem", "mnLine"}) {
    MainWindow()->ChooseMenu(name);
  }
  EXPECT_TRUE(b->navigations.empty());
  EXPECT_TRUE(toolkit.msgboxes.empty());
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(MainWindowTest, AFailedNavigationIsReportedAndTheWindowStays) {
  StartLoggedIn();
  MainWindow()->browser->fail_navigate = true;
  toolkit.answers.push_back({platform::vbOK, nullptr});
  MainWindow()->ChooseMenu("mnSend");
  ASSERT_EQ(toolkit.msgboxes.size(), 1u);
  EXPECT_NE(toolkit.msgboxes[0].prompt.find("运行时错误"), std::string::npos);
  EXPECT_NE(MainWindow(), nullptr);
  EXPECT_FALSE(toolkit.quit);
}

// ---------------------------------------------------------- return to login

TEST_F(MainWindowTest, ACompletionAtTheLoginAddressReturnsToTheLoginWindow) {
  StartLoggedIn();
  const int trims = system.trims;
  MainWindow()->browser->CompleteTopLevel(Login());
  EXPECT_EQ(MainWindow(), nullptr);
  ASSERT_NE(LoginWindow(), nullptr);
  EXPECT_TRUE(LoginWindow()->Visible());
  EXPECT_EQ(LoginWindow()->browser->navigations, std::vector<std::string>{Login()});
  EXPECT_FALSE(QuestionAsked());
  EXPECT_EQ(system.trims, trims + 1);
  EXPECT_EQ(app::Public::LoggedIn, platform::False);
  EXPECT_FALSE(toolkit.quit) << "the program keeps running";
}

TEST_F(MainWindowTest, AFrameCompletingAtTheLoginAddressReturnsToo) {
  StartLoggedIn();
  MainWindow()->browser->location = Base() + "?ac=home";
  MainWindow()->browser->CompleteFrame(Login());
  EXPECT_EQ(MainWindow(), nullptr);
  EXPECT_NE(LoginWindow(), nullptr);
}

TEST_F(MainWindowTest, AnythingButTheExactLoginAddressIsIgnored) {
  StartLoggedIn();
  fake::FakeBrowser* b = MainWindow()->browser;
  std::string upper_host = Login();
  upper_host.replace(upper_host.find(VARNOCK_SERVICE_HOST), std::strlen(VARNOCK_SERVICE_HOST),
                     "LOCALHOST");
  for (const std::string& url :
       {Base() + "?ac=home", Base() + "?ac=send", Base() + "?ac=setting", Login() + "/",
        Login() + "&next=1", Login() + "#form", Base() + "?fun=Login", upper_host,
        std::string("")}) {
    SCOPED_TRACE(url);
    b->CompleteTopLevel(url);
    ASSERT_NE(MainWindow(), nullptr);
    ASSERT_EQ(MainWindow()->browser, b);
  }
  b->RaiseComplete(true, std::nullopt);  // no address at all
  EXPECT_NE(MainWindow(), nullptr);
  EXPECT_EQ(LoginWindow(), nullptr);
  EXPECT_EQ(app::Public::LoggedIn, platform::True);
}

TEST_F(MainWindowTest, AfterTheReturnTheNextLoginOpensANewMainWindowCentredAgain) {
  StartLoggedIn(Base() + "?ac=home&one");
  MainWindow()->browser->CompleteTopLevel(Login());
  LoginWindow()->browser->CompleteTopLevel(Login());
  LoginWindow()->browser->CompleteTopLevel(Base() + "?ac=home&two");
  ASSERT_NE(MainWindow(), nullptr);
  EXPECT_EQ(MainWindow()->Left(), 2340);
  EXPECT_EQ(MainWindow()->Top(), 100);
  EXPECT_EQ(MainWindow()->browser->navigations, std::vector<std::string>{Base() + "?ac=home&two"});
}

}  // namespace
