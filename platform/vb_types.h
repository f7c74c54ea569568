// Value types shared by the windows and the form runtime.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Booleans of the program's own variables: 16 bits, true = -1, false = 0.
using Boolean = std::int16_t;
inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;

// Geometry is passed around as single-precision twips.
using Single = float;

// An event argument that may hold text or nothing at all.
using Variant = std::optional<std::string>;

}  // namespace platform
