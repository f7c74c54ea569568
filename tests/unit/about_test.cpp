// The About box and its command.
#include <gtest/gtest.h>

#include "app/app_info.h"
#include "tests/support/program_fixture.h"
#include "windows/about/frm_about.h"

namespace {

// The version label as the box shows the build's one version.
std::string VersionLabel() {
  return "版本 " + std::to_string(app::kVersion.major) + "." + std::to_string(app::kVersion.minor) + "." +
         std::to_string(app::kVersion.revision);
}

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
    EXPECT_EQ(about.Label("lblVersion")->Caption(), VersionLabel());
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

// The box as a person sees it: a fixed dialog over the main window, every
// control inside it and clear of the others, arranged as designed (logo top
// left, title beside it with the version under it, the description below,
// the separator between it and the notice, the two buttons on the right,
// 确定 above 系统信息), and the focus going from 确定 to 系统信息.
bool Inside(const platform::Rect& r, platform::Single width, platform::Single height) {
  return r.left >= 0 && r.top >= 0 && r.left + r.width <= width && r.top + r.height <= height;
}
bool Overlap(const platform::Rect& a, const platform::Rect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}
platform::Single Bottom(const platform::Rect& r) { return r.top + r.height; }
platform::Single Right(const platform::Rect& r) { return r.left + r.width; }

TEST_F(AboutBoxTest, EveryControlInsideClearOfTheOthersAndWhereTheEyeExpectsIt) {
  StartLoggedIn();
  OpenAbout([](fake::FakeWindow& about) {
    const platform::FormDesign& d = about.design;
    EXPECT_EQ(d.border, platform::BorderStyle::FixedDialog);
    EXPECT_EQ(d.startup, platform::StartUpPosition::CenterOwner);
    std::vector<std::pair<std::string, platform::Rect>> controls;
    for (const auto* b : about.buttons) controls.emplace_back(b->design.name, b->design.rect);
    for (const auto* l : about.labels) controls.emplace_back(l->design.name, l->design.rect);
    for (const auto* p : about.pictures) controls.emplace_back(p->design.name, p->design.rect);
    ASSERT_EQ(controls.size(), 7u);
    for (std::size_t i = 0; i < controls.size(); ++i) {
      EXPECT_TRUE(Inside(controls[i].second, d.client_width, d.client_height)) << controls[i].first;
      for (std::size_t j = i + 1; j < controls.size(); ++j) {
        EXPECT_FALSE(Overlap(controls[i].second, controls[j].second))
            << controls[i].first << " and " << controls[j].first;
      }
    }
    const auto rect = [&](const std::string& name) {
      for (const auto& [n, r] : controls) {
        if (n == name) return r;
      }
      ADD_FAILURE() << "no " << name;
      return platform::Rect{};
    };
    const platform::Rect logo = rect("picIcon"), title = rect("lblTitle"), version = rect("lblVersion");
    const platform::Rect description = rect("lblDescription"), notice = rect("lblDisclaimer");
    const platform::Rect ok = rect("cmdOK"), sysinfo = rect("cmdSysInfo");
    EXPECT_LT(logo.left + logo.top, title.left + title.top) << "the logo is top left";
    EXPECT_GE(title.left, Right(logo)) << "the title beside the logo";
    EXPECT_GE(version.top, Bottom(title)) << "the version under the title";
    EXPECT_GE(description.top, Bottom(logo)) << "the description below the logo";
    ASSERT_EQ(about.lines.size(), 2u);
    for (const auto& line : about.lines) {
      EXPECT_GT(line.y1, Bottom(description)) << "the separator under the description";
      EXPECT_LT(line.y1, std::min(notice.top, ok.top)) << "the separator over the notice and buttons";
    }
    // Etched: the grey line, the white one right under it.
    EXPECT_EQ(about.lines[0].red, 128);
    EXPECT_EQ(about.lines[1].red, 255);
    EXPECT_GT(about.lines[1].y1, about.lines[0].y1);
    EXPECT_GE(ok.left, Right(notice)) << "the buttons right of the notice";
    EXPECT_GE(sysinfo.top, Bottom(ok)) << "确定 above 系统信息";
    // The logo at its size, with a frame of a pixel (15 twips) around it.
    EXPECT_EQ(logo.width, (119 + 2) * 15);
    EXPECT_EQ(logo.height, (91 + 2) * 15);
    // Focus order and the keys: 确定 first, Enter and Esc press it.
    ASSERT_EQ(about.buttons.size(), 2u);
    EXPECT_EQ(about.buttons[0]->design.caption, "确定");
    EXPECT_TRUE(about.buttons[0]->design.is_default);
    EXPECT_TRUE(about.buttons[0]->design.is_cancel);
    EXPECT_EQ(about.buttons[1]->design.caption, "系统信息(&S)...");
    EXPECT_FALSE(about.buttons[1]->design.is_default);
    about.Button("cmdOK")->Click();
  });
}

TEST_F(AboutBoxTest, TheSameObjectLoadsAfreshOnEveryShowingEvenAfterANewLogin) {
  StartLoggedIn();
  platform::Form* object = &program->frmAbout();
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
  EXPECT_EQ(versions, (std::vector<std::string>(3, VersionLabel())));
  EXPECT_EQ(AboutWindow(), nullptr);
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(AboutBoxTest, TheSystemInformationButtonLeavesTheBoxOpen) {
  StartLoggedIn();
  toolkit.answers.push_back({platform::vbOK, nullptr});  // nothing registered: the failure message
  OpenAbout([&](fake::FakeWindow& about) {
    about.Button("cmdSysInfo")->Click();
    EXPECT_EQ(AboutWindow(), &about);
    EXPECT_TRUE(about.Visible());
    about.Button("cmdOK")->Click();
  });
  ASSERT_EQ(toolkit.msgboxes.size(), 1u);
  EXPECT_EQ(toolkit.msgboxes[0].prompt, "此时系统信息不可用");
  EXPECT_EQ(toolkit.msgboxes[0].buttons, platform::vbOKOnly);
}

}  // namespace
