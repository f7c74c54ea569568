#include "pages.hpp"

#include "page_parts.hpp"

namespace varnock::demo {

std::string card_page(const Account& account, const FormView& form) {
    std::string body = feedback_box(form.feedback);
    body += "<form class=\"box\" method=\"post\" action=\"/?ac=card\">\n<strong>添加名片</strong>\n";
    body += parts::text_input("姓名", "name", form.values.value_or_empty("name"));
    body += parts::text_input("手机", "mobile", form.values.value_or_empty("mobile"));
    body += parts::text_input("公司", "company", form.values.value_or_empty("company"));
    body += "<button type=\"submit\">添加</button>\n</form>\n";
    body += "<h2>名片列表（" + std::to_string(account.contacts.size()) + " 张）</h2>\n";
    std::vector<std::vector<std::string>> rows;
    for (const auto& contact : account.contacts)
        rows.push_back({contact.name, contact.mobile, contact.company});
    body += parts::table({"姓名", "手机", "公司"}, rows, "暂无名片。", "contacts");
    body += "<p><a href=\"/?ac=card_io&amp;fun=export\">下载客户资料备份（CSV）</a></p>\n";
    return render_work_page({PageId::Card, account.name, body, {}, {}, true});
}

} // namespace varnock::demo
