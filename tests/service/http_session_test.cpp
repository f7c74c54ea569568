// Login, logout, session lifetime and the request log, over real HTTP.

#include "service_fixture.hpp"

#include <regex>

namespace varnock::demo::testing {
namespace {

using namespace std::chrono_literals;

using LoginTest = ServiceFixture;

TEST_F(LoginTest, LoginPageOffersFormDemoAccountAndNotices) {
    const auto res = get("/?fun=login");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
    const std::string& page = res->body;
    EXPECT_TRUE(contains(page, "<title>用户登录 - Varnock短信平台</title>"));
    EXPECT_TRUE(contains(page, "method=\"post\" action=\"/?fun=login\""));
    EXPECT_TRUE(contains(page, "name=\"user\""));
    EXPECT_TRUE(contains(page, "name=\"password\""));
    EXPECT_TRUE(contains(page, "<strong>demo</strong>"));
    EXPECT_TRUE(contains(page, "<strong>demo123</strong>"));
    EXPECT_TRUE(contains(page, "<iframe src=\"/?fun=notice\""));
    EXPECT_FALSE(contains(page, "用户名或密码错误"));

    const auto notice = get("/?fun=notice");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->status, 200);
    EXPECT_TRUE(contains(notice->body, "平台公告"));
}

TEST_F(LoginTest, RightCredentialsStartASessionAndGoHome) {
    const auto res = post_form("/?fun=login", "user=demo&password=demo123");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 303);
    EXPECT_EQ(res->get_header_value("Location"), "/?ac=home");
    const std::string cookie = set_cookie_header(*res, "VARNOCKSID");
    EXPECT_TRUE(std::regex_match(cookie, std::regex("VARNOCKSID=[0-9a-f]{32}; Path=/; HttpOnly; SameSite=Lax")))
        << cookie;

    const std::string sid = set_cookie_value(*res, "VARNOCKSID");
    for (int visit = 0; visit < 2; ++visit) {
        // A second browser sharing the cookies opens the same address again.
        const auto home = client().Get("/?ac=home", with_session(sid));
        ASSERT_TRUE(home);
        EXPECT_EQ(home->status, 200) << "visit " << visit;
        EXPECT_TRUE(contains(home->body, "<title>工作台 - Varnock短信平台</title>"));
        EXPECT_TRUE(contains(home->body, "id=\"account-name\">demo<"));
    }
}

TEST_F(LoginTest, WrongCredentialsComeBackWithAMessageShownOnce) {
    for (const char* body : {"user=demo&password=wrong", "user=nobody&password=demo123", "user=&password="}) {
        const auto res = post_form("/?fun=login", body);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 303) << body;
        EXPECT_EQ(res->get_header_value("Location"), "/?fun=login") << body;
        EXPECT_TRUE(set_cookie_header(*res, "VARNOCKSID").empty()) << body;
        const std::string flash = set_cookie_value(*res, "VARNOCKFLASH");
        ASSERT_FALSE(flash.empty()) << body;

        const auto shown = client().Get("/?fun=login", {{"Cookie", "VARNOCKFLASH=" + flash}});
        ASSERT_TRUE(shown);
        EXPECT_TRUE(contains(shown->body, "用户名或密码错误"));
        EXPECT_TRUE(contains(set_cookie_header(*shown, "VARNOCKFLASH"), "Max-Age=0"));
    }
}

TEST_F(LoginTest, MalformedLoginFormsAreBadRequests) {
    for (const char* body : {"user=%zz&password=demo123", "user=demo", "password=demo123", "=x"}) {
        const auto res = post_form("/?fun=login", body);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 400) << body;
        EXPECT_TRUE(contains(res->body, "请求有误")) << body;
        EXPECT_TRUE(set_cookie_header(*res, "VARNOCKSID").empty());
    }
}

TEST_F(LoginTest, RootSendsToLoginOrHome) {
    const auto anonymous = get("/");
    ASSERT_TRUE(anonymous);
    EXPECT_EQ(anonymous->get_header_value("Location"), "/?fun=login");
    const auto signed_in = get("/", login());
    ASSERT_TRUE(signed_in);
    EXPECT_EQ(signed_in->get_header_value("Location"), "/?ac=home");
}

