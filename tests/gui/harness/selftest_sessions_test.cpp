// Sessions come and go cleanly: nothing of the first is left when the second starts.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "harness/harness.h"
#include "selftest_support.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kMarkerFileVariable = "GUI_HARNESS_SELFTEST_MARKER_FILE";

std::optional<std::string> Getenv(const char* key) {
  const char* value = std::getenv(key);
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// Runs selftest_app in a fresh session, sees its window, and returns what
// should be gone once the session is.
struct SessionTrace {
  std::string marker;
  std::filesystem::path root;
};

SessionTrace RunOneSession() {
  gui::Session session;
  SessionTrace trace{session.Marker(), session.Home().parent_path()};
  EXPECT_EQ(Getenv("DISPLAY"), session.Display());
  EXPECT_EQ(Getenv("HOME"), session.Home().string());
  EXPECT_TRUE(session.FilesUnderHome().empty()) << "the infrastructure wrote into HOME";

  gui::A11y a11y(session);
  auto app = selftest::StartSelftestApp(session);
  a11y.WaitForWindow(selftest::kMainTitle, gui::kDefaultTimeout, app->pid());
  // AT-SPI reports "showing" a moment before the window manager maps the X window.
  EXPECT_NE(gui::Xdo(session).WaitForWindow(selftest::kMainTitle), 0u);
  EXPECT_GE(session.Processes().size(), 5u);  // Xvfb, dbus, AT-SPI, openbox, the app
  return trace;  // the app is still running: the session must take it down
}

TEST(SessionsTest, TwoSessionsInSequenceLeaveNothingBehind) {
  const auto display_before = Getenv("DISPLAY");
  const auto home_before = Getenv("HOME");
  for (int round = 0; round < 2; ++round) {
    const SessionTrace trace = RunOneSession();
    EXPECT_TRUE(gui::ProcessesWithEnvironmentContaining(trace.marker).empty()) << "round " << round;
    EXPECT_FALSE(std::filesystem::exists(trace.root));
    EXPECT_EQ(Getenv("DISPLAY"), display_before);
    EXPECT_EQ(Getenv("HOME"), home_before);
  }
}

// A test binary that dies without unwinding (crash, CTest timeout) must not
// leave a desktop behind: the session's watchdog cleans up after it.
TEST(SessionsTest, WatchdogCleansUpAfterAProcessThatDied) {
  gui::TempDir dir;
  const auto marker_file = dir.path() / "marker";
  // Everything the child needs is prepared before fork: after it only exec.
  std::vector<std::string> env_strings = gui::Environment::FromCurrentProcess()
                                             .Set(kMarkerFileVariable, marker_file.string())
                                             .ToStrings();
  std::vector<char*> envp;
  for (auto& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    execle("/proc/self/exe", "/proc/self/exe", "--gtest_filter=SessionsTest.DISABLED_StartSessionAndDie",
           "--gtest_also_run_disabled_tests", static_cast<char*>(nullptr), envp.data());
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the child should have killed itself";
  std::ifstream in(marker_file);
  std::string marker;
  std::getline(in, marker);
  ASSERT_FALSE(marker.empty());
  EXPECT_TRUE(gui::PollUntil([&] { return gui::ProcessesWithEnvironmentContaining(marker).empty(); }, 10s));
  EXPECT_TRUE(gui::PollUntil([&] { return !std::filesystem::exists(marker); }, 10s));
  gui::ReapAdoptedChildren();
}

// Run only by the test above, in a child process: starts a desktop with a
// program on it, reports the session's marker and dies without unwinding.
TEST(SessionsTest, DISABLED_StartSessionAndDie) {
  const char* marker_file = std::getenv(kMarkerFileVariable);
  ASSERT_NE(marker_file, nullptr);
  gui::Session session;
  gui::A11y a11y(session);
  auto app = selftest::StartSelftestApp(session);
  a11y.WaitForWindow(selftest::kMainTitle, gui::kDefaultTimeout, app->pid());
  std::ofstream(marker_file) << session.Marker() << "\n";
  raise(SIGKILL);
}

TEST(SessionsTest, WithoutWindowManagerWindowsGetNoFrame) {
  gui::SessionOptions options;
  options.window_manager = false;
  gui::Session session(options);
  auto app = selftest::StartSelftestApp(session);
  gui::A11y(session).WaitForWindow(selftest::kMainTitle, gui::kDefaultTimeout, app->pid());
  const gui::Xdo xdo(session);
  const gui::WindowId window = xdo.WaitForWindow(selftest::kMainTitle);
  EXPECT_FALSE(xdo.FrameExtentsOf(window).has_value());
  EXPECT_TRUE(app->Running());
}

TEST(SessionsTest, OnlyOneSessionAtATime) {
  gui::Session first;
  EXPECT_THROW(gui::Session second, gui::Error);
}

}  // namespace
