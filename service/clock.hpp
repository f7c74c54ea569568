#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace varnock::demo {

// Both clocks are injectable so tests can move time without sleeping.
using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;
using WallClock = std::function<std::chrono::system_clock::time_point()>;

// Local time as the pages show it: "2024-05-06 09:12".
std::string format_minute(std::chrono::system_clock::time_point when);
// Same, with seconds; used for records that happen within the same minute.
std::string format_second(std::chrono::system_clock::time_point when);
// Compact form for order numbers: "20240506091233".
std::string format_compact(std::chrono::system_clock::time_point when);

} // namespace varnock::demo
