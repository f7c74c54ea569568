// Windows a page opens (window.open, target="_blank"): plain windows of the
// client on the same web session, no more than five for one main window,
// closed with the main window that opened them, and never taken for the
// main window when their page ends at the login address.
#include <atomic>
#include <fstream>
#include <regex>

#include "client_fixture.h"
#include "page_server.h"

namespace varnock_gui {
namespace {

const MenuPath kPayCommand{"alt+u", {"账户管理(U)", "在线充值"}, "", 1};
const std::string kPayTarget = "/?ac=pay";
const std::string kCheckoutTarget = "/?ac=pay&fun=checkout";

class PopUpTest : public ClientTest {
 protected:
  // The client's windows other than the main and the login window.
  std::vector<gui::WindowInfo> PopUps() const {
    std::vector<gui::WindowInfo> found;
    for (auto& window : ClientWindows()) {
      if (window.role == ATSPI_ROLE_FRAME && window.title != kMainTitle && window.title != kLoginTitle) {
        found.push_back(std::move(window));
      }
    }
    return found;
  }

  // Waits until exactly `count` pop-ups show, each titled by its page.
  std::vector<gui::WindowInfo> WaitForPopUps(std::size_t count) const {
    std::vector<gui::WindowInfo> found;
    gui::WaitUntil(
        [&] {
          found = PopUps();
          if (found.size() != count) return false;
          for (auto& popup : found) {
            const auto document = a11y_->Find(popup.node, gui::Query{.role = ATSPI_ROLE_DOCUMENT_WEB});
            if (!document || document->Name().empty()) return false;
            // The title may have come after the window was listed.
            popup.title = popup.node.Name();
            if (popup.title != PopUpCaption(document->Name())) return false;
          }
          return true;
        },
        gui::kDefaultTimeout, std::to_string(count) + " pop-up windows titled by their pages",
        [&] { return a11y_->DumpApplications(); });
    return found;
  }

  // Brings the window to the front first, as a user clicking into it would.
  void ClickIn(const Window& window, const gui::Accessible& target) const {
    xdo_->ActivateWindow(window.xid);
    gui::WaitUntil([&] { return window.node.Active(); }, gui::kDefaultTimeout, "the window to come to the front");
    gui::ClickCenter(*xdo_, target);
  }

  Request OpenPayPage(const Window& main) {
    const std::size_t mark = Mark();
    ChooseMenuItem(main, kPayCommand);
    const Request request = WaitForExactRequest("GET", kPayTarget, Sid(), mark);
    WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "在新窗口打开支付页面"});
    return request;
  }

  // A checkout page in a plain window of its own, for the logged-in account.
  void ExpectCheckoutWindow(const gui::WindowInfo& popup) const {
    const gui::Accessible document = a11y_->WaitFor(popup.node, gui::Query{.role = ATSPI_ROLE_DOCUMENT_WEB});
    EXPECT_EQ(popup.node.Name(), PopUpCaption(document.Name()));
    xdo_->WaitForWindow(PopUpCaption(document.Name()));  // AT-SPI may know the title before X does
    EXPECT_TRUE(a11y_->MenuItems(popup.node).empty()) << "a pop-up has a menu bar";
    const gui::Accessible account =
        a11y_->WaitFor(popup.node, gui::Query{.role = ATSPI_ROLE_PARAGRAPH, .text_contains = "充值账户："});
    EXPECT_NE(account.Text().find("充值账户：" + kDemoUser), std::string::npos)
        << "the checkout page is not for the logged-in account: " << account.Text();
  }
};

