#include "query.hpp"

#include "text.hpp"

#include <algorithm>

namespace varnock::demo {
namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void Params::add(std::string name, std::string value) {
    items_.emplace_back(std::move(name), std::move(value));
}

bool Params::has(std::string_view name) const {
    return get(name).has_value();
}

std::optional<std::string> Params::get(std::string_view name) const {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const auto& item) { return item.first == name; });
    if (found == items_.end())
        return std::nullopt;
    return found->second;
}

std::string Params::value_or_empty(std::string_view name) const {
    return get(name).value_or(std::string{});
}

std::optional<std::string> percent_decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = hex_value(text[i + 1]);
            const int low = hex_value(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    if (!is_valid_utf8(out))
        return std::nullopt;
    return out;
}

std::optional<Params> parse_urlencoded(std::string_view text) {
    Params params;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('&', start), text.size());
        const std::string_view pair = text.substr(start, end - start);
        start = end + 1;
        if (pair.empty())
            continue; // tolerate "a=1&&b=2" and a trailing '&'
        const std::size_t eq = pair.find('=');
        auto name = percent_decode(pair.substr(0, eq));
        auto value = eq == std::string_view::npos ? std::optional<std::string>{""}
                                                  : percent_decode(pair.substr(eq + 1));
        if (!name || !value || name->empty())
            return std::nullopt;
        params.add(std::move(*name), std::move(*value));
    }
    return params;
}

std::string_view query_of(std::string_view target) {
    const std::size_t hash = target.find('#');
    if (hash != std::string_view::npos)
        target = target.substr(0, hash);
    const std::size_t mark = target.find('?');
    if (mark == std::string_view::npos)
        return {};
    return target.substr(mark + 1);
}

} // namespace varnock::demo
