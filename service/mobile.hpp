#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnock::demo {

// A mainland mobile number: 11 digits starting with 1.
bool is_mobile(std::string_view text);
// Splits what people type into a numbers box: commas (also full-width),
// semicolons, spaces and line breaks all separate numbers.
std::vector<std::string> split_numbers(std::string_view text);

} // namespace varnock::demo