TEST_F(PopUpTest, PopUpsShareTheSessionAndCloseWithTheirOpener) {
  const Window main = StartLoggedIn();
  const Request pay = OpenPayPage(main);
  const std::string pay_page = WaitForDocument(main).Name();
  const gui::Accessible button = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "前往支付"});
  const gui::Accessible link = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "在新窗口打开支付页面"});

  // window.open from the page's button, in the same web session.
  std::size_t mark = Mark();
  ClickIn(main, button);
  WaitForExactRequest("GET", kCheckoutTarget, Sid(), mark);
  ExpectCheckoutWindow(WaitForPopUps(1).front());

  // A target="_blank" link: one more.
  mark = Mark();
  ClickIn(main, link);
  WaitForExactRequest("GET", kCheckoutTarget, Sid(), mark);
  const auto popups = WaitForPopUps(2);
  for (const auto& popup : popups) ExpectCheckoutWindow(popup);
  EXPECT_TRUE(gui::PollUntil([&] { return xdo_->FindWindowsByTitle(popups.front().title).size() == 2; },
                             gui::kDefaultTimeout))
      << "not two X windows titled " << popups.front().title;
  // Nothing since the page was asked for without the session.
  for (const auto& request : Requests()) {
    if (request.index >= pay.index) {
      EXPECT_EQ(request.sid, Sid()) << request.line;
    }
  }
  EXPECT_EQ(WaitForDocument(main).Name(), pay_page) << "the main window left its page";

  // Logging out in the main window takes it back to the login window, and
  // its pop-ups with it.
  mark = Mark();
  ClickIn(main, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"}));
  WaitForExactRequest("GET", "/?fun=logout", Sid(), mark);
  WaitForLoginWindow();
  a11y_->WaitWindowGone(popups.front().title, gui::kDefaultTimeout, Client().pid());
  gui::WaitUntil([&] { return xdo_->FindWindowsByTitle(popups.front().title).empty(); }, gui::kDefaultTimeout,
                 "the pop-ups' X windows to go");
  EXPECT_TRUE(PopUps().empty());
  EXPECT_FALSE(HasWindow(kMainTitle));
  EXPECT_TRUE(Client().Running());
}

