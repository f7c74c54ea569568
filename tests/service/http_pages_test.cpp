// The work pages over real HTTP: every address, the forms, downloads and errors.

#include "service_fixture.hpp"

#include <stdexcept>

namespace varnock::demo::testing {
namespace {

struct PageCase {
    const char* target;
    const char* name;
};

constexpr PageCase work_pages[] = {
    {"/?ac=home", "工作台"},         {"/?ac=send", "名片发送"},         {"/?ac=sends&fun=import", "导入发送"},
    {"/?ac=history", "发送记录"},    {"/?ac=time", "定时短信"},         {"/?ac=receive", "短信互动"},
    {"/?ac=state", "短信状态"},      {"/?ac=card", "名片管理"},         {"/?info", "账户信息"},
    {"/?ac=pay", "在线充值"},        {"/?ac=pay&fun=checkout", "支付"}, {"/?ac=voucher", "充值记录查询"},
    {"/?ac=consume", "消费记录查询"}, {"/?fun=edit", "修改密码"},        {"/?ac=setting", "系统设置"},
};

using WorkPagesTest = ServiceFixture;

TEST_F(WorkPagesTest, EveryPageAnswersWithASessionWithHeaderAndTitle) {
    const std::string sid = login();
    for (const auto& page : work_pages) {
        SCOPED_TRACE(page.target);
        const auto res = get(page.target, sid);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_TRUE(contains(res->body, std::string("<title>") + page.name + " - Varnock短信平台</title>"));
        EXPECT_TRUE(contains(res->body, "id=\"account-name\">demo<"));
        EXPECT_TRUE(contains(res->body, "<a class=\"logout\" href=\"/?fun=logout\">退出登录</a>"));
    }
}

TEST_F(WorkPagesTest, EveryPageRedirectsToLoginWithoutSession) {
    for (const auto& page : work_pages) {
        SCOPED_TRACE(page.target);
        for (const bool post : {false, true}) {
            const auto res = post ? post_form(page.target, "x=1") : get(page.target);
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, 303);
            EXPECT_EQ(res->get_header_value("Location"), "/?fun=login");
        }
    }
    const auto download = get("/?ac=card_io&fun=export");
    ASSERT_TRUE(download);
    EXPECT_EQ(download->get_header_value("Location"), "/?fun=login");
}

TEST_F(WorkPagesTest, UnknownAddressesAreNotFound) {
    const std::string sid = login();
    for (const char* target : {"/?ac=nope", "/?ac=card_io", "/?ac=sends", "/?fun=unknown", "/other", "/?x=1"}) {
        for (const std::string& session : {std::string{}, sid}) {
            const auto res = get(target, session);
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, 404) << target;
            EXPECT_TRUE(contains(res->body, "页面不存在")) << target;
        }
    }
}

TEST_F(WorkPagesTest, ReadOnlyPagesRefuseOtherMethods) {
    const std::string sid = login();
    EXPECT_EQ(post_form("/?ac=history", "a=1", sid)->status, 405);
    EXPECT_EQ(client().Delete("/?ac=home", with_session(sid))->status, 405);
    const auto res = post_form("/?ac=card", "name=%zz", sid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400);
}

using SendTest = ServiceFixture;

