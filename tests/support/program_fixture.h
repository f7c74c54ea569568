// The whole program on test doubles: the real forms and form runtime, fake
// windows and a fake operating system.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "program/program.h"
#include "app/public.h"
#include "tests/support/fake_toolkit.h"

namespace fake {

// The service base address as the build fixed it, spelled out independently
// of the program's own code.
inline std::string Base() { return std::string("http://") + VARNOCK_SERVICE_HOST + ":8010/"; }
inline std::string Login() { return Base() + "?fun=login"; }

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    app::Public::LoggedIn = platform::False;
    app::Public::SessionAddress.clear();
    system.journal = &toolkit.journal;
    program = std::make_unique<program::Program>(toolkit, system);
  }
  ~ProgramTest() override {
    program.reset();
    app::Public::LoggedIn = platform::False;
    app::Public::SessionAddress.clear();
  }

  FakeWindow* LoginWindow() const { return toolkit.Window("frmLogin"); }
  FakeWindow* MainWindow() const { return toolkit.Window("varnock"); }
  FakeWindow* AboutWindow() const { return toolkit.Window("frmAbout"); }

  // Starts the program: the login window loads and shows.
  void Start() { program->Run(); }

  // Starts and logs in: the login page completes, then a page elsewhere.
  void StartLoggedIn(const std::string& landed = Base() + "?ac=home") {
    Start();
    LoginWindow()->browser->CompleteTopLevel(Login());
    LoginWindow()->browser->CompleteTopLevel(landed);
  }

  FakeToolkit toolkit;
  FakeSystem system;
  std::unique_ptr<program::Program> program;
};

}  // namespace fake