TEST_F(PopUpTest, LoginPageInAPopUpIsNoLogout) {
  const Window main = StartLoggedIn();
  OpenPayPage(main);
  const std::string pay_page = WaitForDocument(main).Name();
  std::size_t mark = Mark();
  ClickIn(main, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "在新窗口打开支付页面"}));
  WaitForExactRequest("GET", kCheckoutTarget, Sid(), mark);
  const gui::WindowInfo info = WaitForPopUps(1).front();
  const Window popup = WaitForWindow(info.title);

  // The pop-up's own 退出登录: its page ends at the login address.
  mark = Mark();
  ClickIn(popup, a11y_->WaitFor(popup.node, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"}));
  const Request logout = WaitForExactRequest("GET", "/?fun=logout", Sid(), mark);
  const Request login_page = WaitForExactRequest("GET", "/" + kLoginKey, "-", logout.index + 1);
  a11y_->WaitFor(popup.node, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
  WaitForExactRequest("GET", "/?fun=notice", "-", login_page.index + 1);
  a11y_->WaitFor(popup.node, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "平台公告"});
  const gui::Accessible login_document = a11y_->WaitFor(popup.node, gui::Query{.role = ATSPI_ROLE_DOCUMENT_WEB});
  gui::WaitUntil([&] { return popup.node.Name() == PopUpCaption(login_document.Name()); }, gui::kDefaultTimeout,
                 "the pop-up to take the login page's title");

  EXPECT_FALSE(HasWindow(kLoginTitle)) << "a login page in a pop-up brought back the login window";
  EXPECT_TRUE(main.node.Showing());
  EXPECT_EQ(WaitForDocument(main).Name(), pay_page);
  EXPECT_TRUE(popup.node.Showing());

  // The main window finds the session gone when it reloads: it lands on the
  // login page itself, returns to the login window and takes the pop-up along.
  mark = Mark();
  xdo_->ActivateWindow(main.xid);
  gui::WaitUntil([&] { return main.node.Active(); }, gui::kDefaultTimeout, "the main window to come to the front");
  FocusPage(main);
  xdo_->Key("F5");
  WaitForExactRequest("GET", kPayTarget, "-", mark);
  WaitForLoginWindow();
  WaitWindowGone(kMainTitle);
  gui::WaitUntil([&] { return PopUps().empty(); }, gui::kDefaultTimeout, "the pop-up to close with the main window",
                 [&] { return a11y_->DumpApplications(); });
  std::vector<std::string> titles;
  for (const auto& window : ClientWindows()) titles.push_back(window.title);
  EXPECT_EQ(titles, std::vector<std::string>{kLoginTitle});
}

// A window a page opens on another site goes to the desktop's browser, for a
// link and for the page's script alike; the client never loads it. Those of
// the service's own site stay in the client.
TEST_F(PopUpTest, AnotherSiteOpensInTheDesktopsBrowser) {
  const std::filesystem::path opened = InstallSchemeHandler("http", "测试浏览器");
  PageServer other;
  other.Page("/elsewhere", HtmlPage("别处", "<p>别处</p>"));
  const std::uint16_t port = gui::FreePort();
  other.Start(port);
  const std::string elsewhere = "http://127.0.0.1:" + std::to_string(port) + "/elsewhere";

  EnsurePortFree();
  PageServer server;
  server.Page("/" + kLoginKey,
              HtmlPage("登录", "<p><a href=\"" + elsewhere + "?by=link\" target=\"_blank\">别处链接</a> "
                               "<button type=\"button\" id=\"open\">别处按钮</button> "
                               "<a href=\"/?ac=popup\" target=\"_blank\">本站链接</a></p>"
                               "<script>document.getElementById('open').addEventListener('click', function () {"
                               "  window.open('" + elsewhere + "?by=script', '_blank', 'width=320,height=200');"
                               "});</script>"));
  server.Page("/?ac=popup", HtmlPage("本站弹窗", "<p>本站</p>"));
  server.Start(kServicePort);
  StartClient();
  const Window login = WaitForLoginWindow();
  WaitForPageTitle(login, "登录");

  const auto handed = [&] {
    std::vector<std::string> lines;
    std::ifstream in(opened);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  };
  std::vector<std::string> expected;
  for (const auto& [control, address] : {std::pair{ATSPI_ROLE_LINK, std::pair{"别处链接", elsewhere + "?by=link"}},
                                         std::pair{ATSPI_ROLE_PUSH_BUTTON, std::pair{"别处按钮", elsewhere + "?by=script"}}}) {
    SCOPED_TRACE(address.first);
    ClickIn(login, WaitInPage(login, gui::Query{.role = control, .name = address.first}));
    expected.push_back(address.second);
    gui::WaitUntil([&] { return handed() == expected; }, gui::kDefaultTimeout, "the desktop's browser to get it",
                   [&] { return std::to_string(handed().size()) + " addresses handed over"; });
  }
  EXPECT_TRUE(PopUps().empty()) << "a window of the client opened for another site";
  EXPECT_TRUE(other.Targets().empty()) << other.Describe();
  WaitForPageTitle(login, "登录");

  ClickIn(login, WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "本站链接"}));
  EXPECT_EQ(WaitForPopUps(1).front().title, PopUpCaption("本站弹窗"));
  EXPECT_EQ(handed(), expected) << "the service's own page went to the desktop's browser";
  session_->Screenshot(std::filesystem::current_path() / "popup-own-site.png");
}

// Pages for the limit: every window.open reports to the server whether it
// got a window, so the test knows each attempt's outcome as the page saw it.
class PopUpPages {
 public:
  static constexpr const char* kOpenedPath = "/opened";

