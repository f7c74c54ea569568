#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace gui {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Simple questions about a screenshot, e.g. whether text was drawn somewhere.
class ImageCheck {
 public:
  explicit ImageCheck(const std::filesystem::path& png);
  ~ImageCheck();
  ImageCheck(const ImageCheck&) = delete;
  ImageCheck& operator=(const ImageCheck&) = delete;

  int Width() const;
  int Height() const;
  Rgb Pixel(int x, int y) const;

  // The most frequent colour in the rectangle (clipped to the image): its background.
  Rgb DominantColor(const Rect& area) const;
  // Share of pixels differing from the dominant colour by more than
  // `tolerance` in some channel: 0 for an empty area, above 0 where something
  // (text, an icon) was drawn.
  double InkFraction(const Rect& area, int tolerance = 40) const;
  std::size_t DistinctColors(const Rect& area) const;

 private:
  Rect Clip(const Rect& area) const;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace gui
