// The client over many logins: log in, open a page, log out in the page,
// round and round against the demo service. Its memory must settle, and it
// must leave no window or web view behind.
//
//   gui_soak_tests               20 cycles (make test)
//   gui_soak_tests --cycles=200  (make soak)
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "client_fixture.h"

namespace varnock_gui {
namespace {

int cycles = 20;
// Cycles before the memory is compared: the first logins fill caches that are
// then reused (fonts, the web process's pools, GLib's type data).
constexpr int kWarmUpCycles = 3;
constexpr long kAllowedGrowthKiB = 5 * 1024;

// "VmRSS:   123456 kB" from /proc/PID/status.
long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  throw gui::Error("no VmRSS for process " + std::to_string(pid));
}

std::string Mib(long kib) {
  std::ostringstream out;
  out << std::fixed << std::setprecision(1) << kib / 1024.0 << " MiB";
  return out.str();
}

// Page commands taken in turn, all plain pages (no download).
struct Command {
  MenuPath path;
  std::string target;
  std::string name;  // the page's heading and the start of its title
};
const std::vector<Command> kCommands{
    {{"alt+m", {"短信管理(M)", "发送记录(H)"}, "h"}, "/?ac=history", "发送记录"},
    {{"alt+c", {"客户管理(C)", "名片管理(C)"}, "c"}, "/?ac=card", "名片管理"},
    {{"alt+u", {"账户管理(U)", "账户信息(U)"}, "u"}, "/?info", "账户信息"},
    {{"alt+s", {"系统(S)", "系统设置(S)"}, "s"}, "/?ac=setting", "系统设置"},
    {{"alt+m", {"短信管理(M)", "定时短信(T)"}, "t"}, "/?ac=time", "定时短信"},
};

std::string DemoTitle(const std::string& name) { return name + " - Varnock短信平台"; }

class SoakTest : public ClientTest {
 protected:
  // The login window as the user finds it: the form and the notice frame
  // loaded, the main window gone.
  Window WaitForFreshLogin(std::size_t from) {
    const Request fresh = WaitForExactRequest("GET", "/?fun=login", "-", from);
    const Window login = WaitForLoginWindow();
    WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
    WaitForExactRequest("GET", "/?fun=notice", "-", fresh.index + 1);
    WaitInPage(login, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "平台公告"});
    WaitWindowGone(kMainTitle);
    return login;
  }

  // Titles of the client's toplevels as AT-SPI lists them, shown or not.
  std::vector<std::string> AccessibleWindows() const {
    std::vector<std::string> out;
    const auto app = a11y_->FindApplication(client_->pid());
    if (!app) throw gui::Error("the client is not on the accessibility bus");
    for (const gui::WindowInfo& w : a11y_->Windows(*app)) {
      out.push_back(w.title + " (" + w.role_name + (w.showing ? ", showing" : ", hidden") + ")");
    }
    return out;
  }

  // The client's X windows that carry its process id, mapped or not.
  std::vector<std::string> XWindows() const {
    std::vector<std::string> out;
    const auto found = gui::RunCommand({"xdotool", "search", "--pid", std::to_string(client_->pid())}, session_->Env());
    std::istringstream ids(found.out);
    for (std::string id; ids >> id;) {
      const gui::WindowId xid = gui::ParseWindowId(id);
      std::string title;
      try {
        title = xdo_->WindowTitle(xid);
      } catch (const gui::Error&) {
      }
      out.push_back(id + " \"" + title + "\"");
    }
    return out;
  }
};

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const auto& item : items) out += "    " + item + "\n";
  return out;
}