  explicit PopUpPages(PageServer& server) {
    server.Routes().Get("/", [this](const httplib::Request& request, httplib::Response& response) {
      std::string html;
      if (request.target == "/" + kLoginKey) {
        html = HtmlPage("登录", "<p><a href=\"/?ac=home\">进入</a></p>");
      } else if (request.target == "/?ac=home") {
        html = Page("首页");
      } else if (request.target == "/?ac=popup") {
        // Numbered: each window can be told apart by its title.
        html = Page("弹出窗口 " + std::to_string(++served_));
      } else {
        response.status = 404;
        return;
      }
      response.set_header("Cache-Control", "no-store");
      response.set_content(html, "text/html; charset=utf-8");
    });
    server.Routes().Get(kOpenedPath, [](const httplib::Request&, httplib::Response& response) {
      response.set_content("", "text/plain");
    });
  }

  static std::string Page(const std::string& title) {
    return HtmlPage(title,
                    "<p><button type=\"button\" id=\"open\">打开</button> <a href=\"/?fun=login\">退出</a></p>"
                    "<script>document.getElementById('open').addEventListener('click', function () {"
                    "  var w = window.open('/?ac=popup', '_blank', 'width=320,height=200');"
                    "  fetch('/opened?result=' + (w ? 'window' : 'none'));"
                    "});</script>");
  }

 private:
  std::atomic<int> served_{0};
};

TEST_F(PopUpTest, AtMostFivePopUpsIncludingThoseOfPopUps) {
  EnsurePortFree();
  PageServer server;
  PopUpPages pages(server);
  server.Start(kServicePort);
  StartClient();
  const Window login = WaitForLoginWindow();
  ClickIn(login, WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "进入"}));
  const Window main = WaitForMainWindow();
  WaitWindowGone(kLoginTitle);

  // Clicks 打开 in `window` and returns what window.open gave the page.
  std::size_t reports = 0;
  const auto open_from = [&](const Window& window) {
    ClickIn(window, a11y_->WaitFor(window.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "打开"}));
    std::string result;
    gui::WaitUntil(
        [&] {
          std::size_t seen = 0;
          for (const auto& target : server.Targets()) {
            if (target.rfind(PopUpPages::kOpenedPath, 0) == 0 && ++seen > reports) {
              result = target.substr(target.find("result=") + 7);
              return true;
            }
          }
          return false;
        },
        gui::kDefaultTimeout, "the page to report what window.open gave it", [&] { return server.Describe(); });
    ++reports;
    return result;
  };

  // Three from the main window, two more from the third pop-up.
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(open_from(main), "window") << "pop-up " << i << " refused";
    WaitForPopUps(i);
  }
  const Window third = WaitForWindow(PopUpCaption("弹出窗口 3"));
  for (int i = 4; i <= 5; ++i) {
    EXPECT_EQ(open_from(third), "window") << "pop-up " << i << " refused";
    WaitForPopUps(i);
  }
  // The sixth is refused, whoever asks.
  EXPECT_EQ(open_from(main), "none") << "a sixth pop-up opened from the main window";
  EXPECT_EQ(open_from(third), "none") << "a sixth pop-up opened from a pop-up";
  EXPECT_EQ(PopUps().size(), 5u);

  // One closed by the user makes room for one more.
  const Window first = WaitForWindow(PopUpCaption("弹出窗口 1"));
  xdo_->CloseWindow(first.xid);
  gui::WaitUntil([&] { return PopUps().size() == 4; }, gui::kDefaultTimeout, "the closed pop-up to go");
  EXPECT_EQ(open_from(main), "window") << "no room after closing one";
  WaitForPopUps(5);
  EXPECT_EQ(open_from(main), "none");

  // The main window's page ends at the login address: back to the login
  // window, and every pop-up goes, those opened by pop-ups too.
  ClickIn(main, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出"}));
  WaitForLoginWindow();
  gui::WaitUntil([&] { return PopUps().empty(); }, gui::kDefaultTimeout, "the pop-ups to close with the main window",
                 [&] { return a11y_->DumpApplications(); });
  EXPECT_TRUE(xdo_->FindWindows("弹出窗口").empty());
  EXPECT_TRUE(Client().Running());
}

}  // namespace
}  // namespace varnock_gui
