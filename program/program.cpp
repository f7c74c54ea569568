#include "program/program.h"

#include "app/app_info.h"
#include "windows/about/frm_about.h"
#include "windows/login/frm_login.h"
#include "windows/main/varnock.h"

namespace program {

Program::Program(platform::Toolkit& toolkit, platform::System& system)
    : runtime_(toolkit, system, app::kTitle) {}

// The forms go before the runtime they are registered with.
Program::~Program() {
  about_.reset();
  main_.reset();
  login_.reset();
}

int Program::Run() { return runtime_.Run(frmLogin()); }

platform::Form& Program::frmLogin() {
  if (!login_) login_ = std::make_unique<windows::frmLogin>(runtime_, *this);
  return *login_;
}

platform::Form& Program::varnock() {
  if (!main_) main_ = std::make_unique<windows::varnock>(runtime_, *this);
  return *main_;
}

platform::Form& Program::frmAbout() {
  if (!about_) about_ = std::make_unique<windows::frmAbout>(runtime_);
  return *about_;
}

}  // namespace program