TEST_F(LoginTest, ChangedPasswordReplacesTheOldOne) {
    const std::string sid = login();
    const auto wrong_old =
        post_form("/?fun=edit", "old_password=nope&new_password=newpass1&confirm_password=newpass1", sid);
    ASSERT_TRUE(wrong_old);
    EXPECT_TRUE(contains(wrong_old->body, "原密码不正确"));

    const auto changed =
        post_form("/?fun=edit", "old_password=demo123&new_password=newpass1&confirm_password=newpass1", sid);
    ASSERT_TRUE(changed);
    EXPECT_TRUE(contains(changed->body, "密码已修改"));
    EXPECT_EQ(post_form("/?fun=login", "user=demo&password=demo123")->get_header_value("Location"), "/?fun=login");
    EXPECT_EQ(post_form("/?fun=login", "user=demo&password=newpass1")->get_header_value("Location"), "/?ac=home");
}

using SessionTest = ServiceFixture;

TEST_F(SessionTest, LogoutEndsTheSessionOnTheServer) {
    const std::string sid = login();
    const auto res = get("/?fun=logout", sid);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 303);
    EXPECT_EQ(res->get_header_value("Location"), "/?fun=login");
    const std::string cleared = set_cookie_header(*res, "VARNOCKSID");
    EXPECT_TRUE(cleared.starts_with("VARNOCKSID=;")) << cleared;
    EXPECT_TRUE(contains(cleared, "Max-Age=0"));

    // The old cookie no longer opens anything.
    const auto after = get("/?ac=home", sid);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 303);
    EXPECT_EQ(after->get_header_value("Location"), "/?fun=login");
}

TEST_F(SessionTest, IdleSessionExpiresAndActivityKeepsItAlive) {
    const std::string sid = login();
    clock.advance(idle - 1s);
    EXPECT_EQ(get("/?ac=send", sid)->status, 200);
    clock.advance(idle - 1s); // within the limit again, counted from the last request
    EXPECT_EQ(get("/?ac=history", sid)->status, 200);
    clock.advance(idle);
    const auto expired = get("/?ac=history", sid);
    ASSERT_TRUE(expired);
    EXPECT_EQ(expired->status, 303);
    EXPECT_EQ(expired->get_header_value("Location"), "/?fun=login");
    // A fresh login works as before.
    EXPECT_EQ(get("/?ac=history", login())->status, 200);
}

TEST_F(SessionTest, ForgedOrMissingSessionIsSentToLogin) {
    for (const std::string sid : {"", "00000000000000000000000000000000", "x"}) {
        const auto res = get("/?ac=card", sid);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 303);
        EXPECT_EQ(res->get_header_value("Location"), "/?fun=login");
    }
}

TEST_F(SessionTest, SessionWorksOnTheIpv6SocketToo) {
    if (!listeners->serves_ipv6())
        GTEST_SKIP() << "no IPv6 loopback on this host";
    const std::string sid = login();
    auto v6 = client("::1");
    const auto res = v6.Get("/?ac=home", with_session(sid));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_TRUE(contains(res->body, "id=\"account-name\">demo<"));
}

using RequestLogTest = ServiceFixture;

TEST_F(RequestLogTest, OneLinePerRequestWithRawTargetAndSession) {
    get("/?fun=login");
    const std::string sid = login();
    get("/?ac=sends&fun=import", sid);
    get("/?fun=logout", sid);
    get("/?ac=home", sid);
    const std::string expected = "GET /?fun=login sid=-\n"
                                 "POST /?fun=login sid=-\n"
                                 "GET /?ac=sends&fun=import sid=" + sid + "\n"
                                 "GET /?fun=logout sid=" + sid + "\n"
                                 "GET /?ac=home sid=-\n";
    EXPECT_EQ(read_log(), expected);
}

TEST(RequestLogLine, KeepsEachRequestOnOneLine) {
    EXPECT_EQ(log_safe("/?a=b\r\nX"), "/?a=b%0D%0AX");
    EXPECT_EQ(log_safe(""), "-");
}

} // namespace
} // namespace varnock::demo::testing
