#include "platform/navigation_policy.h"

#include <array>
#include <cctype>

namespace vb {

std::string SchemeOf(std::string_view uri) {
  std::string scheme;
  for (char c : uri) {
    if (c == ':') return scheme;
    const bool first = scheme.empty();
    if (std::isalpha(static_cast<unsigned char>(c)) ||
        (!first && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'))) {
      scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else {
      return {};
    }
  }
  return {};
}

NavigationVerdict JudgeNavigation(std::string_view uri, bool main_frame) {
  const std::string scheme = SchemeOf(uri);
  if (scheme == "http" || scheme == "https") return NavigationVerdict::Follow;
  if (scheme == "about") {
    return uri == "about:blank" || uri == "about:srcdoc" ? NavigationVerdict::Follow
                                                         : NavigationVerdict::Refuse;
  }
  if (scheme == "mailto" || scheme == "tel" || scheme == "sms" || scheme == "callto") {
    return NavigationVerdict::IgnoreQuietly;
  }
  // Frames may hold content a page made itself; a whole page may not.
  if ((scheme == "data" || scheme == "blob") && !main_frame) return NavigationVerdict::Follow;
  return NavigationVerdict::Refuse;
}

double NextZoomLevel(double current, int direction) {
  static constexpr std::array<double, 13> kLevels{0.3,  0.5, 0.67, 0.8, 0.9, 1.0, 1.1,
                                                  1.25, 1.5, 1.75, 2.0, 2.5, 3.0};
  if (direction == 0) return 1.0;
  if (direction > 0) {
    for (double level : kLevels) {
      if (level > current + 1e-6) return level;
    }
    return kLevels.back();
  }
  for (auto it = kLevels.rbegin(); it != kLevels.rend(); ++it) {
    if (*it < current - 1e-6) return *it;
  }
  return kLevels.front();
}

}  // namespace vb
