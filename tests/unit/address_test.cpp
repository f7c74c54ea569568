// The service address, page addresses and the exact address comparison.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/app_info.h"
#include "app/public.h"
#include "app/service_address.h"
#include "tests/support/program_fixture.h"

namespace {

TEST(ServiceAddress, BaseAndLoginAddressAreBuiltFromTheHost) {
  EXPECT_EQ(app::BaseAddress(), fake::Base());
  EXPECT_EQ(app::BaseAddress().back(), '/');
  EXPECT_EQ(app::LoginAddress(), fake::Base() + "?fun=login");
  // Nothing inserted, nothing escaped, whatever the key holds.
  EXPECT_EQ(app::PageAddress("?ac=card_io&fun=export"), fake::Base() + "?ac=card_io&fun=export");
  EXPECT_EQ(app::PageAddress("?a b%20/中"), fake::Base() + "?a b%20/中");
}

TEST(ServiceAddress, ComparisonIsExactWithoutAnyNormalisation) {
  const std::string login = app::LoginAddress();
  EXPECT_TRUE(app::SameAddress(login, fake::Login()));
  std::string upper = login;
  upper[0] = 'H';
  EXPECT_FALSE(app::SameAddress(upper, login));
  EXPECT_FALSE(app::SameAddress(login + "/", login));
  EXPECT_FALSE(app::SameAddress(login + "#top", login));
  EXPECT_FALSE(app::SameAddress(login + "&x=1", login));
  EXPECT_FALSE(app::SameAddress(" " + login, login));
  EXPECT_FALSE(app::SameAddress("http://localhost/?fun=login", "http://localhost:80/?fun=login"));
  EXPECT_FALSE(app::SameAddress(fake::Base() + "?fun=LOGIN", login));
  EXPECT_FALSE(app::SameAddress(fake::Base() + "?fun=%6Cogin", login));
  // Empty equals empty and nothing else.
  EXPECT_TRUE(app::SameAddress("", ""));
  EXPECT_FALSE(app::SameAddress("", login));
}

// The build's one version, written as the version resource writes it: minor
// in two digits, revision in four (2.8.34 is 2.08.0034).
TEST(AppInfo, TheResourceTextIsTheVersionPadded) {
  char expected[32];
  std::snprintf(expected, sizeof expected, "%d.%02d.%04d", app::kVersion.major, app::kVersion.minor,
                app::kVersion.revision);
  EXPECT_EQ(app::VersionResourceText(), expected);
  EXPECT_STREQ(app::kTitle, "Varnock");
}

class SessionState : public fake::ProgramTest {};

TEST_F(SessionState, EmptyAndFalseUntilTheFirstLogin) {
  Start();
  EXPECT_EQ(app::Public::LoggedIn, platform::False);
  EXPECT_TRUE(app::Public::SessionAddress.empty());
}

TEST_F(SessionState, ASecondLoginOverwritesBothAndOpensTheNewAddress) {
  StartLoggedIn(fake::Base() + "?ac=home&first");
  EXPECT_EQ(app::Public::LoggedIn, platform::True);
  EXPECT_EQ(app::Public::SessionAddress, fake::Base() + "?ac=home&first");

  MainWindow()->browser->CompleteTopLevel(fake::Login());  // the session ended
  ASSERT_NE(LoginWindow(), nullptr);
  EXPECT_EQ(app::Public::LoggedIn, platform::False);
  // The old address stays until the next login replaces it.
  EXPECT_EQ(app::Public::SessionAddress, fake::Base() + "?ac=home&first");

  LoginWindow()->browser->CompleteTopLevel(fake::Login());
  LoginWindow()->browser->CompleteTopLevel(fake::Base() + "?ac=home&second");
  EXPECT_EQ(app::Public::LoggedIn, platform::True);
  EXPECT_EQ(app::Public::SessionAddress, fake::Base() + "?ac=home&second");
  ASSERT_NE(MainWindow(), nullptr);
  EXPECT_EQ(MainWindow()->browser->navigations,
            std::vector<std::string>{fake::Base() + "?ac=home&second"});
}

}  // namespace
