// The login window: the login page, wrong and right passwords, the page's
// notice frame, closing it, a service that is down, and what the client
// leaves on disk.
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "client_fixture.h"
#include "private_cache.h"

namespace varnock_gui {
namespace {

// The session's screen.
const int kScreenWidth = gui::SessionOptions{}.width;
const int kScreenHeight = gui::SessionOptions{}.height;
constexpr int kLoginClientWidth = 353;
constexpr int kLoginClientHeight = 255;

using LoginTest = ClientTest;

std::vector<std::string> Lines(const std::vector<Request>& requests, std::size_t from = 0) {
  std::vector<std::string> out;
  for (std::size_t i = from; i < requests.size(); ++i) out.push_back(requests[i].line);
  return out;
}

TEST_F(LoginTest, WrongPasswordStaysRightOneOpensTheMainWindow) {
  const gui::FocusEvents focus(*session_);
  StartService();
  StartClient();
  const Window login = WaitForLoginWindow();

  // The login page and then its notice frame; neither is a login. A screen
  // reader says the window, then the user-name field.
  const gui::Accessible user = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
  ExpectFocusAnnounced(focus, login, user);
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "平台公告"});
  WaitForExactRequest("GET", "/?fun=notice", "-");
  EXPECT_EQ(Requests().front().line, "GET /?fun=login sid=-") << "the first request is not the login page";
  EXPECT_FALSE(HasWindow(kMainTitle)) << "a main window opened before anyone logged in";

  // Wrong password: the service sends the login page back with its message.
  std::size_t mark = Mark();
  LogIn(kDemoUser, kDemoPassword + "x");
  WaitForExactRequest("POST", "/?fun=login", "-", mark);
  const gui::Accessible error = WaitInPage(login, gui::Query{.text_contains = "用户名或密码错误"});
  EXPECT_TRUE(error.Showing());
  // The reloaded page's notice frame too has completed by now.
  WaitForExactRequest("GET", "/?fun=notice", "-", mark);
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "平台公告"});
  EXPECT_TRUE(login.node.Showing());
  EXPECT_FALSE(HasWindow(kMainTitle)) << "a wrong password opened the main window";
  EXPECT_TRUE(Client().Running());

  // Right password: the main window on the page the service landed on.
  mark = Mark();
  const Window main = LogInAsDemo();
  WaitForDocument(main);
  WaitWindowGone(kLoginTitle);
  // Once by the login window following the redirect, once by the main window.
  const Request again = WaitForExactRequest("GET", "/?ac=home", Sid(), mark + 2);

  // Everything the service saw, in order: proves no frame or error page
  // ever opened a main window of its own.
  const std::vector<std::string> expected{
      "GET /?fun=login sid=-",
      "GET /?fun=notice sid=-",
      "POST /?fun=login sid=-",
      "GET /?fun=login sid=-",
      "GET /?fun=notice sid=-",
      "POST /?fun=login sid=-",
      "GET /?ac=home sid=" + Sid(),
      again.line,
  };
  EXPECT_EQ(Lines(Requests()), expected);

  const gui::Accessible document = WaitForDocument(main);
  EXPECT_TRUE(a11y_->Find(main.node, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"}).has_value())
      << "the main window does not show the work page:\n" << a11y_->Dump(main.node);
  EXPECT_NE(document.Name().find("工作台"), std::string::npos) << document.Name();

  // The keyboard is in the page: Tab goes to its first link.
  xdo_->Key("Tab");
  const gui::Accessible first_link = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK});
  gui::WaitUntil([&] { return first_link.Focused(); }, gui::kDefaultTimeout, "Tab to reach the page's first link",
                 [&] { return a11y_->Dump(main.node); });
}

