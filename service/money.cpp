#include "money.hpp"

#include "text.hpp"

namespace varnock::demo {

std::string format_yuan(Fen amount) {
    const bool negative = amount < 0;
    const Fen magnitude = negative ? -amount : amount;
    std::string cents = std::to_string(magnitude % 100);
    if (cents.size() < 2)
        cents.insert(0, "0");
    return (negative ? "-" : "") + std::to_string(magnitude / 100) + "." + cents;
}

std::optional<Fen> parse_yuan(std::string_view text) {
    text = trim(text);
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 9 || fraction.size() > 2 ||
        (dot != std::string_view::npos && fraction.empty()))
        return std::nullopt;
    Fen yuan = 0;
    for (const char c : whole) {
        if (c < '0' || c > '9')
            return std::nullopt;
        yuan = yuan * 10 + (c - '0');
    }
    Fen cents = 0;
    for (std::size_t i = 0; i < 2; ++i) {
        const char c = i < fraction.size() ? fraction[i] : '0';
        if (c < '0' || c > '9')
            return std::nullopt;
        cents = cents * 10 + (c - '0');
    }
    return yuan * 100 + cents;
}

} // namespace varnock::demo
