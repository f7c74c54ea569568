// Where the embedded browser stops: a web process that dies, links that lead
// out of the web (and those the desktop's programs take), and a certificate
// nobody vouches for.
#include <algorithm>
#include <csignal>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>

#include "client_fixture.h"
#include "page_server.h"

namespace varnock_gui {
namespace {

const MenuPath kInfoCommand{"alt+u", {"账户管理(U)", "账户信息(U)"}, "u"};
const MenuPath kHistoryCommand{"alt+m", {"短信管理(M)", "发送记录(H)"}, "h"};
const std::string kErrorHeading = "无法显示此页";

std::string RandomWord(const std::string& prefix) {
  std::mt19937 random(std::random_device{}());
  return prefix + std::to_string(random() % 1000000000);
}

class WebSafetyTest : public ClientTest {
 protected:
  // Whether any of the client's windows shows this text anywhere.
  bool ClientShows(const std::string& text) const {
    for (const auto& window : ClientWindows()) {
      if (a11y_->Find(window.node, gui::Query{.text_contains = text})) return true;
      if (a11y_->Find(window.node, gui::Query{.name_contains = text})) return true;
    }
    return false;
  }

  std::vector<std::string> WindowTitles() const {
    std::vector<std::string> titles;
    for (const auto& window : ClientWindows()) titles.push_back(window.title);
    return titles;
  }
};

TEST_F(WebSafetyTest, KilledWebProcessLeavesAReloadThatKeepsTheSession) {
  const Window main = StartLoggedIn();
  const std::string home = PageTitle(main);
  std::size_t mark = Mark();
  ChooseMenuItem(main, kInfoCommand);
  WaitForExactRequest("GET", "/?info", Sid(), mark);
  gui::WaitUntil([&] { return !PageTitle(main).empty() && PageTitle(main) != home; }, gui::kDefaultTimeout,
                 "the account page");
  const std::string info = PageTitle(main);

  // Every web process of the client dies at once, as in a crash.
  std::vector<pid_t> web_processes;
  for (const pid_t pid : Client().Descendants()) {
    if (gui::CommandLineOf(pid).find("WebKitWebProcess") != std::string::npos) web_processes.push_back(pid);
  }
  ASSERT_FALSE(web_processes.empty()) << "no web process below the client";
  for (const pid_t pid : web_processes) ::kill(pid, SIGKILL);
  gui::WaitUntil(
      [&] {
        return std::none_of(web_processes.begin(), web_processes.end(), [](pid_t pid) { return gui::PidAlive(pid); });
      },
      gui::kDefaultTimeout, "the web processes to die");

  // In place of the page: what happened, and a way back.
  const gui::Accessible heading = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "页面已停止响应"});
  const gui::Accessible reload = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"});
  EXPECT_TRUE(heading.Showing());
  EXPECT_TRUE(Client().Running());
  EXPECT_EQ(WindowTitles(), std::vector<std::string>{kMainTitle}) << "the crash changed the windows";

  // 重新加载: the same page, in the same session.
  mark = Mark();
  gui::ClickCenter(*xdo_, reload);
  WaitForExactRequest("GET", "/?info", Sid(), mark);
  WaitForPageTitle(main, info);
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"});
  for (const auto& request : Requests()) {
    if (request.index >= mark) {
      EXPECT_EQ(request.sid, Sid()) << request.line;
    }
  }

  // And the client goes on working as before.
  mark = Mark();
  ChooseMenuItem(main, kHistoryCommand);
  WaitForExactRequest("GET", "/?ac=history", Sid(), mark);
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "打印"});
  EXPECT_FALSE(HasWindow(kLoginTitle));
  EXPECT_TRUE(Client().Running());
}

// A page with links out of the web and a button that reports to the server
// which instance of the page it is and how often it was pressed: a page
// replaced in between would start counting again under another name.
class LinksOutPage {
 public:
  static constexpr const char* kProbePath = "/probe";

