// The main window: where it stands, its status bar, every page command of
// its menus, logging out in the page, the exit question, signals, and
// minimising.
#include <algorithm>
#include <csignal>
#include <filesystem>

#include "client_fixture.h"
#include "private_cache.h"
#include "windows/main/notice.h"

namespace varnock_gui {
namespace {

// The session's screen.
const int kScreenWidth = gui::SessionOptions{}.width;
constexpr int kMainOuterWidth = 968;
constexpr int kMainOuterHeight = 725;
constexpr int kMainTop = 7;

const gui::Query kExitQuestion{.role = ATSPI_ROLE_LABEL, .name = "确定要退出吗？"};

// The menu bar as the user sees it, and how each page command is reached
// from the keyboard.
struct PageCommand {
  MenuPath path;
  std::string page_key;
};

const std::vector<PageCommand> kPageCommands{
    {{"alt+m", {"短信管理(M)", "名片发送(S)"}, "s"}, "?ac=send"},
    {{"alt+m", {"短信管理(M)", "导入发送(I)"}, "i"}, "?ac=sends&fun=import"},
    {{"alt+m", {"短信管理(M)", "发送记录(H)"}, "h"}, "?ac=history"},
    {{"alt+m", {"短信管理(M)", "定时短信(T)"}, "t"}, "?ac=time"},
    {{"alt+m", {"短信管理(M)", "短信互动"}, "", 4}, "?ac=receive"},
    {{"alt+m", {"短信管理(M)", "短信状态"}, "", 5}, "?ac=state"},
    {{"alt+c", {"客户管理(C)", "名片管理(C)"}, "c"}, "?ac=card"},
    {{"alt+c", {"客户管理(C)", "客户资料备份"}, "", 1}, "?ac=card_io&fun=export"},
    {{"alt+u", {"账户管理(U)", "账户信息(U)"}, "u"}, "?info"},
    {{"alt+u", {"账户管理(U)", "在线充值"}, "", 1}, "?ac=pay"},
    {{"alt+u", {"账户管理(U)", "充值记录查询"}, "", 2}, "?ac=voucher"},
    {{"alt+u", {"账户管理(U)", "消费记录查询"}, "", 3}, "?ac=consume"},
    {{"alt+u", {"账户管理(U)", "修改密码"}, "", 4}, "?fun=edit"},
    {{"alt+s", {"系统(S)", "系统设置(S)"}, "s"}, "?ac=setting"},
    {{"alt+s", {"系统(S)", "设置提醒"}, "", 1}, "?ac=setting"},
};

const MenuPath kExitCommand{"alt+s", {"系统(S)", "退出"}, "", 2};
const MenuPath kAccountInfo{"alt+u", {"账户管理(U)", "账户信息(U)"}, "u"};

class MainWindowTest : public ClientTest {
 protected:
  // Runs a page command and checks that the very next request is that page,
  // in the logged-in session.
  void ExpectPageCommand(const Window& main, const PageCommand& command) {
    const std::size_t mark = Mark();
    ChooseMenuItem(main, command.path);
    gui::WaitUntil([&] { return Requests().size() > mark; }, gui::kDefaultTimeout,
                   "a request after " + command.path.item.back());
    EXPECT_EQ(Requests()[mark].line, "GET /" + command.page_key + " sid=" + Sid())
        << "for " << command.path.item.front() << " → " << command.path.item.back();
  }

  // The exit question over the main window, with its texts and buttons.
  Window ExpectExitQuestion() {
    const Window box = WaitForWindow(kMessageBoxTitle);
    EXPECT_TRUE(box.node.Has(ATSPI_STATE_MODAL));
    a11y_->WaitFor(box.node, kExitQuestion);
    std::vector<std::string> captions;
    for (const auto& button : a11y_->FindAll(box.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON})) {
      captions.push_back(button.Name());
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"确定", "取消"}));
    const gui::Accessible ok = a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "确定"});
    EXPECT_TRUE(ok.Has(ATSPI_STATE_IS_DEFAULT));
    gui::WaitUntil([&] { return ok.Focused(); }, gui::kDefaultTimeout, "the focus on 确定");
    return box;
  }

  // After a declined question: same window, same page, same session.
  void ExpectEverythingKept(const Window& main, const std::string& page_name, std::size_t mark) {
    WaitWindowGone(kMessageBoxTitle);
    EXPECT_TRUE(Client().Running());
    EXPECT_TRUE(main.node.Showing());
    EXPECT_EQ(xdo_->FindWindowsByTitle(kMainTitle), std::vector<gui::WindowId>{main.xid});
    EXPECT_EQ(WaitForDocument(main).Name(), page_name);
    EXPECT_EQ(Mark(), mark) << "the page was loaded again:\n" << LogFrom(mark);
    // The session is still the one logged in.
    ExpectPageCommand(main, {kAccountInfo, "?info"});
  }

  // Centred across the screen near its top edge, frame included.
  void ExpectPlaced(const Window& main) {
    const OuterRect expected{(kScreenWidth - kMainOuterWidth) / 2, kMainTop, kMainOuterWidth, kMainOuterHeight};
    OuterRect outer;
    const bool placed = gui::PollUntil(
        [&] {
          outer = OuterRectOf(main);
          return outer.x == expected.x && outer.y == expected.y && outer.width == expected.width &&
                 outer.height == expected.height;
        },
        gui::kDefaultTimeout);
    EXPECT_TRUE(placed) << "frame at " << outer.x << "," << outer.y << " size " << outer.width << "x"
                        << outer.height << ", expected " << expected.x << "," << expected.y << " size "
                        << expected.width << "x" << expected.height;
  }

  void ExpectSignalEndsQuietly(int signal_number) {
    const Window main = StartLoggedIn();
    WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"});
    Client().Signal(signal_number);
    const auto status = WaitClientExit();
    ASSERT_TRUE(status.has_value()) << "still running after signal " << signal_number
                                    << (HasWindow(kMessageBoxTitle) ? " (asking a question)" : "");
    EXPECT_EQ(*status, 0) << gui::DescribeStatus(*status);
  }
};

