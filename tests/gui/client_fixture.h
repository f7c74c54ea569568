// Shared set-up for the client's GUI tests: a private desktop, the demo
// service on the client's fixed port with its request log, and the client
// itself, driven through real keys and read through accessibility.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "harness/harness.h"

namespace varnock_gui {

using namespace std::chrono_literals;

// The client always talks to this port; nothing else may use it during a test.
inline constexpr std::uint16_t kServicePort = 8010;
inline const std::string kBaseAddress = "http://localhost:8010/";
inline const std::string kLoginKey = "?fun=login";
inline const std::string kLoginTitle = "Varnock客户系统 - 登录";
inline const std::string kMainTitle = "Varnock客户系统";
inline const std::string kMessageBoxTitle = "Varnock";
inline const std::string kDemoUser = "demo";
inline const std::string kDemoPassword = "demo123";

// The caption of a window a page opened: it says it is a page, and where
// from, so that no page passes for a window of the client's.
inline std::string PopUpCaption(const std::string& page_title, const std::string& host = "localhost") {
  return "网页 - " + page_title + " (" + host + ")";
}

// One line of the demo service's request log: "METHOD TARGET sid=SID".
struct Request {
  std::string method;
  std::string target;
  std::string sid;  // "-" without a session
  std::string line;
  std::size_t index = 0;  // position in the log
};

std::vector<Request> ReadRequestLog(const std::filesystem::path& log);

// The regex source that matches `text` literally.
std::string RegexEscape(const std::string& text);

// A window as both views see it: AT-SPI for reading, the X id for keys.
struct Window {
  gui::Accessible node;
  gui::WindowId xid = 0;
};

// How a menu item is reached from the keyboard.
struct MenuPath {
  std::string menu_key;             // opens the drop-down menu: "alt+m"
  std::vector<std::string> item;    // captions as read out: {"短信管理(M)", "名片发送(S)"}
  std::string letter;               // the item's access key; empty: reached by arrows
  int downs = 0;                    // arrows down from the first item (separators are skipped)
};

// The outer rectangle of a framed window (frame included).
struct OuterRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The demo service on kServicePort, with its request log.
  void StartService();
  // Fails the test (throws) when something already listens on kServicePort.
  static void EnsurePortFree();
  std::vector<Request> Requests() const { return ReadRequestLog(request_log_); }
  // How many requests arrived so far: pass it as `from` to look only at later ones.
  std::size_t Mark() const { return Requests().size(); }
  // The first request at index >= from whose whole line matches `line_regex`.
  Request WaitForRequest(const std::string& line_regex, std::size_t from = 0,
                         std::chrono::milliseconds timeout = gui::kDefaultTimeout) const;
  // Exactly this request, at index >= from.
  Request WaitForExactRequest(const std::string& method, const std::string& target, const std::string& sid,
                              std::size_t from = 0) const;
  // The log lines from index `from` on, for messages.
  std::string LogFrom(std::size_t from) const;

  // The client in the session; StartClientWith runs it through a wrapper
  // command line that ends up executing it (same process).
  gui::Process& StartClient();
  gui::Process& StartClientWith(const std::vector<std::string>& argv);
  gui::Process& Client() { return *client_; }
  // Waits for the client to end; nullopt when it is still running.
  std::optional<int> WaitClientExit(std::chrono::milliseconds timeout = gui::kDefaultTimeout);

  Window WaitForWindow(const std::string& title) const;
  Window WaitForLoginWindow() const { return WaitForWindow(kLoginTitle); }
  Window WaitForMainWindow() const { return WaitForWindow(kMainTitle); }
  // Whether the client shows a window with this exact title (AT-SPI or X).
  bool HasWindow(const std::string& title) const;
  void WaitWindowGone(const std::string& title) const;

  // The web page shown in a window (WebKit's document), once loaded.
  gui::Accessible WaitForDocument(const Window& window) const;
  // Something in the window's page (web content included).
  gui::Accessible WaitInPage(const Window& window, const gui::Query& query) const;

