#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnock::demo {

std::string_view trim(std::string_view text);
bool is_valid_utf8(std::string_view text);
// Replaces every invalid byte sequence with U+FFFD so pages stay valid UTF-8.
std::string repair_utf8(std::string_view text);
// Characters as a person counts them (code points); expects valid UTF-8.
std::size_t count_code_points(std::string_view text);

} // namespace varnock::demo
