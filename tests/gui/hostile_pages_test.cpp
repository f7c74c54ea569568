// Hostile and broken pages from a stand-in service on the client's port: in
// each case the client stays usable (a page command still reaches the
// service and shows, or the login still works), counts no login that did
// not happen, does not return to the login window on its own, does not
// crash, and exits with status 0 when closed.
#include <algorithm>
#include <csignal>
#include <atomic>
#include <iostream>
#include <regex>
#include <thread>

#include "stand_in_fixture.h"

namespace varnock_gui {
namespace {

using HostilePageTest = StandInTest;

const std::string kPageDialogTitle = "来自网页的消息";
const std::string kErrorHeading = "无法显示此页";
const std::string kLoginAddress = kBaseAddress + "?fun=login";

// A page's script trying every way it could reach the client's channel for
// frame completions (which lives in a script world pages cannot see) with
// `address`, from the page itself and from frames of its own, then from an
// address changed by history.pushState. Each round ends with an alert: it
// travels to the client after the page's messages, in order, so once its
// dialog shows, anything forged has been seen.
std::string ForgeScript(const std::string& address) {
  std::string script = R"JS(
(function () {
  var target = '@ADDRESS@';
  function forgeFrom(w, tag, tried) {
    function attempt(name, f) {
      try { f(); tried.push(tag + name + '=sent'); } catch (e) { tried.push(tag + name + '=' + e.name); }
    }
    attempt('direct', function () { w.webkit.messageHandlers.frameComplete.postMessage(target); });
    attempt('top', function () { w.top.webkit.messageHandlers.frameComplete.postMessage(target); });
    attempt('indexed', function () { w['webkit']['messageHandlers']['frameComplete'].postMessage(target); });
    attempt('every', function () {
      var handlers = w.webkit.messageHandlers;
      Object.getOwnPropertyNames(handlers).forEach(function (k) { handlers[k].postMessage(target); });
      for (var k in handlers) handlers[k].postMessage(target);
    });
    attempt('object', function () {
      w.webkit.messageHandlers.frameComplete.postMessage({ toString: function () { return target; } });
    });
    attempt('boxed', function () { w.webkit.messageHandlers.frameComplete.postMessage(new String(target)); });
    attempt('window', function () { w.postMessage(target, '*'); });
    attempt('event', function () { w.dispatchEvent(new MessageEvent('message', { data: target })); });
  }
  window.addEventListener('load', function () {
    setTimeout(function () {
      var tried = [];
      forgeFrom(window, '', tried);
      // Frames of the page's own making: blank, srcdoc, same-origin.
      var blank = document.createElement('iframe');
      document.body.appendChild(blank);
      forgeFrom(blank.contentWindow, 'blank.', tried);
      var doc = document.createElement('iframe');
      doc.srcdoc = '<p>frame</p>';
      doc.onload = function () {
        forgeFrom(doc.contentWindow, 'srcdoc.', tried);
        alert('伪造完毕 ' + tried.join(' '));
        // The address as the page claims it, then the same again.
        history.pushState(null, '', target);
        var again = [];
        forgeFrom(window, 'pushed.', again);
        alert('第二轮完毕 ' + location.href + ' ' + again.join(' '));
      };
      document.body.appendChild(doc);
    }, 0);
  });
})();
)JS";
  script.replace(script.find("@ADDRESS@"), 9, address);
  return script;
}

// Whether a round's report says a message handler took a message (the DOM's
// own postMessage and events always go through and count for nothing).
bool ReachedAHandler(const std::string& report) {
  static const std::regex handler_taken(R"((^|[ .])(direct|top|indexed|every|object|boxed)=sent)");
  return std::regex_search(report, handler_taken);
}

// Waits for the page's dialog, returns its text and closes it with Enter.
std::string AnswerPageDialog(gui::A11y& a11y, gui::Xdo& xdo) {
  const gui::WindowId xid = xdo.WaitForWindow(kPageDialogTitle);
  const gui::Accessible box = a11y.WaitForWindow(kPageDialogTitle);
  const gui::Accessible label = a11y.WaitFor(box, gui::Query{.role = ATSPI_ROLE_LABEL});
  const std::string text = label.Name();
  xdo.KeyToWindow(xid, "Return");
  return text;
}

TEST_F(HostilePageTest, ForgedFrameCompletionOnTheLoginPageIsNoLogin) {
  const std::string forged = kBaseAddress + "?ac=forged";
  stand_in_->ServeHtml("/?fun=login", TestService::LoginPage({}, ForgeScript(forged)));
  EnsurePortFree();
  stand_in_->Start();
  StartClient();
  const Window login = WaitForLoginWindow();

  const std::string first = AnswerPageDialog(*a11y_, *xdo_);
  std::cout << "login page, first round: " << first << "\n";
  EXPECT_FALSE(ReachedAHandler(first)) << "the page reached a message handler: " << first;
  const std::string second = AnswerPageDialog(*a11y_, *xdo_);
  std::cout << "login page, second round: " << second << "\n";
  EXPECT_NE(second.find(forged), std::string::npos) << "the page did not change its address: " << second;
  EXPECT_FALSE(ReachedAHandler(second)) << "the page reached a message handler: " << second;
  gui::WaitUntil([&] { return !HasWindow(kPageDialogTitle); }, gui::kDefaultTimeout, "the page's dialog to close");

  EXPECT_FALSE(HasWindow(kMainTitle)) << "a forged frame completion opened the main window";
  EXPECT_TRUE(login.node.Showing());
  EXPECT_EQ(LogFrom(0).find("?ac=forged"), std::string::npos) << "the forged address was loaded:\n" << LogFrom(0);

  // A real login still counts, at the address it really lands on.
  const std::size_t mark = Mark();
  LogIn(kDemoUser, kDemoPassword);
  const Request home = WaitForRequest(R"(GET /\?ac=home sid=t\d+)", mark);
  sid_ = home.sid;
  const Window main = WaitForMainWindow();
  WaitForPageTitle(main, TestService::TitleOf("工作台"));
  WaitWindowGone(kLoginTitle);
  EXPECT_EQ(LogFrom(0).find("?ac=forged"), std::string::npos) << LogFrom(0);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// A login page that changes the address it shows through the History API,
// without loading anything there: nobody has logged in.
class AddressChangeTest : public HostilePageTest {
 protected:
  // `script` ends with an alert once the change (and whatever load follows
  // it) is done: as with the forging, its dialog arriving means the client
  // has seen everything before it.
  void ExpectNoLogin(const std::string& script) {
    stand_in_->ServeHtml("/?fun=login", TestService::LoginPage({}, script));
    EnsurePortFree();
    stand_in_->Start();
    StartClient();
    const Window login = WaitForLoginWindow();
    gui::WaitUntil([&] { return HasWindow(kPageDialogTitle) || HasWindow(kMainTitle); }, gui::kDefaultTimeout,
                   "the page's alert (or a main window)");
    ASSERT_FALSE(HasWindow(kMainTitle)) << "a login page that only changed its address through the History API "
                                           "opened the main window; requests:\n"
                                        << LogFrom(0);
    std::cout << "login page: " << AnswerPageDialog(*a11y_, *xdo_) << "\n";
    gui::WaitUntil([&] { return !HasWindow(kPageDialogTitle); }, gui::kDefaultTimeout, "the page's dialog to close");
    EXPECT_FALSE(HasWindow(kMainTitle));
    EXPECT_TRUE(login.node.Showing());

    // The real login still counts.
    const std::size_t mark = Mark();
    LogIn(kDemoUser, kDemoPassword);
    sid_ = WaitForRequest(R"(GET /\?ac=home sid=t\d+)", mark).sid;
    const Window main = WaitForMainWindow();
    WaitForPageTitle(main, TestService::TitleOf("工作台"));
    EXPECT_EQ(ExitThroughCloseBox(main), 0);
  }
};

TEST_F(AddressChangeTest, AddressChangedWhileTheLoginPageLoadsIsNoLogin) {
  ExpectNoLogin(
      "history.replaceState(null, '', '/?ac=home');"
      "window.addEventListener('load', function () {"
      "  setTimeout(function () { alert('地址已改为 ' + location.href); }, 0);"
      "});");
}

TEST_F(AddressChangeTest, FrameLoadedAfterAnAddressChangeIsNoLogin) {
  ExpectNoLogin(
      "window.addEventListener('load', function () {"
      "  setTimeout(function () {"
      "    history.pushState(null, '', '/?ac=home');"
      "    var frame = document.createElement('iframe');"
      "    frame.onload = function () { alert('框架已加载，地址 ' + location.href); };"
      "    frame.src = '/?fun=notice';"
      "    document.body.appendChild(frame);"
      "  }, 0);"
      "});");
}

// A page of the main window, or a frame of it, that changes the address it
// shows to the login page's: the session goes on.
class LoginAddressTakenTest : public HostilePageTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LoginAddressTakenTest, IsNoLogout) {
  const std::string take = "history.replaceState(null, '', '/?fun=login');";
  if (GetParam()) {
    stand_in_->ServeHtml("/?ac=inner", "<!DOCTYPE html><title>框架</title><script>" + take + "</script><p>框架</p>");
    stand_in_->ServeHtml("/?ac=send", TestService::Page("改地址", "<iframe src=\"/?ac=inner\"></iframe>",
                                                        "window.addEventListener('load', function () {"
                                                        "  setTimeout(function () {"
                                                        "    alert('框架地址已改为 ' + frames[0].location.href); }, 0);"
                                                        "});"));
  } else {
    stand_in_->ServeHtml("/?ac=send", TestService::Page("改地址", "",
                                                        take + "window.addEventListener('load', function () {"
                                                               "  setTimeout(function () {"
                                                               "    alert('地址已改为 ' + location.href); }, 0);"
                                                               "});"));
  }
  const Window main = LogInAtStandIn();
  const std::size_t mark = Mark();
  ChooseMenuItem(main, kSendCommand);
  WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
  gui::WaitUntil([&] { return HasWindow(kPageDialogTitle) || HasWindow(kLoginTitle); }, gui::kDefaultTimeout,
                 "the page's alert (or the login window)");
  ASSERT_FALSE(HasWindow(kLoginTitle)) << "a page that only changed its address to the login page's ended the "
                                          "session in the client; requests:\n"
                                       << LogFrom(mark);
  const std::string said = AnswerPageDialog(*a11y_, *xdo_);
  std::cout << "main window: " << said << "\n";
  EXPECT_NE(said.find(kLoginAddress), std::string::npos) << "the address did not change: " << said;
  gui::WaitUntil([&] { return !HasWindow(kPageDialogTitle); }, gui::kDefaultTimeout, "the page's dialog to close");
  EXPECT_FALSE(HasWindow(kLoginTitle));
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

INSTANTIATE_TEST_SUITE_P(ByThePageOrAFrame, LoginAddressTakenTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Frame" : "Page"; });

TEST_F(HostilePageTest, ForgedLoginAddressInTheMainWindowIsNoLogout) {
  stand_in_->ServeHtml("/?ac=send", TestService::Page("伪造", "<p>伪造消息的页面</p>", ForgeScript(kLoginAddress)));
  const Window main = LogInAtStandIn();
  const std::size_t mark = Mark();
  ChooseMenuItem(main, kSendCommand);
  WaitForExactRequest("GET", "/?ac=send", Sid(), mark);

  const std::string first = AnswerPageDialog(*a11y_, *xdo_);
  std::cout << "main window, first round: " << first << "\n";
  EXPECT_FALSE(ReachedAHandler(first)) << "the page reached a message handler: " << first;
  const std::string second = AnswerPageDialog(*a11y_, *xdo_);
  std::cout << "main window, second round: " << second << "\n";
  EXPECT_NE(second.find(kLoginAddress), std::string::npos) << "the page did not change its address: " << second;
  EXPECT_FALSE(ReachedAHandler(second)) << "the page reached a message handler: " << second;
  gui::WaitUntil([&] { return !HasWindow(kPageDialogTitle); }, gui::kDefaultTimeout, "the page's dialog to close");

  EXPECT_FALSE(HasWindow(kLoginTitle)) << "a forged frame completion ended the session";
  EXPECT_EQ(PageTitle(main), TestService::TitleOf("伪造"));
  EXPECT_EQ(LogFrom(mark).find("/?fun=login"), std::string::npos) << LogFrom(mark);
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

TEST_F(HostilePageTest, HundredPopUpsOnLoadAndFromAClick) {
  const std::string opener = R"JS(
    function openHundred(tag) {
      var opened = 0;
      for (var i = 0; i < 100; i++) {
        try { if (window.open('/?ac=popup&' + tag + '=' + i, 'w' + tag + i, 'width=320,height=240')) opened++; }
        catch (e) {}
      }
      return opened;
    }
    document.getElementById('onload').textContent = '加载时打开 ' + openHundred('load');
    document.getElementById('open').onclick = function () {
      document.getElementById('click').textContent = '点击时打开 ' + openHundred('click');
    };
  )JS";
  stand_in_->ServeHtml("/?ac=send", TestService::Page("弹窗", "<p id=\"onload\">-</p><p id=\"click\">-</p>"
                                                              "<button id=\"open\">打开一百个窗口</button>",
                                                      opener));
  stand_in_->ServePrefix("/?ac=popup", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(TestService::Page("弹出窗口"), "text/html; charset=utf-8");
  });
  const std::string popup_title = PopUpCaption(TestService::TitleOf("弹出窗口"));

  const Window main = LogInAtStandIn();
  ExpectPageCommand(main, kSendCommand, "/?ac=send", TestService::TitleOf("弹窗"));
  const gui::Accessible on_load = WaitInPage(main, gui::Query{.text_contains = "加载时打开"});
  std::cout << "pop-ups: " << on_load.Text() << "\n";

  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "打开一百个窗口"}));
  const gui::Accessible on_click = WaitInPage(main, gui::Query{.text_contains = "点击时打开"});
  const std::string reported = on_click.Text();
  std::cout << "pop-ups: " << reported << "\n";
  std::smatch m;
  ASSERT_TRUE(std::regex_search(reported, m, std::regex(R"(点击时打开 (\d+))"))) << reported;
  const std::size_t opened = std::stoul(m[1]);
  // Those the client let open are windows showing their page.
  gui::WaitUntil([&] { return xdo_->FindWindowsByTitle(popup_title).size() == opened; }, gui::kDefaultTimeout,
                 std::to_string(opened) + " pop-up windows",
                 [&] { return std::to_string(xdo_->FindWindowsByTitle(popup_title).size()) + " shown"; });
  std::cout << "pop-up windows shown: " << xdo_->FindWindowsByTitle(popup_title).size() << "\n";
  EXPECT_LT(opened, 100u) << "every one of a hundred pop-ups opened";

  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
  EXPECT_TRUE(xdo_->FindWindowsByTitle(popup_title).empty());
}

