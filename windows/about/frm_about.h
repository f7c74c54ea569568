// The About box: title, version, description and rights notice, and the
// button that starts the system information tool.
#pragma once

#include <cstdint>
#include <string>

#include "platform/form.h"

namespace windows {

class frmAbout final : public platform::Form {
 public:
  explicit frmAbout(platform::FormRuntime& runtime);

  // Starts the system information tool found through the registry, or tells
  // the user it is not available. Reports every outcome itself.
  void StartSysInfo();

  // Reads one registry value as text into KeyVal: true when it was read,
  // false (and KeyVal empty) when the key or value cannot be read. A value
  // of size 0 ends it with a run-time error.
  bool GetKeyValue(std::int32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                   std::string& KeyVal);

 protected:
  void CreateControls(platform::NativeWindow& window) override;
  void Form_Load() override;

 private:
  void cmdOK_Click();
  void cmdSysInfo_Click();

  platform::Ctl<platform::CommandButton> cmdOK{this};
  platform::Ctl<platform::PictureBox> picIcon{this};
  platform::Ctl<platform::CommandButton> cmdSysInfo{this};
  platform::Ctl<platform::Label> lblDescription{this};
  platform::Ctl<platform::Label> lblDisclaimer{this};
  platform::Ctl<platform::Label> lblTitle{this};
  platform::Ctl<platform::Label> lblVersion{this};
};

}  // namespace windows
