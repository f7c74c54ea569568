#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnock::demo {

// Ordered name/value pairs from a query string or a url-encoded form.
// A bare name ("?info") is present with an empty value.
class Params {
public:
    void add(std::string name, std::string value);
    bool has(std::string_view name) const;
    // First value given for the name.
    std::optional<std::string> get(std::string_view name) const;
    std::string value_or_empty(std::string_view name) const;
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }

private:
    std::vector<std::pair<std::string, std::string>> items_;
};

// Decodes %XX escapes (and '+' as a space, as forms send it). Nothing if an
// escape is broken or the result is not UTF-8.
std::optional<std::string> percent_decode(std::string_view text);
// Parses "a=1&b=2"; nothing if any part is malformed.
std::optional<Params> parse_urlencoded(std::string_view text);
// The query part of a request target ("/?ac=send" gives "ac=send").
std::string_view query_of(std::string_view target);

} // namespace varnock::demo