TEST_F(HostilePageTest, PopUpCannotPassForTheLoginWindow) {
  // A blank pop-up written to look like the client's own login window.
  stand_in_->ServeHtml("/?ac=send", TestService::Page("名片发送", "<button id=\"fake\">打开</button>",
                                                      "document.getElementById('fake').onclick = function () {"
                                                      "  var w = window.open('about:blank', 'fake', 'width=353,height=255');"
                                                      "  w.document.write('<title>" + kLoginTitle + "</title>"
                                                      "<form><label>用户名<input></label>"
                                                      "<label>密码<input type=password></label></form>');"
                                                      "  w.document.close();"
                                                      "};"));
  const Window main = LogInAtStandIn();
  ExpectPageCommand(main, kSendCommand, "/?ac=send", TestService::TitleOf("名片发送"));
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "打开"}));

  // Shown, with the password field, under a caption of its own (where the
  // engine says a written blank page is from: its opener, or about:blank).
  std::string caption;
  gui::WaitUntil(
      [&] {
        for (const auto& window : ClientWindows()) {
          if (window.title.rfind("网页 - " + kLoginTitle + " (", 0) == 0) caption = window.title;
        }
        return !caption.empty();
      },
      gui::kDefaultTimeout, "the pop-up", [&] { return a11y_->DumpApplications(); });
  const Window popup = WaitForWindow(caption);
  a11y_->WaitFor(popup.node, gui::Query{.role = ATSPI_ROLE_PASSWORD_TEXT});
  EXPECT_TRUE(xdo_->FindWindowsByTitle(kLoginTitle).empty()) << "a page's window passes for the login window";
  for (const auto& window : ClientWindows()) {
    EXPECT_NE(window.title, kLoginTitle) << "read out as the login window";
    EXPECT_NE(window.title, kMessageBoxTitle);
  }
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// A pop-up runs in the web process of the page that opened it (the engine
// will have it no other way), and while any page of a process shows a dialog
// the others wait: a pop-up that floods dialogs goes, and its opener's page
// comes back by itself, in the same session.
TEST_F(HostilePageTest, PopUpFloodingDialogsGoesAndTheMainPageComesBack) {
  stand_in_->ServeHtml("/?ac=send", TestService::Page("名片发送",
                                                      "<label>短信内容<input id=\"m\"></label>"
                                                      "<button id=\"open\">打开</button>",
                                                      "document.getElementById('open').onclick = function () {"
                                                      "  window.open('/?ac=flood', 'flood', 'width=400,height=300');"
                                                      "};"));
  stand_in_->ServeHtml("/?ac=flood", TestService::Page("弹窗", "",
                                                       "window.addEventListener('load', function () {"
                                                       "  setTimeout(function () {"
                                                       "    for (var i = 1; ; i++) alert('第 ' + i + ' 条');"
                                                       "  }, 0);"
                                                       "});"));
  const Window main = LogInAtStandIn();
  ExpectPageCommand(main, kSendCommand, "/?ac=send", TestService::TitleOf("名片发送"));
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "打开"}));
  const std::size_t mark = Mark();

  // The user answers the alerts as they come, until they stop.
  int closed = 0;
  while (closed < 20 && gui::PollUntil([&] { return HasWindow(kPageDialogTitle); }, 3s)) {
    for (const auto box : xdo_->FindWindowsByTitle(kPageDialogTitle)) xdo_->KeyToWindow(box, "Return");
    ++closed;
  }
  std::cout << closed << " alerts closed\n";
  EXPECT_LE(closed, 10) << "the pop-up was not stopped";
  gui::WaitUntil([&] { return xdo_->FindWindows("弹窗").empty(); }, gui::kDefaultTimeout, "the pop-up to close");
  // The main window shows its page again, not a crashed one.
  WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
  WaitForPageTitle(main, TestService::TitleOf("名片发送"));
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "短信内容"});
  EXPECT_FALSE(HasWindow(kLoginTitle));
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// Pages that answer 401 (an HTTP sign-in the client does not offer): the
// page the server sent, or a word saying what it is; never a sign-in dialog
// of the engine's, never a network failure.
TEST_F(HostilePageTest, UnauthorisedPagesSayWhatTheyAre) {
  const auto refuse = [](const std::string& body) {
    return [body](const httplib::Request&, httplib::Response& response) {
      response.status = 401;
      response.set_header("WWW-Authenticate", "Basic realm=\"service\"");
      if (!body.empty()) response.set_content(body, "text/html; charset=utf-8");
    };
  };
  stand_in_->Serve("/?ac=send", refuse(TestService::Page("请先验证")));
  stand_in_->Serve("/?ac=history", refuse(""));
  const Window main = LogInAtStandIn();
  struct Row {
    MenuPath command;
    std::string target;
    std::string expected;  // a heading of what shows
  };
  for (const Row& row : {Row{kSendCommand, "/?ac=send", "请先验证"}, Row{kHistoryCommand, "/?ac=history", kErrorHeading}}) {
    SCOPED_TRACE(row.target);
    const std::size_t mark = Mark();
    ChooseMenuItem(main, row.command);
    WaitForExactRequest("GET", row.target, Sid(), mark);
    WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = row.expected});
    if (row.expected == kErrorHeading) WaitInPage(main, gui::Query{.text_contains = "本程序不提供这种登录方式"});
    EXPECT_FALSE(a11y_->Find(main.node, gui::Query{.text_contains = "无法连接到服务器"}).has_value());
    EXPECT_EQ(ClientWindows().size(), 1u) << "a window of its own asked for a sign-in";
  }
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// How many times the service refused a target as too long.
std::size_t TooLongCount(const std::vector<Request>& requests) {
  return std::count_if(requests.begin(), requests.end(),
                       [](const Request& r) { return r.line == TestService::kTooLongLine; });
}

