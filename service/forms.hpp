#pragma once

#include "account.hpp"
#include "query.hpp"

#include <optional>
#include <string>
#include <vector>

namespace varnock::demo {

// A checked form: either a value or the messages explaining what is wrong.
template <typename T>
struct Checked {
    std::optional<T> value;
    std::vector<std::string> errors;
};

struct MessageForm {
    std::vector<std::string> numbers; // valid, without duplicates
    std::string text;
};

struct TimedForm {
    MessageForm message;
    std::string send_at; // "YYYY-MM-DD HH:MM"
};

struct TopUpForm {
    Fen amount = 0;
    std::string method;
};

struct PasswordForm {
    std::string old_password;
    std::string new_password;
};

inline constexpr std::size_t max_numbers_per_send = 1000;
inline constexpr std::size_t max_message_length = 500;

// Fields: numbers, message.
Checked<MessageForm> check_message_form(const Params& form);
// Fields: numbers, message, send_at (later than `now`, both "YYYY-MM-DD HH:MM";
// the browser's "YYYY-MM-DDTHH:MM" is accepted too).
Checked<TimedForm> check_timed_form(const Params& form, const std::string& now);
// Fields: name, mobile, company.
Checked<Contact> check_contact_form(const Params& form);
// Fields: amount (yuan), method.
Checked<TopUpForm> check_top_up_form(const Params& form);
// Fields: old_password, new_password, confirm_password.
Checked<PasswordForm> check_password_form(const Params& form);
// Fields: signature, reminder ("on" when ticked), reminder_below (yuan), reminder_mobile.
Checked<Settings> check_settings_form(const Params& form);

inline constexpr const char* top_up_methods[] = {"支付宝", "微信支付", "银行卡"};

} // namespace varnock::demo
