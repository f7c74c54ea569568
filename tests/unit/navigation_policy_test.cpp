// Which addresses a browser of the client follows, and zoom steps.
#include <gtest/gtest.h>

#include "platform/browser/navigation_policy.h"

namespace {

using platform::browser::JudgeNavigation;
using platform::browser::NavigationVerdict;

TEST(NavigationPolicy, WebPagesAreFollowedInAnyFrame) {
  for (const char* uri : {"http://localhost:8010/?ac=send", "https://pay.example/checkout",
                          "HTTP://LOCALHOST:8010/", "about:blank"}) {
    EXPECT_EQ(JudgeNavigation(uri, true), NavigationVerdict::Follow) << uri;
    EXPECT_EQ(JudgeNavigation(uri, false), NavigationVerdict::Follow) << uri;
  }
}

TEST(NavigationPolicy, MailTelephoneAndSmsLinksGoToTheDesktop) {
  for (const char* uri : {"mailto:sales@varnock.example", "tel:+86-400-000-8010", "TEL:10086",
                          "sms:10086"}) {
    EXPECT_EQ(JudgeNavigation(uri, true), NavigationVerdict::ToTheDesktop) << uri;
  }
}

TEST(NavigationPolicy, OriginsAreSchemeHostAndPort) {
  struct Row {
    const char* a;
    const char* b;
    bool same;
  };
  for (const Row& row : {Row{"http://localhost:8010/?ac=pay", "http://LOCALHOST:8010/x#y", true},
                         Row{"http://localhost:8010/", "http://localhost:8011/", false},
                         Row{"http://localhost:8010/", "https://localhost:8010/", false},
                         Row{"http://localhost:8010/", "http://127.0.0.1:8010/", false},
                         Row{"http://pay.example/", "http://pay.example:80/", true},
                         Row{"https://pay.example/", "https://pay.example:443/a", true},
                         Row{"http://user:pw@pay.example:8010/", "http://pay.example:8010/", true},
                         Row{"http://evil.example@pay.example/", "http://evil.example/", false},
                         Row{"http://[::1]:8010/", "http://[::1]:8010/x", true},
                         Row{"http://[::1]/", "http://[::1]:8010/", false},
                         Row{"about:blank", "about:blank", false},
                         Row{"http://localhost:8010/", "", false}}) {
    EXPECT_EQ(platform::browser::SameOrigin(row.a, row.b), row.same) << row.a << " vs " << row.b;
    EXPECT_EQ(platform::browser::SameOrigin(row.b, row.a), row.same) << row.b << " vs " << row.a;
  }
}

TEST(NavigationPolicy, LocalFilesAndOtherProgramsAreRefused) {
  for (const char* uri :
       {"file:///etc/passwd", "FILE:///C:/Windows/win.ini", "ftp://example/x", "ms-settings:",
        "steam://run/1", "callto:kefu", "javascript:alert(1)", "about:config", "view-source:http://x/",
        "relative/path", "", "::", "1http://x"}) {
    EXPECT_EQ(JudgeNavigation(uri, true), NavigationVerdict::Refuse) << uri;
    EXPECT_EQ(JudgeNavigation(uri, false), NavigationVerdict::Refuse) << uri;
  }
}

TEST(NavigationPolicy, PageMadeContentOnlyInsideFrames) {
  EXPECT_EQ(JudgeNavigation("data:text/html,<b>x</b>", false), NavigationVerdict::Follow);
  EXPECT_EQ(JudgeNavigation("data:text/html,<b>x</b>", true), NavigationVerdict::Refuse);
  EXPECT_EQ(JudgeNavigation("blob:http://localhost:8010/1", false), NavigationVerdict::Follow);
  EXPECT_EQ(JudgeNavigation("blob:http://localhost:8010/1", true), NavigationVerdict::Refuse);
}

TEST(NavigationPolicy, SchemesAreReadCaseInsensitively) {
  EXPECT_EQ(platform::browser::SchemeOf("HtTpS://x"), "https");
  EXPECT_EQ(platform::browser::SchemeOf("view-source:x"), "view-source");
  EXPECT_EQ(platform::browser::SchemeOf("no scheme"), "");
  EXPECT_EQ(platform::browser::SchemeOf("c:\\\\x"), "c");
}

TEST(Zoom, StepsUpAndDownWithinBoundsAndBackToNormal) {
  EXPECT_DOUBLE_EQ(platform::browser::NextZoomLevel(1.0, +1), 1.1);
  EXPECT_DOUBLE_EQ(platform::browser::NextZoomLevel(1.1, -1), 1.0);
  EXPECT_DOUBLE_EQ(platform::browser::NextZoomLevel(1.0, -1), 0.9);
  EXPECT_DOUBLE_EQ(platform::browser::NextZoomLevel(1.17, +1), 1.25) << "from between two steps";
  EXPECT_DOUBLE_EQ(platform::browser::NextZoomLevel(3.0, +1), 3.0);
  EXPECT_DOUBLE_EQ(platform::browser::NextZoomLevel(0.3, -1), 0.3);
  EXPECT_DOUBLE_EQ(platform::browser::NextZoomLevel(2.5, 0), 1.0);
  double level = 1.0;
  for (int i = 0; i < 50; ++i) level = platform::browser::NextZoomLevel(level, +1);
  EXPECT_DOUBLE_EQ(level, 3.0);
}

}  // namespace