TEST_F(LoginTest, SizeAndPlace) {
  StartService();
  StartClient();
  const Window login = WaitForLoginWindow();
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});

  // Client area as designed, the whole framed window in the middle of the screen.
  const gui::Geometry client_area = xdo_->WindowGeometry(login.xid);
  EXPECT_EQ(client_area.width, kLoginClientWidth);
  EXPECT_EQ(client_area.height, kLoginClientHeight);
  OuterRect outer;
  const bool centred = gui::PollUntil(
      [&] {
        outer = OuterRectOf(login);
        return std::abs(outer.x - (kScreenWidth - outer.width) / 2) <= 1 &&
               std::abs(outer.y - (kScreenHeight - outer.height) / 2) <= 1;
      },
      gui::kDefaultTimeout);
  EXPECT_TRUE(centred) << "login window frame at " << outer.x << "," << outer.y << " size " << outer.width << "x"
                       << outer.height << ", centred would be " << (kScreenWidth - outer.width) / 2 << ","
                       << (kScreenHeight - outer.height) / 2;
}

// Every input method the users may have: the toolkit's default for the
// locale (XIM in zh_CN on X11), XIM asked for in another locale, GTK's own,
// IBus, and pinyin through fcitx5. The page is painted, and what is typed
// reaches the page and is drawn there.
struct InputMethod {
  const char* name;
  const char* lang;
  const char* module;  // GTK_IM_MODULE; empty: the locale's default
  const char* daemon;  // the input method's server, started first; empty: none
  bool pinyin;         // typed as pinyin (fcitx5)
};

void PrintTo(const InputMethod& method, std::ostream* out) { *out << method.name; }

class InputMethodTest : public ClientTest, public ::testing::WithParamInterface<InputMethod> {
 protected:
  InputMethodTest() { session_options_.lang = GetParam().lang; }

  // The input method's server on the session bus; fcitx5 with pinyin as
  // the second input method of its group (Ctrl+Space switches to it).
  void StartDaemon(const std::string& daemon) {
    if (daemon == "ibus-daemon") {
      daemon_ = session_->Start({"ibus-daemon", "--xim", "--panel=disable"});
      WaitForBusName("org.freedesktop.IBus");
      return;
    }
    const auto config = session_->Home() / ".config/fcitx5";
    std::filesystem::create_directories(config);
    std::ofstream(config / "profile") << "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=pinyin\n\n"
                                         "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                                         "[Groups/0/Items/1]\nName=pinyin\nLayout=\n\n"
                                         "[GroupOrder]\n0=Default\n";
    daemon_ = session_->Start({"fcitx5"});
    WaitForBusName("org.fcitx.Fcitx5");
  }

  void WaitForBusName(const std::string& name) {
    gui::WaitUntil(
        [&] {
          return gui::RunCommand({"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                  "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name},
                                 session_->Env())
                     .out.find("true") != std::string::npos;
        },
        gui::kDefaultTimeout, name + " on the session bus");
  }

  std::unique_ptr<gui::Process> daemon_;
};

