// Runs the real program: options, start-up line, request log and clean stop.

#include "service_fixture.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace varnock::demo::testing {
namespace {

// The service as a child process with its output on a pipe; killed if a
// test ends without waiting for it.
class ServiceProcess {
public:
    explicit ServiceProcess(std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0)
            throw std::runtime_error("pipe failed");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            dup2(fds[1], STDERR_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv{const_cast<char*>(VARNOCK_DEMO_SERVICE_PATH)};
            for (auto& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
    }
    ~ServiceProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }

    std::string read_line() {
        std::string line;
        char c;
        while (read(out_, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    std::string read_all() {
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = read(out_, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }
    int signal(int number) { return kill(pid_, number); }
    // Exit status, or -1 if it did not exit normally.
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

TEST(Program, UnknownOptionExitsWithTwo) {
    ServiceProcess process({"--colour"});
    const std::string output = process.read_all();
    EXPECT_EQ(process.wait(), 2);
    EXPECT_TRUE(contains(output, "未知选项: --colour"));
}

TEST(Program, HelpListsTheOptions) {
    ServiceProcess process({"--help"});
    const std::string output = process.read_all();
    EXPECT_EQ(process.wait(), 0);
    for (const char* option : {"--port", "--session-idle", "--request-log", "--help"})
        EXPECT_TRUE(contains(output, option)) << option;
}

TEST(Program, ServesUntilSignalledAndStopsCleanly) {
    for (const int stop_signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(stop_signal);
        const std::string log = (std::filesystem::temp_directory_path() /
                                 ("varnock-process-" + std::to_string(getpid()) + ".log"))
                                    .string();
        std::filesystem::remove(log);
        ServiceProcess process({"--port", "0", "--session-idle", "5", "--request-log", log});
        std::smatch match;
        const std::string banner = process.read_line();
        ASSERT_TRUE(std::regex_search(banner, match, std::regex("http://127\\.0\\.0\\.1:(\\d+)/"))) << banner;
        const int port = std::stoi(match[1]);
        ASSERT_NE(port, 8010);

        httplib::Client client("127.0.0.1", port);
        const auto res = client.Get("/?fun=login");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);

        ASSERT_EQ(process.signal(stop_signal), 0);
        EXPECT_EQ(process.wait(), 0);
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str(), "GET /?fun=login sid=-\n");
        std::filesystem::remove(log);
    }
}

TEST(Program, BusyPortIsReportedNotShared) {
    ServiceProcess first({"--port", "0"});
    std::smatch match;
    const std::string banner = first.read_line();
    ASSERT_TRUE(std::regex_search(banner, match, std::regex(":(\\d+)/")));
    ServiceProcess second({"--port", match[1].str()});
    const std::string output = second.read_all();
    EXPECT_EQ(second.wait(), 1);
    EXPECT_TRUE(contains(output, "无法监听")) << output;
}

} // namespace
} // namespace varnock::demo::testing
