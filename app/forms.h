// The program's forms, each created at its first reference and kept for the
// whole run.
#pragma once

namespace vb {
class Form;
}

namespace app {

class Forms {
 public:
  virtual vb::Form& frmLogin() = 0;
  virtual vb::Form& varnock() = 0;
  virtual vb::Form& frmAbout() = 0;

 protected:
  ~Forms() = default;
};

}  // namespace app