  explicit LinksOutPage(PageServer& server) {
    server.Page("/" + kLoginKey,
                HtmlPage("登录",
                         "<p><a href=\"ftp://127.0.0.1/list\">文件服务</a> <a href=\"steam://run/10\">游戏</a></p>"
                         "<p><button type=\"button\" id=\"probe\">还在</button></p>"
                         "<script>"
                         "var page = String(Math.random()).slice(2), presses = 0;"
                         "document.getElementById('probe').addEventListener('click', function () {"
                         "  fetch('/probe?page=' + page + '&n=' + (++presses));"
                         "});"
                         "</script>"));
    server.Routes().Get(kProbePath, [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      probes_.emplace_back(request.get_param_value("page"), request.get_param_value("n"));
      response.set_content("", "text/plain");
    });
  }

  std::vector<std::pair<std::string, std::string>> Probes() const {
    std::lock_guard lock(mutex_);
    return probes_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> probes_;
};

TEST_F(WebSafetyTest, LinksOutOfTheWebAreNotFollowed) {
  EnsurePortFree();
  PageServer server;
  LinksOutPage page(server);
  server.Start(kServicePort);
  StartClient();
  const Window login = WaitForLoginWindow();
  const gui::Accessible probe = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "还在"});
  const std::string title = PageTitle(login);
  const auto served = server.Targets();

  std::size_t presses = 0;
  for (const std::string link : {"文件服务", "游戏"}) {
    SCOPED_TRACE(link);
    gui::ClickCenter(*xdo_, WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = link}));
    // The page's button after the link: once its report arrives, the click
    // on the link has long been dealt with.
    gui::ClickCenter(*xdo_, probe);
    ++presses;
    gui::WaitUntil([&] { return page.Probes().size() >= presses; }, gui::kDefaultTimeout,
                   "the page to report the button", [&] { return server.Describe(); });
    const auto probes = page.Probes();
    EXPECT_EQ(probes.back().first, probes.front().first) << "the page was replaced after the link";
    EXPECT_EQ(probes.back().second, std::to_string(presses)) << "the page was loaded again after the link";

    EXPECT_EQ(PageTitle(login), title);
    EXPECT_TRUE(probe.Showing());
    EXPECT_FALSE(a11y_->Find(login.node, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kErrorHeading}))
        << "an error page for a link that is simply not followed";
    EXPECT_EQ(WindowTitles(), std::vector<std::string>{kLoginTitle}) << "a window or question came up";
  }
  // The server saw the page and the reports, nothing else.
  std::size_t others = 0;
  for (const auto& target : server.Targets()) {
    if (target.rfind(LinksOutPage::kProbePath, 0) != 0) ++others;
  }
  EXPECT_EQ(others, served.size()) << server.Describe();
  EXPECT_TRUE(Client().Running());
}

// E-mail, telephone and SMS links go to the desktop's program for them once
// the user agrees to the program named, or the user is told that no program
// takes them. The page stays either way.
struct LinkToTheDesktop {
  const char* name;
  const char* address;
  const char* handler;  // the program the session has for the scheme, or null
  const char* answer;   // the key that answers the question
};

void PrintTo(const LinkToTheDesktop& row, std::ostream* out) { *out << row.name; }

class LinkToTheDesktopTest : public WebSafetyTest, public ::testing::WithParamInterface<LinkToTheDesktop> {};

