// The main window: where it stands, its status bar, every page command of
// its menus, logging out in the page, the exit question, signals, and
// minimising.
#include <glib.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <thread>

#include "client_fixture.h"
#include "private_cache.h"

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
    ExpectMessageBox(box, *kExitQuestion.name);
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
};

TEST_F(MainWindowTest, PlaceStatusBarMenusAndEveryPageCommand) {
  const Window main = StartLoggedIn();

  ExpectPlaced(main);

  const std::string notice = "欢迎使用Varnock客户系统　瓦诺克通信技术有限公司　服务热线 400-000-8010　www.varnock.example";
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
  const gui::FocusEvents focus(*session_);
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
  ExpectFocusAnnounced(focus, login, user);
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

TEST_F(MainWindowTest, TheWaylandCompositorGoingAwayEndsWithoutAQuestion) {
  const std::string socket = "wayland-test";
  gui::ProcessOptions options;
  options.env = session_->Env();
  gui::Process compositor({"weston", "--backend=headless-backend.so", "--socket=" + socket, "--idle-time=0",
                           "--no-config"},
                          options);
  gui::WaitUntil([&] { return std::filesystem::exists(session_->RuntimeDir() / socket); }, gui::kDefaultTimeout,
                 "weston to listen", [&] { return compositor.Stderr(); });
  StartService();
  StartClientWith({"env", "-u", "DISPLAY", "WAYLAND_DISPLAY=" + socket, VARNOCK_CLIENT});
  a11y_->WaitForWindow(kLoginTitle, gui::kDefaultTimeout, Client().pid());
  std::optional<std::filesystem::path> cache;
  gui::WaitUntil([&] { return (cache = PrivateCacheOf(Client())).has_value(); }, gui::kDefaultTimeout,
                 "the client's private cache");
  compositor.Stop();
  const auto status = WaitClientExit();
  ASSERT_TRUE(status.has_value()) << "still running after its compositor went away";
  EXPECT_EQ(*status, 0) << gui::DescribeStatus(*status) << "\n" << ClientOutput();
  EXPECT_FALSE(std::filesystem::exists(*cache)) << "the run's private cache was left behind: " << *cache;
}

// The interface is Simplified Chinese whatever the locale: its Han
// characters take the Simplified forms (系 of 客户系统 in the status line,
// whose Japanese form the fonts would fall back to is drawn otherwise, comes
// out in C and en_US exactly as in zh_CN), and the toolkit's own dialogs
// speak Chinese too.
TEST_F(MainWindowTest, InAnyLocaleTheTextsAreSimplifiedChinese) {
  const auto has_locale = [](const std::string& name) {
    return gui::RunCommand({"locale", "-a"}, gui::Environment::FromCurrentProcess()).out.find(name) !=
           std::string::npos;
  };
  if (!has_locale("zh_CN.utf8") || !has_locale("en_US.utf8")) {
    GTEST_SKIP() << "the zh_CN.UTF-8 and en_US.UTF-8 locales are not generated here (make test generates them)";
  }
  StartService();
  const std::string locales[] = {"zh_CN.UTF-8", "C.UTF-8", "en_US.UTF-8"};
  std::vector<std::vector<gui::Rgb>> glyphs;
  for (const std::string& locale : locales) {
    SCOPED_TRACE(locale);
    StartClientWith({"env", "LANG=" + locale, VARNOCK_CLIENT});
    WaitForLoginWindow();
    const Window main = LogInAsDemo();
    const gui::Accessible line = a11y_->WaitFor(
        a11y_->WaitFor(main.node, gui::Query{.role = ATSPI_ROLE_STATUS_BAR}), gui::Query{.role = ATSPI_ROLE_LABEL});
    const std::string text = line.Text();
    const auto at = text.find("客户系统");
    ASSERT_NE(at, std::string::npos) << text;
    const int index = static_cast<int>(g_utf8_strlen(text.c_str(), static_cast<gssize>(at))) + 2;
    const gui::Extents glyph = line.CharacterExtents(index);
    const auto shot = scratch_->path() / "status.png";
    session_->Screenshot(shot);
    const gui::ImageCheck image(shot);
    std::vector<gui::Rgb> pixels;
    for (int y = 0; y < glyph.height; ++y) {
      for (int x = 0; x < glyph.width; ++x) pixels.push_back(image.Pixel(glyph.x + x, glyph.y + y));
    }
    glyphs.push_back(std::move(pixels));
    if (locale != locales[0]) {
      // The toolkit's own texts: the save dialog in Chinese, no English.
      ChooseMenuItem(main, {"alt+c", {"客户管理(C)", "客户资料备份"}, "", 1});
      const Window dialog = WaitForWindow("保存文件");
      EXPECT_TRUE(gui::PollUntil(
          [&] { return a11y_->Find(dialog.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name = "名称(N)："}).has_value(); },
          gui::kDefaultTimeout))
          << "the save dialog's name field is not labelled 名称(N)：";
      for (const char* english : {"Name:", "Cancel", "Save", "Other Locations", "Home", "Recent", "Create Folder"}) {
        EXPECT_FALSE(a11y_->Find(dialog.node, gui::Query{.name = english}).has_value())
            << "\"" << english << "\" in the save dialog";
      }
      xdo_->KeyToWindow(dialog.xid, "Escape");
      WaitWindowGone("保存文件");
    }
    EXPECT_EQ(ExitThroughCloseBox(main), 0);
  }
  ASSERT_FALSE(glyphs[0].empty());
  EXPECT_TRUE(glyphs[1] == glyphs[0]) << "系 in C.UTF-8 is not drawn as in zh_CN.UTF-8";
  EXPECT_TRUE(glyphs[2] == glyphs[0]) << "系 in en_US.UTF-8 is not drawn as in zh_CN.UTF-8";
}

