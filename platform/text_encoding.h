// Text in the system's ANSI code page turned into the program's text
// (UTF-8). On Linux the system's code page is UTF-8 already.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string AnsiToText(std::string_view ansi);

}  // namespace platform
