// The About box and its command.
#include <gtest/gtest.h>

#include "tests/support/program_fixture.h"
#include "windows/about/frm_about.h"

namespace {

class AboutBoxTest : public fake::ProgramTest {
 protected:
  // Opens the box from the menu; `while_open` runs while it is shown.
  void OpenAbout(std::function<void(fake::FakeWindow&)> while_open) {
    toolkit.modal_steps.push_back([this, while_open] {
      fake::FakeWindow* about = AboutWindow();
      ASSERT_NE(about, nullptr);
      while_open(*about);
    });
    MainWindow()->ChooseMenu("mnAbout");
  }
};

TEST_F(AboutBoxTest, ShowsModallyOverTheMainWindowWithItsTexts) {
  StartLoggedIn();
  bool seen = false;
  OpenAbout([&](fake::FakeWindow& about) {
    seen = true;
    EXPECT_TRUE(about.modal);
    EXPECT_EQ(about.owner, MainWindow());
    EXPECT_EQ(about.Caption(), "关于 Varnock");
    EXPECT_EQ(about.Label("lblVersion")->Caption(), "版本 2.8.34");
    EXPECT_EQ(about.Label("lblTitle")->Caption(), "Varnock");
    const std::string description = about.Label("lblDescription")->Caption();
    const std::string lead = "和中国移动、电信、联通等运营商合作打造的专业信息通信平台\r\n\r\n";
    ASSERT_GT(description.size(), lead.size());
    EXPECT_EQ(description.substr(0, lead.size()), lead);
    EXPECT_EQ(description.find('\n', lead.size()), std::string::npos) << "a one-line slogan";
    const std::string notice = about.Label("lblDisclaimer")->Caption();
    EXPECT_FALSE(notice.empty());
    EXPECT_EQ(notice.find('\n'), std::string::npos);
    EXPECT_NE(notice.find("20"), std::string::npos) << "the notice carries a year";
    about.Button("cmdOK")->Click();
  });
  EXPECT_TRUE(seen);
  EXPECT_EQ(AboutWindow(), nullptr);
  EXPECT_NE(MainWindow(), nullptr);
}

TEST_F(AboutBoxTest, TextsAreSetInOrderOnLoad) {
  StartLoggedIn();
  toolkit.journal.clear();
  OpenAbout([](fake::FakeWindow& about) { about.Button("cmdOK")->Click(); });
  std::vector<std::string> texts;
  for (const auto& line : toolkit.journal) {
    if (line.find(".Caption ") != std::string::npos) texts.push_back(line.substr(0, line.find(' ')));
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"frmAbout.Caption", "lblVersion.Caption",
                                             "lblTitle.Caption", "lblDisclaimer.Caption",
                                             "lblDescription.Caption"}));
}

TEST_F(AboutBoxTest, LayoutFollowsTheDesignInTwips) {
  StartLoggedIn();
  OpenAbout([](fake::FakeWindow& about) {
    const vb::FormDesign& d = about.design;
    EXPECT_EQ(d.border, vb::BorderStyle::FixedDialog);
    EXPECT_EQ(d.client_width, 5760);
    EXPECT_EQ(d.client_height, 3525);
    EXPECT_EQ(d.startup, vb::StartUpPosition::CenterOwner);
    ASSERT_EQ(about.buttons.size(), 2u);
    // Tab order: cmdOK first, cmdSysInfo second.
    EXPECT_EQ(about.buttons[0]->design.name, "cmdOK");
    EXPECT_EQ(about.buttons[1]->design.name, "cmdSysInfo");
    const auto& ok = about.buttons[0]->design;
    EXPECT_EQ(ok.caption, "确定");
    EXPECT_TRUE(ok.is_default);
    EXPECT_TRUE(ok.is_cancel);
    EXPECT_EQ(ok.rect.left, 4125);
    EXPECT_EQ(ok.rect.top, 2625);
    EXPECT_EQ(ok.rect.width, 1500);
    EXPECT_EQ(ok.rect.height, 345);
    const auto& sys = about.buttons[1]->design;
    EXPECT_EQ(sys.caption, "系统信息(&S)...");
    EXPECT_FALSE(sys.is_default);
    EXPECT_FALSE(sys.is_cancel);
    EXPECT_EQ(sys.rect.left, 4140);
    EXPECT_EQ(sys.rect.top, 3075);
    EXPECT_EQ(sys.rect.width, 1485);
    ASSERT_EQ(about.pictures.size(), 1u);
    EXPECT_EQ(about.pictures[0]->design.rect.width, 1815);   // 119 + 2 pixels
    EXPECT_EQ(about.pictures[0]->design.rect.height, 1395);  // 91 + 2 pixels
    EXPECT_TRUE(about.pictures[0]->design.border);
    const auto* version = about.Label("lblVersion");
    EXPECT_EQ(version->design.rect.left, 2160);
    EXPECT_EQ(version->design.rect.top, 780);
    EXPECT_FALSE(version->design.black_text);
    EXPECT_TRUE(about.Label("lblTitle")->design.black_text);
    ASSERT_EQ(about.lines.size(), 2u);
    EXPECT_EQ(about.lines[0].red, 128);  // grey over white
    EXPECT_EQ(about.lines[0].y1, 2445);
    EXPECT_EQ(about.lines[1].red, 255);
    EXPECT_EQ(about.lines[1].width, 2);
    about.Button("cmdOK")->Click();
  });
}

TEST_F(AboutBoxTest, TheSameObjectLoadsAfreshOnEveryShowingEvenAfterANewLogin) {
  StartLoggedIn();
  vb::Form* object = &program->frmAbout();
  std::vector<std::string> versions;
  auto read_and_close = [&](fake::FakeWindow& about) {
    versions.push_back(about.Label("lblVersion")->Caption());
    about.CloseFromFrame();
  };
  OpenAbout(read_and_close);
  const int windows = toolkit.window_count;
  OpenAbout(read_and_close);
  EXPECT_EQ(toolkit.window_count, windows + 1);
  // Back to the login window and in again: still the same About object.
  MainWindow()->browser->CompleteTopLevel(fake::Login());
  LoginWindow()->browser->CompleteTopLevel(fake::Base() + "?ac=home");
  OpenAbout(read_and_close);
  EXPECT_EQ(&program->frmAbout(), object);
  EXPECT_EQ(versions, (std::vector<std::string>(3, "版本 2.8.34")));
  EXPECT_EQ(AboutWindow(), nullptr);
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(AboutBoxTest, TheSystemInformationButtonLeavesTheBoxOpen) {
  StartLoggedIn();
  toolkit.answers.push_back({vb::vbOK, nullptr});  // nothing registered: the failure message
  OpenAbout([&](fake::FakeWindow& about) {
    about.Button("cmdSysInfo")->Click();
    EXPECT_EQ(AboutWindow(), &about);
    EXPECT_TRUE(about.Visible());
    about.Button("cmdOK")->Click();
  });
  ASSERT_EQ(toolkit.msgboxes.size(), 1u);
  EXPECT_EQ(toolkit.msgboxes[0].prompt, "此时系统信息不可用");
  EXPECT_EQ(toolkit.msgboxes[0].buttons, vb::vbOKOnly);
}

}  // namespace
