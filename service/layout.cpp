#include "layout.hpp"

#include "html.hpp"

#include <array>

namespace varnock::demo {
namespace {

constexpr std::string_view base_style = R"(<style>
body{margin:0;font-family:"Noto Sans CJK SC","Microsoft YaHei",sans-serif;font-size:14px;color:#222;background:#f3f5f8}
a{color:#1a5fb4}
header.top{display:flex;align-items:center;gap:16px;background:#1a5fb4;color:#fff;padding:10px 18px}
header.top .brand{font-weight:bold;font-size:16px;flex:1}
header.top a{color:#fff}
.wrap{display:flex;align-items:flex-start}
nav.menu{width:170px;background:#fff;border-right:1px solid #dde;min-height:calc(100vh - 40px);padding:8px 0}
nav.menu h3{font-size:13px;color:#666;margin:12px 14px 4px}
nav.menu a{display:block;padding:4px 20px;text-decoration:none}
nav.menu a.current{background:#e4ecf7;font-weight:bold}
main{flex:1;padding:16px 24px;max-width:960px}
h1{font-size:20px;margin:4px 0 14px}
h2{font-size:16px;margin:18px 0 8px}
table{border-collapse:collapse;background:#fff;width:100%}
th,td{border:1px solid #ccd;padding:5px 8px;text-align:left;vertical-align:top}
th{background:#eef2f8}
form.box,.panel{background:#fff;border:1px solid #dde;padding:12px 16px;margin-bottom:14px}
label{display:block;margin:8px 0 3px}
input[type=text],input[type=password],input[type=datetime-local],textarea,select{width:100%;max-width:420px;box-sizing:border-box;padding:5px}
textarea{height:90px}
button,input[type=submit]{margin-top:10px;padding:5px 16px}
.feedback{padding:8px 12px;margin-bottom:12px;border:1px solid}
.feedback.success{background:#e9f7ec;border-color:#8c8;color:#185a26}
.feedback.error{background:#fdecec;border-color:#d88;color:#8a1c1c}
.muted{color:#777}
.amount{text-align:right}
</style>
)";

struct MenuGroup {
    std::string_view title;
    std::array<PageId, 6> pages;
    std::size_t count;
};

constexpr std::array menu{
    MenuGroup{"短信发送", {PageId::Send, PageId::ImportSend, PageId::History, PageId::Timed}, 4},
    MenuGroup{"短信管理", {PageId::Receive, PageId::State}, 2},
    MenuGroup{"客户管理", {PageId::Card, PageId::ContactExport}, 2},
    MenuGroup{"账户管理",
              {PageId::Info, PageId::Pay, PageId::Voucher, PageId::Consume, PageId::Password, PageId::Setting},
              6},
};

std::string document(std::string_view title, std::string_view head_extra, std::string_view body,
                     std::string_view script) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    out += escape(title);
    out += "</title>\n";
    out += base_style;
    out += head_extra;
    out += "</head>\n<body>\n";
    out += body;
    if (!script.empty()) {
        out += "<script>\n";
        out += script;
        out += "\n</script>\n";
    }
    out += "</body>\n</html>\n";
    return out;
}

std::string menu_html(PageId current) {
    std::string out = "<nav class=\"menu\">\n<a href=\"/?ac=home\"";
    out += current == PageId::Home ? " class=\"current\"" : "";
    out += ">工作台</a>\n";
    for (const auto& group : menu) {
        out += "<h3>" + std::string(group.title) + "</h3>\n";
        for (std::size_t i = 0; i < group.count; ++i) {
            const PageId page = group.pages[i];
            out += "<a href=\"" + escape(page_address(page)) + "\"";
            if (page == current)
                out += " class=\"current\"";
            out += ">" + escape(page_name(page)) + "</a>\n";
        }
    }
    return out + "</nav>\n";
}

} // namespace

std::string feedback_box(const std::optional<Feedback>& feedback) {
    if (!feedback || feedback->lines.empty())
        return {};
    const bool ok = feedback->kind == Feedback::Kind::Success;
    std::string out = ok ? "<div class=\"feedback success\" id=\"feedback\">"
                         : "<div class=\"feedback error\" id=\"feedback\" role=\"alert\">";
    for (std::size_t i = 0; i < feedback->lines.size(); ++i) {
        if (i > 0)
            out += "<br>";
        out += escape(feedback->lines[i]);
    }
    return out + "</div>\n";
}

std::string page_title(std::string_view page_name) {
    return std::string(page_name) + " - Varnock短信平台";
}

std::string render_work_page(const WorkPage& page) {
    std::string body = "<header class=\"top\"><span class=\"brand\">Varnock短信平台</span>"
                       "<span class=\"user\">当前账户：<strong id=\"account-name\">";
    body += escape(page.account);
    body += "</strong></span><a class=\"logout\" href=\"/?fun=logout\">退出登录</a></header>\n";
    if (page.with_menu) {
        body += "<div class=\"wrap\">\n" + menu_html(page.page) + "<main>\n";
    } else {
        body += "<div class=\"wrap\">\n<main>\n";
    }
    body += "<h1>" + escape(page_name(page.page)) + "</h1>\n";
    body += page.body;
    body += "</main>\n</div>\n";
    return document(page_title(page_name(page.page)), page.head_extra, body, page.script);
}

std::string render_bare_page(std::string_view title, std::string_view body) {
    return document(title, {}, body, {});
}

} // namespace varnock::demo