TEST_P(LinkToTheDesktopTest, AskedThenHandedOver) {
  const LinkToTheDesktop& row = GetParam();
  const std::string address = row.address;
  const std::string scheme = address.substr(0, address.find(':'));
  std::filesystem::path opened;
  if (row.handler != nullptr) {
    opened = InstallSchemeHandler(scheme, row.handler);
  } else {
    const auto known = gui::RunCommand({"gio", "mime", "x-scheme-handler/" + scheme}, session_->Env());
    ASSERT_EQ(known.out.find(".desktop"), std::string::npos) << "the system has a handler:\n" << known.out;
  }
  EnsurePortFree();
  PageServer server;
  server.Page("/" + kLoginKey, HtmlPage("登录", "<p><a href=\"" + address + "\">联系我们</a></p>"));
  server.Start(kServicePort);
  StartClient();
  const Window login = WaitForLoginWindow();
  const std::string title = "登录";
  WaitForPageTitle(login, title);
  gui::ClickCenter(*xdo_, WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "联系我们"}));

  const Window box = WaitForWindow(kMessageBoxTitle);
  const std::string said = a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_LABEL}).Name();
  std::cout << row.name << ": " << said << "\n";
  if (row.handler != nullptr) {
    EXPECT_NE(said.find(row.handler), std::string::npos) << "the question does not name the program: " << said;
    EXPECT_NE(said.find(address), std::string::npos) << said;
  } else {
    EXPECT_NE(said.find(scheme + ":"), std::string::npos) << said;
    EXPECT_NE(said.find("没有"), std::string::npos) << "not said that no program takes the link: " << said;
  }
  xdo_->KeyToWindow(box.xid, row.answer);
  WaitWindowGone(kMessageBoxTitle);

  const auto handed = [&] {
    std::ifstream in(opened);
    std::string line;
    std::getline(in, line);
    return line;
  };
  if (row.handler != nullptr && std::string(row.answer) == "Return") {
    gui::WaitUntil([&] { return handed() == address; }, gui::kDefaultTimeout, "the program to get the link",
                   [&] { return "it got \"" + handed() + "\""; });
  } else if (row.handler != nullptr) {
    EXPECT_FALSE(gui::PollUntil([&] { return std::filesystem::exists(opened); }, 3s))
        << "the program ran after 取消: " << handed();
  }
  WaitForPageTitle(login, title);
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "联系我们"});
  EXPECT_EQ(WindowTitles(), std::vector<std::string>{kLoginTitle});
  EXPECT_TRUE(Client().Running());
}

INSTANTIATE_TEST_SUITE_P(
    Links, LinkToTheDesktopTest,
    ::testing::Values(LinkToTheDesktop{"MailAccepted", "mailto:kefu@example.com", "测试邮件", "Return"},
                      LinkToTheDesktop{"MailDeclined", "mailto:kefu@example.com", "测试邮件", "Escape"},
                      LinkToTheDesktop{"SmsWithoutAProgram", "sms:10086", nullptr, "Return"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebSafetyTest, CertificateErrorFailsClosed) {
  // An HTTPS server that works, with a certificate nobody trusts.
  const SelfSignedCertificate certificate = MakeSelfSignedCertificate(scratch_->path());
  const std::string secret = RandomWord("不该显示");
  PageServer secure(std::make_unique<httplib::SSLServer>(certificate.certificate.c_str(), certificate.key.c_str()));
  secure.Page("/", HtmlPage("机密", "<p>" + secret + "</p>"));
  const std::uint16_t port = gui::FreePort();
  secure.Start(port);
  {
    httplib::SSLClient check("127.0.0.1", port);
    check.enable_server_certificate_verification(false);
    const auto answer = check.Get("/");
    ASSERT_TRUE(answer && answer->body.find(secret) != std::string::npos) << "the HTTPS server does not work";
  }
  const std::size_t fetched = secure.Targets().size();

  EnsurePortFree();
  PageServer plain;
  const std::string address = "https://127.0.0.1:" + std::to_string(port) + "/";
  plain.Page("/" + kLoginKey, HtmlPage("登录", "<p><a href=\"" + address + "\">安全页面</a></p>"));
  plain.Start(kServicePort);
  StartClient();
  const Window login = WaitForLoginWindow();
  gui::ClickCenter(*xdo_, WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "安全页面"}));

  // An error page that names the certificate, never the page itself.
  const gui::Accessible heading = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kErrorHeading});
  EXPECT_TRUE(heading.Showing());
  const gui::Accessible detail = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PARAGRAPH, .text_contains = "证书"});
  EXPECT_TRUE(detail.Showing()) << detail.Text();
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"});
  EXPECT_FALSE(ClientShows(secret)) << "the page behind the bad certificate was shown";
  EXPECT_EQ(secure.Targets().size(), fetched) << "the client asked the untrusted server for a page:\n"
                                              << secure.Describe();
  EXPECT_EQ(WindowTitles(), std::vector<std::string>{kLoginTitle}) << "the error page counted as a login";
  EXPECT_TRUE(Client().Running());
}

}  // namespace
}  // namespace varnock_gui
