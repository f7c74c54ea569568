#include "clock.hpp"

#include <ctime>

namespace varnock::demo {
namespace {

std::string format_with(std::chrono::system_clock::time_point when, const char* pattern) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[32];
    const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
    return std::string(buffer, n);
}

} // namespace

std::string format_minute(std::chrono::system_clock::time_point when) {
    return format_with(when, "%Y-%m-%d %H:%M");
}

std::string format_second(std::chrono::system_clock::time_point when) {
    return format_with(when, "%Y-%m-%d %H:%M:%S");
}

std::string format_compact(std::chrono::system_clock::time_point when) {
    return format_with(when, "%Y%m%d%H%M%S");
}

} // namespace varnock::demo
