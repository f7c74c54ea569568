#include "windows/main/varnock.h"

#include <vector>

#include "app/app_info.h"
#include "app/public.h"
#include "app/service_address.h"
#include "platform/errors.h"
#include "platform/system.h"
#include "windows/main/menu_table.h"
#include "windows/main/notice.h"

namespace windows {

using platform::ResumeNext;
using platform::ResumeNextIf;

namespace {

platform::FormDesign Design() {
  platform::FormDesign d;
  d.name = "varnock";
  d.caption = app::kMainCaption;
  d.border = platform::BorderStyle::Sizable;
  d.client_width = 11040;
  d.client_height = 6240;
  d.startup = platform::StartUpPosition::WindowsDefault;
  return d;
}

constexpr platform::Single kOuterWidth = 14520;
constexpr platform::Single kOuterHeight = 10880;
constexpr platform::Single kTopEdge = 100;
constexpr platform::Single kStatusBarHeight = 300;

}  // namespace

varnock::varnock(platform::FormRuntime& runtime, app::Forms& forms)
    : platform::Form(runtime, Design()), forms_(forms) {}

void varnock::CreateControls(platform::NativeWindow& window) {
  StatusBar1 = window.AddStatusBar({255, "StatusBar1"});

  platform::BrowserEvents events;
  events.DocumentComplete = [this](const platform::BrowserFrame& pDisp, const platform::Variant& URL) {
    Raise([&] { WebBrowser1_DocumentComplete(pDisp, URL); });
  };
  WebBrowser1 = window.AddBrowser({platform::Rect{240, 240, 4095, 3015}}, std::move(events));

  std::vector<platform::MenuItemDesign> menu;
  menu.reserve(kMenuTable.size());
  for (const MenuEntry& entry : kMenuTable) {
    menu.push_back({std::string(entry.name), std::string(entry.caption), std::string(entry.parent)});
  }
  window.SetMenu(menu, [this](const std::string& name) { Command([this, name] { Menu_Click(name); }); });
}

void varnock::Form_Load() {
  StartAddress = app::Public::SessionAddress;
  SetCaption(app::kMainCaption);
  SetWindowState(platform::WindowState::Normal);
  SetWidth(kOuterWidth);
  SetHeight(kOuterHeight);
  SetTop(kTopEdge);
  SetLeft((ScreenWidth() - Width()) / platform::Single{2});
  WebBrowser1->SetTop(0);
  WebBrowser1->SetLeft(0);
  WebBrowser1->SetSilent(true);
  WebBrowser1->Navigate(StartAddress);
  StatusBar1->SetHeight(kStatusBarHeight);
  StatusBar1->SetSimpleText(Replace(kNoticeTemplate, kNoticePlaceholder, Caption()));
  forms_.frmLogin().Unload();
}

void varnock::Form_Resize() {
  // Minimised: no client width, and the browser keeps its size.
  if (!ResumeNextIf([&] { return ScaleWidth() > 0; })) return;
  ResumeNext([&] { WebBrowser1->SetWidth(ScaleWidth()); });
  // Lower than the status bar: the browser rejects the negative height and
  // keeps its last one.
  ResumeNext([&] { WebBrowser1->SetHeight(ScaleHeight() - StatusBar1->Height()); });
}

void varnock::Form_QueryUnload(platform::Integer& Cancel, platform::Integer UnloadMode) {
  if (UnloadMode == platform::vbFormControlMenu) {
    Cancel = 1;
    mnExit_Click();
  }
}

void varnock::mnExit_Click() {
  // Downloads still being written end with the program: the question says
  // so, and is asked for them even when nobody is logged in.
  const int downloads = DownloadsUnderWay();
  if (app::Public::LoggedIn != 0 || downloads > 0) {
    std::string prompt = "确定要退出吗？";
    if (downloads > 0) prompt += "\n\n有 " + std::to_string(downloads) + " 个下载尚未完成，退出后将被取消。";
    if (MsgBox(prompt, platform::vbOKCancel) != platform::vbOK) return;
    app::Public::LoggedIn = platform::False;
  }
  TrimWorkingSet();
  End();
}

void varnock::Form_Unload(platform::Integer&) { TrimWorkingSet(); }

void varnock::TrimWorkingSet() {
  // The result is of no interest: a trim that did not happen changes nothing.
  Sys().SetProcessWorkingSetSize(Sys().GetCurrentProcess(), platform::kTrimWorkingSet,
                                 platform::kTrimWorkingSet);
}

void varnock::WebBrowser1_DocumentComplete(const platform::BrowserFrame&, const platform::Variant& URL) {
  std::string LoginAddress;
  ResumeNext([&] { LoginAddress = app::BaseAddress() + std::string(app::kLoginPageKey); });
  if (!URL || !app::SameAddress(*URL, LoginAddress)) return;

  // The web session has ended: back to a fresh login window.
  ResumeNext([&] { Unload(); });
  ResumeNext([&] { forms_.frmLogin().Unload(); });
  ResumeNext([&] { forms_.frmLogin().Show(); });
}

void varnock::Menu_Click(const std::string& name) {
  const MenuEntry* entry = FindMenuEntry(name);
  if (entry == nullptr) return;
  switch (entry->command) {
    case MenuCommand::Page:
      PageCommand(entry->page_key);
      break;
    case MenuCommand::Exit:
      mnExit_Click();
      break;
    case MenuCommand::About:
      mnAbout_Click();
      break;
    case MenuCommand::None:
      break;
  }
}

void varnock::PageCommand(std::string_view page_key) {
  const std::string address = app::PageAddress(page_key);
  WebBrowser1->Navigate(address);
}

void varnock::mnAbout_Click() { forms_.frmAbout().ShowModal(*this); }

}  // namespace windows
