// Each harness facility against the trivial GTK program in selftest_app.cpp,
// on one shared private desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "harness/harness.h"
#include "selftest_support.h"

namespace {

using namespace std::chrono_literals;

using selftest::kClosedByRequest;
using selftest::kDialogTitle;
using selftest::kGreeting;
using selftest::kMainTitle;

class DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    session_ = new gui::Session();
    a11y_ = new gui::A11y(*session_);
    xdo_ = new gui::Xdo(*session_);
  }
  static void TearDownTestSuite() {
    delete xdo_;
    delete a11y_;
    delete session_;
  }

  void SetUp() override {
    app_ = selftest::StartSelftestApp(*session_);
    window_ = a11y_->WaitForWindow(kMainTitle, gui::kDefaultTimeout, app_->pid());
    xid_ = xdo_->WaitForWindow(kMainTitle);
  }

  void TearDown() override {
    if (HasFailure() && app_) {
      std::cerr << "selftest_app stderr:\n" << app_->Stderr() << "\n";
    }
    app_.reset();
  }

  gui::Accessible Greeting() const {
    return a11y_->WaitFor(window_, gui::Query{.role = ATSPI_ROLE_LABEL, .name_contains = "世界"});
  }

  static gui::Session* session_;
  static gui::A11y* a11y_;
  static gui::Xdo* xdo_;
  std::unique_ptr<gui::Process> app_;
  gui::Accessible window_;
  gui::WindowId xid_ = 0;
};

gui::Session* DesktopTest::session_ = nullptr;
gui::A11y* DesktopTest::a11y_ = nullptr;
gui::Xdo* DesktopTest::xdo_ = nullptr;

TEST_F(DesktopTest, WindowIsFoundThroughAtspiAndThroughXdotool) {
  EXPECT_EQ(window_.Role(), ATSPI_ROLE_FRAME);
  EXPECT_EQ(window_.ProcessId(), app_->pid());

  const auto application = a11y_->FindApplication(app_->pid());
  ASSERT_TRUE(application.has_value());
  const auto windows = a11y_->Windows(*application);
  const auto main = std::find_if(windows.begin(), windows.end(), [](const auto& w) { return w.title == kMainTitle; });
  ASSERT_NE(main, windows.end());
  EXPECT_TRUE(main->showing);
  EXPECT_EQ(main->role_name, "frame");

  EXPECT_EQ(xdo_->WindowTitle(xid_), kMainTitle);
  EXPECT_EQ(xdo_->WindowPid(xid_), app_->pid());
  const gui::Geometry geometry = xdo_->WindowGeometry(xid_);
  EXPECT_GE(geometry.width, 480);
  EXPECT_GE(geometry.height, 320);
  // Only a managed window gets a frame; openbox's title bar is on top.
  const auto frame = xdo_->FrameExtentsOf(xid_);
  ASSERT_TRUE(frame.has_value());
  EXPECT_GT(frame->top, 0);
  // AT-SPI gives a toplevel's extents with the frame, X the client area.
  const gui::Extents extents = window_.ScreenExtents();
  EXPECT_EQ(extents.x, geometry.x - frame->left);
  EXPECT_EQ(extents.y, geometry.y - frame->top);
  EXPECT_EQ(extents.width, geometry.width + frame->left + frame->right);
  EXPECT_EQ(extents.height, geometry.height + frame->top + frame->bottom);
}

TEST_F(DesktopTest, LabelTextIsReadable) {
  const gui::Accessible label = Greeting();
  EXPECT_EQ(label.Name(), kGreeting);
  EXPECT_EQ(label.Text(), kGreeting);
  EXPECT_TRUE(label.Showing());
}

TEST_F(DesktopTest, StatusBarTextIsReadable) {
  const gui::Accessible bar = a11y_->WaitFor(window_, gui::Query{.role = ATSPI_ROLE_STATUS_BAR});
  EXPECT_EQ(bar.Name(), "就绪");
}

TEST_F(DesktopTest, MenuTreeShowsCaptionsWithoutUnderscores) {
  const auto menus = a11y_->MenuItems(window_);
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].caption, "文件(F)");
  EXPECT_EQ(menus[0].role, ATSPI_ROLE_MENU);
  EXPECT_TRUE(menus[0].enabled);
  std::vector<std::string> captions;
  for (const auto& item : menus[0].children) captions.push_back(item.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"刷新(R)", "禁用项(D)", "", "退出(Q)"}));
  ASSERT_EQ(menus[0].children.size(), 4u);
  EXPECT_TRUE(menus[0].children[0].enabled);
  EXPECT_FALSE(menus[0].children[1].enabled);
  EXPECT_EQ(menus[0].children[2].role, ATSPI_ROLE_SEPARATOR);
  EXPECT_FALSE(menus[0].children[0].showing);  // the menu is closed
}

