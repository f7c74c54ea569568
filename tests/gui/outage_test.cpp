// The service going away and coming back while the main window is open.
// While it is gone, page commands show the client's error page and the
// session is not given up; once it is back, the session carries on if the
// service kept it, and ends at the login window if the service lost it.
#include "stand_in_fixture.h"

namespace varnock_gui {
namespace {

const std::string kErrorTitle = "无法显示此页";

std::string DemoTitle(const std::string& name) { return name + " - Varnock短信平台"; }

class OutageTest : public StandInTest {
 protected:
  // A page command while nothing listens: the error page for its address,
  // with the way to try again, in the main window.
  void ExpectErrorPage(const Window& main, const MenuPath& path, const std::string& target) {
    ChooseMenuItem(main, path);
    WaitInPage(main, gui::Query{.text = kBaseAddress + target.substr(1)});
    WaitForPageTitle(main, kErrorTitle);
    WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "无法显示此页"});
    WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"});
    EXPECT_FALSE(HasWindow(kLoginTitle)) << "an unreachable service ended the session";
    EXPECT_TRUE(main.node.Showing());
    EXPECT_TRUE(Client().Running());
  }
};

TEST_F(OutageTest, DemoServiceRestartedHasLostTheSession) {
  const Window main = StartLoggedIn();
  WaitForPageTitle(main, DemoTitle("工作台"));
  const std::string old_sid = Sid();

  service_->Stop();
  ASSERT_FALSE(gui::PortOpen("127.0.0.1", kServicePort));
  const std::size_t gone = Mark();
  ExpectErrorPage(main, {"alt+m", {"短信管理(M)", "发送记录(H)"}, "h"}, "/?ac=history");
  ExpectErrorPage(main, {"alt+c", {"客户管理(C)", "名片管理(C)"}, "c"}, "/?ac=card");
  EXPECT_EQ(Mark(), gone) << "requests while the service was down:\n" << LogFrom(gone);

  // The same program on the same port: its sessions lived in its memory.
  StartService();
  const std::size_t back = Mark();
  ChooseMenuItem(main, {"alt+u", {"账户管理(U)", "账户信息(U)"}, "u"});
  const Request info = WaitForExactRequest("GET", "/?info", "-", back);
  WaitForExactRequest("GET", "/?fun=login", "-", info.index + 1);
  const Window login = WaitForLoginWindow();
  WaitWindowGone(kMainTitle);
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});

  // And a new login works.
  const Window again = LogInAsDemo();
  EXPECT_NE(Sid(), old_sid);
  WaitForPageTitle(again, DemoTitle("工作台"));
  WaitWindowGone(kLoginTitle);
  EXPECT_EQ(ExitThroughCloseBox(again), 0);
}

TEST_F(OutageTest, ServiceThatKeptTheSessionCarriesOn) {
  const Window main = LogInAtStandIn();
  const std::string sid = Sid();

  stand_in_->Stop();
  ASSERT_FALSE(gui::PortOpen("127.0.0.1", kServicePort));
  const std::size_t gone = Mark();
  ExpectErrorPage(main, kHistoryCommand, "/?ac=history");
  ExpectErrorPage(main, kCardCommand, "/?ac=card");
  EXPECT_EQ(Mark(), gone);

  // Back with its sessions: the next page command is simply that page.
  stand_in_->Start();
  ExpectPageCommand(main, kSendCommand, "/?ac=send", TestService::TitleOf("名片发送"));
  EXPECT_EQ(Sid(), sid);
  EXPECT_EQ(stand_in_->Sessions(), std::set<std::string>{sid});
  EXPECT_FALSE(HasWindow(kLoginTitle));

  // Gone again; this time the error page's own 重新加载 brings the page back.
  stand_in_->Stop();
  ExpectErrorPage(main, kCardCommand, "/?ac=card");
  stand_in_->Start();
  const std::size_t mark = Mark();
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"}));
  WaitForExactRequest("GET", "/?ac=card", sid, mark);
  WaitForPageTitle(main, TestService::TitleOf("名片管理"));
  EXPECT_FALSE(HasWindow(kLoginTitle));
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

}  // namespace
}  // namespace varnock_gui
