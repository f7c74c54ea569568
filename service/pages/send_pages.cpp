#include "pages.hpp"

#include "html.hpp"
#include "page_parts.hpp"

namespace varnock::demo {
namespace {

constexpr std::string_view pick_script =
    "document.querySelectorAll('button.pick').forEach(function (b) {\n"
    "  b.addEventListener('click', function () {\n"
    "    var box = document.getElementById('f-numbers');\n"
    "    box.value = box.value.trim() ? box.value.trim() + '\\n' + b.dataset.mobile : b.dataset.mobile;\n"
    "  });\n"
    "});";

std::string pricing_note(const Account& account) {
    std::string note = "<p class=\"panel\">账户余额 <strong id=\"balance\">" + format_yuan(account.balance) +
                       "</strong> 元，单价 " + format_yuan(account.price) + " 元/条。";
    if (!account.settings.signature.empty())
        note += "发送时自动添加签名【" + escape(account.settings.signature) + "】。";
    return note + "</p>\n";
}

} // namespace

std::string send_page(const Account& account, const FormView& form, bool announce_sent) {
    std::string body = feedback_box(form.feedback) + pricing_note(account);
    body += "<form class=\"box\" method=\"post\" action=\"/?ac=send\">\n";
    body += parts::text_area("接收号码（每行一个，或用逗号分隔）", "numbers", form.values.value_or_empty("numbers"));
    body += parts::text_area("短信内容", "message", form.values.value_or_empty("message"));
    body += "<button type=\"submit\">发送</button>\n</form>\n";
    body += "<details class=\"panel\"><summary>从名片中选择号码</summary>\n<p>";
    for (const auto& contact : account.contacts)
        body += "<button type=\"button\" class=\"pick\" data-mobile=\"" + escape(contact.mobile) + "\">" +
                escape(contact.name) + " " + escape(contact.mobile) + "</button> ";
    body += "</p></details>\n";

    std::string script(pick_script);
    if (announce_sent)
        script += "\nwindow.addEventListener('load', function () { alert(\"发送成功\"); });";
    return render_work_page({PageId::Send, account.name, body, {}, script, true});
}

std::string import_page(const Account& account, const std::optional<NumberList>& result,
                        const std::optional<Feedback>& feedback) {
    std::string body = feedback_box(feedback);
    body += "<form class=\"box\" method=\"post\" action=\"/?ac=sends&amp;fun=import\" enctype=\"multipart/form-data\">\n"
            "<label for=\"f-list\">号码文件（CSV）</label>"
            "<input type=\"file\" id=\"f-list\" name=\"list\" accept=\".csv,text/csv\">\n"
            "<p class=\"muted\">每行一个手机号码，或取第一列；可带标题行；UTF-8 编码（可带 BOM）。</p>\n"
            "<button type=\"submit\">导入</button>\n</form>\n";

    if (result) {
        body += "<h2>本次导入结果</h2>\n<p>成功导入 <strong id=\"imported-count\">" +
                std::to_string(result->numbers.size()) + "</strong> 个号码，未导入 <strong id=\"rejected-count\">" +
                std::to_string(result->rejected.size()) + "</strong> 条。</p>\n";
        body += "<ul id=\"imported-numbers\">\n";
        for (const auto& number : result->numbers)
            body += "<li>" + escape(number) + "</li>\n";
        body += "</ul>\n";
        std::vector<std::vector<std::string>> rows;
        for (const auto& entry : result->rejected)
            rows.push_back({std::to_string(entry.line), entry.value, entry.reason});
        body += parts::table({"行号", "内容", "原因"}, rows, "没有未导入的行。", "rejected");
    }

    body += "<h2>当前号码列表（" + std::to_string(account.imported.size()) + " 个）</h2>\n";
    if (account.imported.empty()) {
        body += parts::paragraph("尚未导入号码。", "muted");
    } else {
        body += "<p id=\"kept-numbers\">" + escape(parts::join(account.imported)) + "</p>\n";
        body += "<form class=\"box\" method=\"post\" action=\"/?ac=send\">\n"
                "<input type=\"hidden\" name=\"numbers\" value=\"" +
                escape(parts::join(account.imported, ",")) + "\">\n";
        body += parts::text_area("向以上号码发送的短信内容", "message", "");
        body += "<button type=\"submit\">发送</button>\n</form>\n";
    }
    return render_work_page({PageId::ImportSend, account.name, body, {}, {}, true});
}

std::string history_page(const Account& account) {
    const std::string print_style =
        "<style media=\"print\">\nheader.top,nav.menu,.noprint{display:none}\nbody{background:#fff}\n"
        "main{padding:0;max-width:none}\ntable{font-size:11px}\nth{background:#fff}\n</style>\n";
    std::string body = "<p class=\"noprint\"><button type=\"button\" onclick=\"window.print()\">打印</button></p>\n";
    std::vector<std::vector<std::string>> rows;
    for (auto it = account.sent.rbegin(); it != account.sent.rend(); ++it)
        rows.push_back({std::to_string(it->id), it->time, parts::join(it->numbers), it->text,
                        std::to_string(it->numbers.size()), std::to_string(it->segments), format_yuan(it->cost)});
    body += parts::table({"编号", "发送时间", "接收号码", "短信内容", "号码数", "每号条数", "费用（元）"}, rows,
                         "暂无发送记录。", "history");
    return render_work_page({PageId::History, account.name, body, print_style, {}, true});
}

std::string timed_page(const Account& account, const FormView& form) {
    std::string body = feedback_box(form.feedback);
    body += "<form class=\"box\" method=\"post\" action=\"/?ac=time\">\n";
    body += parts::text_area("接收号码", "numbers", form.values.value_or_empty("numbers"));
    body += parts::text_area("短信内容", "message", form.values.value_or_empty("message"));
    body += parts::text_input("发送时间", "send_at", form.values.value_or_empty("send_at"), "datetime-local");
    body += "<button type=\"submit\">提交定时短信</button>\n</form>\n<h2>定时任务</h2>\n";
    std::vector<std::vector<std::string>> rows;
    for (const auto& timed : account.timed)
        rows.push_back({std::to_string(timed.id), timed.send_at, parts::join(timed.numbers), timed.text, timed.status});
    body += parts::table({"编号", "发送时间", "接收号码", "短信内容", "状态"}, rows, "暂无定时短信。", "timed");
    return render_work_page({PageId::Timed, account.name, body, {}, {}, true});
}

} // namespace varnock::demo
