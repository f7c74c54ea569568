#pragma once

#include <string>
#include <string_view>

namespace varnock::demo {

// Escapes text for HTML content and quoted attribute values. Every value a
// user or a file supplied goes through here before it reaches a page.
std::string escape(std::string_view text);

} // namespace varnock::demo
