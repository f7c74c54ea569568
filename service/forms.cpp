#include "forms.hpp"

#include "mobile.hpp"
#include "text.hpp"

#include <algorithm>
#include <unordered_set>

namespace varnock::demo {
namespace {

std::string field(const Params& form, std::string_view name) {
    return std::string(trim(form.value_or_empty(name)));
}

template <typename T>
Checked<T> finish(T value, std::vector<std::string> errors) {
    if (!errors.empty())
        return {std::nullopt, std::move(errors)};
    return {std::move(value), {}};
}

bool is_digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Accepts "YYYY-MM-DD HH:MM" or "YYYY-MM-DDTHH:MM"; gives the first form.
std::optional<std::string> normalise_minute(std::string text) {
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || (text[10] != ' ' && text[10] != 'T') ||
        text[13] != ':')
        return std::nullopt;
    text[10] = ' ';
    const auto number = [&](std::size_t pos, std::size_t len) {
        const auto part = std::string_view(text).substr(pos, len);
        return is_digits(part) ? std::stoi(std::string(part)) : -1;
    };
    const int month = number(5, 2), day = number(8, 2), hour = number(11, 2), minute = number(14, 2);
    if (number(0, 4) < 2000 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        return std::nullopt;
    return text;
}

} // namespace

Checked<MessageForm> check_message_form(const Params& form) {
    std::vector<std::string> errors;
    MessageForm result;
    std::vector<std::string> invalid;
    std::unordered_set<std::string> seen;
    for (auto& number : split_numbers(form.value_or_empty("numbers"))) {
        if (!is_mobile(number))
            invalid.push_back(std::move(number));
        else if (seen.insert(number).second)
            result.numbers.push_back(std::move(number));
    }
    if (!invalid.empty()) {
        std::string list;
        for (std::size_t i = 0; i < invalid.size() && i < 10; ++i)
            list += (i ? "、" : "") + invalid[i];
        errors.push_back("以下号码格式不正确：" + list + (invalid.size() > 10 ? " 等" : ""));
    } else if (result.numbers.empty()) {
        errors.push_back("请填写接收号码");
    } else if (result.numbers.size() > max_numbers_per_send) {
        errors.push_back("一次最多发送 " + std::to_string(max_numbers_per_send) + " 个号码");
    }
    result.text = field(form, "message");
    if (result.text.empty())
        errors.push_back("请填写短信内容");
    else if (count_code_points(result.text) > max_message_length)
        errors.push_back("短信内容不能超过 " + std::to_string(max_message_length) + " 个字");
    return finish(std::move(result), std::move(errors));
}

Checked<TimedForm> check_timed_form(const Params& form, const std::string& now) {
    auto message = check_message_form(form);
    std::vector<std::string> errors = std::move(message.errors);
    TimedForm result;
    const auto when = normalise_minute(field(form, "send_at"));
    if (!when)
        errors.push_back("请按“年-月-日 时:分”填写发送时间");
    else if (*when <= now)
        errors.push_back("发送时间必须晚于当前时间");
    else
        result.send_at = *when;
    if (message.value)
        result.message = std::move(*message.value);
    return finish(std::move(result), std::move(errors));
}

Checked<Contact> check_contact_form(const Params& form) {
    std::vector<std::string> errors;
    Contact contact{field(form, "name"), field(form, "mobile"), field(form, "company")};
    if (contact.name.empty())
        errors.push_back("请填写姓名");
    else if (count_code_points(contact.name) > 20)
        errors.push_back("姓名不能超过 20 个字");
    if (!is_mobile(contact.mobile))
        errors.push_back("手机号码应为以 1 开头的 11 位数字");
    if (count_code_points(contact.company) > 40)
        errors.push_back("公司名称不能超过 40 个字");
    return finish(std::move(contact), std::move(errors));
}

Checked<TopUpForm> check_top_up_form(const Params& form) {
    std::vector<std::string> errors;
    TopUpForm result;
    const auto amount = parse_yuan(field(form, "amount"));
    if (!amount || *amount < 100 || *amount > 5'000'000)
        errors.push_back("充值金额应在 1 至 50000 元之间");
    else
        result.amount = *amount;
    result.method = field(form, "method");
    if (std::find(std::begin(top_up_methods), std::end(top_up_methods), result.method) == std::end(top_up_methods))
        errors.push_back("请选择支付方式");
    return finish(std::move(result), std::move(errors));
}

Checked<PasswordForm> check_password_form(const Params& form) {
    std::vector<std::string> errors;
    // Passwords are taken as typed: spaces are part of them.
    PasswordForm result{form.value_or_empty("old_password"), form.value_or_empty("new_password")};
    const std::string confirm = form.value_or_empty("confirm_password");
    if (result.old_password.empty())
        errors.push_back("请填写原密码");
    const std::size_t length = count_code_points(result.new_password);
    if (length < 6 || length > 32)
        errors.push_back("新密码长度应为 6 至 32 位");
    else if (result.new_password != confirm)
        errors.push_back("两次输入的新密码不一致");
    return finish(std::move(result), std::move(errors));
}

Checked<Settings> check_settings_form(const Params& form) {
    std::vector<std::string> errors;
    Settings settings;
    settings.signature = field(form, "signature");
    if (count_code_points(settings.signature) > 12)
        errors.push_back("短信签名不能超过 12 个字");
    else if (settings.signature.find("【") != std::string::npos || settings.signature.find("】") != std::string::npos)
        errors.push_back("短信签名不需要包含【】");
    settings.reminder_enabled = form.value_or_empty("reminder") == "on";
    const std::string below = field(form, "reminder_below");
    if (const auto amount = parse_yuan(below.empty() ? "0" : below))
        settings.reminder_below = *amount;
    else
        errors.push_back("提醒金额应为不小于 0 的金额，如 20 或 20.50");
    settings.reminder_mobile = field(form, "reminder_mobile");
    if (!settings.reminder_mobile.empty() && !is_mobile(settings.reminder_mobile))
        errors.push_back("提醒手机号码格式不正确");
    if (settings.reminder_enabled && settings.reminder_mobile.empty())
        errors.push_back("开启余额提醒时请填写提醒手机号码");
    return finish(std::move(settings), std::move(errors));
}

} // namespace varnock::demo
