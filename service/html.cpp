#include "html.hpp"

#include "text.hpp"

namespace varnock::demo {

std::string escape(std::string_view text) {
    const std::string clean = repair_utf8(text);
    std::string out;
    out.reserve(clean.size() + clean.size() / 8);
    for (const char c : clean) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\0': out += "\xEF\xBF\xBD"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace varnock::demo