// Keys typed ahead: 关于 chosen, and 名片发送 chosen right after it, before
// the About box has opened. The box takes the input while it is up; the
// page command the user gave before it waits, and is carried out once the
// box has closed.
TEST_F(MainWindowTest, APageCommandTypedAheadOfTheAboutBoxRunsOnceItCloses) {
  const Window main = StartLoggedIn();
  const MenuPath about{"alt+s", {"系统(S)", "关于"}, "", 3};
  OpenMenu(main, about);
  const gui::Accessible item = a11y_->MenuItem(main.node, about.item);
  xdo_->Key("Down Down Down");
  gui::WaitUntil([&] { return item.Has(ATSPI_STATE_SELECTED); }, gui::kDefaultTimeout, "关于 selected");
  const std::size_t mark = Mark();
  // One burst, as from a fast typist. The client is held still while the
  // keys go out, so all three are waiting for it before it can open the box
  // however loaded the machine is; otherwise a slow xdotool lets the box
  // open first, and then the box rightly takes the keys.
  Client().Signal(SIGSTOP);
  try {
    xdo_->Run({"key", "--delay", "0", "Return", "alt+m", "s"});
  } catch (...) {
    Client().Signal(SIGCONT);
    throw;
  }
  Client().Signal(SIGCONT);
  const Window box = WaitForWindow("关于 Varnock");
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(LogFrom(mark), "") << "a page was opened while the About box was up";
  xdo_->KeyToWindow(box.xid, "Escape");
  WaitWindowGone("关于 Varnock");
  WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
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

// Every item of the menu bar as an assistive tool runs it: the AT-SPI action
// that voice control, switch access, a screen reader's "activate" and UI
// automation send, delivered inside the accessibility bridge's D-Bus
// dispatch. Alone, and with a keystroke listener registered as a screen
// reader registers one (every key then makes a round trip through the
// bridge).
enum class ItemKind { Title, Page, Exit, Separator, About };
struct MenuItemRow {
  std::vector<std::string> captions;
  ItemKind kind;
  std::string page_key;
};

// The 22 items in display order: each title, then its drop-down.
std::vector<MenuItemRow> EveryMenuItem() {
  std::vector<MenuItemRow> rows;
  for (const PageCommand& command : kPageCommands) {
    const std::string& title = command.path.item.front();
    if (rows.empty() || rows.back().captions.front() != title) rows.push_back({{title}, ItemKind::Title, ""});
    rows.push_back({command.path.item, ItemKind::Page, command.page_key});
  }
  rows.push_back({{"系统(S)", "退出"}, ItemKind::Exit, ""});
  rows.push_back({{"系统(S)", ""}, ItemKind::Separator, ""});
  rows.push_back({{"系统(S)", "关于"}, ItemKind::About, ""});
  return rows;
}

class MenuThroughAccessibilityTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {
 protected:
  // A program stuck in a wait inside the bridge's dispatch answers nothing.
  void ExpectAnswering(const gui::Accessible& node, const std::string& after) {
    EXPECT_TRUE(node.Answers(std::chrono::seconds(1)))
        << "no answer to an accessibility query within a second after " << after;
  }

  // Keys still reach the program: a drop-down opens with its access key and
  // closes with Esc.
  void ExpectKeysWork(const Window& main) {
    OpenMenu(main, kAccountInfo);
    const gui::Accessible item = a11y_->MenuItem(main.node, kAccountInfo.item);
    xdo_->KeyToWindow(main.xid, "Escape");
    gui::WaitUntil([&] { return !item.Showing(); }, gui::kDefaultTimeout, "Esc to close the drop-down");
  }

  // After a modal window closed: the focus is back in the main window.
  void ExpectFocusBack(const Window& main) {
    gui::WaitUntil([&] { return main.node.Active(); }, gui::kDefaultTimeout, "the main window to be active again",
                   [&] {
                     const auto active = xdo_->ActiveWindow();
                     return "active: " + (active ? xdo_->WindowTitle(*active) : std::string("none"));
                   });
  }
};

TEST_P(MenuThroughAccessibilityTest, EveryItemWorksAsThroughKeysAndTheProgramKeepsAnswering) {
  std::unique_ptr<gui::KeystrokeListener> screen_reader;
  if (GetParam()) screen_reader = std::make_unique<gui::KeystrokeListener>(*session_);
  const Window main = StartLoggedIn();
  const auto rows = EveryMenuItem();
  ASSERT_EQ(rows.size(), 22u);

  for (const MenuItemRow& row : rows) {
    const std::string name = row.captions.back().empty() ? "the separator" : row.captions.back();
    SCOPED_TRACE(name);
    const gui::Accessible item = a11y_->MenuItem(main.node, row.captions);
    const std::size_t mark = Mark();
    switch (row.kind) {
      case ItemKind::Title: {
        item.DoAction("click");
        const gui::Accessible first = item.Children().front();
        gui::WaitUntil([&] { return first.Showing(); }, gui::kDefaultTimeout, "the drop-down of " + name);
        ExpectAnswering(main.node, name);
        xdo_->KeyToWindow(main.xid, "Escape");
        gui::WaitUntil([&] { return !first.Showing(); }, gui::kDefaultTimeout, "Esc to close " + name);
        break;
      }
      case ItemKind::Separator:
        // It cannot be chosen: whatever it offers does nothing.
        for (const auto& action : item.ActionNames()) item.DoAction(action);
        ExpectAnswering(main.node, name);
        ExpectKeysWork(main);
        EXPECT_EQ(Mark(), mark) << LogFrom(mark);
        break;
      case ItemKind::Page:
        item.DoAction("click");
        WaitForExactRequest("GET", "/" + row.page_key, Sid(), mark);
        ExpectAnswering(main.node, name);
        if (row.page_key == "?ac=card_io&fun=export") {
          EXPECT_TRUE(DeclineAnySaveDialog()) << "no save dialog for the export";  // Esc, a key
        } else {
          ExpectKeysWork(main);
        }
        break;
      case ItemKind::Exit: {
        item.DoAction("click");
        const Window box = ExpectExitQuestion();
        ExpectAnswering(box.node, name);
        ExpectAnswering(main.node, name);
        xdo_->KeyToWindow(box.xid, "Escape");
        WaitWindowGone(kMessageBoxTitle);
        EXPECT_TRUE(Client().Running());
        ExpectFocusBack(main);
        break;
      }
      case ItemKind::About: {
        item.DoAction("click");
        const Window about = WaitForWindow("关于 Varnock");
        EXPECT_EQ(about.node.Role(), ATSPI_ROLE_DIALOG) << about.node.Describe();
        ExpectAnswering(about.node, name);
        ExpectAnswering(main.node, name);
        // Its button through its action too: the tool starts, or the box
        // says it cannot, and the box answers either way.
        a11y_->WaitFor(about.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "系统信息(S)..."})
            .DoAction("click");
        if (gui::PollUntil([&] { return HasWindow(kMessageBoxTitle); }, 2s)) {
          const Window message = WaitForWindow(kMessageBoxTitle);
          ExpectAnswering(message.node, "系统信息(S)...");
          xdo_->KeyToWindow(message.xid, "Return");
          WaitWindowGone(kMessageBoxTitle);
        }
        ExpectAnswering(about.node, "系统信息(S)...");
        xdo_->KeyToWindow(about.xid, "Escape");
        WaitWindowGone("关于 Varnock");
        ExpectFocusBack(main);
        break;
      }
    }
  }
  ExpectKeysWork(main);
  if (screen_reader) {
    EXPECT_GT(screen_reader->Keys(), 0) << "the listener heard no key";
  }
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

INSTANTIATE_TEST_SUITE_P(AloneAndWithAScreenReader, MenuThroughAccessibilityTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "KeystrokeListener" : "Alone"; });

}  // namespace
}  // namespace varnock_gui