TEST_F(MainWindowTest, PlaceStatusBarMenusAndEveryPageCommand) {
  const Window main = StartLoggedIn();

  ExpectPlaced(main);

  std::string notice(windows::kNoticeTemplate);
  notice.replace(notice.find(windows::kNoticePlaceholder), windows::kNoticePlaceholder.size(), kMainTitle);
  const gui::Accessible bar = a11y_->WaitFor(main.node, gui::Query{.role = ATSPI_ROLE_STATUS_BAR});
  EXPECT_EQ(bar.Name(), notice);
  EXPECT_TRUE(bar.Showing());
  // Along the bottom of the client area, under the page.
  const gui::Geometry area = xdo_->WindowGeometry(main.xid);
  const gui::Extents bar_box = bar.ScreenExtents();
  // The page's viewport: WebKit's scroll pane around the document.
  const gui::Extents page_box = WaitForDocument(main).Parent().ScreenExtents();
  EXPECT_LE(area.y + area.height - (bar_box.y + bar_box.height), 4) << "status bar not at the bottom";
  EXPECT_GE(bar_box.width, area.width - 8);
  EXPECT_LE(page_box.y + page_box.height, bar_box.y + 1) << "the page runs under the status bar";

  // The menus as read out, in order.
  std::vector<std::string> titles;
  std::vector<std::vector<std::string>> items;
  for (const gui::MenuNode& menu : a11y_->MenuItems(main.node)) {
    titles.push_back(menu.caption);
    items.emplace_back();
    for (const gui::MenuNode& item : menu.children) items.back().push_back(item.caption);
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"短信管理(M)", "客户管理(C)", "账户管理(U)", "系统(S)"}));
  EXPECT_EQ(items, (std::vector<std::vector<std::string>>{
                       {"名片发送(S)", "导入发送(I)", "发送记录(H)", "定时短信(T)", "短信互动", "短信状态"},
                       {"名片管理(C)", "客户资料备份"},
                       {"账户信息(U)", "在线充值", "充值记录查询", "消费记录查询", "修改密码"},
                       {"系统设置(S)", "设置提醒", "退出", "", "关于"},
                   }));

  for (const PageCommand& command : kPageCommands) {
    SCOPED_TRACE(command.path.item.back());
    ExpectPageCommand(main, command);
    if (command.page_key == "?ac=card_io&fun=export") DeclineAnySaveDialog();  // a download
  }
  EXPECT_TRUE(Client().Running());
  EXPECT_FALSE(HasWindow(kLoginTitle));
}

TEST_F(MainWindowTest, LogoutInThePageReturnsToLoginAndLoggingInAgainWorks) {
  const Window main = StartLoggedIn();
  const std::string first_sid = Sid();
  ExpectPlaced(main);

  const std::size_t mark = Mark();
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"}));
  const Request logout = WaitForExactRequest("GET", "/?fun=logout", first_sid, mark);
  const Window login = WaitForLoginWindow();
  WaitWindowGone(kMainTitle);
  EXPECT_FALSE(HasWindow(kMessageBoxTitle)) << "logging out in the page asked a question";
  EXPECT_TRUE(Client().Running());

  // The main window's browser lands on the login page; then the login
  // window loads it afresh.
  const Request landed = WaitForRequest(R"(GET /\?fun=login sid=\S+)", logout.index + 1);
  const Request fresh = WaitForExactRequest("GET", "/?fun=login", "-", landed.index + 1);
  const gui::Accessible user = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
  EXPECT_EQ(user.Text(), "") << "not a fresh login page";
  WaitForExactRequest("GET", "/?fun=notice", "-", fresh.index + 1);

  const std::size_t again = Mark();
  const Window second = LogInAsDemo();
  EXPECT_NE(Sid(), first_sid);
  WaitForExactRequest("GET", "/?ac=home", Sid(), WaitForExactRequest("GET", "/?ac=home", Sid(), again).index + 1);
  WaitWindowGone(kLoginTitle);
  WaitInPage(second, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"});
  ExpectPlaced(second);
  ExpectPageCommand(second, {kAccountInfo, "?info"});
}

TEST_F(MainWindowTest, CloseBoxAsksEscKeepsEnterEnds) {
  const Window main = StartLoggedIn();
  const std::string page = WaitForDocument(main).Name();
  const std::size_t mark = Mark();

  xdo_->CloseWindow(main.xid);
  ExpectExitQuestion();
  xdo_->Key("Escape");
  ExpectEverythingKept(main, page, mark);

  xdo_->CloseWindow(main.xid);
  ExpectExitQuestion();
  xdo_->Key("Return");
  const auto status = WaitClientExit();
  ASSERT_TRUE(status.has_value()) << "still running after 确定";
  EXPECT_EQ(*status, 0) << gui::DescribeStatus(*status);
}

TEST_F(MainWindowTest, ExitCommandAsksCancelKeepsEnterEnds) {
  const Window main = StartLoggedIn();
  const std::string page = WaitForDocument(main).Name();
  const std::size_t mark = Mark();

  ChooseMenuItem(main, kExitCommand);
  const Window box = ExpectExitQuestion();
  gui::ClickCenter(*xdo_, a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "取消"}));
  ExpectEverythingKept(main, page, mark);

  ChooseMenuItem(main, kExitCommand);
  ExpectExitQuestion();
  xdo_->Key("Return");
  const auto status = WaitClientExit();
  ASSERT_TRUE(status.has_value()) << "still running after 确定";
  EXPECT_EQ(*status, 0) << gui::DescribeStatus(*status);
}

