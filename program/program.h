// The program description handed to the form runtime: its forms, created at
// their first reference and kept for the run, and the start-up form.
#pragma once

#include <memory>

#include "app/forms.h"
#include "platform/form_runtime.h"

namespace windows {
class frmLogin;
class varnock;
class frmAbout;
}  // namespace windows

namespace program {

class Program final : public app::Forms {
 public:
  Program(platform::Toolkit& toolkit, platform::System& system);
  ~Program();

  // Loads and shows the login window and runs until the program ends.
  int Run();

  platform::Form& frmLogin() override;
  platform::Form& varnock() override;
  platform::Form& frmAbout() override;

  platform::FormRuntime& Runtime() noexcept { return runtime_; }

 private:
  platform::FormRuntime runtime_;
  std::unique_ptr<windows::frmLogin> login_;
  std::unique_ptr<windows::varnock> main_;
  std::unique_ptr<windows::frmAbout> about_;
};

}  // namespace program