TEST_P(InputMethodTest, ThePageIsPaintedAndTypingReachesIt) {
  const InputMethod& method = GetParam();
  const std::string daemon = method.daemon;
  if (!daemon.empty() &&
      gui::RunCommand({"sh", "-c", "command -v " + daemon}, session_->Env()).status != 0) {
    GTEST_SKIP() << daemon << " is not installed here (make test installs it)";
  }
  StartService();
  std::vector<std::string> argv{"env"};
  if (!daemon.empty()) {
    StartDaemon(daemon);
    argv.push_back(std::string("XMODIFIERS=@im=") + method.module);
  }
  if (*method.module != '\0') argv.push_back(std::string("GTK_IM_MODULE=") + method.module);
  argv.push_back(VARNOCK_CLIENT);
  StartClientWith(argv);
  const Window login = WaitForLoginWindow();
  const gui::Accessible heading = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name_contains = "用户登录"});
  const gui::Accessible label = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LABEL, .text = "用户名"});
  const gui::Accessible field = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
  WaitForExactRequest("GET", "/?fun=notice", "-");
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "平台公告"});

  // The page paints a moment after its objects appear: take pictures until
  // the label's glyphs are there (a window that is not painted is one flat
  // colour).
  gui::TempDir dir;
  const auto png = dir.path() / "login.png";
  const gui::Extents label_box = label.ScreenExtents();
  const gui::Rect label_rect{label_box.x, label_box.y, label_box.width, label_box.height};
  gui::WaitUntil(
      [&] {
        session_->Screenshot(png);
        return gui::ImageCheck(png).InkFraction(label_rect) > 0.02;
      },
      gui::kDefaultTimeout, "the label 用户名 to be painted");
  {
    const gui::ImageCheck image(png);
    const gui::Extents h = heading.ScreenExtents();
    const gui::Rect heading_rect{h.x, h.y, h.width, h.height};
    EXPECT_GT(image.InkFraction(heading_rect), 0.02);
    EXPECT_GT(image.DistinctColors(heading_rect), 8u) << "anti-aliased glyphs expected, not a flat box";
    EXPECT_GT(image.DistinctColors(label_rect), 8u);
    // The title bar, drawn by the window manager with the Chinese title.
    const gui::Geometry area = xdo_->WindowGeometry(login.xid);
    const auto frame = xdo_->FrameExtentsOf(login.xid);
    ASSERT_TRUE(frame.has_value());
    const gui::Rect title_bar{area.x + area.width / 4, area.y - frame->top, area.width / 2, frame->top};
    EXPECT_GT(image.InkFraction(title_bar), 0.02) << "no title text in the title bar";
  }

  // Typing: the field reads what was typed, and the page draws it (at the
  // start of the field, where nothing but the caret was before).
  const gui::Extents box = field.ScreenExtents();
  const gui::Rect start_of_field{box.x + 4, box.y + 4, 50, box.height - 8};
  std::string expected = "demo";
  if (method.pinyin) {
    gui::FocusByClick(*xdo_, field);
    xdo_->Key("ctrl+space");
    xdo_->Type("nihao");
    // The candidates show beside the text, below or above the field.
    const auto candidates = [&]() -> std::optional<gui::Geometry> {
      try {
        const std::string ids = xdo_->Run({"search", "--onlyvisible", "--class", "fcitx"});
        std::istringstream lines(ids);
        std::string id;
        while (std::getline(lines, id)) {
          const gui::Geometry g = xdo_->WindowGeometry(gui::ParseWindowId(id));
          if (g.width > 40 && g.height > 10) return g;
        }
      } catch (const gui::Error&) {
      }
      return std::nullopt;
    };
    gui::WaitUntil([&] { return candidates().has_value(); }, gui::kDefaultTimeout, "fcitx5's candidate window");
    const gui::Geometry list = *candidates();
    EXPECT_LT(std::abs(list.x - box.x), box.width) << "candidates far from the field horizontally";
    EXPECT_TRUE(list.y >= box.y - list.height - 40 && list.y <= box.y + box.height + 40)
        << "candidates at y " << list.y << ", the field at y " << box.y;
    xdo_->Key("space");
    expected = "你好";
    a11y_->WaitForText(field, expected);
  } else {
    gui::TypeInto(*xdo_, field, expected);
    a11y_->WaitForText(field, expected);
  }
  gui::WaitUntil(
      [&] {
        session_->Screenshot(png);
        return gui::ImageCheck(png).InkFraction(start_of_field) > 0.08;
      },
      gui::kDefaultTimeout, "the typed text to be drawn in the field");
  EXPECT_EQ(field.Text(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    WhereTheUsersLive, InputMethodTest,
    ::testing::Values(InputMethod{"ChineseDefault", "zh_CN.UTF-8", "", "", false},
                      InputMethod{"XimInCLocale", "C.UTF-8", "xim", "", false},
                      InputMethod{"GtkSimple", "zh_CN.UTF-8", "gtk-im-context-simple", "", false},
                      InputMethod{"IBus", "zh_CN.UTF-8", "ibus", "ibus-daemon", false},
                      InputMethod{"PinyinThroughFcitx", "zh_CN.UTF-8", "fcitx", "fcitx5", true}),
    [](const ::testing::TestParamInfo<InputMethod>& info) { return std::string(info.param.name); });

TEST_F(LoginTest, ClosingTheLoginWindowEndsTheProgram) {
  StartService();
  StartClient();
  const Window login = WaitForLoginWindow();
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
  xdo_->CloseWindow(login.xid);
  const auto status = WaitClientExit();
  ASSERT_TRUE(status.has_value()) << "still running after Alt+F4 on the login window";
  EXPECT_EQ(*status, 0) << gui::DescribeStatus(*status);
  EXPECT_TRUE(xdo_->FindWindows("^Varnock").empty());
}

TEST_F(LoginTest, ServiceDownShowsTheErrorPageThenReloadWorks) {
  EnsurePortFree();
  StartClient();
  const Window login = WaitForLoginWindow();
  const gui::Accessible heading = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "无法显示此页"});
  const gui::Accessible reload = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"});
  EXPECT_TRUE(heading.Showing());
  EXPECT_FALSE(HasWindow(kMainTitle)) << "the error page counted as a login";
  EXPECT_TRUE(Client().Running());

  StartService();
  gui::ClickCenter(*xdo_, reload);
  WaitForExactRequest("GET", "/?fun=login", "-");
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
  WaitForExactRequest("GET", "/?fun=notice", "-");
  EXPECT_FALSE(HasWindow(kMainTitle));

  // The reloaded page is a working login page.
  const std::size_t mark = Mark();
  const Window main = LogInAsDemo();
  WaitForDocument(main);
  EXPECT_EQ(Lines(Requests(), mark).front(), "POST /?fun=login sid=-");
}