TEST_F(SendTest, SendingAddsToHistoryAndAnnouncesSuccess) {
    const std::string sid = login();
    const auto before = get("/?ac=history", sid);
    ASSERT_FALSE(contains(before->body, "周五到货通知"));

    const auto res = post_form("/?ac=send", "numbers=13800138000%0A13912345678&message=%E5%91%A8%E4%BA%94%E5%88%B0"
                                            "%E8%B4%A7%E9%80%9A%E7%9F%A5",
                               sid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_TRUE(contains(res->body, "window.addEventListener('load', function () { alert(\"发送成功\"); });"));
    EXPECT_TRUE(contains(res->body, "发送成功：2 个号码"));

    const auto history = get("/?ac=history", sid);
    EXPECT_TRUE(contains(history->body, "【Varnock】周五到货通知"));
    EXPECT_TRUE(contains(history->body, "<style media=\"print\">"));
    EXPECT_TRUE(contains(get("/?ac=consume", sid)->body, "短信发送（2 个号码）"));
    EXPECT_FALSE(contains(get("/?ac=send", sid)->body, "alert("));
}

TEST_F(SendTest, InvalidInputIsExplainedAndNothingIsSent) {
    const std::string sid = login();
    const auto res = post_form("/?ac=send", "numbers=12345&message=hello+%3Cb%3E", sid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_TRUE(contains(res->body, "以下号码格式不正确：12345"));
    EXPECT_FALSE(contains(res->body, "alert("));
    EXPECT_TRUE(contains(res->body, "hello &lt;b&gt;</textarea>")); // kept for correction, escaped
    EXPECT_FALSE(contains(get("/?ac=history", sid)->body, "hello"));
}

using ImportTest = ServiceFixture;

TEST_F(ImportTest, MultipartCsvIsImportedAndKept) {
    const std::string sid = login();
    const std::string csv = "\xEF\xBB\xBF手机,姓名\r\n13800138000,张伟\r\n12345,坏号码\r\n15026668888\r\n13800138000\r\n";
    const httplib::MultipartFormDataItems items{{"list", csv, "numbers.csv", "text/csv"}};
    const auto res = client().Post("/?ac=sends&fun=import", with_session(sid), items);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_TRUE(contains(res->body, "<strong id=\"imported-count\">2</strong>"));
    EXPECT_TRUE(contains(res->body, "<li>13800138000</li>\n<li>15026668888</li>"));
    EXPECT_TRUE(contains(res->body, "<td>3</td><td>12345</td><td>号码格式不正确</td>"));
    EXPECT_TRUE(contains(res->body, "<td>5</td><td>13800138000</td><td>重复号码</td>"));

    const auto later = get("/?ac=sends&fun=import", sid);
    EXPECT_TRUE(contains(later->body, "<p id=\"kept-numbers\">13800138000、15026668888</p>"));
    EXPECT_TRUE(contains(later->body, "<input type=\"file\" id=\"f-list\" name=\"list\" accept=\".csv,text/csv\">"));
}

TEST_F(ImportTest, FileWithoutValidNumbersKeepsThePreviousList) {
    const std::string sid = login();
    client().Post("/?ac=sends&fun=import", with_session(sid),
                  httplib::MultipartFormDataItems{{"list", "13800138000\n", "a.csv", "text/csv"}});
    const auto res = client().Post("/?ac=sends&fun=import", with_session(sid),
                                   httplib::MultipartFormDataItems{{"list", "12\n<img src=x>\n", "b.csv", "text/csv"}});
    ASSERT_TRUE(res);
    EXPECT_TRUE(contains(res->body, "文件中没有有效的手机号码"));
    EXPECT_TRUE(contains(res->body, "&lt;img src=x&gt;"));
    EXPECT_FALSE(contains(res->body, "<img src=x>"));
    EXPECT_TRUE(contains(res->body, "<p id=\"kept-numbers\">13800138000</p>"));

    const auto no_file = post_form("/?ac=sends&fun=import", "list=13800138000", sid);
    EXPECT_TRUE(contains(no_file->body, "请选择要导入的 CSV 文件"));
}

using ContactsTest = ServiceFixture;

TEST_F(ContactsTest, ExportIsACsvDownloadOfAllContacts) {
    const std::string sid = login();
    post_form("/?ac=card", "name=%E8%B5%B5%E5%85%AD&mobile=13700001111&company=A%2C+B", sid);
    const auto res = get("/?ac=card_io&fun=export", sid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/csv; charset=utf-8");
    EXPECT_EQ(res->get_header_value("Content-Disposition"), "attachment; filename=\"contacts.csv\"");
    const std::string& csv = res->body;
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF姓名,手机,公司\r\n"));
    EXPECT_TRUE(contains(csv, "\r\n张伟,13800138000,华东物流有限公司\r\n"));
    EXPECT_TRUE(csv.ends_with("\r\n赵六,13700001111,\"A, B\"\r\n"));
    // Six contacts and the heading, every line ended by CR LF.
    std::size_t lines = 0;
    for (std::size_t pos = csv.find("\r\n"); pos != std::string::npos; pos = csv.find("\r\n", pos + 2))
        ++lines;
    EXPECT_EQ(lines, 7u);
    EXPECT_EQ(csv.find('\n'), csv.find("\r\n") + 1);
}

TEST_F(ContactsTest, AddedContactsAreEscapedAndUnique) {
    const std::string sid = login();
    const auto added = post_form("/?ac=card", "name=%3Ci%3E%E7%94%B2%3C%2Fi%3E&mobile=13700002222", sid);
    ASSERT_TRUE(added);
    EXPECT_TRUE(contains(added->body, "已添加名片：&lt;i&gt;甲&lt;/i&gt;"));
    EXPECT_TRUE(contains(added->body, "<td>&lt;i&gt;甲&lt;/i&gt;</td>"));
    EXPECT_FALSE(contains(added->body, "<i>甲"));
    const auto again = post_form("/?ac=card", "name=x&mobile=13700002222", sid);
    EXPECT_TRUE(contains(again->body, "该手机号码已在名片中"));
}

using PaymentTest = ServiceFixture;

TEST_F(PaymentTest, PayPageOpensCheckoutInANewWindow) {
    const std::string sid = login();
    const auto res = get("/?ac=pay", sid);
    ASSERT_TRUE(res);
    EXPECT_TRUE(contains(res->body, "window.open('/?ac=pay&fun=checkout', "));
    EXPECT_TRUE(contains(res->body, "<a href=\"/?ac=pay&amp;fun=checkout\" target=\"_blank\""));
    const auto checkout = get("/?ac=pay&fun=checkout", sid);
    EXPECT_TRUE(contains(checkout->body, "<strong id=\"checkout-account\">demo</strong>"));
}

TEST_F(PaymentTest, CheckoutTopsUpAndIsListed) {
    const std::string sid = login();
    const auto res = post_form("/?ac=pay&fun=checkout", "amount=88&method=%E6%94%AF%E4%BB%98%E5%AE%9D", sid);
    ASSERT_TRUE(res);
    EXPECT_TRUE(contains(res->body, "充值成功：88.00 元已到账"));
    const auto start = res->body.find("<span id=\"order-no\">") + 20;
    const std::string order = res->body.substr(start, res->body.find('<', start) - start);
    ASSERT_TRUE(order.starts_with("VN"));
    const auto listed = get("/?ac=voucher", sid);
    EXPECT_TRUE(contains(listed->body, "<td>" + order + "</td>"));
    EXPECT_TRUE(contains(listed->body, "<td>88.00</td><td>支付宝</td>"));

    const auto refused = post_form("/?ac=pay&fun=checkout", "amount=-5&method=%E6%94%AF%E4%BB%98%E5%AE%9D", sid);
    EXPECT_TRUE(contains(refused->body, "充值金额应在 1 至 50000 元之间"));
}

using SettingsTest = ServiceFixture;

TEST_F(SettingsTest, SavedSettingsAreShownAndUsed) {
    const std::string sid = login();
    const auto saved = post_form(
        "/?ac=setting", "signature=%E5%B0%8F%E5%BA%97&reminder=on&reminder_below=30&reminder_mobile=13800138000", sid);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(contains(saved->body, "设置已保存"));
    EXPECT_TRUE(contains(saved->body, "value=\"30.00\""));
    post_form("/?ac=send", "numbers=13800138000&message=hi", sid);
    EXPECT_TRUE(contains(get("/?ac=history", sid)->body, "【小店】hi"));

    const auto refused = post_form("/?ac=setting", "signature=&reminder_below=abc", sid);
    EXPECT_TRUE(contains(refused->body, "提醒金额应为不小于 0 的金额"));
}

TEST_F(SettingsTest, TimedMessagesAreListed) {
    const std::string sid = login();
    const auto res =
        post_form("/?ac=time", "numbers=13800138000&message=later&send_at=2099-01-02T03%3A04", sid);
    ASSERT_TRUE(res);
    EXPECT_TRUE(contains(res->body, "已添加定时短信，将于 2099-01-02 03:04 发送"));
    EXPECT_TRUE(contains(res->body, "<td>2099-01-02 03:04</td><td>13800138000</td><td>later</td>"));
}

using ErrorPagesTest = ServiceFixture;

TEST_F(ErrorPagesTest, OversizedBodyGetsAChineseErrorPage) {
    const std::string sid = login();
    const std::string body = "message=" + std::string(max_body_bytes, 'a');
    const auto res = post_form("/?ac=send", body, sid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_TRUE(contains(res->body, "提交的内容过大"));
    // The service carries on.
    EXPECT_EQ(get("/?ac=home", sid)->status, 200);
}

TEST_F(ErrorPagesTest, OversizedHeaderGetsAnErrorPage) {
    const auto res = client().Get("/?ac=home", {{"X-Filler", std::string(20000, 'h')}});
    ASSERT_TRUE(res);
    EXPECT_GE(res->status, 400);
    EXPECT_TRUE(contains(res->body, "Varnock短信平台"));
    EXPECT_EQ(get("/?fun=login")->status, 200);
}

class ThrowingSite : public Site {
public:
    void handle(const httplib::Request&, httplib::Response& response) override {
        response.set_header("Set-Cookie", "half=done");
        throw std::runtime_error("boom");
    }
    std::string session_label(const httplib::Request&) override { return "-"; }
};

TEST(ExceptionPage, ExceptionsBecomeAnInternalErrorPage) {
    ThrowingSite site;
    Listener listener(site, nullptr, "127.0.0.1", 0, {});
    httplib::Client client("127.0.0.1", listener.port());
    const auto res = client.Get("/?ac=home");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 500);
    EXPECT_TRUE(contains(res->body, "服务器内部错误"));
    EXPECT_FALSE(res->has_header("Set-Cookie"));
}

} // namespace
} // namespace varnock::demo::testing
