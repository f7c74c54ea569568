#include "forms.hpp"
#include "mobile.hpp"

#include <gtest/gtest.h>

namespace varnock::demo {
namespace {

Params form(std::initializer_list<std::pair<const char*, std::string>> fields) {
    Params params;
    for (const auto& [name, value] : fields)
        params.add(name, value);
    return params;
}

TEST(Mobile, AcceptsOnlyElevenDigitsStartingWithOne) {
    EXPECT_TRUE(is_mobile("13800138000"));
    EXPECT_FALSE(is_mobile("1380013800"));
    EXPECT_FALSE(is_mobile("138001380001"));
    EXPECT_FALSE(is_mobile("23800138000"));
    EXPECT_FALSE(is_mobile("1380013800a"));
    EXPECT_FALSE(is_mobile(""));
}

TEST(Mobile, SplitsOnAllUsualSeparators) {
    EXPECT_EQ(split_numbers("1,2，3;4；5、6 7\r\n8\t9"),
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_TRUE(split_numbers(" ,，\n").empty());
}

TEST(MessageForm, AcceptsValidInputAndDropsDuplicates) {
    const auto checked = check_message_form(form({{"numbers", "13800138000\n13912345678，13800138000"},
                                                  {"message", "  你好  "}}));
    ASSERT_TRUE(checked.value);
    EXPECT_EQ(checked.value->numbers, (std::vector<std::string>{"13800138000", "13912345678"}));
    EXPECT_EQ(checked.value->text, "你好");
}

TEST(MessageForm, ReportsEveryProblem) {
    const auto checked = check_message_form(form({{"numbers", "123, 13800138000"}, {"message", " "}}));
    EXPECT_FALSE(checked.value);
    ASSERT_EQ(checked.errors.size(), 2u);
    EXPECT_NE(checked.errors[0].find("123"), std::string::npos);
    EXPECT_EQ(checked.errors[1], "请填写短信内容");
    EXPECT_EQ(check_message_form(form({{"message", "x"}})).errors.front(), "请填写接收号码");
}

TEST(MessageForm, LimitsMessageLengthInCharacters) {
    std::string text;
    for (std::size_t i = 0; i < max_message_length; ++i)
        text += "字";
    EXPECT_TRUE(check_message_form(form({{"numbers", "13800138000"}, {"message", text}})).value);
    EXPECT_FALSE(check_message_form(form({{"numbers", "13800138000"}, {"message", text + "字"}})).value);
}

TEST(TimedForm, NeedsAFutureTimeInEitherFormat) {
    const std::string now = "2030-01-01 10:00";
    const auto later = check_timed_form(
        form({{"numbers", "13800138000"}, {"message", "m"}, {"send_at", "2030-01-01T10:01"}}), now);
    ASSERT_TRUE(later.value);
    EXPECT_EQ(later.value->send_at, "2030-01-01 10:01");
    const auto past = check_timed_form(
        form({{"numbers", "13800138000"}, {"message", "m"}, {"send_at", "2030-01-01 10:00"}}), now);
    EXPECT_FALSE(past.value);
    for (const char* bad : {"", "2030-13-01 10:00", "2030-01-01 25:00", "tomorrow", "2030/01/01 10:00"})
        EXPECT_FALSE(check_timed_form(form({{"numbers", "13800138000"}, {"message", "m"}, {"send_at", bad}}), now)
                         .value)
            << bad;
}

TEST(ContactForm, ChecksNameAndMobile) {
    const auto ok = check_contact_form(form({{"name", " 赵六 "}, {"mobile", "13800138001"}, {"company", ""}}));
    ASSERT_TRUE(ok.value);
    EXPECT_EQ(ok.value->name, "赵六");
    const auto bad = check_contact_form(form({{"name", ""}, {"mobile", "123"}}));
    EXPECT_EQ(bad.errors.size(), 2u);
}

TEST(TopUpForm, ChecksAmountRangeAndMethod) {
    const auto ok = check_top_up_form(form({{"amount", "88.80"}, {"method", "微信支付"}}));
    ASSERT_TRUE(ok.value);
    EXPECT_EQ(ok.value->amount, 8880);
    EXPECT_FALSE(check_top_up_form(form({{"amount", "0.5"}, {"method", "支付宝"}})).value);
    EXPECT_FALSE(check_top_up_form(form({{"amount", "50001"}, {"method", "支付宝"}})).value);
    EXPECT_FALSE(check_top_up_form(form({{"amount", "100"}, {"method", "现金"}})).value);
}

TEST(PasswordForm, NeedsOldPasswordAndMatchingNewOne) {
    EXPECT_TRUE(check_password_form(form({{"old_password", "a"}, {"new_password", "secret1"},
                                          {"confirm_password", "secret1"}}))
                    .value);
    EXPECT_FALSE(check_password_form(form({{"old_password", "a"}, {"new_password", "secret1"},
                                           {"confirm_password", "secret2"}}))
                     .value);
    EXPECT_FALSE(check_password_form(form({{"old_password", "a"}, {"new_password", "12345"},
                                           {"confirm_password", "12345"}}))
                     .value);
    EXPECT_FALSE(check_password_form(form({{"new_password", "secret1"}, {"confirm_password", "secret1"}})).value);
}

TEST(SettingsForm, ReadsCheckboxAndThreshold) {
    const auto on = check_settings_form(form({{"signature", "小店"}, {"reminder", "on"},
                                              {"reminder_below", "30.5"}, {"reminder_mobile", "13800138000"}}));
    ASSERT_TRUE(on.value);
    EXPECT_TRUE(on.value->reminder_enabled);
    EXPECT_EQ(on.value->reminder_below, 3050);
    const auto off = check_settings_form(form({{"signature", ""}}));
    ASSERT_TRUE(off.value);
    EXPECT_FALSE(off.value->reminder_enabled);
    EXPECT_FALSE(check_settings_form(form({{"signature", "【店】"}})).value);
    EXPECT_FALSE(check_settings_form(form({{"reminder", "on"}, {"reminder_below", "10"}})).value);
    EXPECT_FALSE(check_settings_form(form({{"reminder_below", "-3"}})).value);
}

} // namespace
} // namespace varnock::demo
