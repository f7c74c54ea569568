// The start-up window: shows the service's login page and recognises a
// successful web login by the address at which a page finishes loading.
#pragma once

#include <chrono>
#include <string>

#include "app/forms.h"
#include "platform/form.h"

namespace windows {

class frmLogin final : public platform::Form {
 public:
  frmLogin(platform::FormRuntime& runtime, app::Forms& forms);

 protected:
  void CreateControls(platform::NativeWindow& window) override;
  void Form_Load() override;
  void Form_Resize() override;

 private:
  void WebBrowser1_DocumentComplete(const platform::BrowserFrame& pDisp, const platform::Variant& URL);
  // Counts a login about to be taken; true when it is one of a loop that
  // no user takes part in.
  bool LoginLoops();

  app::Forms& forms_;
  platform::Ctl<platform::Browser> WebBrowser1{this};
  std::string LoginAddress;
  // Kept across loads: logins in a row that no click or key of the user's
  // brought about, and when the last of them came.
  int AutomaticLogins = 0;
  std::chrono::steady_clock::time_point LastAutomaticLogin;
};

}  // namespace windows
