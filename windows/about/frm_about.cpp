#include "windows/about/frm_about.h"

#include "app/app_info.h"
#include "windows/about/about_texts.h"

namespace windows {
namespace {

platform::FormDesign Design() {
  platform::FormDesign d;
  d.name = "frmAbout";
  d.caption = "关于";
  d.border = platform::BorderStyle::FixedDialog;
  d.min_button = false;
  d.max_button = false;
  d.client_width = 5760;
  d.client_height = 3525;
  d.startup = platform::StartUpPosition::CenterOwner;
  return d;
}

}  // namespace

frmAbout::frmAbout(platform::FormRuntime& runtime) : platform::Form(runtime, Design()) {}

void frmAbout::CreateControls(platform::NativeWindow& window) {
  // Created in tab order.
  platform::ButtonDesign ok{{4125, 2625, 1500, 345}, "确定", /*is_default=*/true, /*is_cancel=*/true,
                     "cmdOK"};
  cmdOK = window.AddButton(ok, {[this] { Command([this] { cmdOK_Click(); }); }});
  picIcon = window.AddPicture({{120, 120, 1815, 1395}, platform::ImageId::Logo, /*border=*/true, "picIcon",
                               std::string(app::kTitle) + " 标志"});
  platform::ButtonDesign sysinfo{{4140, 3075, 1485, 345}, "系统信息(&S)...", false, false, "cmdSysInfo"};
  cmdSysInfo = window.AddButton(sysinfo, {[this] { Command([this] { cmdSysInfo_Click(); }); }});
  lblDescription =
      window.AddLabel({{240, 1680, 5085, 570}, "应用程序描述", /*black_text=*/true, "lblDescription"});
  lblDisclaimer = window.AddLabel({{255, 2625, 3630, 825}, "", true, "lblDisclaimer"});
  lblTitle = window.AddLabel({{2160, 240, 3285, 480}, "应用程序标题", true, "lblTitle"});
  lblVersion = window.AddLabel({{2160, 780, 3285, 225}, "版本", false, "lblVersion"});
  // The etched separator: grey over white.
  window.AddLine({90, 2445, 5654, 2445, 128, 128, 128, 1});
  window.AddLine({105, 2460, 5654, 2460, 255, 255, 255, 2});
}

void frmAbout::Form_Load() {
  SetCaption(std::string("关于 ") + app::kTitle);
  lblVersion->SetCaption("版本 " + std::to_string(app::kVersion.major) + "." +
                         std::to_string(app::kVersion.minor) + "." +
                         std::to_string(app::kVersion.revision));
  lblTitle->SetCaption(app::kTitle);
  lblDisclaimer->SetCaption(kDisclaimer);
  lblDescription->SetCaption(std::string(kDescription) + "\r\n\r\n" + kSlogan);
}

void frmAbout::cmdOK_Click() { Unload(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

}  // namespace windows
