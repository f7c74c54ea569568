#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnock::demo {

inline constexpr std::string_view session_cookie_name = "VARNOCKSID";
// Carries a one-shot message across the redirect after a failed login.
inline constexpr std::string_view flash_cookie_name = "VARNOCKFLASH";

// The value of one cookie in a "Cookie:" header ("a=1; b=2").
std::optional<std::string> cookie_value(std::string_view header, std::string_view name);

std::string session_cookie(std::string_view id);
std::string flash_cookie(std::string_view value);
// Tells the browser to drop the cookie.
std::string expired_cookie(std::string_view name);

} // namespace varnock::demo
