#include "cookies.hpp"

#include "text.hpp"

namespace varnock::demo {

std::optional<std::string> cookie_value(std::string_view header, std::string_view name) {
    while (!header.empty()) {
        const std::size_t end = header.find(';');
        const std::string_view pair = trim(header.substr(0, end));
        header = end == std::string_view::npos ? std::string_view{} : header.substr(end + 1);
        const std::size_t eq = pair.find('=');
        if (eq == std::string_view::npos || trim(pair.substr(0, eq)) != name)
            continue;
        std::string_view value = trim(pair.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

std::string session_cookie(std::string_view id) {
    return std::string(session_cookie_name) + "=" + std::string(id) + "; Path=/; HttpOnly; SameSite=Lax";
}

std::string flash_cookie(std::string_view value) {
    return std::string(flash_cookie_name) + "=" + std::string(value) + "; Path=/; Max-Age=60; HttpOnly; SameSite=Lax";
}

std::string expired_cookie(std::string_view name) {
    return std::string(name) +
           "=; Path=/; Max-Age=0; Expires=Thu, 01 Jan 1970 00:00:00 GMT; HttpOnly; SameSite=Lax";
}

} // namespace varnock::demo
