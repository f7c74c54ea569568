// Twips: 1440 per inch. A pixel is 1/96 inch at a text scale of 1 (15 twips),
// and grows with the desktop's text scale as it grows with the dpi on
// Windows: 1440 / (96 × scale) twips per pixel, so that forms laid out in
// twips keep room for their text at any scale.
#pragma once

#include <cmath>

#include "platform/vb_types.h"

namespace platform {

inline constexpr Single kTwipsPerInch = 1440.0f;
inline constexpr Single kTwipsPerPixel = 15.0f;  // at a text scale of 1

class TwipScale {
 public:
  explicit TwipScale(double text_scale = 1.0)
      : text_scale_(text_scale > 0 ? text_scale : 1.0),
        per_pixel_(static_cast<double>(kTwipsPerInch) / (96.0 * text_scale_)) {}

  int ToPixels(Single twips) const { return static_cast<int>(std::lround(twips / per_pixel_)); }
  Single ToTwips(int pixels) const { return static_cast<Single>(pixels * per_pixel_); }
  double TextScale() const noexcept { return text_scale_; }

 private:
  double text_scale_;
  double per_pixel_;
};

}  // namespace platform