// The end of a navigation to a megabyte address: the service's refusal
// (414, with a page of its own) or the client's error page. Generous: such an
// address costs the engine's processes a good part of a second each, many
// times that on a loaded machine. Returns the title shown.
std::string WaitForMegabyteOutcome(const gui::A11y& a11y, const Window& main) {
  std::string title;
  gui::WaitUntil(
      [&] {
        const auto document = a11y.Find(main.node, gui::Query{.role = ATSPI_ROLE_DOCUMENT_WEB});
        title = document ? document->Name() : "";
        return title == TestService::TitleOf("地址过长") || title == kErrorHeading;
      },
      90s, "the megabyte address to be refused", [&] { return "the window shows \"" + title + "\""; });
  return title;
}

TEST_F(HostilePageTest, MegabyteAddresses) {
  const std::string big_link = R"JS(
    document.getElementById('big').href = '/?ac=big&q=' + 'a'.repeat(1 << 20);
  )JS";
  stand_in_->ServeHtml("/?ac=send",
                       TestService::Page("巨大地址", "<p><a id=\"big\" href=\"#\">巨大地址</a></p>", big_link));
  // The login address with a megabyte more: not the login address.
  stand_in_->ServeHtml("/?ac=history", TestService::Page("跳往巨大地址", "",
                                                          "location.href = '/?fun=login&pad=' + 'a'.repeat(1 << 20);"));

  const Window main = LogInAtStandIn();
  ExpectPageCommand(main, kSendCommand, "/?ac=send", TestService::TitleOf("巨大地址"));
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "巨大地址"}));
  const std::string shown = WaitForMegabyteOutcome(*a11y_, main);
  std::cout << "link to a megabyte address: the window shows \"" << shown << "\"; the service refused "
            << TooLongCount(Requests()) << " so far\n";
  EXPECT_FALSE(HasWindow(kLoginTitle));
  ExpectResponsive(main, 60s);

  const std::size_t mark = Mark();
  ChooseMenuItem(main, kHistoryCommand);
  WaitForExactRequest("GET", "/?ac=history", Sid(), mark);
  const std::string shown_after_script = WaitForMegabyteOutcome(*a11y_, main);
  std::cout << "script to a megabyte login address: the window shows \"" << shown_after_script
            << "\"; the service refused " << TooLongCount(Requests()) << " so far\n";
  EXPECT_FALSE(HasWindow(kLoginTitle)) << "an address that only starts like the login page ended the session";
  ExpectResponsive(main, 60s);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

