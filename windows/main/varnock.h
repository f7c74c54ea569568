// The main window: the service's pages in the browser, the menu bar that
// opens them, the exit command, and the return to the login window when the
// web session ends.
#pragma once

#include <string>
#include <string_view>

#include "app/forms.h"
#include "platform/form.h"

namespace windows {

class varnock final : public platform::Form {
 public:
  varnock(platform::FormRuntime& runtime, app::Forms& forms);

  // 退出; also run when the window is closed from its frame.
  void mnExit_Click();

 protected:
  void CreateControls(platform::NativeWindow& window) override;
  void Form_Load() override;
  void Form_Resize() override;
  void Form_QueryUnload(platform::Integer& Cancel, platform::Integer UnloadMode) override;
  void Form_Unload(platform::Integer& Cancel) override;

 private:
  void WebBrowser1_DocumentComplete(const platform::BrowserFrame& pDisp, const platform::Variant& URL);
  // The Click of a menu item, routed by the menu table.
  void Menu_Click(const std::string& name);
  // The fifteen page commands differ only in their page key.
  void PageCommand(std::string_view page_key);
  void mnAbout_Click();
  void TrimWorkingSet();

  app::Forms& forms_;
  platform::Ctl<platform::StatusBar> StatusBar1{this};
  platform::Ctl<platform::Browser> WebBrowser1{this};
  std::string StartAddress;
};

}  // namespace windows