// A stand-in for the service on the client's port, serving a login page
// with a link elsewhere; it can go away and come back.
class StandInService {
 public:
  void Start() {
    server_ = std::make_unique<httplib::Server>();
    server_->Get("/", [this](const httplib::Request& request, httplib::Response& response) {
      {
        std::lock_guard lock(mutex_);
        seen_.push_back(request.target);
      }
      if (request.target == "/?fun=login") {
        response.set_content(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>登录</title></head><body>"
            "<p><a href=\"/?ac=elsewhere\">别处</a></p></body></html>",
            "text/html; charset=utf-8");
      } else {
        response.set_content(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>别处</title></head><body>"
            "<h1>别处</h1></body></html>",
            "text/html; charset=utf-8");
      }
    });
    // As the demo service does: httplib's default SO_REUSEPORT alone would
    // leave TIME_WAIT sockets that keep the service from binding afterwards.
    server_->set_socket_options([](socket_t socket) {
      int yes = 1;
      setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // stop() waits for idle keep-alive connections to time out.
    server_->set_keep_alive_timeout(1);
    if (!server_->bind_to_port("127.0.0.1", kServicePort)) {
      server_.reset();
      throw gui::Error("the stand-in service could not listen on port 8010");
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() does nothing before the server runs.
    gui::WaitUntil([&] { return server_->is_running(); }, gui::kDefaultTimeout, "the stand-in service to run");
  }
  void Stop() {
    if (!server_) return;
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
  }
  ~StandInService() { Stop(); }
  std::vector<std::string> Seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> seen_;
};

TEST_F(LoginTest, AFailedLoadElsewhereIsNoLogin) {
  EnsurePortFree();
  StandInService service;
  service.Start();
  StartClient();
  const Window login = WaitForLoginWindow();
  const gui::Accessible link = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "别处"});
  EXPECT_FALSE(HasWindow(kMainTitle));

  // Gone before the link is followed: the error page stands at an address
  // that is not the login page, and must still not count.
  service.Stop();
  gui::ClickCenter(*xdo_, link);
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "无法显示此页"});
  const gui::Accessible reload = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "重新加载"});
  EXPECT_FALSE(HasWindow(kMainTitle)) << "the error page counted as a login";
  EXPECT_TRUE(login.node.Showing());

  // Back again: the real page at that address is a login, so the main
  // window opens on it and asks for it once more.
  service.Start();
  gui::ClickCenter(*xdo_, reload);
  const Window main = WaitForMainWindow();
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "别处"});
  WaitWindowGone(kLoginTitle);
  const std::vector<std::string> expected{"/?fun=login", "/?ac=elsewhere", "/?ac=elsewhere"};
  gui::WaitUntil([&] { return service.Seen().size() >= expected.size(); }, gui::kDefaultTimeout,
                 "the main window to ask for /?ac=elsewhere");
  EXPECT_EQ(service.Seen(), expected);
}

