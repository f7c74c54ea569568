// Which addresses a browser of the client follows. The client shows web
// pages only: nothing on the local disk, and no other program's address
// except e-mail, telephone and SMS links, which the desktop's own programs
// may open once the user agrees.
#pragma once

#include <string>
#include <string_view>

namespace platform::browser {

enum class NavigationVerdict {
  Follow,         // load it
  ToTheDesktop,   // e-mail, telephone and SMS links: offered to the desktop
  Refuse,         // files, other programs' schemes, top-level data: addresses
};

// The scheme of an absolute address in lower case, or empty if it has none.
std::string SchemeOf(std::string_view uri);

NavigationVerdict JudgeNavigation(std::string_view uri, bool main_frame);

// Whether two web addresses share scheme, host and port (the port a scheme
// implies counts as given). Anything but http and https has no origin here.
bool SameOrigin(std::string_view a, std::string_view b);

// What a window showing a page is called: that it is a page, its title, and
// where it comes from, so that no page passes for a window of the program's.
std::string WebPageCaption(std::string_view title, std::string_view uri);

// Zoom levels a user steps through, as in common browsers.
double NextZoomLevel(double current, int direction);

}  // namespace platform::browser
