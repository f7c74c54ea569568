#include "mobile.hpp"

#include <algorithm>
#include <array>

namespace varnock::demo {

bool is_mobile(std::string_view text) {
    return text.size() == 11 && text.front() == '1' &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> split_numbers(std::string_view text) {
    static constexpr std::array<std::string_view, 3> wide_separators{"，", "；", "、"};
    std::vector<std::string> numbers;
    std::string current;
    const auto flush = [&] {
        if (!current.empty())
            numbers.push_back(std::move(current));
        current.clear();
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto wide = std::find_if(wide_separators.begin(), wide_separators.end(),
                                       [&](std::string_view s) { return text.substr(i).starts_with(s); });
        if (wide != wide_separators.end()) {
            flush();
            i += wide->size();
            continue;
        }
        const char c = text[i++];
        if (c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n')
            flush();
        else
            current.push_back(c);
    }
    flush();
    return numbers;
}

} // namespace varnock::demo