TEST_F(LoginTest, NothingIsWrittenUnderHomeNorIntoTheDesktopsSettings) {
  // Every write to the desktop's settings database goes to its service on
  // the session bus: watched from before the client starts.
  const auto watched = scratch_->path() / "settings-writes.log";
  gui::ProcessOptions options;
  options.env = session_->Env();
  gui::Process monitor({"sh", "-c", "exec dbus-monitor --session \"destination='ca.desrt.dconf'\" > '" +
                                        watched.string() + "'"},
                       options);
  gui::WaitUntil([&] { return std::filesystem::exists(watched) && std::filesystem::file_size(watched) > 0; },
                 gui::kDefaultTimeout, "dbus-monitor to start");

  const Window main = StartLoggedIn();
  const auto cache = PrivateCacheOf(Client());
  ASSERT_TRUE(cache.has_value()) << "the client's private cache directory was not found";
  EXPECT_FALSE(cache->string().starts_with(session_->Home().string()));
  const std::vector<MenuPath> commands{
      {"alt+m", {"短信管理(M)", "发送记录(H)"}, "h"},
      {"alt+c", {"客户管理(C)", "名片管理(C)"}, "c"},
      {"alt+u", {"账户管理(U)", "账户信息(U)"}, "u"},
  };
  for (const MenuPath& command : commands) {
    const std::size_t mark = Mark();
    ChooseMenuItem(main, command);
    WaitForRequest("GET /\\?\\S+ sid=" + RegexEscape(Sid()), mark);
  }
  // A download declined, then one saved (outside HOME); the save dialog
  // starts in the user's folder.
  const MenuPath export_command{"alt+c", {"客户管理(C)", "客户资料备份"}, "", 1};
  ChooseMenuItem(main, export_command);
  EXPECT_TRUE(DeclineAnySaveDialog());
  ChooseMenuItem(main, export_command);
  const Window dialog = WaitForWindow("保存文件");
  a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_TOGGLE_BUTTON,
                                         .name = session_->Home().filename().string()});
  gui::TempDir elsewhere("varnock-saved");
  const gui::Accessible name = a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_TEXT});
  gui::FocusByClick(*xdo_, name);
  xdo_->Key("ctrl+a");
  xdo_->Type((elsewhere.path() / "cards.csv").string());
  xdo_->KeyToWindow(dialog.xid, "Return");
  WaitWindowGone("保存文件");
  gui::WaitUntil([&] { return std::filesystem::exists(elsewhere.path() / "cards.csv"); }, gui::kDefaultTimeout,
                 "the download to be saved");
  // The About box, opened and closed.
  ChooseMenuItem(main, {"alt+s", {"系统(S)", "关于"}, "", 3});
  xdo_->KeyToWindow(WaitForWindow("关于 Varnock").xid, "Escape");
  WaitWindowGone("关于 Varnock");

  EXPECT_EQ(ExitThroughCloseBox(main), 0);

  // Nothing at all: no file, and no folder either.
  std::string written;
  for (const auto& path : session_->FilesUnderHome()) written += "  " + path.string() + "\n";
  EXPECT_TRUE(written.empty()) << "the client wrote under HOME:\n" << written;
  EXPECT_FALSE(std::filesystem::exists(*cache)) << "the run's private cache outlived it: " << *cache;
  monitor.Stop();
  std::ifstream log(watched);
  std::string line, calls;
  while (std::getline(log, line)) {
    if (line.find("method call") != std::string::npos) calls += "  " + line + "\n";
  }
  EXPECT_TRUE(calls.empty()) << "the client wrote into the desktop's settings:\n" << calls;
}