TEST_F(HostilePageTest, EndlessRedirects) {
  // Answered with a redirect to the next number, for ever.
  const auto next = [](const std::string& prefix) {
    return [prefix](const httplib::Request& request, httplib::Response& response) {
      const std::string n = request.get_param_value("n");
      response.set_redirect(prefix + "&n=" + std::to_string(n.empty() ? 1 : std::stoi(n) + 1), 302);
    };
  };
  stand_in_->Serve("/?ac=send", next("/?ac=loop"));
  stand_in_->ServePrefix("/?ac=loop", next("/?ac=loop"));
  // A page that replaces itself with the next one as soon as it loads.
  stand_in_->ServePrefix("/?ac=spin", [](const httplib::Request& request, httplib::Response& response) {
    const std::string n = request.get_param_value("n");
    const int next_n = n.empty() ? 1 : std::stoi(n) + 1;
    response.set_content(TestService::Page("转圈", "<p>" + n + "</p>",
                                           "location.replace('/?ac=spin&n=" + std::to_string(next_n) + "');"),
                         "text/html; charset=utf-8");
  });
  stand_in_->Serve("/?ac=history", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/?ac=spin", 302);
  });

  const Window main = LogInAtStandIn();
  std::size_t mark = Mark();
  ChooseMenuItem(main, kSendCommand);
  WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
  // The browser gives up after a number of redirects and says so, as what
  // it is: no network failure.
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kErrorHeading});
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PARAGRAPH, .text_contains = "此网页重定向次数过多"});
  EXPECT_FALSE(a11y_->Find(main.node, gui::Query{.text_contains = "无法连接到服务器"}).has_value());
  const auto loops = Requests().size() - mark;
  std::cout << "redirect loop: " << loops << " requests before the error page\n";
  EXPECT_FALSE(HasWindow(kLoginTitle));
  ExpectResponsive(main);

  mark = Mark();
  ChooseMenuItem(main, kHistoryCommand);
  WaitForExactRequest("GET", "/?ac=history", Sid(), mark);
  WaitForRequest(R"(GET /\?ac=spin&n=30 sid=\S+)", mark, 60s);
  ExpectResponsive(main);
  // The spinning page is gone: the next page command is the only request.
  mark = Mark();
  ExpectPageCommand(main, kCardCommand, "/?ac=card", TestService::TitleOf("名片管理"));
  EXPECT_EQ(LogFrom(mark).find("ac=spin"), std::string::npos) << "still spinning:\n" << LogFrom(mark);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// A reply that announces more than it sends, then hangs up.
// `lead` goes first in the page's body; the connection closes `hold` after
// what was kept has been sent.
void CutOff(httplib::Response& response, const std::string& title, bool chunked, std::size_t keep,
            const std::string& lead = {}, std::chrono::milliseconds hold = {}) {
  std::string html = TestService::Page(title, lead + "<p>" + std::string(20000, 'x') + "</p>");
  html.resize(std::min(keep, html.size()));
  const auto provider = [html, hold](std::size_t offset, httplib::DataSink& sink) {
    if (offset == 0 && !html.empty()) {
      sink.write(html.data(), html.size());
      return true;
    }
    std::this_thread::sleep_for(hold);
    return false;  // the connection closes here
  };
  if (chunked) {
    response.set_chunked_content_provider("text/html; charset=utf-8", provider);
  } else {
    response.set_content_provider(html.size() + 100000, "text/html; charset=utf-8",
                                  [provider](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                    return provider(offset, sink);
                                  });
  }
}

TEST_F(HostilePageTest, ConnectionDroppedMidResponse) {
  stand_in_->Serve("/?ac=send", [](const httplib::Request&, httplib::Response& response) {
    CutOff(response, "半截", false, 3000);
  });
  stand_in_->Serve("/?ac=history", [](const httplib::Request&, httplib::Response& response) {
    CutOff(response, "半截分块", true, 3000);
  });
  stand_in_->Serve("/?ac=time", [](const httplib::Request&, httplib::Response& response) {
    CutOff(response, "只有头", false, 0);
  });
  const Window main = LogInAtStandIn();
  for (const auto& [path, target] : std::vector<std::pair<MenuPath, std::string>>{
           {kSendCommand, "/?ac=send"}, {kHistoryCommand, "/?ac=history"}, {kTimedCommand, "/?ac=time"}}) {
    SCOPED_TRACE(target);
    const std::string before = PageTitle(main);
    const std::size_t mark = Mark();
    ChooseMenuItem(main, path);
    WaitForExactRequest("GET", target, Sid(), mark);
    // Another document: what came, the error page, or (WebKitGTK reports a
    // chunked body cut short as complete) an empty one.
    gui::WaitUntil(
        [&] {
          const auto document = a11y_->Find(main.node, gui::Query{.role = ATSPI_ROLE_DOCUMENT_WEB});
          return document && document->Name() != before;
        },
        gui::kDefaultTimeout, "another document than \"" + before + "\"", [&] { return a11y_->Dump(main.node); });
    std::cout << target << " cut off: the window shows \"" << PageTitle(main) << "\"\n";
    EXPECT_FALSE(HasWindow(kLoginTitle));
    ExpectResponsive(main);
  }
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// A landing page the network cuts off is no login, even when a frame of it
// had completed before the cut.
class LandingCutOffTest : public HostilePageTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LandingCutOffTest, IsNoLogin) {
  const bool with_frame = GetParam();
  auto home_requests = std::make_shared<std::atomic<int>>(0);
  stand_in_->Serve("/?ac=home", [this, home_requests, with_frame](const httplib::Request& request,
                                                                  httplib::Response& response) {
    if ((*home_requests)++ > 0) return stand_in_->Default(request, response);
    if (!with_frame) return CutOff(response, "工作台", false, 3000);
    // The frame loads and completes while the page waits for the rest.
    CutOff(response, "工作台", false, 3000, "<iframe src=\"/?fun=notice\"></iframe>", 2s);
  });
  EnsurePortFree();
  stand_in_->Start();
  StartClient();
  const Window login = WaitForLoginWindow();
  const std::size_t mark = Mark();
  LogIn(kDemoUser, kDemoPassword);
  sid_ = WaitForRequest(R"(GET /\?ac=home sid=t\d+)", mark).sid;
  if (with_frame) WaitForRequest(R"(GET /\?fun=notice sid=t\d+)", mark);

  // The login window says it failed, and that is no login.
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kErrorHeading});
  const gui::Accessible reload = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"});
  EXPECT_FALSE(HasWindow(kMainTitle)) << "a landing page that never arrived whole counted as a login";
  EXPECT_TRUE(login.node.Showing());

  // Loaded whole this time: now it is one.
  gui::ClickCenter(*xdo_, reload);
  const Window main = WaitForMainWindow();
  WaitForPageTitle(main, TestService::TitleOf("工作台"));
  WaitWindowGone(kLoginTitle);
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

