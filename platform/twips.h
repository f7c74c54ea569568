// Twips: 1440 per inch, 15 per pixel at 96 dots per inch.
#pragma once

#include <cmath>

#include "platform/vb_types.h"

namespace vb {

inline constexpr Single kTwipsPerPixel = 15.0f;

inline int TwipsToPixels(Single twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline Single PixelsToTwips(int pixels) { return static_cast<Single>(pixels) * kTwipsPerPixel; }

}  // namespace vb
