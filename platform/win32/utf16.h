// Conversions between the program's text (UTF-8) and the UTF-16 of the
// Windows API's wide forms, and from a code page to UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

// Invalid UTF-8 sequences become U+FFFD rather than failing the call.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// Text in `code_page` (CP_ACP for the system's ANSI code page) as UTF-16.
std::wstring FromCodePage(unsigned code_page, std::string_view text);

}  // namespace win32
