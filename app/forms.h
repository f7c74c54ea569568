// The program's forms, each created at its first reference and kept for the
// whole run.
#pragma once

namespace platform {
class Form;
}

namespace app {

class Forms {
 public:
  virtual platform::Form& frmLogin() = 0;
  virtual platform::Form& varnock() = 0;
  virtual platform::Form& frmAbout() = 0;

 protected:
  ~Forms() = default;
};

}  // namespace app