TEST_F(DesktopTest, MenuOpensWithAltMnemonicAndItemRunsByItsLetter) {
  const gui::Accessible label = Greeting();
  const gui::Accessible refresh = a11y_->MenuItem(window_, {"文件(F)", "刷新(R)"});
  xdo_->KeyToWindow(xid_, "alt+f");
  gui::WaitUntil([&] { return refresh.Showing(); }, gui::kDefaultTimeout, "the 文件 menu to open",
                 [&] { return a11y_->DumpApplications(); });
  xdo_->Key("r");
  a11y_->WaitForText(label, "已刷新");
  const gui::Accessible bar = a11y_->WaitFor(window_, gui::Query{.role = ATSPI_ROLE_STATUS_BAR});
  a11y_->WaitForText(bar, "已刷新");
  EXPECT_FALSE(refresh.Showing());
}

TEST_F(DesktopTest, MenuItemActivatedThroughAtspi) {
  const gui::Accessible label = Greeting();
  a11y_->Activate(a11y_->MenuItem(window_, {"文件(F)", "刷新(R)"}));
  a11y_->WaitForText(label, "已刷新");
}

TEST_F(DesktopTest, ButtonActivatedThroughAtspiOpensTheDialog) {
  const gui::Accessible button =
      a11y_->WaitFor(window_, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "打开对话框"});
  EXPECT_TRUE(button.Sensitive());
  EXPECT_EQ(button.ActionNames(), std::vector<std::string>{"click"});
  button.DoAction("click");
  const gui::Accessible dialog = a11y_->WaitForWindow(kDialogTitle, gui::kDefaultTimeout, app_->pid());
  EXPECT_EQ(dialog.Role(), ATSPI_ROLE_DIALOG);
  EXPECT_TRUE(a11y_->Find(dialog, gui::Query{.role = ATSPI_ROLE_LABEL, .name = "对话框内容"}).has_value());
  a11y_->Activate(a11y_->WaitFor(dialog, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "关闭"}));
  a11y_->WaitWindowGone(kDialogTitle, gui::kDefaultTimeout, app_->pid());
  EXPECT_TRUE(app_->Running());
}

TEST_F(DesktopTest, TypedTextReachesTheFocusedEntry) {
  const gui::Accessible entry = a11y_->WaitFor(window_, gui::Query{.role = ATSPI_ROLE_TEXT, .name = "输入框"});
  // Focus elsewhere first so the click is what brings it back.
  ASSERT_TRUE(a11y_->WaitFor(window_, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON}).GrabFocus());
  gui::WaitUntil([&] { return !entry.Focused(); }, gui::kDefaultTimeout, "the entry to lose focus");
  gui::TypeInto(*xdo_, entry, "demo 123");
  a11y_->WaitForText(entry, "demo 123");
  EXPECT_TRUE(a11y_->Find(window_, gui::Query{.role = ATSPI_ROLE_TEXT, .text = "demo 123"}).has_value());
  ASSERT_TRUE(entry.SetText("短信"));
  a11y_->WaitForText(entry, "短信");
}

TEST_F(DesktopTest, AltF4ThroughTheWindowManagerIsACloseRequest) {
  xdo_->CloseWindow(xid_);
  EXPECT_EQ(app_->WaitExit(gui::kDefaultTimeout), kClosedByRequest);
  a11y_->WaitWindowGone(kMainTitle);
  EXPECT_TRUE(xdo_->FindWindowsByTitle(kMainTitle).empty());
}

TEST_F(DesktopTest, ResizeAndMinimizeGoThroughTheWindowManager) {
  EXPECT_TRUE(xdo_->Resize(xid_, 640, 400));
  const gui::Geometry geometry = xdo_->WindowGeometry(xid_);
  EXPECT_EQ(geometry.width, 640);
  EXPECT_EQ(geometry.height, 400);
  xdo_->Minimize(xid_);
  const auto states = xdo_->WindowStates(xid_);
  EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_HIDDEN"), states.end());
  // GTK keeps a minimized window "showing"; it reports "iconified" instead.
  gui::WaitUntil([&] { return window_.Has(ATSPI_STATE_ICONIFIED); }, gui::kDefaultTimeout,
                 "the window to report itself iconified");
  EXPECT_FALSE(window_.Active());
}

TEST_F(DesktopTest, ScreenshotShowsTheChineseLabel) {
  const gui::Accessible label = Greeting();
  // Let the first frame reach the screen before taking the picture.
  gui::WaitUntil([&] { return label.Showing(); }, gui::kDefaultTimeout, "the label to show");
  gui::TempDir dir;
  const auto png = dir.path() / "screen.png";
  session_->Screenshot(png);
  const gui::ImageCheck image(png);
  EXPECT_EQ(image.Width(), 1280);
  EXPECT_EQ(image.Height(), 1024);

  // The label widget spans the window; its text sits in the middle.
  const gui::Extents e = label.ScreenExtents();
  const gui::Rect middle{e.x + e.width / 4, e.y, e.width / 2, e.height};
  const gui::Rect left_margin{e.x + 2, e.y, 20, e.height};
  EXPECT_GT(image.InkFraction(middle), 0.005);
  EXPECT_GT(image.DistinctColors(middle), 8u);  // anti-aliased glyphs, not a flat box
  EXPECT_EQ(image.InkFraction(left_margin), 0.0);
}

}  // namespace
