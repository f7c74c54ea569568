// The start-up window: shows the service's login page and recognises a
// successful web login by the address at which a page finishes loading.
#pragma once

#include <string>

#include "app/forms.h"
#include "platform/form.h"

namespace windows {

class frmLogin final : public vb::Form {
 public:
  frmLogin(vb::FormRuntime& runtime, app::Forms& forms);

 protected:
  void CreateControls(vb::NativeWindow& window) override;
  void Form_Load() override;
  void Form_Resize() override;

 private:
  void WebBrowser1_DocumentComplete(const vb::BrowserFrame& pDisp, const vb::Variant& URL);

  app::Forms& forms_;
  vb::Ctl<vb::Browser> WebBrowser1{this};
  std::string LoginAddress;
};

}  // namespace windows
