#include "html.hpp"
#include "money.hpp"
#include "text.hpp"

#include <gtest/gtest.h>

namespace varnock::demo {
namespace {

TEST(Text, TrimRemovesSurroundingWhitespaceOnly) {
    EXPECT_EQ(trim("  a b \r\n"), "a b");
    EXPECT_EQ(trim("\t\n "), "");
    EXPECT_EQ(trim("x"), "x");
}

TEST(Text, RecognisesValidAndInvalidUtf8) {
    EXPECT_TRUE(is_valid_utf8("短信 plain"));
    EXPECT_FALSE(is_valid_utf8("\xFF"));
    EXPECT_FALSE(is_valid_utf8("\xE7\x9F"));         // cut short
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(is_valid_utf8("\xF4\x90\x80\x80")); // past U+10FFFF
}

TEST(Text, RepairReplacesOnlyBrokenBytes) {
    EXPECT_EQ(repair_utf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(repair_utf8("名片"), "名片");
}

TEST(Text, CountsCharactersNotBytes) {
    EXPECT_EQ(count_code_points("短信abc"), 5u);
    EXPECT_EQ(count_code_points(""), 0u);
}

TEST(Html, EscapesEveryMarkupCharacter) {
    EXPECT_EQ(escape("<a href=\"x\" title='y'>&</a>"),
              "&lt;a href=&quot;x&quot; title=&#39;y&#39;&gt;&amp;&lt;/a&gt;");
    EXPECT_EQ(escape("张伟"), "张伟");
}

TEST(Html, EscapeKeepsOutputValidUtf8) {
    EXPECT_TRUE(is_valid_utf8(escape("\xFE<")));
    EXPECT_EQ(escape(std::string("a\0b", 3)), "a\xEF\xBF\xBD" "b");
}

TEST(Money, FormatsFenAsYuan) {
    EXPECT_EQ(format_yuan(0), "0.00");
    EXPECT_EQ(format_yuan(5), "0.05");
    EXPECT_EQ(format_yuan(12345), "123.45");
    EXPECT_EQ(format_yuan(-150), "-1.50");
}

TEST(Money, ParsesYuanAmounts) {
    EXPECT_EQ(parse_yuan("100"), 10000);
    EXPECT_EQ(parse_yuan(" 20.5 "), 2050);
    EXPECT_EQ(parse_yuan("0.07"), 7);
    for (const char* bad : {"", "-1", "1.234", "1.", ".5", "abc", "1e3", "1,5"})
        EXPECT_FALSE(parse_yuan(bad).has_value()) << bad;
}

} // namespace
} // namespace varnock::demo
