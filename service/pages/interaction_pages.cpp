#include "pages.hpp"

#include "page_parts.hpp"

#include <map>

namespace varnock::demo {

std::string receive_page(const Account& account) {
    std::string body = parts::paragraph("客户回复的短信按时间倒序列出。", "muted");
    std::vector<std::vector<std::string>> rows;
    for (auto it = account.replies.rbegin(); it != account.replies.rend(); ++it)
        rows.push_back({it->time, it->from, it->text});
    body += parts::table({"回复时间", "手机号码", "回复内容"}, rows, "暂无客户回复。", "replies");
    return render_work_page({PageId::Receive, account.name, body, {}, {}, true});
}

std::string state_page(const Account& account) {
    std::map<std::string, int> totals;
    std::vector<std::vector<std::string>> rows;
    for (auto it = account.deliveries.rbegin(); it != account.deliveries.rend(); ++it) {
        ++totals[it->state];
        rows.push_back({std::to_string(it->message_id), it->mobile, it->state, it->time});
    }
    std::string summary = "共 " + std::to_string(account.deliveries.size()) + " 条";
    for (const auto& [state, count] : totals)
        summary += "，" + state + " " + std::to_string(count) + " 条";
    std::string body = parts::paragraph(summary + "。", "panel");
    body += parts::table({"短信编号", "手机号码", "状态", "回执时间"}, rows, "暂无状态报告。", "states");
    return render_work_page({PageId::State, account.name, body, {}, {}, true});
}

} // namespace varnock::demo
