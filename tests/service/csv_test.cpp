#include "csv.hpp"

#include <gtest/gtest.h>

namespace varnock::demo {
namespace {

TEST(ReadCsv, HandlesBomLineEndsAndQuotes) {
    const auto lines = read_csv("\xEF\xBB\xBF" "a,b\r\n\"x, \"\"y\"\"\",z\nlast,one\rcr,end");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].fields, (CsvRow{"a", "b"}));
    EXPECT_EQ(lines[1].fields, (CsvRow{"x, \"y\"", "z"}));
    EXPECT_EQ(lines[2].fields, (CsvRow{"last", "one"}));
    EXPECT_EQ(lines[3].fields, (CsvRow{"cr", "end"}));
}

TEST(ReadCsv, SkipsBlankLinesButKeepsLineNumbers) {
    const auto lines = read_csv("one\n\n  \n\"multi\nline\",x\nafter\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].line, 1u);
    EXPECT_EQ(lines[1].line, 4u);
    EXPECT_EQ(lines[1].fields.front(), "multi\nline");
    EXPECT_EQ(lines[2].line, 6u);
}

TEST(ReadCsv, EmptyInputHasNoRows) {
    EXPECT_TRUE(read_csv("").empty());
    EXPECT_TRUE(read_csv("\xEF\xBB\xBF").empty());
    EXPECT_TRUE(read_csv("\r\n\r\n").empty());
}

TEST(NumberList, TakesFirstColumnAndSkipsHeader) {
    const auto list = read_number_list("\xEF\xBB\xBF手机,姓名\r\n13800138000,张伟\r\n 13912345678 ,李娜\r\n");
    EXPECT_TRUE(list.header_skipped);
    EXPECT_EQ(list.numbers, (std::vector<std::string>{"13800138000", "13912345678"}));
    EXPECT_TRUE(list.rejected.empty());
}

TEST(NumberList, WorksWithoutHeaderAndWithPlainLines) {
    const auto list = read_number_list("13800138000\n\"15026668888\"\n");
    EXPECT_FALSE(list.header_skipped);
    EXPECT_EQ(list.numbers, (std::vector<std::string>{"13800138000", "15026668888"}));
}

TEST(NumberList, RejectsMalformedAndDuplicateNumbersWithReasons) {
    const auto list = read_number_list("13800138000\n1380013800\n23800138000\n138-0013-8000\n13800138000\n");
    EXPECT_EQ(list.numbers, (std::vector<std::string>{"13800138000"}));
    ASSERT_EQ(list.rejected.size(), 4u);
    EXPECT_EQ(list.rejected[0].line, 2u);
    EXPECT_EQ(list.rejected[0].value, "1380013800");
    EXPECT_EQ(list.rejected[0].reason, "号码格式不正确");
    EXPECT_EQ(list.rejected[1].value, "23800138000");
    EXPECT_EQ(list.rejected[2].value, "138-0013-8000");
    EXPECT_EQ(list.rejected[3].line, 5u);
    EXPECT_EQ(list.rejected[3].reason, "重复号码");
}

TEST(NumberList, OnlyTheFirstRowCanBeAHeader) {
    const auto list = read_number_list("phone\nname\n13800138000\n");
    EXPECT_TRUE(list.header_skipped);
    ASSERT_EQ(list.rejected.size(), 1u);
    EXPECT_EQ(list.rejected[0].value, "name");
    EXPECT_EQ(list.numbers.size(), 1u);
}

TEST(WriteCsv, UsesBomCrLfAndQuotesOnlyWhenNeeded) {
    const std::string csv = write_csv({{"姓名", "手机", "公司"}, {"张伟", "13800138000", "甲, 乙 \"丙\""}});
    EXPECT_EQ(csv, "\xEF\xBB\xBF姓名,手机,公司\r\n张伟,13800138000,\"甲, 乙 \"\"丙\"\"\"\r\n");
}

TEST(WriteCsv, ReadsBackWhatItWrote) {
    const std::vector<CsvRow> rows{{"a\nb", "c"}, {"", "\"q\""}};
    const auto lines = read_csv(write_csv(rows));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].fields, rows[0]);
    EXPECT_EQ(lines[1].fields, rows[1]);
}

} // namespace
} // namespace varnock::demo
