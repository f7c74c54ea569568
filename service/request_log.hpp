#pragma once

#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

namespace varnock::demo {

// One line per request, "METHOD TARGET sid=<id or ->", flushed at once so a
// test watching the file sees every request as it happens.
class RequestLog {
public:
    explicit RequestLog(const std::string& path); // throws std::runtime_error
    void write(std::string_view method, std::string_view target, std::string_view session);

private:
    std::mutex mutex_;
    std::ofstream out_;
};

// Keeps a log line on one line whatever the request carried.
std::string log_safe(std::string_view text);

} // namespace varnock::demo