  // The title of the page a window shows ("" while it has none or while it
  // is being replaced), and a wait
  // for a page with this exact title.
  std::string PageTitle(const Window& window) const;
  void WaitForPageTitle(const Window& window, const std::string& title,
                        std::chrono::milliseconds timeout = gui::kDefaultTimeout) const;

  // A message box of the client read out as the toolkit's message dialogs
  // are: role alert, its message a label of its own.
  void ExpectMessageBox(const Window& box, const std::string& message) const;
  // A screen reader, after the window became active, speaks `target`: the
  // focus event it goes by came after the page had loaded.
  void ExpectFocusAnnounced(const gui::FocusEvents& events, const Window& window,
                            const gui::Accessible& target) const;

  // Types into the login page's fields as a user would and submits with Enter.
  void LogIn(const std::string& user, const std::string& password);
  // Starts service and client, logs in as the demo account, waits for the
  // main window on the home page; returns the main window and sets Sid().
  Window StartLoggedIn();
  // Logs in as the demo account in the login window already showing and
  // waits for the main window; returns it and updates Sid().
  Window LogInAsDemo();
  const std::string& Sid() const { return sid_; }

  // Opens a drop-down menu of the main window with its access key (e.g.
  // "alt+m") and waits until its items show.
  void OpenMenu(const Window& main, const MenuPath& path) const;
  // Opens the menu and runs the item as a user at the keyboard would: its
  // access key letter, or arrows down and Enter.
  void ChooseMenuItem(const Window& main, const MenuPath& path) const;

  // Closes the main window as a user would (its close box, then 确定 on the
  // exit question with Enter) and returns the exit status; throws when the
  // program does not end.
  int ExitThroughCloseBox(const Window& main);

  // Clicks into the page's top left margin (never a link or a field) so that
  // the keys that follow go to the page, as a user does before pressing F5.
  void FocusPage(const Window& window) const;
  // Types `text` into the field that has the keyboard focus, replacing what
  // it holds, and waits until the field reads exactly that. xdotool now and
  // then drops a character it has to map to a spare key (any Chinese one):
  // a field that ends up reading something else is typed into again.
  void TypeIntoFocused(const gui::Accessible& field, const std::string& text) const;
  // The client's web processes (WebKit's), in order: a page ended or
  // crashed comes back in a new one.
  std::vector<pid_t> WebProcesses() const;
  // The client's showing top-level windows, as AT-SPI sees them.
  std::vector<gui::WindowInfo> ClientWindows() const;
  // The Cookie header of the logged-in web session: fetches with it get what
  // the client gets.
  std::string SessionCookie() const;

  // After a download was asked for: the client may ask where to save it;
  // such a dialog is declined with Escape. Returns whether there was one.
  bool DeclineAnySaveDialog();

  OuterRect OuterRectOf(const Window& window) const;

  // Makes a program named `name` the session's handler of `scheme` links, as
  // a desktop records one (a .desktop file and mimeapps.list). The program
  // is a test double: a script that appends each address it is given to the
  // file returned. Call before the client starts.
  std::filesystem::path InstallSchemeHandler(const std::string& scheme, const std::string& name);

  // Everything the client printed, for failure messages.
  std::string ClientOutput() const;
  std::string DescribeDesktop() const;

  // The desktop SetUp brings up; a test may change it in its constructor.
  gui::SessionOptions session_options_;
  std::unique_ptr<gui::Session> session_;
  std::unique_ptr<gui::A11y> a11y_;
  std::unique_ptr<gui::Xdo> xdo_;
  std::unique_ptr<gui::TempDir> scratch_;
  std::filesystem::path request_log_;
  std::unique_ptr<gui::Process> service_;
  std::unique_ptr<gui::Process> client_;
  std::string sid_;
};

}  // namespace varnock_gui
