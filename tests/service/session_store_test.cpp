#include "session_store.hpp"

#include <gtest/gtest.h>

#include <set>

namespace varnock::demo {
namespace {

using namespace std::chrono_literals;

class SessionStoreTest : public ::testing::Test {
protected:
    std::chrono::steady_clock::time_point now{std::chrono::hours(100)};
    SessionStore store{60s, [this] { return now; }};
};

TEST_F(SessionStoreTest, IdsAreLongRandomHex) {
    std::set<std::string> ids;
    for (int i = 0; i < 50; ++i) {
        const std::string id = store.create("demo");
        EXPECT_EQ(id.size(), 32u);
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 50u);
}

TEST_F(SessionStoreTest, TouchFindsTheAccount) {
    const std::string id = store.create("demo");
    EXPECT_EQ(store.touch(id), "demo");
    EXPECT_FALSE(store.touch("0123").has_value());
    EXPECT_FALSE(store.touch("").has_value());
}

TEST_F(SessionStoreTest, ExpiresAfterIdleTime) {
    const std::string id = store.create("demo");
    now += 59s;
    EXPECT_TRUE(store.touch(id).has_value());
    now += 60s;
    EXPECT_FALSE(store.touch(id).has_value());
    // Once expired it stays gone even if asked again at once.
    EXPECT_FALSE(store.touch(id).has_value());
}

TEST_F(SessionStoreTest, EveryTouchRestartsTheIdleTimer) {
    const std::string id = store.create("demo");
    for (int i = 0; i < 5; ++i) {
        now += 50s;
        ASSERT_TRUE(store.touch(id).has_value()) << "after touch " << i;
    }
}

TEST_F(SessionStoreTest, RemoveEndsOnlyThatSession) {
    const std::string first = store.create("demo");
    const std::string second = store.create("demo");
    store.remove(first);
    EXPECT_FALSE(store.touch(first).has_value());
    EXPECT_TRUE(store.touch(second).has_value());
    EXPECT_EQ(store.live_count(), 1u);
}

TEST_F(SessionStoreTest, ExpiredSessionsAreDropped) {
    store.create("demo");
    store.create("demo");
    now += 61s;
    EXPECT_EQ(store.live_count(), 0u);
}

} // namespace
} // namespace varnock::demo