TEST_F(MainWindowTest, SigtermEndsWithoutAQuestion) { ExpectSignalEndsQuietly(SIGTERM); }

TEST_F(MainWindowTest, SighupEndsWithoutAQuestion) { ExpectSignalEndsQuietly(SIGHUP); }

TEST_F(MainWindowTest, TheDisplayGoingAwayEndsWithoutAQuestion) {
  const Window main = StartLoggedIn();
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"});
  const auto cache = PrivateCacheOf(Client());
  ASSERT_TRUE(cache.has_value()) << "the client's private cache directory was not found";
  session_->StopDisplay();
  const auto status = WaitClientExit();
  ASSERT_TRUE(status.has_value()) << "still running after its display went away";
  EXPECT_EQ(*status, 0) << gui::DescribeStatus(*status);
  EXPECT_FALSE(std::filesystem::exists(*cache)) << "the run's private cache was left behind: " << *cache;
}

TEST_F(MainWindowTest, MinimiseAndRestoreKeepThePage) {
  const Window main = StartLoggedIn();
  const gui::Accessible document = WaitForDocument(main);
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"});
  const std::string page = document.Name();
  const OuterRect place = OuterRectOf(main);
  const gui::Extents page_box = document.Parent().ScreenExtents();  // the viewport

  xdo_->Minimize(main.xid);
  const auto states = xdo_->WindowStates(main.xid);
  EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_HIDDEN"), states.end());
  gui::WaitUntil([&] { return main.node.Has(ATSPI_STATE_ICONIFIED); }, gui::kDefaultTimeout,
                 "the main window to report itself minimised");

  xdo_->ActivateWindow(main.xid);
  gui::WaitUntil([&] { return !main.node.Has(ATSPI_STATE_ICONIFIED) && main.node.Active(); }, gui::kDefaultTimeout,
                 "the main window to come back");
  const auto restored = xdo_->WindowStates(main.xid);
  EXPECT_EQ(std::find(restored.begin(), restored.end(), "_NET_WM_STATE_HIDDEN"), restored.end());
  // Openbox animates the restore: wait for the window to settle.
  OuterRect back;
  const bool settled = gui::PollUntil(
      [&] {
        back = OuterRectOf(main);
        return back.x == place.x && back.y == place.y && back.width == place.width && back.height == place.height;
      },
      gui::kDefaultTimeout);
  EXPECT_TRUE(settled) << "restored at " << back.x << "," << back.y << " " << back.width << "x" << back.height
                       << " instead of " << place.x << "," << place.y << " " << place.width << "x" << place.height;

  // The same page, at its old size, and the menus still work.
  const gui::Accessible after = WaitForDocument(main);
  EXPECT_EQ(after.Name(), page);
  EXPECT_TRUE(after.Showing());
  gui::Extents after_box;
  gui::PollUntil(
      [&] {
        after_box = after.Parent().ScreenExtents();
        return after_box.x == page_box.x && after_box.y == page_box.y && after_box.width == page_box.width &&
               after_box.height == page_box.height;
      },
      gui::kDefaultTimeout);
  EXPECT_EQ(after_box.x, page_box.x);
  EXPECT_EQ(after_box.y, page_box.y);
  EXPECT_EQ(after_box.width, page_box.width);
  EXPECT_EQ(after_box.height, page_box.height);
  EXPECT_TRUE(a11y_->WaitFor(main.node, gui::Query{.role = ATSPI_ROLE_STATUS_BAR}).Showing());
  ExpectPageCommand(main, {kAccountInfo, "?info"});
}

}  // namespace
}  // namespace varnock_gui
