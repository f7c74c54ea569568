#include "pages.hpp"

#include "forms.hpp"
#include "html.hpp"
#include "page_parts.hpp"

namespace varnock::demo {

std::string info_page(const Account& account) {
    const std::vector<std::vector<std::string>> rows{
        {"账户名称", account.name},
        {"公司名称", account.company},
        {"开户时间", account.created},
        {"账户余额", format_yuan(account.balance) + " 元"},
        {"短信单价", format_yuan(account.price) + " 元/条"},
        {"短信签名", account.settings.signature.empty() ? "（未设置）" : "【" + account.settings.signature + "】"},
        {"名片数量", std::to_string(account.contacts.size())},
        {"发送批次", std::to_string(account.sent.size())},
    };
    const std::string body = parts::table({"项目", "内容"}, rows, "", "account-info");
    return render_work_page({PageId::Info, account.name, body, {}, {}, true});
}

std::string pay_page(const Account& account) {
    std::string body = "<p class=\"panel\">当前余额 <strong id=\"balance\">" + format_yuan(account.balance) +
                       "</strong> 元。充值在新窗口的支付页面中完成，完成后可在充值记录中查看。</p>\n";
    body += "<p><button type=\"button\" id=\"open-checkout\">前往支付</button>　"
            "<a href=\"/?ac=pay&amp;fun=checkout\" target=\"_blank\" id=\"checkout-link\">在新窗口打开支付页面</a></p>\n";
    const std::string script =
        "document.getElementById('open-checkout').addEventListener('click', function () {\n"
        "  window.open('/?ac=pay&fun=checkout', 'varnock_checkout', 'width=560,height=640');\n"
        "});";
    return render_work_page({PageId::Pay, account.name, body, {}, script, true});
}

std::string checkout_page(const Account& account, const FormView& form, const std::optional<TopUp>& done) {
    std::string body;
    if (done) {
        body += "<div class=\"feedback success\" id=\"feedback\">充值成功：" + format_yuan(done->amount) +
                " 元已到账（" + escape(done->method) + "，订单号 <span id=\"order-no\">" + escape(done->order_no) +
                "</span>）。</div>\n";
        body += "<p>当前余额 <strong id=\"balance\">" + format_yuan(account.balance) + "</strong> 元。</p>\n";
        body += "<p><button type=\"button\" onclick=\"window.close()\">关闭窗口</button>　"
                "<a href=\"/?ac=voucher\">查看充值记录</a></p>\n";
        return render_work_page({PageId::Checkout, account.name, body, {}, {}, false});
    }
    body += feedback_box(form.feedback);
    body += "<p class=\"panel\">充值账户：<strong id=\"checkout-account\">" + escape(account.name) +
            "</strong>　当前余额 " + format_yuan(account.balance) + " 元</p>\n";
    body += "<form class=\"box\" method=\"post\" action=\"/?ac=pay&amp;fun=checkout\">\n";
    const std::string amount = form.values.get("amount").value_or("100");
    body += parts::text_input("充值金额（元）", "amount", amount);
    body += "<label for=\"f-method\">支付方式</label><select id=\"f-method\" name=\"method\">\n";
    const std::string chosen = form.values.value_or_empty("method");
    for (const char* method : top_up_methods)
        body += std::string("<option") + (chosen == method ? " selected" : "") + ">" + escape(method) + "</option>\n";
    body += "</select>\n<button type=\"submit\">确认支付</button>\n</form>\n";
    return render_work_page({PageId::Checkout, account.name, body, {}, {}, false});
}

std::string voucher_page(const Account& account) {
    Fen total = 0;
    std::vector<std::vector<std::string>> rows;
    for (auto it = account.top_ups.rbegin(); it != account.top_ups.rend(); ++it) {
        total += it->amount;
        rows.push_back({it->order_no, it->time, format_yuan(it->amount), it->method, it->status});
    }
    std::string body = parts::paragraph("累计充值 " + format_yuan(total) + " 元。", "panel");
    body += parts::table({"订单号", "充值时间", "金额（元）", "支付方式", "状态"}, rows, "暂无充值记录。", "top-ups");
    return render_work_page({PageId::Voucher, account.name, body, {}, {}, true});
}

std::string consume_page(const Account& account) {
    Fen total = 0;
    std::vector<std::vector<std::string>> rows;
    for (auto it = account.charges.rbegin(); it != account.charges.rend(); ++it) {
        total += it->amount;
        rows.push_back({it->time, it->item, std::to_string(it->units), format_yuan(it->amount),
                        format_yuan(it->balance_after)});
    }
    std::string body = parts::paragraph("累计消费 " + format_yuan(total) + " 元。", "panel");
    body += parts::table({"时间", "项目", "计费条数", "金额（元）", "余额（元）"}, rows, "暂无消费记录。", "charges");
    return render_work_page({PageId::Consume, account.name, body, {}, {}, true});
}

std::string password_page(const Account& account, const std::optional<Feedback>& feedback) {
    // Password fields are never filled in again.
    std::string body = feedback_box(feedback);
    body += "<form class=\"box\" method=\"post\" action=\"/?fun=edit\">\n";
    body += parts::text_input("原密码", "old_password", "", "password");
    body += parts::text_input("新密码（6 至 32 位）", "new_password", "", "password");
    body += parts::text_input("确认新密码", "confirm_password", "", "password");
    body += "<button type=\"submit\">修改密码</button>\n</form>\n";
    return render_work_page({PageId::Password, account.name, body, {}, {}, true});
}

std::string setting_page(const Account& account, const FormView& form) {
    const bool submitted = !form.values.empty();
    const Settings& saved = account.settings;
    const auto value = [&](std::string_view name, const std::string& stored) {
        return submitted ? form.values.value_or_empty(name) : stored;
    };
    const bool reminder = submitted ? form.values.value_or_empty("reminder") == "on" : saved.reminder_enabled;

    std::string body = feedback_box(form.feedback);
    body += "<form class=\"box\" method=\"post\" action=\"/?ac=setting\">\n<h2>短信签名</h2>\n";
    body += parts::text_input("签名（发送时以【签名】加在短信开头，留空则不加）", "signature",
                              value("signature", saved.signature));
    body += "<h2 id=\"reminder\">设置提醒</h2>\n<label><input type=\"checkbox\" name=\"reminder\" value=\"on\"";
    body += reminder ? " checked" : "";
    body += "> 余额不足时短信提醒</label>\n";
    body += parts::text_input("余额低于（元）时提醒", "reminder_below",
                              value("reminder_below", format_yuan(saved.reminder_below)));
    body += parts::text_input("提醒手机号码", "reminder_mobile", value("reminder_mobile", saved.reminder_mobile));
    body += "<button type=\"submit\">保存设置</button>\n</form>\n";
    return render_work_page({PageId::Setting, account.name, body, {}, {}, true});
}

} // namespace varnock::demo
