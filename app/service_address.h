// Where the messaging service lives and how its page addresses are formed.
#pragma once

#include <string>
#include <string_view>

namespace app {

// "http://" + host + ":8010/", written the way the browser reports addresses
// (lower-case scheme and host, port written out, path "/"), because every
// address comparison is exact. The host is fixed at build time.
std::string BaseAddress();

inline constexpr std::string_view kLoginPageKey = "?fun=login";

// The base address followed directly by the key: nothing inserted, nothing
// escaped.
std::string PageAddress(std::string_view page_key);

std::string LoginAddress();

// Whether the address is a web page's: http or https, in any letter case.
bool IsWebAddress(std::string_view address);

// Exact, case-sensitive comparison with no normalisation of any kind.
bool SameAddress(std::string_view a, std::string_view b);

}  // namespace app
