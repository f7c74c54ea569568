#include "client_fixture.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>

#include "service/cookies.hpp"

namespace varnock_gui {

std::vector<Request> ReadRequestLog(const std::filesystem::path& log) {
  std::vector<Request> out;
  std::ifstream in(log, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    // A line still being written has no newline yet; the next read gets it whole.
    if (in.eof()) break;
    Request r;
    r.line = line;
    r.index = out.size();
    std::istringstream words(line);
    std::string sid_word;
    words >> r.method >> r.target >> sid_word;
    if (sid_word.rfind("sid=", 0) == 0) r.sid = sid_word.substr(4);
    out.push_back(std::move(r));
  }
  return out;
}

std::string RegexEscape(const std::string& text) {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  return std::regex_replace(text, special, R"(\$&)");
}

namespace {

// The client's port is fixed. Each test has a network of its own where the
// system allows one (as root); elsewhere the tests take turns with it.
void OwnTheServicePort() {
  if (gui::UsePrivateNetwork()) return;
  static const int lock = [] {
    const int fd = ::open("/tmp/varnock-gui-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) ::flock(fd, LOCK_EX);  // held until the test process ends
    return fd;
  }();
  (void)lock;
}

}  // namespace

void ClientTest::SetUp() {
  OwnTheServicePort();
  session_ = std::make_unique<gui::Session>(session_options_);
  a11y_ = std::make_unique<gui::A11y>(*session_);
  xdo_ = std::make_unique<gui::Xdo>(*session_);
  // Outside HOME, so that whatever lands in HOME was written by the client.
  scratch_ = std::make_unique<gui::TempDir>("varnock-gui");
  request_log_ = scratch_->path() / "requests.log";
}

void ClientTest::TearDown() {
  if (HasFailure()) {
    std::cerr << "---- request log ----\n" << LogFrom(0);
    if (client_) std::cerr << "---- client output ----\n" << ClientOutput();
    if (service_) std::cerr << "---- service stderr ----\n" << service_->Stderr() << "\n";
    std::cerr << "---- desktop ----\n" << DescribeDesktop();
    // A picture of the screen next to the test binary's working directory.
    try {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      const auto png = std::filesystem::current_path() / "gui-failures" /
                       (std::string(info->test_suite_name()) + "." + info->name() + ".png");
      session_->Screenshot(png);
      std::cerr << "screenshot: " << png << "\n";
    } catch (const std::exception& e) {
      std::cerr << "no screenshot: " << e.what() << "\n";
    }
  }
  client_.reset();
  service_.reset();
  xdo_.reset();
  a11y_.reset();
  session_.reset();
  scratch_.reset();
}

void ClientTest::EnsurePortFree() {
  if (gui::PortOpen("127.0.0.1", kServicePort) || gui::PortOpen("::1", kServicePort)) {
    throw gui::Error("port " + std::to_string(kServicePort) +
                     " is already in use by another program; the client only talks to this port, so the GUI "
                     "tests cannot run until it is free");
  }
}

void ClientTest::StartService() {
  EnsurePortFree();
  // HOME of its own: the service's files must not be mistaken for the client's.
  const auto service_home = scratch_->path() / "service-home";
  std::filesystem::create_directories(service_home);
  gui::ProcessOptions options;
  options.env = session_->Env();
  options.env.Set("HOME", service_home.string());
  service_ = std::make_unique<gui::Process>(
      std::vector<std::string>{VARNOCK_DEMO_SERVICE, "--port", std::to_string(kServicePort), "--request-log",
                               request_log_.string()},
      options);
  gui::WaitUntil(
      [&] {
        if (!service_->Running()) {
          throw std::runtime_error("the demo service ended (" + gui::DescribeStatus(*service_->ExitStatus()) +
                                   "): " + service_->Stderr());
        }
        return !service_->Stdout().empty() && gui::PortOpen("127.0.0.1", kServicePort);
      },
      gui::kDefaultTimeout, "the demo service to listen on port 8010",
      [&] { return "stdout: " + service_->Stdout() + "\nstderr: " + service_->Stderr(); });
}

Request ClientTest::WaitForRequest(const std::string& line_regex, std::size_t from,
                                   std::chrono::milliseconds timeout) const {
  const std::regex pattern(line_regex);
  Request found;
  gui::WaitUntil(
      [&] {
        const auto requests = Requests();
        for (std::size_t i = from; i < requests.size(); ++i) {
          if (std::regex_match(requests[i].line, pattern)) {
            found = requests[i];
            return true;
          }
        }
        return false;
      },
      timeout, "a request matching /" + line_regex + "/ in the service's log",
      [&] { return "log from line " + std::to_string(from) + ":\n" + LogFrom(from); });
  return found;
}

Request ClientTest::WaitForExactRequest(const std::string& method, const std::string& target,
                                        const std::string& sid, std::size_t from) const {
  return WaitForRequest(RegexEscape(method + " " + target + " sid=" + sid), from);
}

std::string ClientTest::LogFrom(std::size_t from) const {
  std::string out;
  const auto requests = Requests();
  for (std::size_t i = from; i < requests.size(); ++i) out += "  " + requests[i].line + "\n";
  return out;
}

gui::Process& ClientTest::StartClient() { return StartClientWith({VARNOCK_CLIENT}); }

gui::Process& ClientTest::StartClientWith(const std::vector<std::string>& argv) {
  // The session hands the test's ASAN_OPTIONS, LSAN_OPTIONS and UBSAN_OPTIONS
  // on to the client (make test-asan sets them, with the suppressions for the
  // system libraries). Without them, a sanitizer build would fail on GTK's
  // caches at exit: the exit status is under test.
  gui::Environment extra;
  if (!gui::Environment::FromCurrentProcess().Get("ASAN_OPTIONS")) extra.Set("ASAN_OPTIONS", "detect_leaks=0");
  client_ = session_->Start(argv, extra);
  return *client_;
}

std::optional<int> ClientTest::WaitClientExit(std::chrono::milliseconds timeout) {
  return client_->WaitExit(timeout);
}

Window ClientTest::WaitForWindow(const std::string& title) const {
  Window w;
  w.node = a11y_->WaitForWindow(title, gui::kDefaultTimeout, client_->pid());
  // AT-SPI reports it before openbox maps it; keys need the mapped window.
  w.xid = xdo_->WaitForWindow(title);
  return w;
}

bool ClientTest::HasWindow(const std::string& title) const {
  return a11y_->FindWindow(title, client_->pid()).has_value() || !xdo_->FindWindowsByTitle(title).empty();
}

void ClientTest::WaitWindowGone(const std::string& title) const {
  a11y_->WaitWindowGone(title, gui::kDefaultTimeout, client_->pid());
  gui::WaitUntil([&] { return xdo_->FindWindowsByTitle(title).empty(); }, gui::kDefaultTimeout,
                 "the X window \"" + title + "\" to go");
}

gui::Accessible ClientTest::WaitForDocument(const Window& window) const {
  return a11y_->WaitFor(window.node, gui::Query{.role = ATSPI_ROLE_DOCUMENT_WEB});
}

gui::Accessible ClientTest::WaitInPage(const Window& window, const gui::Query& query) const {
  return a11y_->WaitFor(window.node, query);
}

std::string ClientTest::PageTitle(const Window& window) const {
  try {
    const auto document = a11y_->Find(window.node, gui::Query{.role = ATSPI_ROLE_DOCUMENT_WEB});
    return document ? document->Name() : std::string();
  } catch (const gui::Error&) {
    return {};  // the document went while being read: a new one is on its way
  }
}

void ClientTest::WaitForPageTitle(const Window& window, const std::string& title,
                                  std::chrono::milliseconds timeout) const {
  gui::WaitUntil([&] { return PageTitle(window) == title; }, timeout, "the page \"" + title + "\"",
                 [&] { return "the window shows \"" + PageTitle(window) + "\""; });
}

void ClientTest::ExpectMessageBox(const Window& box, const std::string& message) const {
  EXPECT_EQ(box.node.RoleName(), "alert") << "\"" << message << "\" is not read out as a message box";
  a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name = message});
}