TEST_F(LoginTest, AKilledRunsCacheGoesAtTheNextStartAndARunningOnesStays) {
  StartService();
  gui::Process& killed = StartClient();
  WaitForLoginWindow();
  std::optional<std::filesystem::path> left;
  gui::WaitUntil([&] { return (left = PrivateCacheOf(killed)).has_value(); }, gui::kDefaultTimeout,
                 "the first run's cache");
  killed.Kill();
  ASSERT_TRUE(WaitClientExit().has_value());
  // (Left behind; the start of another test's client may clear it first.)

  // The next start clears what the killed run left.
  const auto start = [&] {
    gui::Environment extra;
    if (!gui::Environment::FromCurrentProcess().Get("ASAN_OPTIONS")) extra.Set("ASAN_OPTIONS", "detect_leaks=0");
    return session_->Start({VARNOCK_CLIENT}, extra);
  };
  const auto second = start();
  std::optional<std::filesystem::path> second_cache;
  gui::WaitUntil([&] { return (second_cache = PrivateCacheOf(*second)).has_value(); }, gui::kDefaultTimeout,
                 "the second run's cache");
  EXPECT_FALSE(std::filesystem::exists(*left)) << "the killed run's cache is still there: " << *left;

  // A third while the second runs: the second keeps its own.
  const auto third = start();
  gui::WaitUntil([&] { return PrivateCacheOf(*third).has_value(); }, gui::kDefaultTimeout, "the third run's cache");
  EXPECT_TRUE(std::filesystem::exists(*second_cache)) << "a running copy's cache was removed";
}

TEST_F(LoginTest, WithoutADisplayItSaysSoInOneLineAndLeavesNothing) {
  // A temporary folder of its own (other tests' clients come and go in the
  // shared one), listed once it has ended.
  const auto probe = gui::RunCommand({"unshare", "-m", "sh", "-c", "mount -t tmpfs none /tmp"},
                                     gui::Environment::FromCurrentProcess());
  if (probe.status != 0) GTEST_SKIP() << "no private mount namespace here: " << probe.err;
  // The program goes along: its build folder may be in /tmp too.
  const auto fresh = scratch_->path() / "tmp";
  std::filesystem::create_directories(fresh);
  std::filesystem::copy_file(VARNOCK_CLIENT, fresh / "client");
  StartClientWith({"unshare", "-m", "sh", "-c",
                   "mount --bind '" + fresh.string() +
                       "' /tmp && env -u DISPLAY -u WAYLAND_DISPLAY /tmp/client; echo \"status $?\"; "
                       "rm /tmp/client; ls -A /tmp"});
  ASSERT_TRUE(WaitClientExit().has_value()) << "still running without a display";
  std::istringstream out(Client().Stdout());
  std::string word;
  int status = -1;
  out >> word >> status;
  EXPECT_EQ(word, "status");
  EXPECT_NE(status, 0);
  std::string left;
  for (std::string name; out >> name;) left += " " + name;
  EXPECT_TRUE(left.empty()) << "left in the temporary folder:" << left;
  std::string said = Client().Stderr();
  while (!said.empty() && said.back() == '\n') said.pop_back();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 0) << said;
  EXPECT_NE(said.find("显示"), std::string::npos) << said;
}

}  // namespace
}  // namespace varnock_gui
