#include "demo_data.hpp"

#include "clock.hpp"

namespace varnock::demo {
namespace {

using namespace std::chrono_literals;

void add_sent(Account& account, std::chrono::system_clock::time_point when, std::vector<std::string> numbers,
              std::string text, std::vector<std::string> states) {
    const int id = account.next_message_id++;
    const auto cost = static_cast<Fen>(numbers.size()) * account.price;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        account.deliveries.push_back({id, numbers[i], states[i], format_second(when + 40s)});
    account.balance -= cost;
    account.charges.push_back({format_second(when), "短信发送（" + std::to_string(numbers.size()) + " 个号码）",
                               static_cast<int>(numbers.size()), cost, account.balance});
    account.sent.push_back({id, format_second(when), std::move(numbers), std::move(text), 1, cost});
}

} // namespace

Account demo_account(std::chrono::system_clock::time_point now) {
    const auto days = [&](int n) { return now - std::chrono::hours(24 * n); };

    Account account;
    account.name = std::string(demo_user);
    account.password = std::string(demo_password);
    account.company = "瓦诺克演示贸易有限公司";
    account.created = format_minute(days(400));
    account.balance = 0;
    account.price = 5;

    account.contacts = {
        {"张伟", "13800138000", "华东物流有限公司"},
        {"李娜", "13912345678", "明远科技"},
        {"王磊", "15026668888", "王磊工作室"},
        {"刘洋", "18611112222", "北辰建材"},
        {"陈静", "17755550000", ""},
    };

    account.top_ups.push_back({"VN" + format_compact(days(30)) + "001", format_second(days(30)), 10000, "支付宝", "已到账"});
    account.top_ups.push_back({"VN" + format_compact(days(9)) + "002", format_second(days(9)), 5000, "微信支付", "已到账"});
    account.balance = 15000;

    add_sent(account, days(6) + 3h, {"13800138000", "13912345678", "15026668888"},
             "【Varnock】尊敬的客户，本店周末全场八折，欢迎光临。", {"成功", "成功", "失败"});
    add_sent(account, days(3) + 5h, {"18611112222"}, "【Varnock】您的订单已发货，请注意查收。", {"成功"});
    add_sent(account, days(1) + 2h, {"13800138000", "17755550000"}, "【Varnock】明天上午十点例会，请准时参加。",
             {"成功", "等待回执"});

    account.replies = {
        {format_second(days(6) + 4h), "13912345678", "收到，周末过去看看。"},
        {format_second(days(3) + 6h), "18611112222", "已收到货，谢谢！"},
        {format_second(days(1) + 3h), "13800138000", "好的，准时到。"},
    };

    account.timed.push_back({account.next_message_id++, format_minute(now + 48h), {"13912345678", "15026668888"},
                             "【Varnock】月底对账提醒：请于本周内确认对账单。", "等待发送"});

    account.settings.signature = "Varnock";
    account.settings.reminder_enabled = true;
    account.settings.reminder_below = 2000;
    account.settings.reminder_mobile = "13800138000";
    return account;
}

} // namespace varnock::demo
