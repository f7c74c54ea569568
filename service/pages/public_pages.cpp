#include "pages.hpp"

#include "demo_data.hpp"
#include "html.hpp"
#include "page_key.hpp"

namespace varnock::demo {
namespace {

struct ErrorText {
    int status;
    std::string_view title;
    std::string_view detail;
};

constexpr ErrorText error_texts[] = {
    {400, "请求有误", "提交的内容格式不正确，请返回上一页检查后重试。"},
    {403, "禁止访问", "您没有权限访问此页面。"},
    {404, "页面不存在", "您访问的页面不存在，请检查地址是否正确。"},
    {405, "不支持的请求方式", "此页面不支持这种请求方式。"},
    {408, "请求超时", "服务器等待请求的时间过长，请重试。"},
    {413, "提交的内容过大", "提交的内容超过了 1 MB 的上限，请缩小文件后重试。"},
    {414, "请求地址过长", "请求的地址过长，服务器无法处理。"},
    {416, "请求范围无效", "请求的内容范围无效。"},
    {431, "请求头过大", "请求头过大，请清除浏览器 Cookie 后重试。"},
    {500, "服务器内部错误", "服务器处理请求时出错，请稍后再试。"},
    {503, "服务暂不可用", "服务暂时无法处理请求，请稍后再试。"},
};

} // namespace

std::string login_page(std::string_view error) {
    // Sized for the client's small login window (about 350 × 250 pixels).
    std::string body =
        "<style>"
        ".login{max-width:420px;margin:0 auto;padding:8px 12px}"
        ".login h1{font-size:16px;margin:4px 0 8px}"
        ".login .row{display:flex;align-items:center;gap:8px;margin:0 0 6px}"
        ".login .row label{flex:0 0 3.5em;margin:0}"
        ".login .row input{flex:1;min-width:0;margin:0}"
        ".login .panel{margin:6px 0;padding:4px 8px;font-size:12px}"
        ".login .feedback{margin:0 0 6px;padding:4px 8px}"
        "</style>\n<main class=\"login\">\n<h1>Varnock短信平台 · 用户登录</h1>\n";
    if (!error.empty())
        body += "<div class=\"feedback error\" id=\"login-error\" role=\"alert\">" + escape(error) + "</div>\n";
    body += "<form method=\"post\" action=\"/?fun=login\">\n"
            "<div class=\"row\"><label for=\"user\">用户名</label>"
            "<input type=\"text\" id=\"user\" name=\"user\" autocomplete=\"username\" autofocus></div>\n"
            "<div class=\"row\"><label for=\"password\">密码</label>"
            "<input type=\"password\" id=\"password\" name=\"password\" autocomplete=\"current-password\"></div>\n"
            "<div class=\"row\"><label></label><button type=\"submit\">登录</button></div>\n</form>\n";
    body += "<p class=\"panel\" id=\"demo-account\">演示账户：<strong>" + escape(demo_user) +
            "</strong>　密码：<strong>" + escape(demo_password) + "</strong></p>\n";
    body += "<iframe src=\"/?fun=notice\" title=\"平台公告\" style=\"width:100%;height:120px;border:1px solid #dde;"
            "background:#fff\"></iframe>\n</main>\n";
    return render_bare_page(page_title(page_name(PageId::Login)), body);
}

std::string notice_page() {
    const std::string body = "<main style=\"padding:8px 12px\">\n<h2 style=\"margin-top:0\">平台公告</h2>\n<ul>\n"
                             "<li>演示平台的数据仅保存在内存中，服务重启后恢复初始状态。</li>\n"
                             "<li>短信单价 0.05 元/条，70 字以内计 1 条，超出按 67 字/条计费。</li>\n"
                             "<li>营销类短信请在 8:00 至 21:00 之间发送，并附带退订方式。</li>\n"
                             "</ul>\n</main>\n";
    return render_bare_page(page_title(page_name(PageId::Notice)), body);
}

std::string error_page(int status) {
    ErrorText text{status, "请求无法完成", "服务器无法完成此请求。"};
    for (const auto& known : error_texts)
        if (known.status == status)
            text = known;
    std::string body = "<main style=\"max-width:560px;margin:40px auto\">\n<h1>" + escape(text.title) + "</h1>\n";
    body += "<p id=\"error-detail\">" + escape(text.detail) + "</p>\n";
    body += "<p class=\"muted\">错误代码：" + std::to_string(status) + "</p>\n";
    body += "<p><a href=\"/?ac=home\">返回工作台</a>　<a href=\"/?fun=login\">重新登录</a></p>\n</main>\n";
    return render_bare_page(page_title(text.title), body);
}

} // namespace varnock::demo
