#include "image_check.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>

#include "error.h"
#include "dbus_link.h"

namespace gui {

struct ImageCheck::Impl {
  GObjectPtr<GdkPixbuf> pixbuf;
};

ImageCheck::ImageCheck(const std::filesystem::path& png) : impl_(std::make_unique<Impl>()) {
  GError* raw_error = nullptr;
  impl_->pixbuf.reset(gdk_pixbuf_new_from_file(png.c_str(), &raw_error));
  ErrorPtr error(raw_error);
  if (!impl_->pixbuf) throw Error("cannot load " + png.string() + ": " + (error ? error->message : "unknown error"));
}

ImageCheck::~ImageCheck() = default;

int ImageCheck::Width() const { return gdk_pixbuf_get_width(impl_->pixbuf.get()); }
int ImageCheck::Height() const { return gdk_pixbuf_get_height(impl_->pixbuf.get()); }

Rgb ImageCheck::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) throw Error("pixel outside the image");
  const guchar* row = gdk_pixbuf_read_pixels(impl_->pixbuf.get()) +
                      static_cast<std::size_t>(y) * gdk_pixbuf_get_rowstride(impl_->pixbuf.get());
  const guchar* p = row + static_cast<std::size_t>(x) * gdk_pixbuf_get_n_channels(impl_->pixbuf.get());
  return Rgb{p[0], p[1], p[2]};
}

Rect ImageCheck::Clip(const Rect& area) const {
  const int x0 = std::clamp(area.x, 0, Width());
  const int y0 = std::clamp(area.y, 0, Height());
  const int x1 = std::clamp(area.x + area.width, 0, Width());
  const int y1 = std::clamp(area.y + area.height, 0, Height());
  return Rect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

Rgb ImageCheck::DominantColor(const Rect& area) const {
  const Rect r = Clip(area);
  std::map<std::tuple<int, int, int>, int> counts;
  for (int y = r.y; y < r.y + r.height; ++y) {
    for (int x = r.x; x < r.x + r.width; ++x) {
      const Rgb p = Pixel(x, y);
      ++counts[{p.r, p.g, p.b}];
    }
  }
  if (counts.empty()) throw Error("empty area");
  const auto best = std::max_element(counts.begin(), counts.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
  const auto [red, green, blue] = best->first;
  return Rgb{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green), static_cast<std::uint8_t>(blue)};
}

double ImageCheck::InkFraction(const Rect& area, int tolerance) const {
  const Rect r = Clip(area);
  if (r.width == 0 || r.height == 0) return 0.0;
  const Rgb background = DominantColor(r);
  std::size_t ink = 0;
  for (int y = r.y; y < r.y + r.height; ++y) {
    for (int x = r.x; x < r.x + r.width; ++x) {
      const Rgb p = Pixel(x, y);
      if (std::abs(p.r - background.r) > tolerance || std::abs(p.g - background.g) > tolerance ||
          std::abs(p.b - background.b) > tolerance) {
        ++ink;
      }
    }
  }
  return static_cast<double>(ink) / (static_cast<double>(r.width) * r.height);
}

std::size_t ImageCheck::DistinctColors(const Rect& area) const {
  const Rect r = Clip(area);
  std::set<std::tuple<int, int, int>> colors;
  for (int y = r.y; y < r.y + r.height; ++y) {
    for (int x = r.x; x < r.x + r.width; ++x) {
      const Rgb p = Pixel(x, y);
      colors.insert({p.r, p.g, p.b});
    }
  }
  return colors.size();
}

}  // namespace gui
