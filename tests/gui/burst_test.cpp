// A thousand page commands as fast as the keyboard sends them: the client
// keeps up, ends on the last command's page, and still answers its menu.
#include <chrono>
#include <iostream>
#include <sstream>

#include "client_fixture.h"

namespace varnock_gui {
namespace {

constexpr int kCommands = 1000;
// Chords per xdotool run: one command line each, short enough for any system.
constexpr int kCommandsPerRun = 100;

struct Command {
  std::string menu_key;  // opens the drop-down menu
  std::string letter;    // the item's access key
  std::string target;
  std::string name;  // the page's heading and the start of its title
};

// Taken in turn: every menu, several items of the busiest one.
const std::vector<Command> kOrder{
    {"alt+m", "s", "/?ac=send", "名片发送"},      {"alt+c", "c", "/?ac=card", "名片管理"},
    {"alt+m", "h", "/?ac=history", "发送记录"},   {"alt+u", "u", "/?info", "账户信息"},
    {"alt+m", "t", "/?ac=time", "定时短信"},      {"alt+s", "s", "/?ac=setting", "系统设置"},
    {"alt+m", "i", "/?ac=sends&fun=import", "导入发送"},
};

std::string DemoTitle(const std::string& name) { return name + " - Varnock短信平台"; }

using BurstTest = ClientTest;

TEST_F(BurstTest, ThousandPageCommandsAtKeyboardSpeed) {
  const Window main = StartLoggedIn();
  WaitForPageTitle(main, DemoTitle("工作台"));
  const std::size_t mark = Mark();

  xdo_->ActivateWindow(main.xid);
  gui::WaitUntil([&] { return xdo_->ActiveWindow() == main.xid; }, gui::kDefaultTimeout, "the main window to be active");
  const auto started = std::chrono::steady_clock::now();
  for (int first = 0; first < kCommands; first += kCommandsPerRun) {
    std::vector<std::string> argv{"xdotool", "key", "--delay", "0"};
    for (int i = first; i < std::min(kCommands, first + kCommandsPerRun); ++i) {
      const Command& c = kOrder[i % kOrder.size()];
      argv.push_back(c.menu_key);
      argv.push_back(c.letter);
    }
    const gui::CommandResult result = gui::RunCommand(argv, session_->Env(), 60s);
    ASSERT_EQ(result.status, 0) << result.err;
  }
  const double typing_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const Command& last = kOrder[(kCommands - 1) % kOrder.size()];

  // Once the client has worked through the keys: the last command's page,
  // the last request, and nothing more coming.
  const auto settled = [&] {
    const auto requests = Requests();
    return requests.size() > mark && requests.back().target == last.target &&
           PageTitle(main) == DemoTitle(last.name);
  };
  gui::WaitUntil(settled, 120s, "the last command's page " + last.target, [&] {
    return "last request: " + Requests().back().line + ", page shown: " + PageTitle(main);
  });
  // Quiet for a while: no key still queued somewhere turns into a command.
  std::size_t seen = Mark();
  auto quiet_since = std::chrono::steady_clock::now();
  gui::WaitUntil(
      [&] {
        const std::size_t now = Mark();
        if (now != seen) {
          seen = now;
          quiet_since = std::chrono::steady_clock::now();
        }
        return std::chrono::steady_clock::now() - quiet_since > 3s;
      },
      120s, "the requests to stop coming");
  const auto requests = Requests();
  std::size_t pages = 0;
  for (std::size_t i = mark; i < requests.size(); ++i) pages += requests[i].sid == Sid();
  std::cout << kCommands << " commands typed in " << typing_seconds << " s; " << requests.size() - mark
            << " requests reached the service (" << pages << " in the session); last: " << requests.back().line
            << "; page shown: " << PageTitle(main) << "\n";

  EXPECT_EQ(requests.back().line, "GET " + last.target + " sid=" + Sid());
  EXPECT_EQ(PageTitle(main), DemoTitle(last.name));
  WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = last.name});
  for (std::size_t i = mark; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].sid, Sid()) << "a request outside the session: " << requests[i].line;
  }
  EXPECT_FALSE(HasWindow(kLoginTitle));
  // No menu left open.
  for (const gui::MenuNode& menu : a11y_->MenuItems(main.node)) {
    for (const gui::MenuNode& item : menu.children) EXPECT_FALSE(item.showing) << menu.caption << " is open";
  }

  // Still answering: one more command, at a person's pace.
  const std::size_t before = Mark();
  ChooseMenuItem(main, {"alt+c", {"客户管理(C)", "名片管理(C)"}, "c"});
  WaitForExactRequest("GET", "/?ac=card", Sid(), before);
  WaitForPageTitle(main, DemoTitle("名片管理"));
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

}  // namespace
}  // namespace varnock_gui