TEST_F(SoakTest, LogInOpenAPageLogOut) {
  ASSERT_GE(cycles, kWarmUpCycles + 2) << "--cycles must exceed the warm-up of " << kWarmUpCycles << " by two or more";
  StartService();
  StartClient();
  const pid_t pid = Client().pid();
  WaitForFreshLogin(0);
  const std::vector<std::string> windows_at_start = AccessibleWindows();
  const std::vector<std::string> x_windows_at_start = XWindows();
  std::cout << "at start, " << Mib(ResidentKiB(pid)) << "; windows:\n"
            << Join(windows_at_start) << "  X windows:\n"
            << Join(x_windows_at_start);

  std::vector<long> rss;  // after each cycle, back at the login window
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    const Command& command = kCommands[(cycle - 1) % kCommands.size()];

    const std::size_t start = Mark();
    const Window main = LogInAsDemo();
    WaitForPageTitle(main, DemoTitle("工作台"));
    WaitWindowGone(kLoginTitle);

    std::size_t mark = Mark();
    ChooseMenuItem(main, command.path);
    WaitForExactRequest("GET", command.target, Sid(), mark);
    WaitForPageTitle(main, DemoTitle(command.name));

    mark = Mark();
    gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"}));
    const Request logout = WaitForExactRequest("GET", "/?fun=logout", Sid(), mark);
    // The main window's own landing on the login page, then the fresh login window's.
    const Request landed = WaitForRequest(R"(GET /\?fun=login sid=\S+)", logout.index + 1);
    WaitForFreshLogin(landed.index + 1);
    ASSERT_TRUE(Client().Running()) << ClientOutput();

    rss.push_back(ResidentKiB(pid));
    if (cycle == kWarmUpCycles) {
      for (pid_t web : WebProcesses()) std::cout << "web process after warm-up: " << Mib(ResidentKiB(web)) << "\n";
    }
    std::cout << "cycle " << std::setw(3) << cycle << ": " << Mib(rss.back()) << ", "
              << Requests().size() - start << " requests\n"
              << std::flush;
    if (HasFailure()) break;
  }
  ASSERT_EQ(rss.size(), static_cast<std::size_t>(cycles));

  // Every logout ended on the login page.
  const auto requests = Requests();
  int logouts = 0;
  for (std::size_t i = 0; i < requests.size(); ++i) {
    if (requests[i].method != "GET" || requests[i].target != "/?fun=logout") continue;
    ++logouts;
    const bool landed = i + 1 < requests.size() && requests[i + 1].target == "/?fun=login";
    EXPECT_TRUE(landed) << "request " << i << " logged out but was not followed by the login page";
  }
  EXPECT_EQ(logouts, cycles);

  // Memory: like with like, each sample right at the fresh login window.
  // Single samples swing by a few MiB as the heap is trimmed now and then:
  // the first samples after the warm-up against the last ones, averaged.
  const std::size_t window = std::min<std::size_t>(10, (cycles - kWarmUpCycles) / 2);
  const auto mean = [&](std::size_t first) {
    long sum = 0;
    for (std::size_t i = first; i < first + window; ++i) sum += rss[i];
    return sum / static_cast<long>(window);
  };
  const long baseline = mean(kWarmUpCycles);
  const long last = mean(rss.size() - window);
  const long peak = *std::max_element(rss.begin() + kWarmUpCycles, rss.end());
  std::cout << "RSS, mean of cycles " << kWarmUpCycles + 1 << "-" << kWarmUpCycles + window << ": " << Mib(baseline)
            << "; mean of cycles " << cycles - window + 1 << "-" << cycles << ": " << Mib(last) << "; growth "
            << Mib(last - baseline) << "; peak after warm-up " << Mib(peak) << "\n";
#if defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer holds freed memory back in its quarantine: the figures
  // say nothing about the client here (LeakSanitizer does, at its exit).
  std::cout << "(AddressSanitizer build: growth not judged)\n";
#else
  EXPECT_LT(last - baseline, kAllowedGrowthKiB) << "the client grew by " << Mib(last - baseline) << " over "
                                                << cycles - kWarmUpCycles - window << " cycles";
#endif

  // Nothing left behind: only the login window, one web process at most.
  const std::vector<std::string> windows_at_end = AccessibleWindows();
  const std::vector<std::string> x_windows_at_end = XWindows();
  const std::vector<pid_t> web = WebProcesses();
  std::cout << "at the end, windows:\n" << Join(windows_at_end) << "  X windows:\n" << Join(x_windows_at_end)
            << "  web processes: " << web.size();
  for (pid_t p : web) std::cout << " " << p << " (" << Mib(ResidentKiB(p)) << ")";
  std::cout << "\n";
  EXPECT_EQ(windows_at_end, std::vector<std::string>{kLoginTitle + " (frame, showing)"});
  EXPECT_EQ(x_windows_at_end.size(), x_windows_at_start.size()) << "X windows at start:\n"
                                                                << Join(x_windows_at_start);
  EXPECT_LE(web.size(), 1u);

  xdo_->CloseWindow(WaitForLoginWindow().xid);
  const auto status = WaitClientExit();
  ASSERT_TRUE(status.has_value()) << "still running after closing the login window";
  EXPECT_EQ(*status, 0) << gui::DescribeStatus(*status);
}

}  // namespace
}  // namespace varnock_gui

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--cycles=", 0) == 0) {
      varnock_gui::cycles = std::atoi(arg.c_str() + 9);
    } else {
      std::cerr << "unknown argument " << arg << " (expected --cycles=N and gtest's own)\n";
      return 2;
    }
  }
  return RUN_ALL_TESTS();
}
