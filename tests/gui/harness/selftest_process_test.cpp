// Process, TempDir, network and waiting helpers, without any display.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>

#include "harness/harness.h"

namespace {

using namespace std::chrono_literals;

TEST(ProcessTest, ReportsExitStatusAndCapturesOutput) {
  gui::Process p({"sh", "-c", "echo out; echo err >&2; exit 3"});
  EXPECT_EQ(p.WaitExit(10s), 3);
  EXPECT_EQ(p.Stdout(), "out\n");
  EXPECT_EQ(p.Stderr(), "err\n");
  EXPECT_FALSE(p.Running());
}

TEST(ProcessTest, EncodesDeathBySignalApartFromExitCodes) {
  gui::Process p({"sleep", "30"});
  EXPECT_TRUE(p.Running());
  EXPECT_FALSE(p.WaitExit(100ms).has_value());
  p.Signal(SIGTERM);
  const auto status = p.WaitExit(10s);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, gui::StatusForSignal(SIGTERM));
  EXPECT_LT(*status, 0);
  EXPECT_NE(gui::DescribeStatus(*status).find("signal 15"), std::string::npos);
}

TEST(ProcessTest, ChildGetsExactlyTheGivenEnvironment) {
  gui::ProcessOptions options;
  options.env = gui::Environment().Set("PATH", "/usr/bin:/bin").Set("GUI_HARNESS_PROBE", "42");
  gui::Process p({"sh", "-c", "echo \"$GUI_HARNESS_PROBE:${HOME-unset}\""}, options);
  ASSERT_EQ(p.WaitExit(10s), 0);
  EXPECT_EQ(p.Stdout(), "42:unset\n");
}

TEST(ProcessTest, FindsDescendantsAndTakesThemDownWithIt) {
  std::vector<pid_t> descendants;
  {
    gui::Process p({"sh", "-c", "sleep 30 & sleep 30 & wait"});
    ASSERT_TRUE(gui::PollUntil([&] { return p.Descendants().size() == 2; }, 10s)) << p.Descendants().size();
    descendants = p.Descendants();
    for (pid_t pid : descendants) EXPECT_NE(gui::CommandLineOf(pid).find("sleep"), std::string::npos);
  }
  for (pid_t pid : descendants) {
    EXPECT_TRUE(gui::PollUntil([&] { return !gui::PidAlive(pid); }, 5s)) << pid;
  }
}

TEST(ProcessTest, DestructorKillsAProcessThatIgnoresTheStopSignal) {
  pid_t pid = 0;
  {
    gui::ProcessOptions options;
    options.stop_grace = 200ms;
    gui::Process p({"sh", "-c", "trap '' TERM; echo armed; sleep 30"}, options);
    ASSERT_TRUE(gui::PollUntil([&] { return p.Stdout() == "armed\n"; }, 10s));
    pid = p.pid();
  }
  EXPECT_FALSE(gui::PidAlive(pid));
}

TEST(ProcessTest, PassesDescriptorsToTheChild) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  gui::UniqueFd read_end(fds[0]);
  gui::UniqueFd write_end(fds[1]);
  gui::ProcessOptions options;
  options.pass_fds = {{write_end.get(), 3}};
  gui::Process p({"sh", "-c", "echo hello >&3"}, options);
  write_end.Reset();
  ASSERT_EQ(p.WaitExit(10s), 0);
  char buffer[16] = {};
  EXPECT_EQ(read(read_end.get(), buffer, sizeof buffer - 1), 6);
  EXPECT_STREQ(buffer, "hello\n");
}

TEST(ProcessTest, RunCommandGivesUpOnAHungCommand) {
  EXPECT_THROW(gui::RunCommand({"sleep", "30"}, gui::Environment::FromCurrentProcess(), 200ms), gui::Error);
  const auto done = gui::RunCommand({"sh", "-c", "printf ok"}, gui::Environment::FromCurrentProcess());
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(done.out, "ok");
}

TEST(TempDirTest, ExistsUntilDestroyedAndMovesOwnership) {
  std::filesystem::path path;
  {
    gui::TempDir dir("gui-harness-test");
    path = dir.path();
    ASSERT_TRUE(std::filesystem::is_directory(path));
    std::ofstream(path / "file.txt") << "x";
    gui::TempDir moved(std::move(dir));
    EXPECT_EQ(moved.path(), path);
    EXPECT_TRUE(dir.path().empty());
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(NetTest, FreePortIsClosedUntilSomethingListens) {
  const std::uint16_t port = gui::FreePort();
  EXPECT_GT(port, 0);
  EXPECT_FALSE(gui::PortOpen("127.0.0.1", port));
  gui::UniqueFd sock(socket(AF_INET, SOCK_STREAM, 0));
  ASSERT_TRUE(sock.valid());
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  ASSERT_EQ(bind(sock.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(sock.get(), 1), 0);
  EXPECT_TRUE(gui::PortOpen("localhost", port));
  sock.Reset();
  EXPECT_FALSE(gui::PortOpen("127.0.0.1", port));
}

TEST(WaitTest, WaitUntilNamesWhatItWaitedForAndTheLastError) {
  int calls = 0;
  EXPECT_TRUE(gui::PollUntil([&] { return ++calls == 3; }, 5s));
  EXPECT_EQ(calls, 3);
  try {
    gui::WaitUntil([]() -> bool { throw gui::Error("still broken"); }, 100ms, "the moon", [] { return "details"; });
    FAIL() << "no timeout";
  } catch (const gui::Timeout& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("the moon"), std::string::npos) << message;
    EXPECT_NE(message.find("still broken"), std::string::npos) << message;
    EXPECT_NE(message.find("details"), std::string::npos) << message;
  }
}

}  // namespace
