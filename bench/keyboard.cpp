#include "keyboard.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <stdexcept>

namespace bench {

Keyboard::Keyboard(const std::string& display) {
  display_ = XOpenDisplay(display.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot open display " + display);
  int event_base, error_base, major, minor;
  if (!XTestQueryExtension(display_, &event_base, &error_base, &major, &minor)) {
    throw std::runtime_error("the X server has no XTEST extension");
  }
}

Keyboard::~Keyboard() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

unsigned Keyboard::Code(const std::string& name) const {
  const KeySym sym = XStringToKeysym(name.c_str());
  const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display_, sym);
  if (code == 0) throw std::runtime_error("no key for " + name);
  return code;
}

std::chrono::steady_clock::time_point Keyboard::Tap(const std::string& key, const std::string& modifier) {
  const unsigned code = Code(key);
  const unsigned mod = modifier.empty() ? 0 : Code(modifier);
  if (mod != 0) {
    XTestFakeKeyEvent(display_, mod, True, CurrentTime);
    XSync(display_, False);
  }
  const auto at = std::chrono::steady_clock::now();
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XSync(display_, False);
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  if (mod != 0) XTestFakeKeyEvent(display_, mod, False, CurrentTime);
  XSync(display_, False);
  return at;
}

}  // namespace bench
