#include "page_parts.hpp"

#include "html.hpp"

namespace varnock::demo::parts {

std::string text_input(std::string_view label, std::string_view name, std::string_view value, std::string_view type) {
    const std::string id = "f-" + escape(name);
    return "<label for=\"" + id + "\">" + escape(label) + "</label><input type=\"" + escape(type) + "\" id=\"" + id +
           "\" name=\"" + escape(name) + "\" value=\"" + escape(value) + "\">\n";
}

std::string text_area(std::string_view label, std::string_view name, std::string_view value) {
    const std::string id = "f-" + escape(name);
    return "<label for=\"" + id + "\">" + escape(label) + "</label><textarea id=\"" + id + "\" name=\"" +
           escape(name) + "\">" + escape(value) + "</textarea>\n";
}

std::string table(const std::vector<std::string>& headings, const std::vector<std::vector<std::string>>& rows,
                  std::string_view when_empty, std::string_view id) {
    if (rows.empty())
        return paragraph(when_empty, "muted");
    std::string out = "<table";
    if (!id.empty())
        out += " id=\"" + escape(id) + "\"";
    out += ">\n<thead><tr>";
    for (const auto& heading : headings)
        out += "<th>" + escape(heading) + "</th>";
    out += "</tr></thead>\n<tbody>\n";
    for (const auto& row : rows) {
        out += "<tr>";
        for (const auto& cell : row)
            out += "<td>" + escape(cell) + "</td>";
        out += "</tr>\n";
    }
    return out + "</tbody>\n</table>\n";
}

std::string join(const std::vector<std::string>& items, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += separator;
        out += items[i];
    }
    return out;
}

std::string paragraph(std::string_view text, std::string_view css_class) {
    if (css_class.empty())
        return "<p>" + escape(text) + "</p>\n";
    return "<p class=\"" + escape(css_class) + "\">" + escape(text) + "</p>\n";
}

} // namespace varnock::demo::parts
