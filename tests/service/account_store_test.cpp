#include "account_store.hpp"
#include "demo_data.hpp"

#include <gtest/gtest.h>

namespace varnock::demo {
namespace {

class AccountStoreTest : public ::testing::Test {
protected:
    AccountStoreTest() { store.add(make_account()); }

    static Account make_account() {
        Account account;
        account.name = "shop";
        account.password = "pw123456";
        account.balance = 100;
        account.price = 5;
        return account;
    }

    Account shop() { return *store.snapshot("shop"); }

    std::chrono::system_clock::time_point now = std::chrono::system_clock::now();
    AccountStore store{[this] { return now; }};
};

TEST(Segments, SeventyCharactersFitOneMessage) {
    EXPECT_EQ(count_segments(std::string(70, 'a')), 1);
    EXPECT_EQ(count_segments(std::string(71, 'a')), 2);
    EXPECT_EQ(count_segments(std::string(134, 'a')), 2);
    EXPECT_EQ(count_segments(std::string(135, 'a')), 3);
}

TEST_F(AccountStoreTest, VerifiesPasswords) {
    EXPECT_TRUE(store.verify("shop", "pw123456"));
    EXPECT_FALSE(store.verify("shop", "PW123456"));
    EXPECT_FALSE(store.verify("nobody", "pw123456"));
    EXPECT_FALSE(store.snapshot("nobody").has_value());
}

TEST_F(AccountStoreTest, SendingChargesAndRecordsEverything) {
    const auto outcome = store.send("shop", {"13800138000", "13912345678"}, "你好");
    ASSERT_EQ(outcome.status, SendOutcome::Status::Sent);
    EXPECT_EQ(outcome.cost, 10);
    const Account after = shop();
    EXPECT_EQ(after.balance, 90);
    ASSERT_EQ(after.sent.size(), 1u);
    EXPECT_EQ(after.sent[0].text, "你好");
    EXPECT_EQ(after.deliveries.size(), 2u);
    ASSERT_EQ(after.charges.size(), 1u);
    EXPECT_EQ(after.charges[0].amount, 10);
    EXPECT_EQ(after.charges[0].balance_after, 90);
}

TEST_F(AccountStoreTest, SignatureIsPrefixedAndCounted) {
    Settings settings;
    settings.signature = "小店";
    store.save_settings("shop", settings);
    const auto outcome = store.send("shop", {"13800138000"}, std::string(67, 'a'));
    EXPECT_EQ(outcome.message.text, "【小店】" + std::string(67, 'a'));
    EXPECT_EQ(outcome.message.segments, 2); // 71 characters with the signature
}

TEST_F(AccountStoreTest, RefusesToSendBeyondTheBalance) {
    std::vector<std::string> numbers;
    for (int i = 0; i < 21; ++i)
        numbers.push_back("138000000" + std::to_string(10 + i));
    const auto outcome = store.send("shop", numbers, "x");
    EXPECT_EQ(outcome.status, SendOutcome::Status::InsufficientBalance);
    EXPECT_EQ(outcome.cost, 105);
    EXPECT_EQ(shop().balance, 100);
    EXPECT_TRUE(shop().sent.empty());
}

TEST_F(AccountStoreTest, WarnsWhenBalanceFallsBelowReminder) {
    Settings settings;
    settings.reminder_enabled = true;
    settings.reminder_below = 95; // balance 100, 5 per message
    store.save_settings("shop", settings);
    EXPECT_FALSE(store.send("shop", {"13800138000"}, "x").below_reminder);
    EXPECT_TRUE(store.send("shop", {"13800138000"}, "x").below_reminder);
}

TEST_F(AccountStoreTest, ContactsAreUniqueByMobile) {
    EXPECT_TRUE(store.add_contact("shop", {"甲", "13800138000", ""}));
    EXPECT_FALSE(store.add_contact("shop", {"乙", "13800138000", ""}));
    EXPECT_EQ(shop().contacts.size(), 1u);
}

TEST_F(AccountStoreTest, TopUpRaisesBalanceAndIsRecorded) {
    const TopUp done = store.top_up("shop", 5000, "支付宝");
    EXPECT_EQ(shop().balance, 5100);
    ASSERT_EQ(shop().top_ups.size(), 1u);
    EXPECT_EQ(shop().top_ups[0].order_no, done.order_no);
    EXPECT_TRUE(done.order_no.starts_with("VN"));
    EXPECT_NE(store.top_up("shop", 100, "银行卡").order_no, done.order_no);
}

TEST_F(AccountStoreTest, PasswordChangeNeedsTheOldPassword) {
    EXPECT_FALSE(store.change_password("shop", "wrong", "newpass1"));
    EXPECT_TRUE(store.verify("shop", "pw123456"));
    EXPECT_TRUE(store.change_password("shop", "pw123456", "newpass1"));
    EXPECT_TRUE(store.verify("shop", "newpass1"));
    EXPECT_FALSE(store.verify("shop", "pw123456"));
}

TEST_F(AccountStoreTest, UnknownAccountIsAnError) {
    EXPECT_THROW(store.send("nobody", {"13800138000"}, "x"), std::out_of_range);
}

TEST(DemoData, DemoAccountIsConsistent) {
    const Account demo = demo_account(std::chrono::system_clock::now());
    EXPECT_EQ(demo.name, demo_user);
    EXPECT_EQ(demo.password, demo_password);
    Fen topped = 0, charged = 0;
    for (const auto& top_up : demo.top_ups)
        topped += top_up.amount;
    for (const auto& charge : demo.charges)
        charged += charge.amount;
    EXPECT_EQ(demo.balance, topped - charged);
    EXPECT_FALSE(demo.contacts.empty());
    EXPECT_FALSE(demo.replies.empty());
    EXPECT_FALSE(demo.timed.empty());
}

} // namespace
} // namespace varnock::demo
