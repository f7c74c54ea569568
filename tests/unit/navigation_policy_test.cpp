// Which addresses a browser of the client follows, and zoom steps.
#include <gtest/gtest.h>

#include "platform/navigation_policy.h"

namespace {

using vb::JudgeNavigation;
using vb::NavigationVerdict;

TEST(NavigationPolicy, WebPagesAreFollowedInAnyFrame) {
  for (const char* uri : {"http://localhost:8010/?ac=send", "https://pay.example/checkout",
                          "HTTP://LOCALHOST:8010/", "about:blank"}) {
    EXPECT_EQ(JudgeNavigation(uri, true), NavigationVerdict::Follow) << uri;
    EXPECT_EQ(JudgeNavigation(uri, false), NavigationVerdict::Follow) << uri;
  }
}

TEST(NavigationPolicy, MailAndTelephoneLinksAreIgnoredQuietly) {
  for (const char* uri : {"mailto:sales@varnock.example", "tel:+86-400-000-8010", "TEL:10086",
                          "sms:10086"}) {
    EXPECT_EQ(JudgeNavigation(uri, true), NavigationVerdict::IgnoreQuietly) << uri;
  }
}

TEST(NavigationPolicy, LocalFilesAndOtherProgramsAreRefused) {
  for (const char* uri :
       {"file:///etc/passwd", "FILE:///C:/Windows/win.ini", "ftp://example/x", "ms-settings:",
        "steam://run/1", "javascript:alert(1)", "about:config", "view-source:http://x/",
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
  EXPECT_EQ(vb::SchemeOf("HtTpS://x"), "https");
  EXPECT_EQ(vb::SchemeOf("view-source:x"), "view-source");
  EXPECT_EQ(vb::SchemeOf("no scheme"), "");
  EXPECT_EQ(vb::SchemeOf("c:\\\\x"), "c");
}

TEST(Zoom, StepsUpAndDownWithinBoundsAndBackToNormal) {
  EXPECT_DOUBLE_EQ(vb::NextZoomLevel(1.0, +1), 1.1);
  EXPECT_DOUBLE_EQ(vb::NextZoomLevel(1.1, -1), 1.0);
  EXPECT_DOUBLE_EQ(vb::NextZoomLevel(1.0, -1), 0.9);
  EXPECT_DOUBLE_EQ(vb::NextZoomLevel(1.17, +1), 1.25) << "from between two steps";
  EXPECT_DOUBLE_EQ(vb::NextZoomLevel(3.0, +1), 3.0);
  EXPECT_DOUBLE_EQ(vb::NextZoomLevel(0.3, -1), 0.3);
  EXPECT_DOUBLE_EQ(vb::NextZoomLevel(2.5, 0), 1.0);
  double level = 1.0;
  for (int i = 0; i < 50; ++i) level = vb::NextZoomLevel(level, +1);
  EXPECT_DOUBLE_EQ(level, 3.0);
}

}  // namespace
