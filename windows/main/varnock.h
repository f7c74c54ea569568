// The main window: the service's pages in the browser, the menu bar that
// opens them, the exit command, and the return to the login window when the
// web session ends.
#pragma once

#include <string>
#include <string_view>

#include "app/forms.h"
#include "platform/form.h"

namespace windows {

class varnock final : public vb::Form {
 public:
  varnock(vb::FormRuntime& runtime, app::Forms& forms);

  // 退出; also run when the window is closed from its frame.
  void mnExit_Click();

 protected:
  void CreateControls(vb::NativeWindow& window) override;
  void Form_Load() override;
  void Form_Resize() override;
  void Form_QueryUnload(vb::Integer& Cancel, vb::Integer UnloadMode) override;
  void Form_Unload(vb::Integer& Cancel) override;

 private:
  void WebBrowser1_DocumentComplete(const vb::BrowserFrame& pDisp, const vb::Variant& URL);
  // The Click of a menu item, routed by the menu table.
  void Menu_Click(const std::string& name);
  // The fifteen page commands differ only in their page key.
  void PageCommand(std::string_view page_key);
  void mnAbout_Click();
  void TrimWorkingSet();

  app::Forms& forms_;
  vb::Ctl<vb::StatusBar> StatusBar1{this};
  vb::Ctl<vb::Browser> WebBrowser1{this};
  std::string StartAddress;
};

}  // namespace windows