INSTANTIATE_TEST_SUITE_P(LandingPage, LandingCutOffTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WithAnEarlyFrame" : "Alone"; });

// A login page that submits itself, and a home page that refreshes straight
// back to it: the windows swap a few times, then the client stops, says so,
// and the login window waits for the user, whose own login works.
TEST_F(HostilePageTest, LoginLoopIsStoppedAndTheUserCanLogIn) {
  // Remembered credentials, sent by the page as soon as it has loaded.
  stand_in_->ServeHtml("/?fun=login",
                       TestService::LoginPage("<form id=\"auto\" method=\"post\" action=\"/?fun=login\">"
                                              "<input type=\"hidden\" name=\"user\" value=\"demo\">"
                                              "<input type=\"hidden\" name=\"password\" value=\"demo123\"></form>",
                                              "window.addEventListener('load', function () {"
                                              "  document.getElementById('auto').submit();"
                                              "});"));
  auto bounce = std::make_shared<std::atomic<bool>>(true);
  stand_in_->Serve("/?ac=home", [this, bounce](const httplib::Request& request, httplib::Response& response) {
    if (!*bounce) return stand_in_->Default(request, response);
    response.set_content(
        TestService::Page("工作台", "<meta http-equiv=\"refresh\" content=\"0; url=/?fun=login\">"),
        "text/html; charset=utf-8");
  });
  EnsurePortFree();
  stand_in_->Start();
  StartClient();

  const auto logins = [&] {
    const auto requests = Requests();
    return std::count_if(requests.begin(), requests.end(),
                         [](const Request& r) { return r.method == "POST" && r.target == "/?fun=login"; });
  };
  const Window box = WaitForWindow(kMessageBoxTitle);
  const std::string said = a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_LABEL}).Name();
  std::cout << "after " << logins() << " logins: " << said << "\n";
  EXPECT_NE(said.find("登录"), std::string::npos) << said;
  EXPECT_GE(logins(), 2) << "stopped before any loop";
  EXPECT_LE(logins(), 6) << "the windows swapped on and on";
  session_->Screenshot(std::filesystem::current_path() / "login-loop-stopped.png");
  xdo_->KeyToWindow(box.xid, "Return");
  WaitWindowGone(kMessageBoxTitle);

  // Stopped for good: the login page stays, and waits.
  const Window login = WaitForLoginWindow();
  const long stopped_at = logins();
  EXPECT_FALSE(gui::PollUntil([&] { return logins() > stopped_at || HasWindow(kMainTitle); }, 5s))
      << "the login page went on submitting itself:\n" << LogFrom(0);
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});

  // The service works again; the user logs in.
  *bounce = false;
  const Window main = LogInByKeysAtStandIn();
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

