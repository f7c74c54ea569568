// The one-line notice of the main window's status bar.
#pragma once

#include <string>
#include <string_view>

namespace windows {

inline constexpr std::string_view kNoticePlaceholder = "[sCaption]";

// Contains the placeholder exactly once.
inline constexpr std::string_view kNoticeTemplate =
    "欢迎使用[sCaption]　瓦诺克通信技术有限公司　服务热线 400-000-8010　"
    "www.varnock.example";

// Every occurrence of `find` in `text`, from the first character on, replaced
// by `replacement`; matching is exact and case-sensitive, and replaced text is
// not searched again. An empty `find` leaves the text as it is.
std::string Replace(std::string_view text, std::string_view find, std::string_view replacement);

}  // namespace windows
