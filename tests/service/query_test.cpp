#include "cookies.hpp"
#include "page_key.hpp"
#include "query.hpp"

#include <gtest/gtest.h>

namespace varnock::demo {
namespace {

TEST(PercentDecode, DecodesEscapesAndPlus) {
    EXPECT_EQ(percent_decode("a%20b+c"), "a b c");
    EXPECT_EQ(percent_decode("%E7%9F%AD%e4%BF%A1"), "短信");
}

TEST(PercentDecode, RejectsBrokenEscapesAndNonUtf8) {
    EXPECT_FALSE(percent_decode("%zz").has_value());
    EXPECT_FALSE(percent_decode("abc%4").has_value());
    EXPECT_FALSE(percent_decode("%").has_value());
    EXPECT_FALSE(percent_decode("%FF").has_value());
}

TEST(Urlencoded, KeepsOrderAndBareNames) {
    const auto params = parse_urlencoded("ac=sends&fun=import&info&x=1&x=2");
    ASSERT_TRUE(params);
    EXPECT_EQ(params->size(), 5u);
    EXPECT_EQ(params->get("ac"), "sends");
    EXPECT_EQ(params->get("fun"), "import");
    EXPECT_TRUE(params->has("info"));
    EXPECT_EQ(params->get("info"), "");
    EXPECT_EQ(params->get("x"), "1");
    EXPECT_FALSE(params->has("missing"));
}

TEST(Urlencoded, ToleratesEmptyPiecesButNotEmptyNames) {
    const auto params = parse_urlencoded("&a=1&&");
    ASSERT_TRUE(params);
    EXPECT_EQ(params->size(), 1u);
    EXPECT_TRUE(parse_urlencoded("")->empty());
    EXPECT_FALSE(parse_urlencoded("=value").has_value());
    EXPECT_FALSE(parse_urlencoded("a=%G0").has_value());
}

TEST(QueryOf, TakesThePartAfterTheQuestionMark) {
    EXPECT_EQ(query_of("/?ac=send"), "ac=send");
    EXPECT_EQ(query_of("/?info#top"), "info");
    EXPECT_EQ(query_of("/"), "");
}

PageId page_at(std::string_view target) {
    const auto query = parse_urlencoded(query_of(target));
    return query ? resolve_page(*query) : PageId::Unknown;
}

TEST(PageKeys, EveryAddressResolvesToItsPage) {
    const struct {
        const char* target;
        PageId page;
    } expected[] = {
        {"/?fun=login", PageId::Login},          {"/?fun=logout", PageId::Logout},
        {"/?fun=notice", PageId::Notice},        {"/?ac=home", PageId::Home},
        {"/?ac=send", PageId::Send},             {"/?ac=sends&fun=import", PageId::ImportSend},
        {"/?ac=history", PageId::History},       {"/?ac=time", PageId::Timed},
        {"/?ac=receive", PageId::Receive},       {"/?ac=state", PageId::State},
        {"/?ac=card", PageId::Card},             {"/?ac=card_io&fun=export", PageId::ContactExport},
        {"/?info", PageId::Info},                {"/?ac=pay", PageId::Pay},
        {"/?ac=pay&fun=checkout", PageId::Checkout}, {"/?ac=voucher", PageId::Voucher},
        {"/?ac=consume", PageId::Consume},       {"/?fun=edit", PageId::Password},
        {"/?ac=setting", PageId::Setting},       {"/", PageId::Root},
    };
    for (const auto& item : expected) {
        EXPECT_EQ(page_at(item.target), item.page) << item.target;
        if (item.page != PageId::Root) {
            EXPECT_EQ(page_address(item.page), item.target);
        }
    }
}

TEST(PageKeys, ParameterOrderDoesNotMatterButEveryKeyMust) {
    EXPECT_EQ(page_at("/?fun=import&ac=sends"), PageId::ImportSend);
    EXPECT_EQ(page_at("/?ac=sends"), PageId::Unknown);
    EXPECT_EQ(page_at("/?ac=card_io"), PageId::Unknown);
    EXPECT_EQ(page_at("/?ac=send&fun=edit"), PageId::Unknown);
    EXPECT_EQ(page_at("/?ac=nope"), PageId::Unknown);
    EXPECT_EQ(page_at("/?fun=nope"), PageId::Unknown);
    EXPECT_EQ(page_at("/?other=1"), PageId::Unknown);
}

TEST(Cookies, FindsOneCookieAmongMany) {
    EXPECT_EQ(cookie_value("a=1; VARNOCKSID=abc; b=2", "VARNOCKSID"), "abc");
    EXPECT_EQ(cookie_value("VARNOCKSID=\"q\"", "VARNOCKSID"), "q");
    EXPECT_FALSE(cookie_value("XVARNOCKSID=abc; other", "VARNOCKSID").has_value());
    EXPECT_FALSE(cookie_value("", "VARNOCKSID").has_value());
}

} // namespace
} // namespace varnock::demo