TEST_F(HostilePageTest, ThirtySecondReplyKeepsTheMenuWorking) {
  const auto slow = [this](const std::string& name) {
    return [this, name](const httplib::Request&, httplib::Response& response) {
      stand_in_->HoldFor(30s);
      response.set_content(TestService::Page(name), "text/html; charset=utf-8");
    };
  };
  stand_in_->Serve("/?ac=send", slow("慢页"));
  stand_in_->Serve("/?ac=history", slow("慢记录"));
  const Window main = LogInAtStandIn();

  // Left waiting: another page command goes through at once.
  std::size_t mark = Mark();
  ChooseMenuItem(main, kSendCommand);
  WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
  gui::WaitUntil([&] { return stand_in_->Holding() == 1; }, gui::kDefaultTimeout, "the slow reply to be held");
  ExpectResponsive(main);
  EXPECT_EQ(stand_in_->Released(), 0) << "the menu only worked once the slow reply was over";

  // Waited for: the menu opens meanwhile, and the page comes in the end.
  mark = Mark();
  ChooseMenuItem(main, kHistoryCommand);
  WaitForExactRequest("GET", "/?ac=history", Sid(), mark);
  gui::WaitUntil([&] { return stand_in_->Holding() >= 1; }, gui::kDefaultTimeout, "the second slow reply");
  const gui::Accessible item = a11y_->MenuItem(main.node, kInfoCommand.item);
  OpenMenu(main, kInfoCommand);
  xdo_->Key("Escape");
  gui::WaitUntil([&] { return !item.Showing(); }, gui::kDefaultTimeout, "the menu to close");
  WaitForPageTitle(main, TestService::TitleOf("慢记录"), 60s);
  EXPECT_FALSE(HasWindow(kLoginTitle));
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// An address out of the web (a file of this machine, another program, a
// whole page the page's script made up) is never shown, whether a link or a
// script goes there: the page the user is on stays.
struct OutOfTheWeb {
  const char* name;
  const char* address;  // as the page's script writes it
};

void PrintTo(const OutOfTheWeb& place, std::ostream* out) { *out << place.name; }

class OutOfTheWebTest : public HostilePageTest, public ::testing::WithParamInterface<OutOfTheWeb> {};

TEST_P(OutOfTheWebTest, StaysOut) {
  const std::string body =
      "<p><a id=\"away\" onclick=\"setTimeout(function () { alert('链接点过了'); }, 200)\">离开</a></p>";
  const std::string script = std::string("var away = ") + GetParam().address +
                             ";"
                             "document.getElementById('away').href = away;"
                             "window.addEventListener('load', function () {"
                             "  setTimeout(function () {"
                             "    location.href = away;"
                             "    setTimeout(function () { alert('脚本跳过了'); }, 200);"
                             "  }, 0);"
                             "});";
  stand_in_->ServeHtml("/?ac=send", TestService::Page("留在这里", body, script));
  const Window main = LogInAtStandIn();
  const std::size_t mark = Mark();
  ChooseMenuItem(main, kSendCommand);
  WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
  // While an alert is up the page's process answers nobody: the page is read
  // once it is closed.
  std::cout << GetParam().name << " by script: " << AnswerPageDialog(*a11y_, *xdo_) << "\n";
  gui::WaitUntil([&] { return !HasWindow(kPageDialogTitle); }, gui::kDefaultTimeout, "the page's dialog to close");
  WaitForPageTitle(main, TestService::TitleOf("留在这里"));
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "离开"}));
  std::cout << GetParam().name << " by link: " << AnswerPageDialog(*a11y_, *xdo_) << "\n";
  gui::WaitUntil([&] { return !HasWindow(kPageDialogTitle); }, gui::kDefaultTimeout, "the page's dialog to close");

  // The page stays, and nothing of the other place shows anywhere.
  EXPECT_EQ(PageTitle(main), TestService::TitleOf("留在这里"));
  EXPECT_FALSE(a11y_->Find(main.node, gui::Query{.text_contains = "root:"}).has_value())
      << a11y_->Dump(main.node);
  const auto app = a11y_->FindApplication(Client().pid());
  ASSERT_TRUE(app.has_value());
  for (const gui::WindowInfo& w : a11y_->Windows(*app)) {
    if (!w.showing) continue;
    EXPECT_TRUE(w.title == kMainTitle) << "a window \"" << w.title << "\" opened";
    EXPECT_FALSE(a11y_->Find(w.node, gui::Query{.text_contains = "root:"}).has_value()) << w.title;
  }
  EXPECT_FALSE(HasWindow(kLoginTitle));
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, OutOfTheWebTest,
    ::testing::Values(OutOfTheWeb{"LocalFile", "'file:///etc/passwd'"},
                      OutOfTheWeb{"AnotherProgram", "'steam://run/10'"},
                      OutOfTheWeb{"WholePageMadeByThePage",
                                  "URL.createObjectURL(new Blob(['<title>root:</title><p>root:x:0:0</p>'], "
                                  "{type: 'text/html'}))"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostilePageTest, AlertFloodCanBeLeft) {
  stand_in_->ServeHtml("/?ac=send", TestService::Page("警告", "",
                                                      "window.addEventListener('load', function () {"
                                                      "  setTimeout(function () {"
                                                      "    for (var i = 1; ; i++) alert('第 ' + i + ' 条警告');"
                                                      "  }, 0);"
                                                      "});"));
  const Window main = LogInAtStandIn();
  std::size_t mark = Mark();
  ChooseMenuItem(main, kSendCommand);
  WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
  xdo_->WaitForWindow(kPageDialogTitle);
  mark = Mark();

  // As a user would: try the menu with the mouse; when it does not open,
  // close the alert in the way and try again.
  const gui::Accessible menu_title = a11y_->MenuItem(main.node, {kInfoCommand.item.front()});
  const gui::Accessible item = a11y_->MenuItem(main.node, kInfoCommand.item);
  int closed = 0;
  std::string last;
  bool menu_opened = false;
  for (int round = 0; round < 20 && !menu_opened; ++round) {
    gui::ClickCenter(*xdo_, menu_title);
    menu_opened = gui::PollUntil([&] { return item.Showing(); }, 2s);
    if (menu_opened) break;
    const auto boxes = xdo_->FindWindowsByTitle(kPageDialogTitle);
    if (boxes.empty()) continue;
    if (const auto node = a11y_->FindWindow(kPageDialogTitle, Client().pid())) {
      if (const auto label = a11y_->Find(*node, gui::Query{.role = ATSPI_ROLE_LABEL})) last = label->Name();
    }
    xdo_->KeyToWindow(boxes.front(), "Return");
    ++closed;
  }
  std::cout << closed << " alerts closed, the last: " << last << "\n";
  ASSERT_TRUE(menu_opened) << "a page calling alert() without end holds the user: " << closed
                           << " alerts closed, each one followed by the next (the last: " << last
                           << "), and clicks on " << kInfoCommand.item.front()
                           << " did nothing while an alert was up";
  // The page was stopped after its tenth dialog in a row, and says so.
  EXPECT_LE(closed, 10);
  xdo_->Key("Escape");
  gui::WaitUntil([&] { return !item.Showing(); }, gui::kDefaultTimeout, "the menu to close");
  WaitInPage(main, gui::Query{.text_contains = "不停地弹出对话框"});
  gui::ClickCenter(*xdo_, menu_title);
  gui::WaitUntil([&] { return item.Showing(); }, gui::kDefaultTimeout, "the menu to open again");
  gui::ClickCenter(*xdo_, item);
  WaitForExactRequest("GET", "/?info", Sid(), mark);
  WaitForPageTitle(main, TestService::TitleOf("账户信息"));
  gui::WaitUntil([&] { return !HasWindow(kPageDialogTitle); }, gui::kDefaultTimeout,
                 "the alerts to end with their page");
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// Pages that start downloads by themselves from hidden frames: the user
// answers one save dialog and is back at the menu.
struct DownloadFlood {
  const char* name;
  const char* script;  // runs once the page has loaded; frames load /?file=N
};

class DownloadFloodTest : public HostilePageTest, public ::testing::WithParamInterface<DownloadFlood> {
 protected:
  static constexpr const char* kSaveTitle = "保存文件";

  // Logged in, on the page that starts the downloads; they begin to come.
  Window OpenFloodingPage() {
    stand_in_->ServeHtml(
        "/?ac=card",
        TestService::Page("名片管理", "",
                          std::string("function frame(n) { var f = document.createElement('iframe');"
                                      "  f.style.display = 'none'; f.src = '/?file=' + n;"
                                      "  document.body.appendChild(f); }"
                                      "window.addEventListener('load', function () {") +
                              GetParam().script + "});"));
    stand_in_->ServePrefix("/?file=", [](const httplib::Request& request, httplib::Response& response) {
      response.set_header("Content-Disposition",
                          "attachment; filename=\"list-" + request.get_param_value("file") + ".csv\"");
      response.set_content("name,mobile\n", "text/csv");
    });
    const Window main = LogInAtStandIn();
    ChooseMenuItem(main, kCardCommand);
    return main;
  }
};

TEST_P(DownloadFloodTest, OneSaveDialogAtATimeAndEscGetsTheUserOut) {
  const std::string save_title = kSaveTitle;
  const Window main = OpenFloodingPage();
  const Window dialog = WaitForWindow(save_title);

  // Never more than the one dialog, however many downloads come.
  std::size_t most = 0;
  gui::PollUntil([&] {
    most = std::max(most, xdo_->FindWindowsByTitle(save_title).size());
    return false;
  }, 3s);
  EXPECT_EQ(most, 1u) << "save dialogs open at once";

  // One Esc, and no further dialog takes its place.
  xdo_->KeyToWindow(dialog.xid, "Escape");
  WaitWindowGone(save_title);
  EXPECT_FALSE(gui::PollUntil([&] { return !xdo_->FindWindowsByTitle(save_title).empty(); }, 3s))
      << "another save dialog came after Esc";

  // The close box and the menu answer while the page goes on.
  xdo_->CloseWindow(main.xid);
  const Window question = WaitForWindow(kMessageBoxTitle);
  xdo_->KeyToWindow(question.xid, "Escape");
  WaitWindowGone(kMessageBoxTitle);
  ExpectResponsive(main);
  EXPECT_TRUE(xdo_->FindWindowsByTitle(save_title).empty());
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// A page may start a few downloads together: three in a row are asked
// about in turn, one save dialog each; the fourth is refused unasked.
TEST_P(DownloadFloodTest, ThreeInARowAreAskedInTurnTheFourthIsNot) {
  const Window main = OpenFloodingPage();
  // Each dialog is a window of its own; the next may come the moment one goes.
  std::vector<gui::WindowId> seen;
  const auto shown = [&](gui::WindowId id) {
    const auto ids = xdo_->FindWindowsByTitle(kSaveTitle);
    return std::find(ids.begin(), ids.end(), id) != ids.end();
  };
  int asked = 0;
  gui::WindowId dialog = 0;
  while (asked < 6 && gui::PollUntil(
                          [&] {
                            for (const gui::WindowId id : xdo_->FindWindowsByTitle(kSaveTitle)) {
                              if (std::find(seen.begin(), seen.end(), id) == seen.end()) dialog = id;
                            }
                            return dialog != 0;
                          },
                          asked == 0 ? gui::kDefaultTimeout : 5s)) {
    seen.push_back(dialog);
    xdo_->KeyToWindow(dialog, "Return");  // saved under the name offered
    gui::WaitUntil([&] { return !shown(dialog); }, gui::kDefaultTimeout, "the save dialog to close");
    dialog = 0;
    ++asked;
  }
  EXPECT_EQ(asked, 3) << "save dialogs one after the other";
  const auto saved = [&] {
    std::vector<std::string> names;
    for (const auto& path : session_->FilesUnderHome()) {
      if (path.filename().string().rfind("list-", 0) == 0 && path.extension() == ".csv") {
        names.push_back(path.filename().string());
      }
    }
    return names;
  };
  gui::WaitUntil([&] { return saved().size() >= 3; }, gui::kDefaultTimeout, "the three downloads to be saved",
                 [&] { return std::to_string(saved().size()) + " saved"; });
  EXPECT_EQ(saved().size(), 3u);
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

INSTANTIATE_TEST_SUITE_P(
    HiddenFrames, DownloadFloodTest,
    ::testing::Values(DownloadFlood{"OneEveryQuarterSecond", "var n = 0; setInterval(function () { frame(n++); }, 250);"},
                      DownloadFlood{"TwentyAtOnce", "for (var n = 0; n < 20; n++) frame(n);"}),
    [](const auto& info) { return std::string(info.param.name); });

// The client's question about a page that stopped answering: a bar in the
// page's window, found without asking the hung page anything (its web
// process would not answer).
const std::string kHangQuestion = "此页没有响应";
const std::string kStoppedHeading = "此页已被停止";

std::optional<gui::Accessible> HangQuestionIn(const gui::A11y& a11y, const Window& window) {
  return a11y.Find(window.node, gui::Query{.role = ATSPI_ROLE_ALERT, .name = kHangQuestion, .showing_only = true},
                   gui::SearchLimits{.enter_other_processes = false});
}

// Waits for the question, with its two buttons, 等待 focused.
gui::Accessible WaitForHangQuestion(const gui::A11y& a11y, const Window& window, std::chrono::milliseconds timeout) {
  std::optional<gui::Accessible> question;
  gui::WaitUntil([&] { return (question = HangQuestionIn(a11y, window)).has_value(); }, timeout,
                 "the question \"" + kHangQuestion + "\"");
  const gui::SearchLimits here{.enter_other_processes = false};
  const auto wait = a11y.Find(*question, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "等待"}, here);
  const auto stop = a11y.Find(*question, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "停止此页"}, here);
  EXPECT_TRUE(wait.has_value()) << a11y.Dump(*question);
  EXPECT_TRUE(stop.has_value()) << a11y.Dump(*question);
  if (wait) gui::WaitUntil([&] { return wait->Focused(); }, gui::kDefaultTimeout, "the focus on 等待");
  return *question;
}

bool Fullscreen(const gui::Xdo& xdo, gui::WindowId window) {
  const std::vector<std::string> states = xdo.WindowStates(window);
  return std::find(states.begin(), states.end(), "_NET_WM_STATE_FULLSCREEN") != states.end();
}

// A page whose script never returns once loaded holds its web process (and
// every page of that process): what the user does next still happens, and
// only the user stops the page.
enum class MeetsHungPage {
  PageCommand,
  F5,
  UserWaits,
  ReturnToLogin,
  Exit,
  PrintLoop,
  ClickedWithThePointerResting,
  StoppedInFullscreen,
  CrashedInFullscreen,
};

const char* const kHungPageCases[] = {"PageCommand",         "F5",        "UserWaits",
                                      "ReturnToLogin",       "Exit",      "PrintLoop",
                                      "ClickedWithThePointerResting", "StoppedInFullscreen", "CrashedInFullscreen"};

class HungPageTest : public HostilePageTest, public ::testing::WithParamInterface<MeetsHungPage> {};

TEST_P(HungPageTest, TheUserGetsOn) {
  const MeetsHungPage what = GetParam();
  const bool fullscreen = what == MeetsHungPage::StoppedInFullscreen || what == MeetsHungPage::CrashedInFullscreen;
  // The page tells the service the moment it hangs: the script waits for
  // that request's answer and never returns from there, so whatever the user
  // does next finds it hung.
  const std::string tell = "var last = new XMLHttpRequest(); last.open('GET', '/?ac=hanging', false); last.send();";
  std::string body;
  std::string on_load = "setTimeout(function () {" + tell + " while (true) {} }, 0);";
  if (what == MeetsHungPage::ReturnToLogin) {
    // A frame ends up at the login page (the session ended), then the page
    // hangs.
    body = "<iframe id=\"f\"></iframe>";
    on_load = tell +
              "var f = document.getElementById('f');"
              "f.onload = function () { setTimeout(function () { while (true) {} }, 0); };"
              "f.src = '/?fun=login';";
  } else if (what == MeetsHungPage::PrintLoop) {
    on_load = "setTimeout(function () {" + tell + " for (;;) print(); }, 0);";
  } else if (fullscreen) {
    // Fullscreen at the user's click; then it hangs (or its process is
    // killed).
    body = "<button id=\"full\">全屏</button>";
    on_load = "document.getElementById('full').onclick = function () {"
              "  document.documentElement.requestFullscreen().then(function () {"
              "    setTimeout(function () {" +
              tell + (what == MeetsHungPage::StoppedInFullscreen ? " while (true) {}" : "") +
              "    }, 1000);"
              "  });"
              "};";
  }
  stand_in_->ServeHtml("/?ac=send", TestService::Page("卡住", body,
                                                      "window.addEventListener('load', function () {" + on_load + "});"));
  const Window main = LogInAtStandIn();
  const gui::Geometry area = xdo_->WindowGeometry(main.xid);
  // Into the middle of the window: the hung page answers no question of
  // where things are in it.
  const int middle_x = area.x + area.width / 2;
  const int middle_y = area.y + area.height / 2;
  // Off the page (over the menu bar) while it loads and hangs.
  if (what == MeetsHungPage::ClickedWithThePointerResting) xdo_->MouseMove(area.x + 4, area.y + 4);
  std::size_t mark = Mark();
  ChooseMenuItem(main, kSendCommand);
  if (fullscreen) {
    WaitForPageTitle(main, TestService::TitleOf("卡住"));
    gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "全屏"}));
  }
  WaitForExactRequest("GET", "/?ac=hanging", Sid(), mark);
  mark = Mark();
  switch (what) {
    case MeetsHungPage::PageCommand:
      ExpectResponsive(main);
      break;
    case MeetsHungPage::F5:
      xdo_->KeyToWindow(main.xid, "F5");
      WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
      WaitForExactRequest("GET", "/?ac=hanging", Sid(), mark);
      ExpectResponsive(main);
      break;
    case MeetsHungPage::UserWaits: {
      // A click the page never answers: the user is asked, and 等待 (Enter)
      // keeps the page; asked again later, 停止此页 stops it, and it says so.
      const std::vector<pid_t> processes = WebProcesses();
      xdo_->Click(middle_x, middle_y);
      WaitForHangQuestion(*a11y_, main, 40s);
      xdo_->KeyToWindow(main.xid, "Return");
      gui::WaitUntil([&] { return !HangQuestionIn(*a11y_, main).has_value(); }, gui::kDefaultTimeout,
                     "the question to go after 等待");
      EXPECT_EQ(WebProcesses(), processes) << "the page's web process was ended after 等待";
      const gui::Accessible again = WaitForHangQuestion(*a11y_, main, 40s);
      EXPECT_EQ(WebProcesses(), processes) << "the page's web process was ended while asking";
      EXPECT_FALSE(a11y_->Find(main.node, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kStoppedHeading},
                               gui::SearchLimits{.enter_other_processes = false}));
      gui::ClickCenter(*xdo_, a11y_->WaitFor(again, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "停止此页"}));
      const gui::Accessible said =
          WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PARAGRAPH, .text_contains = "长时间没有响应"});
      std::cout << "stopped: " << said.Text() << "\n";
      EXPECT_NE(said.Text().find("您的登录状态不受影响"), std::string::npos) << said.Text();
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kStoppedHeading});
      EXPECT_FALSE(HangQuestionIn(*a11y_, main).has_value()) << "the question stayed after the page was stopped";
      gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"}));
      WaitForExactRequest("GET", "/?ac=send", Sid(), mark);
      ExpectResponsive(main);
      break;
    }
    case MeetsHungPage::ClickedWithThePointerResting:
      // The pointer comes over the hung page and rests there; a click
      // without moving. The engine holds the click back behind the motion
      // the page never answered. Asked; 停止此页 reached with the keyboard.
      xdo_->MouseMove(middle_x, middle_y);
      std::this_thread::sleep_for(1s);
      xdo_->Click(middle_x, middle_y);
      WaitForHangQuestion(*a11y_, main, 40s);
      xdo_->KeyToWindow(main.xid, "Tab Return");
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kStoppedHeading});
      ExpectResponsive(main);
      break;
    case MeetsHungPage::StoppedInFullscreen:
    case MeetsHungPage::CrashedInFullscreen: {
      ASSERT_TRUE(Fullscreen(*xdo_, main.xid)) << "the page did not make its window fullscreen";
      if (what == MeetsHungPage::StoppedInFullscreen) {
        const gui::Geometry screen = xdo_->WindowGeometry(main.xid);
        xdo_->Click(screen.x + screen.width / 2, screen.y + screen.height / 2);
        const gui::Accessible question = WaitForHangQuestion(*a11y_, main, 40s);
        gui::ClickCenter(*xdo_,
                         a11y_->WaitFor(question, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "停止此页"}));
        WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kStoppedHeading});
      } else {
        const std::vector<pid_t> processes = WebProcesses();
        ASSERT_FALSE(processes.empty());
        for (const pid_t pid : processes) kill(pid, SIGKILL);
        WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "页面已停止响应"});
      }
      gui::WaitUntil([&] { return !Fullscreen(*xdo_, main.xid); }, gui::kDefaultTimeout,
                     "the window to leave fullscreen");
      ExpectResponsive(main);
      break;
    }
    case MeetsHungPage::ReturnToLogin: {
      const Window login = WaitForLoginWindow();
      WaitWindowGone(kMainTitle);
      WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
      EXPECT_TRUE(Client().Running());
      return;
    }
    case MeetsHungPage::Exit: {
      const std::vector<pid_t> helpers = Client().Descendants();
      ASSERT_FALSE(helpers.empty()) << "no web process seen";
      EXPECT_EQ(ExitThroughCloseBox(main), 0);
      // The web processes go with the program, the hung one included.
      const bool gone = gui::PollUntil(
          [&] { return std::none_of(helpers.begin(), helpers.end(), [](pid_t pid) { return gui::PidAlive(pid); }); },
          1s);
      EXPECT_TRUE(gone) << "a web process outlived the client by more than a second";
      return;
    }
    case MeetsHungPage::PrintLoop:
      // Stopped, and no print dialog left in the way.
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kStoppedHeading});
      EXPECT_TRUE(xdo_->FindWindowsByTitle("打印").empty());
      ExpectResponsive(main);
      break;
  }
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