void ClientTest::ExpectFocusAnnounced(const gui::FocusEvents& events, const Window& window,
                                      const gui::Accessible& target) const {
  const bool announced = gui::PollUntil(
      [&] {
        const auto last = events.Announced(window.node);
        return last && last->Is(target);
      },
      gui::kDefaultTimeout);
  if (announced) return;
  std::string seen;
  for (const auto& e : events.Events()) {
    seen += std::string(e.kind == gui::FocusEvents::Kind::kFocused          ? "  focused "
                        : e.kind == gui::FocusEvents::Kind::kDocumentLoaded ? "  loaded "
                                                                            : "  activated ") +
            e.bus + e.path + "\n";
  }
  ADD_FAILURE() << "no focus on " << target.Describe() << " announced after " << window.node.Name()
                << " became active; events:\n" << seen;
}

void ClientTest::LogIn(const std::string& user, const std::string& password) {
  const Window login = WaitForLoginWindow();
  const gui::Accessible user_field = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
  const gui::Accessible password_field =
      WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PASSWORD_TEXT, .name = "密码"});
  gui::TypeInto(*xdo_, user_field, user);
  a11y_->WaitForText(user_field, user);
  gui::TypeInto(*xdo_, password_field, password);
  // The field shows bullets: wait for as many as were typed.
  gui::WaitUntil([&] { return g_utf8_strlen(password_field.Text().c_str(), -1) ==
                              g_utf8_strlen(password.c_str(), -1); },
                 gui::kDefaultTimeout, "the password to be typed");
  xdo_->Key("Return");
}

