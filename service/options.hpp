#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace varnock::demo {

struct Options {
    int port = 8010; // 0 picks a free port (used by tests)
    std::chrono::seconds session_idle{1800};
    std::string request_log; // empty: no log
};

struct ParsedOptions {
    enum class Action { Run, Help, Fail };
    Action action = Action::Run;
    Options options;
    std::string error; // set when action == Fail
};

ParsedOptions parse_options(const std::vector<std::string>& args);
std::string usage_text(const std::string& program);

} // namespace varnock::demo