INSTANTIATE_TEST_SUITE_P(AfterLoad, HungPageTest,
                         ::testing::Values(MeetsHungPage::PageCommand, MeetsHungPage::F5, MeetsHungPage::UserWaits,
                                           MeetsHungPage::ReturnToLogin, MeetsHungPage::Exit,
                                           MeetsHungPage::PrintLoop, MeetsHungPage::ClickedWithThePointerResting,
                                           MeetsHungPage::StoppedInFullscreen, MeetsHungPage::CrashedInFullscreen),
                         [](const auto& info) { return std::string(kHungPageCases[static_cast<int>(info.param)]); });

// Before the login nobody has a login state to keep: the stop page of the
// login window says nothing of one.
TEST_F(HostilePageTest, HungLoginPageStoppedSaysNothingOfALogin) {
  stand_in_->ServeHtml("/?fun=login",
                       TestService::LoginPage("<button id=\"hang\" type=\"button\">卡住</button>",
                                              "document.getElementById('hang').onclick = function () {"
                                              "  var last = new XMLHttpRequest();"
                                              "  last.open('GET', '/?ac=hanging', false); last.send();"
                                              "  while (true) {}"
                                              "};"));
  EnsurePortFree();
  stand_in_->Start();
  StartClient();
  const Window login = WaitForLoginWindow();
  const std::size_t mark = Mark();
  gui::ClickCenter(*xdo_, WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "卡住"}));
  WaitForRequest(RegexEscape("GET /?ac=hanging sid=-"), mark);
  // A click the page never answers.
  const gui::Geometry area = xdo_->WindowGeometry(login.xid);
  xdo_->Click(area.x + area.width / 2, area.y + area.height / 2);
  const gui::Accessible question = WaitForHangQuestion(*a11y_, login, 40s);
  gui::ClickCenter(*xdo_, a11y_->WaitFor(question, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "停止此页"}));
  const gui::Accessible said =
      WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PARAGRAPH, .text_contains = "长时间没有响应"});
  std::cout << "stopped before the login: " << said.Text() << "\n";
  EXPECT_EQ(said.Text().find("登录"), std::string::npos) << said.Text();
  EXPECT_TRUE(login.node.Showing());
  gui::ClickCenter(*xdo_, WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"}));
  // The login works again.
  LogIn(kDemoUser, kDemoPassword);
  sid_ = WaitForRequest(R"(GET /\?ac=home sid=t\d+)", mark).sid;
  const Window main = WaitForMainWindow();
  WaitForPageTitle(main, TestService::TitleOf("工作台"));
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// A page that is slow to answer after the user's click, for a good reason:
// it is never stopped on its own, and what the user typed stays.
struct SlowWork {
  const char* name;
  const char* script;  // runs at the click, returns when the work is done
  bool asked;          // long enough for the user to be asked meanwhile
  // How the engine may end the work instead ("" for none).
  const char* or_else = "";
};

void PrintTo(const SlowWork& work, std::ostream* out) { *out << work.name; }

class SlowPageTest : public HostilePageTest, public ::testing::WithParamInterface<SlowWork> {};

TEST_P(SlowPageTest, IsKeptWithItsText) {
  stand_in_->Serve("/?ac=slow", [this](const httplib::Request&, httplib::Response& response) {
    stand_in_->HoldFor(12s);
    response.set_content("ok", "text/plain");
  });
  stand_in_->ServeHtml(
      "/?ac=send",
      TestService::Page("慢页", "<p><textarea aria-label=\"短信内容\"></textarea></p><button id=\"go\">计算</button>",
                        std::string("document.getElementById('go').onclick = function () {"
                                    "  var outcome = 'ok';"
                                    "  try {") +
                            GetParam().script +
                            "  } catch (e) { outcome = e.name; }"
                            "  fetch('/?ac=done&' + outcome);"
                            "};"));
  const Window main = LogInAtStandIn();
  ExpectPageCommand(main, kSendCommand, "/?ac=send", TestService::TitleOf("慢页"));
  const std::string text = "周五例会改到三点";
  const gui::Accessible field = TypeMessage(main, text);
  const std::vector<pid_t> processes = WebProcesses();
  ASSERT_FALSE(processes.empty());

  const std::size_t mark = Mark();
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "计算"}));
  if (GetParam().asked) {
    WaitForHangQuestion(*a11y_, main, 40s);
      EXPECT_EQ(LogFrom(mark).find("/?ac=done"), std::string::npos) << "the work was over before the question";
  }
  const Request done = WaitForRequest(RegexEscape("GET /?ac=done&") + R"(\w+ sid=)" + Sid(), mark, 60s);
  const std::string outcome = done.target.substr(done.target.find('&') + 1);
  std::cout << GetParam().name << ": " << outcome << "\n";
  EXPECT_TRUE(outcome == "ok" || outcome == GetParam().or_else) << "the work failed: " << outcome;
  // The question goes the moment the page answers again.
  gui::WaitUntil([&] { return !HangQuestionIn(*a11y_, main).has_value(); }, gui::kDefaultTimeout,
                 "no question once the page answers");

  EXPECT_EQ(WebProcesses(), processes) << "the page's web process was ended";
  EXPECT_EQ(PageTitle(main), TestService::TitleOf("慢页"));
  EXPECT_EQ(field.Text(), text) << "the typed text is gone";
  EXPECT_FALSE(a11y_->Find(main.node, gui::Query{.role = ATSPI_ROLE_HEADING, .name = kStoppedHeading}).has_value())
      << "the page was stopped";
  ExpectResponsive(main);
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

INSTANTIATE_TEST_SUITE_P(
    AfterAClick, SlowPageTest,
    ::testing::Values(
        SlowWork{"TenSecondsOfWork", "var end = Date.now() + 10000; while (Date.now() < end) {}", false},
        // WebKitGTK 2.50 gives up on a synchronous load after 10 s
        // (FrameLoader's timeout interval for synchronous loads): the
        // script gets a TimeoutError then, whenever the server answers.
        SlowWork{"TwelveSecondSynchronousRequest",
                 "var r = new XMLHttpRequest(); r.open('GET', '/?ac=slow', false); r.send();", false,
                 "TimeoutError"},
        // The user is asked meanwhile, and does not answer.
        SlowWork{"ThirtySecondsOfWork", "var end = Date.now() + 30000; while (Date.now() < end) {}", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnock_gui
