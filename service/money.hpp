#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnock::demo {

// Amounts are kept in fen (1/100 yuan) so sums stay exact.
using Fen = std::int64_t;

std::string format_yuan(Fen amount); // 1234 -> "12.34", -5 -> "-0.05"
// "12", "12.3", "12.34" -> fen; nothing for anything else (signs, >2 decimals).
std::optional<Fen> parse_yuan(std::string_view text);

} // namespace varnock::demo
