#include "platform/browser/navigation_policy.h"

#include <array>
#include <cctype>

#include "platform/texts.h"

namespace platform::browser {

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
  if (scheme == "mailto" || scheme == "tel" || scheme == "sms") return NavigationVerdict::ToTheDesktop;
  // Frames may hold content a page made itself; a whole page may not.
  if ((scheme == "data" || scheme == "blob") && !main_frame) return NavigationVerdict::Follow;
  return NavigationVerdict::Refuse;
}

namespace {

// "host:port" of a web address, lower case, with the scheme's own port
// written out; empty for anything else.
std::string HostAndPort(std::string_view uri) {
  const std::string scheme = SchemeOf(uri);
  if (scheme != "http" && scheme != "https") return {};
  std::string_view rest = uri.substr(scheme.size() + 1);
  if (rest.substr(0, 2) != "//") return {};
  rest.remove_prefix(2);
  std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  // The port follows the last colon, unless that colon is inside [IPv6].
  std::string_view host = authority;
  std::string_view port;
  const auto colon = authority.rfind(':');
  if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  if (host.empty()) return {};
  std::string out;
  for (char c : host) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (port.size() > 1 && port.front() == '0') port.remove_prefix(1);
  out += ':';
  out += port.empty() ? (scheme == "https" ? "443" : "80") : std::string(port);
  return out;
}

}  // namespace

bool SameOrigin(std::string_view a, std::string_view b) {
  const std::string here = HostAndPort(a);
  return !here.empty() && SchemeOf(a) == SchemeOf(b) && here == HostAndPort(b);
}

namespace {

// Where a page comes from, as a person reads it: the host of an address
// that has one, otherwise the whole address (about:blank).
std::string_view ReadableOrigin(std::string_view uri) {
  if (uri.empty()) return "about:blank";
  const auto slashes = uri.find("//");
  if (slashes == std::string_view::npos || SchemeOf(uri).size() + 1 != slashes) return uri;
  std::string_view authority = uri.substr(slashes + 2);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority;
  if (!host.empty() && host.front() == '[') {
    host = host.substr(1, host.find(']') - 1);
  } else {
    host = host.substr(0, host.find(':'));
  }
  return host.empty() ? uri : host;
}

}  // namespace

std::string WebPageCaption(std::string_view title, std::string_view uri) {
  std::string page(title.empty() ? texts::kUntitled : title);
  page += " (";
  page += ReadableOrigin(uri);
  page += ")";
  return texts::Fill(texts::kWebPageCaption, page);
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

}  // namespace platform::browser