Window ClientTest::LogInAsDemo() {
  const std::size_t mark = Mark();
  LogIn(kDemoUser, kDemoPassword);
  const Request home = WaitForRequest(R"(GET /\?ac=home sid=\S+)", mark);
  EXPECT_NE(home.sid, "-") << "the landed page was requested without a session";
  sid_ = home.sid;
  return WaitForMainWindow();
}

Window ClientTest::StartLoggedIn() {
  StartService();
  StartClient();
  WaitForLoginWindow();
  const Window main = LogInAsDemo();
  WaitForDocument(main);
  return main;
}

void ClientTest::OpenMenu(const Window& main, const MenuPath& path) const {
  // Any item of the menu: all of them show once it is open.
  const gui::Accessible item = a11y_->MenuItem(main.node, path.item);
  xdo_->KeyToWindow(main.xid, path.menu_key);
  gui::WaitUntil([&] { return item.Showing(); }, gui::kDefaultTimeout,
                 "the menu " + path.item.front() + " to open with " + path.menu_key,
                 [&] { return a11y_->Dump(main.node); });
}

void ClientTest::ChooseMenuItem(const Window& main, const MenuPath& path) const {
  OpenMenu(main, path);
  if (!path.letter.empty()) {
    xdo_->Key(path.letter);
    return;
  }
  const gui::Accessible target = a11y_->MenuItem(main.node, path.item);
  std::string keys;
  for (int i = 0; i < path.downs; ++i) keys += (keys.empty() ? "" : " ") + std::string("Down");
  if (!keys.empty()) xdo_->Key(keys);
  // Enter only once the arrows have landed on the item meant.
  gui::WaitUntil([&] { return target.Has(ATSPI_STATE_SELECTED); }, gui::kDefaultTimeout,
                 std::to_string(path.downs) + " arrows down to select " + path.item.back(),
                 [&] { return a11y_->Dump(main.node); });
  xdo_->Key("Return");
}

int ClientTest::ExitThroughCloseBox(const Window& main) {
  xdo_->CloseWindow(main.xid);
  const Window box = WaitForWindow(kMessageBoxTitle);
  a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name = "确定要退出吗？"});
  xdo_->KeyToWindow(box.xid, "Return");
  const auto status = WaitClientExit();
  if (!status) throw gui::Error("the client still runs after 确定 on the exit question");
  return *status;
}

void ClientTest::FocusPage(const Window& window) const {
  const gui::Extents page = WaitForDocument(window).ScreenExtents();
  // WebKit takes the keyboard focus on the button press, before the keys
  // that follow arrive: they come through the same X connection after it.
  xdo_->Click(page.x + 3, page.y + 3);
}

void ClientTest::TypeIntoFocused(const gui::Accessible& field, const std::string& text) const {
  constexpr int kAttempts = 3;
  for (int attempt = 1; attempt < kAttempts; ++attempt) {
    xdo_->Key("ctrl+a");
    xdo_->Type(text);
    if (gui::PollUntil([&] { return field.Text() == text; }, 3s)) return;
  }
  xdo_->Key("ctrl+a");
  xdo_->Type(text);
  a11y_->WaitForText(field, text);
}

