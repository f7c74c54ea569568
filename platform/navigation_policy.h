// Which addresses a browser of the client follows. The client shows web
// pages only: nothing on the local disk and nothing that would hand the
// address to another program.
#pragma once

#include <string>
#include <string_view>

namespace vb {

enum class NavigationVerdict {
  Follow,         // load it
  IgnoreQuietly,  // e-mail and telephone links: nothing happens
  Refuse,         // files, other programs' schemes, top-level data: addresses
};

// The scheme of an absolute address in lower case, or empty if it has none.
std::string SchemeOf(std::string_view uri);

NavigationVerdict JudgeNavigation(std::string_view uri, bool main_frame);

// Zoom levels a user steps through, as in common browsers.
double NextZoomLevel(double current, int direction);

}  // namespace vb
