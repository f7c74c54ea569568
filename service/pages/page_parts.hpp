#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnock::demo::parts {

// Building blocks shared by the page renderers. Every text argument is
// escaped here, so callers pass plain values.
std::string text_input(std::string_view label, std::string_view name, std::string_view value,
                       std::string_view type = "text");
std::string text_area(std::string_view label, std::string_view name, std::string_view value);
std::string table(const std::vector<std::string>& headings, const std::vector<std::vector<std::string>>& rows,
                  std::string_view when_empty, std::string_view id = {});
std::string join(const std::vector<std::string>& items, std::string_view separator = "、");
std::string paragraph(std::string_view text, std::string_view css_class = {});

} // namespace varnock::demo::parts
