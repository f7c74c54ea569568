#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnock::demo {

using CsvRow = std::vector<std::string>;

struct CsvLine {
    std::size_t line = 0; // 1-based line where the row starts
    CsvRow fields;
};

// Reads CSV as spreadsheets write it: optional UTF-8 BOM, CR LF / LF / CR line
// ends, quoted fields with doubled quotes. Blank lines are skipped.
std::vector<CsvLine> read_csv(std::string_view text);

struct RejectedEntry {
    std::size_t line = 0;
    std::string value;
    std::string reason;
};

struct NumberList {
    std::vector<std::string> numbers; // valid, unique, in file order
    std::vector<RejectedEntry> rejected;
    bool header_skipped = false;
};

// Takes the first column of every row as a phone number. A first row without
// any digit is a header and is skipped.
NumberList read_number_list(std::string_view text);

// Writes rows for spreadsheet programs: UTF-8 BOM first, CR LF line ends,
// fields quoted only when they need it.
std::string write_csv(const std::vector<CsvRow>& rows);

} // namespace varnock::demo
