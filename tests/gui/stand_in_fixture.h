// Client tests against the test service (test_service.h) instead of the demo
// service: the same fixture, a stand-in on the port.
#pragma once

#include <memory>
#include <string>

#include "client_fixture.h"
#include "test_service.h"

namespace varnock_gui {

// Page commands these tests use, as reached from the keyboard.
inline const MenuPath kSendCommand{"alt+m", {"短信管理(M)", "名片发送(S)"}, "s"};          // /?ac=send
inline const MenuPath kImportCommand{"alt+m", {"短信管理(M)", "导入发送(I)"}, "i"};        // /?ac=sends&fun=import
inline const MenuPath kHistoryCommand{"alt+m", {"短信管理(M)", "发送记录(H)"}, "h"};       // /?ac=history
inline const MenuPath kTimedCommand{"alt+m", {"短信管理(M)", "定时短信(T)"}, "t"};         // /?ac=time
inline const MenuPath kCardCommand{"alt+c", {"客户管理(C)", "名片管理(C)"}, "c"};          // /?ac=card
inline const MenuPath kInfoCommand{"alt+u", {"账户管理(U)", "账户信息(U)"}, "u"};          // /?info
inline const MenuPath kSettingCommand{"alt+s", {"系统(S)", "系统设置(S)"}, "s"};           // /?ac=setting

class StandInTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    stand_in_ = std::make_unique<TestService>(request_log_);
  }
  void TearDown() override {
    ClientTest::TearDown();
    stand_in_.reset();
  }

  // The stand-in on the port, the client, a login as the demo account: the
  // main window on the stand-in's work page. Sets Sid().
  Window LogInAtStandIn() {
    EnsurePortFree();
    stand_in_->Start();
    StartClient();
    return LogInByKeysAtStandIn();
  }

  // Logs in as the demo account in the login window showing, by keys; the
  // main window on the stand-in's work page. Sets Sid().
  Window LogInByKeysAtStandIn() {
    const std::size_t mark = Mark();
    LogIn(kDemoUser, kDemoPassword);
    sid_ = WaitForRequest(R"(GET /\?ac=home sid=t\d+)", mark).sid;
    const Window main = WaitForMainWindow();
    WaitForPageTitle(main, TestService::TitleOf("工作台"));
    WaitWindowGone(kLoginTitle);
    return main;
  }

  // Types `text` into the page's 短信内容 field as a user would (a click
  // into it first); returns the field.
  gui::Accessible TypeMessage(const Window& main, const std::string& text) {
    const gui::Accessible field = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "短信内容"});
    gui::FocusByClick(*xdo_, field);
    TypeIntoFocused(field, text);
    return field;
  }

  // Runs a page command; returns once the stand-in had the request in this
  // session and the window shows the page titled `title`.
  void ExpectPageCommand(const Window& main, const MenuPath& path, const std::string& target,
                         const std::string& title, std::chrono::milliseconds timeout = gui::kDefaultTimeout) {
    const std::size_t mark = Mark();
    ChooseMenuItem(main, path);
    WaitForRequest(RegexEscape("GET " + target + " sid=" + Sid()), mark, timeout);
    WaitForPageTitle(main, title, timeout);
  }

  // Still the logged-in main window, still answering its menu: 账户信息
  // reaches the service and shows within `timeout`.
  void ExpectResponsive(const Window& main, std::chrono::milliseconds timeout = gui::kDefaultTimeout) {
    ASSERT_TRUE(Client().Running()) << ClientOutput();
    ExpectPageCommand(main, kInfoCommand, "/?info", TestService::TitleOf("账户信息"), timeout);
    EXPECT_FALSE(HasWindow(kLoginTitle)) << "back at the login window without logging out";
    EXPECT_EQ(xdo_->FindWindowsByTitle(kMainTitle), std::vector<gui::WindowId>{main.xid});
    EXPECT_TRUE(Client().Running());
  }

  std::unique_ptr<TestService> stand_in_;
};

}  // namespace varnock_gui
