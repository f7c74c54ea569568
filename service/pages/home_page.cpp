#include "pages.hpp"

#include "html.hpp"
#include "page_parts.hpp"

namespace varnock::demo {

std::string home_page(const Account& account) {
    std::string body = "<div class=\"panel\" id=\"welcome\"><p>欢迎回来，<strong>" + escape(account.name) +
                       "</strong>（" + escape(account.company) + "）。</p>\n";
    body += "<p>账户余额：<strong id=\"balance\">" + format_yuan(account.balance) + "</strong> 元　·　名片 " +
            std::to_string(account.contacts.size()) + " 张　·　已发送 " + std::to_string(account.sent.size()) +
            " 批短信</p>\n";
    if (account.settings.reminder_enabled && account.balance < account.settings.reminder_below)
        body += "<p class=\"feedback error\">余额已低于提醒值 " + format_yuan(account.settings.reminder_below) +
                " 元，请及时<a href=\"/?ac=pay\">充值</a>。</p>\n";
    body += "</div>\n<h2>常用功能</h2>\n<p>"
            "<a href=\"/?ac=send\">名片发送</a>　<a href=\"/?ac=sends&amp;fun=import\">导入发送</a>　"
            "<a href=\"/?ac=history\">发送记录</a>　<a href=\"/?ac=card\">名片管理</a>　"
            "<a href=\"/?ac=pay\">在线充值</a></p>\n<h2>最近发送</h2>\n";
    std::vector<std::vector<std::string>> rows;
    for (auto it = account.sent.rbegin(); it != account.sent.rend() && rows.size() < 3; ++it)
        rows.push_back({it->time, parts::join(it->numbers), it->text});
    body += parts::table({"发送时间", "接收号码", "短信内容"}, rows, "暂无发送记录。");
    return render_work_page({PageId::Home, account.name, body, {}, {}, true});
}

} // namespace varnock::demo
