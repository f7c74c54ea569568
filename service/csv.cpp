#include "csv.hpp"

#include "mobile.hpp"
#include "text.hpp"

#include <algorithm>
#include <unordered_set>

namespace varnock::demo {
namespace {

constexpr std::string_view bom = "\xEF\xBB\xBF";

bool row_is_blank(const CsvRow& row) {
    return std::all_of(row.begin(), row.end(), [](const std::string& f) { return trim(f).empty(); });
}

bool has_digit(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string quote_if_needed(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::vector<CsvLine> read_csv(std::string_view text) {
    if (text.starts_with(bom))
        text.remove_prefix(bom.size());

    std::vector<CsvLine> lines;
    CsvLine current{1, {}};
    std::string field;
    std::size_t line = 1;
    bool quoted = false;

    const auto end_row = [&] {
        current.fields.push_back(std::move(field));
        field.clear();
        if (!row_is_blank(current.fields))
            lines.push_back(std::move(current));
        current = CsvLine{line, {}};
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
                    ++line;
                field += c;
            }
        } else if (c == '"' && trim(field).empty()) {
            quoted = true;
            field.clear();
        } else if (c == ',') {
            current.fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            ++line;
            end_row();
        } else {
            field += c;
        }
    }
    if (!field.empty() || !current.fields.empty())
        end_row();
    return lines;
}

NumberList read_number_list(std::string_view text) {
    NumberList list;
    std::unordered_set<std::string> seen;
    bool first = true;
    for (const auto& row : read_csv(text)) {
        const std::string value(trim(row.fields.front()));
        if (first && !has_digit(value)) {
            list.header_skipped = true;
            first = false;
            continue;
        }
        first = false;
        if (!is_mobile(value))
            list.rejected.push_back({row.line, value, "号码格式不正确"});
        else if (!seen.insert(value).second)
            list.rejected.push_back({row.line, value, "重复号码"});
        else
            list.numbers.push_back(value);
    }
    return list;
}

std::string write_csv(const std::vector<CsvRow>& rows) {
    std::string out(bom);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                out += ',';
            out += quote_if_needed(row[i]);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace varnock::demo
