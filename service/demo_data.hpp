#pragma once

#include "account.hpp"

#include <chrono>
#include <string_view>

namespace varnock::demo {

inline constexpr std::string_view demo_user = "demo";
inline constexpr std::string_view demo_password = "demo123";

// The demo account with a few days of plausible history before `now`.
Account demo_account(std::chrono::system_clock::time_point now);

} // namespace varnock::demo