std::vector<pid_t> ClientTest::WebProcesses() const {
  std::vector<pid_t> found;
  for (const pid_t pid : client_->Descendants()) {
    if (gui::CommandLineOf(pid).find("WebKitWebProcess") != std::string::npos) found.push_back(pid);
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<gui::WindowInfo> ClientTest::ClientWindows() const {
  std::vector<gui::WindowInfo> showing;
  const auto app = a11y_->FindApplication(client_->pid());
  if (!app) return showing;
  for (auto& window : a11y_->Windows(*app)) {
    if (window.showing) showing.push_back(std::move(window));
  }
  return showing;
}

std::string ClientTest::SessionCookie() const {
  return std::string(varnock::demo::session_cookie_name) + "=" + sid_;
}

bool ClientTest::DeclineAnySaveDialog() {
  const std::string title = "保存文件";
  // Either the dialog comes, or the download lands somewhere without one.
  const auto saved_without_asking = [&] {
    for (const auto& path : session_->FilesUnderHome()) {
      if (path.extension() == ".csv") return true;
    }
    return false;
  };
  gui::PollUntil([&] { return HasWindow(title) || saved_without_asking(); }, 5s);
  if (!HasWindow(title)) return false;
  xdo_->KeyToWindow(xdo_->WaitForWindow(title), "Escape");
  WaitWindowGone(title);
  return true;
}

std::filesystem::path ClientTest::InstallSchemeHandler(const std::string& scheme, const std::string& name) {
  namespace fs = std::filesystem;
  const gui::Environment env = session_->Env();
  const fs::path applications = fs::path(*env.Get("XDG_DATA_HOME")) / "applications";
  const fs::path config = *env.Get("XDG_CONFIG_HOME");
  const fs::path opened = scratch_->path() / ("opened-" + scheme + ".txt");
  const fs::path script = scratch_->path() / ("open-" + scheme + ".sh");
  std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << opened.string() << "'\n";
  fs::permissions(script, fs::perms::owner_all);
  const std::string id = "test-" + scheme + "-handler.desktop";
  fs::create_directories(applications);
  std::ofstream(applications / id) << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << script.string()
                                   << " %u\nMimeType=x-scheme-handler/" << scheme << ";\nNoDisplay=true\n";
  fs::create_directories(config);
  std::ofstream(config / "mimeapps.list") << "[Default Applications]\nx-scheme-handler/" << scheme << "=" << id << "\n";
  return opened;
}

OuterRect ClientTest::OuterRectOf(const Window& window) const {
  const gui::Geometry client = xdo_->WindowGeometry(window.xid);
  const auto frame = xdo_->FrameExtentsOf(window.xid);
  if (!frame) throw gui::Error("the window manager has not framed the window");
  return OuterRect{client.x - frame->left, client.y - frame->top, client.width + frame->left + frame->right,
                   client.height + frame->top + frame->bottom};
}

std::string ClientTest::DescribeDesktop() const {
  // What a person would look at when a key seemed to do nothing: where the
  // focus is, which of the client's windows are mapped, and what the
  // client's main thread is doing.
  std::ostringstream out;
  const gui::Environment env = session_->Env();
  const auto line = [&](const std::vector<std::string>& argv) {
    const auto result = gui::RunCommand(argv, env);
    std::string text = result.out.empty() ? result.err : result.out;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.empty() ? "(" + gui::DescribeStatus(result.status) + ")" : text;
  };
  out << "active window: " << line({"xdotool", "getactivewindow", "getwindowname"}) << "\n";
  out << "input focus: window " << line({"xdotool", "getwindowfocus", "-f"}) << "\n";
  if (!client_ || !client_->Running()) {
    out << "client: not running\n";
    return out.str();
  }
  const std::string pid = std::to_string(client_->pid());
  std::istringstream ids(gui::RunCommand({"xdotool", "search", "--pid", pid}, env).out);
  for (std::string id; std::getline(ids, id);) {
    const auto info = gui::RunCommand({"xwininfo", "-id", id}, env).out;
    const auto map = info.find("Map State: ");
    const auto title = line({"xdotool", "getwindowname", id});
    out << "window " << id << " \"" << title << "\" "
        << (map == std::string::npos ? "?" : info.substr(map + 11, info.find('\n', map) - map - 11)) << "\n";
  }
  const auto stack = gui::RunCommand({"gdb", "-p", pid, "-batch", "-nx", "-ex", "thread 1", "-ex", "bt 30"},
                                     env, std::chrono::milliseconds(60000));
  out << "main thread:\n" << (stack.out.empty() ? stack.err : stack.out);
  return out.str();
}

std::string ClientTest::ClientOutput() const {
  if (!client_) return {};
  return "stdout:\n" + client_->Stdout() + "\nstderr:\n" + client_->Stderr() + "\n";
}

}  // namespace varnock_gui
