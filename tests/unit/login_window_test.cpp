// The login window: its load, its layout, and the recognition of a web login.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/program_fixture.h"

namespace {

using fake::Base;
using fake::Login;

class LoginWindowTest : public fake::ProgramTest {
 protected:
  std::vector<std::string> JournalOf(const std::string& prefix) const {
    std::vector<std::string> lines;
    for (const auto& line : toolkit.journal) {
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(LoginWindowTest, LoadClearsTheFlagSetsTheWindowUpAndOpensTheLoginPage) {
  app::Public::LoggedIn = platform::True;  // as if left over: the load clears it first
  Start();
  EXPECT_EQ(app::Public::LoggedIn, platform::False);
  EXPECT_EQ(JournalOf("frmLogin"),
            (std::vector<std::string>{
                "frmLogin.Create",
                "frmLogin.Caption Varnock客户系统 - 登录",
                "frmLogin.WindowState 0",
                "frmLogin.WebBrowser1.Top 0",
                "frmLogin.WebBrowser1.Left 0",
                "frmLogin.WebBrowser1.Silent True",
                "frmLogin.WebBrowser1.Navigate " + Login(),
                "frmLogin.Show",
                "frmLogin.WebBrowser1.Width 5295",
                "frmLogin.WebBrowser1.Height 3825",
            }));
  EXPECT_EQ(LoginWindow()->browser->navigations, std::vector<std::string>{Login()});
}

TEST_F(LoginWindowTest, DesignIsASizableWindowWithoutMaximiseCentredWithTheBrowserInside) {
  Start();
  const platform::FormDesign& d = LoginWindow()->design;
  EXPECT_EQ(d.border, platform::BorderStyle::Sizable);
  EXPECT_TRUE(d.min_button);
  EXPECT_FALSE(d.max_button);
  EXPECT_EQ(d.client_width, 5295);
  EXPECT_EQ(d.client_height, 3825);
  EXPECT_EQ(d.startup, platform::StartUpPosition::CenterOwner);
  EXPECT_EQ(LoginWindow()->owner, nullptr);
}

TEST_F(LoginWindowTest, TheBrowserFillsTheClientAreaAndKeepsItsSizeWhileMinimised) {
  Start();
  fake::FakeWindow* w = LoginWindow();
  fake::FakeBrowser* b = w->browser;
  w->ResizeClient(9000, 6000);
  EXPECT_EQ(b->Width(), 9000);
  EXPECT_EQ(b->Height(), 6000);
  EXPECT_EQ(b->Left(), 0);
  EXPECT_EQ(b->Top(), 0);
  w->Minimize();
  EXPECT_EQ(b->Width(), 9000);
  EXPECT_EQ(b->Height(), 6000);
  w->Restore();
  w->ResizeClient(4000, 0);  // as low as it gets
  EXPECT_EQ(b->Width(), 4000);
  EXPECT_EQ(b->Height(), 0);
}

TEST_F(LoginWindowTest, AFailedWidthDoesNotStopTheHeight) {
  Start();
  LoginWindow()->browser->fail_width = true;
  LoginWindow()->ResizeClient(7000, 5000);
  EXPECT_EQ(LoginWindow()->browser->Height(), 5000);
  EXPECT_TRUE(toolkit.msgboxes.empty()) << "the resize handler reports nothing";
}

TEST_F(LoginWindowTest, CompletionsAtTheLoginAddressChangeNothing) {
  Start();
  fake::FakeBrowser* b = LoginWindow()->browser;
  b->CompleteTopLevel(Login());          // the page itself, or after a failed login
  b->CompleteFrame(Base() + "?fun=notice");  // a frame, the top level still on the login page
  b->CompleteTopLevel(Login());
  EXPECT_EQ(app::Public::LoggedIn, platform::False);
  EXPECT_TRUE(LoginWindow()->Visible());
  EXPECT_EQ(MainWindow(), nullptr);
  EXPECT_EQ(app::Public::SessionAddress, "");
}

TEST_F(LoginWindowTest, TheFirstCompletionElsewhereHandsOverToTheMainWindow) {
  Start();
  fake::FakeWindow* login = LoginWindow();
  login->browser->CompleteTopLevel(Login());
  login->browser->CompleteTopLevel(Base() + "?ac=home");
  EXPECT_EQ(app::Public::LoggedIn, platform::True);
  EXPECT_EQ(app::Public::SessionAddress, Base() + "?ac=home");
  EXPECT_EQ(LoginWindow(), nullptr) << "the main window's load unloads the login window";
  ASSERT_NE(MainWindow(), nullptr);
  EXPECT_TRUE(MainWindow()->Visible());
  EXPECT_EQ(MainWindow()->owner, nullptr);
  EXPECT_FALSE(MainWindow()->modal);
  EXPECT_EQ(MainWindow()->browser->navigations, std::vector<std::string>{Base() + "?ac=home"});
  // Hidden first, then the main window shown, then the login window unloaded.
  const auto& j = toolkit.journal;
  auto at = [&](const std::string& line) { return std::find(j.begin(), j.end(), line) - j.begin(); };
  EXPECT_LT(at("frmLogin.Hide"), at("varnock.Create"));
  EXPECT_LT(at("varnock.Create"), at("frmLogin.Unload"));
  EXPECT_LT(at("frmLogin.Unload"), at("varnock.Show"));
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(LoginWindowTest, AnyDifferenceFromTheLoginAddressCountsAsALogin) {
  for (const std::string& landed :
       {Base() + "?FUN=login", Login() + "/", Login() + "&x=1", Login() + "#top",
        std::string("HTTP://") + VARNOCK_SERVICE_HOST + ":8010/?fun=login",
        std::string("http://example.invalid/elsewhere")}) {
    SCOPED_TRACE(landed);
    program.reset();
    program = std::make_unique<program::Program>(toolkit, system);
    toolkit.quit = false;
    Start();
    LoginWindow()->browser->CompleteTopLevel(landed);
    EXPECT_EQ(app::Public::LoggedIn, platform::True);
    EXPECT_EQ(app::Public::SessionAddress, landed);
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_EQ(MainWindow()->browser->navigations.back(), landed);
  }
}

TEST_F(LoginWindowTest, ADocumentNotFromTheWebIsNoLogin) {
  Start();
  fake::FakeBrowser* b = LoginWindow()->browser;
  for (const std::string& elsewhere : {std::string("about:blank"), std::string("data:text/html,<p>x</p>"),
                                       std::string("file:///etc/passwd"), std::string("javascript:void(0)")}) {
    SCOPED_TRACE(elsewhere);
    b->CompleteTopLevel(elsewhere);
    b->location = elsewhere;
    b->CompleteFrame(Base() + "?ac=home");  // a web frame in it
    EXPECT_EQ(app::Public::LoggedIn, platform::False);
    EXPECT_EQ(MainWindow(), nullptr);
  }
  // The web in any letter case is the web.
  b->CompleteTopLevel(std::string("HTTPS://") + VARNOCK_SERVICE_HOST + ":8010/?ac=home");
  EXPECT_EQ(app::Public::LoggedIn, platform::True);
}

TEST_F(LoginWindowTest, TheTopLevelAddressDecidesWhicheverDocumentCompleted) {
  Start();
  fake::FakeBrowser* b = LoginWindow()->browser;
  // A frame at the login address while the top level has moved on.
  b->location = Base() + "?ac=home";
  b->CompleteFrame(Login());
  EXPECT_EQ(app::Public::LoggedIn, platform::True);
  EXPECT_EQ(app::Public::SessionAddress, Base() + "?ac=home");
}

TEST_F(LoginWindowTest, AnUnreadableAddressCountsAsALoginWithAnEmptySessionAddress) {
  Start();
  LoginWindow()->browser->fail_location = true;
  LoginWindow()->browser->CompleteTopLevel(Login());
  EXPECT_EQ(app::Public::LoggedIn, platform::True);
  EXPECT_EQ(app::Public::SessionAddress, "");
  EXPECT_NE(MainWindow(), nullptr);
  EXPECT_TRUE(toolkit.msgboxes.empty());
}

TEST_F(LoginWindowTest, ClosingTheLoginWindowEndsTheProgramWithoutAQuestion) {
  Start();
  LoginWindow()->CloseFromFrame();
  EXPECT_TRUE(toolkit.quit);
  EXPECT_TRUE(toolkit.msgboxes.empty());
  toolkit.RunPending();
  EXPECT_EQ(toolkit.LiveWindows(), 0);
  EXPECT_EQ(system.trims, 0);
}

TEST_F(LoginWindowTest, AfterTheSessionEndsTheWindowComesBackAfresh) {
  StartLoggedIn();
  const int windows_before = toolkit.window_count;
  MainWindow()->browser->CompleteTopLevel(Login());
  fake::FakeWindow* login = LoginWindow();
  ASSERT_NE(login, nullptr);
  EXPECT_EQ(toolkit.window_count, windows_before + 1) << "a new window, not the hidden one";
  EXPECT_TRUE(login->Visible());
  EXPECT_EQ(login->Caption(), "Varnock客户系统 - 登录");
  EXPECT_EQ(login->design.client_width, 5295);
  EXPECT_EQ(login->browser->navigations, std::vector<std::string>{Login()});
  EXPECT_EQ(app::Public::LoggedIn, platform::False);
}

TEST_F(LoginWindowTest, WhenTheMainWindowCannotComeUpTheLoginWindowReturns) {
  Start();
  // The main window's browser refuses to navigate: its load fails midway.
  toolkit.on_new_browser = [](fake::FakeBrowser& b) { b.fail_navigate = true; };
  LoginWindow()->browser->CompleteTopLevel(Base() + "?ac=home");
  EXPECT_EQ(MainWindow(), nullptr);
  ASSERT_NE(LoginWindow(), nullptr);
  EXPECT_TRUE(LoginWindow()->Visible());
  EXPECT_FALSE(toolkit.quit);
}

}  // namespace
