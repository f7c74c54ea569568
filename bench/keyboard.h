// Key presses through the X server's test extension, timed to the
// microsecond on the bench's clock (a spawned xdotool adds its own start-up).
#pragma once

#include <chrono>
#include <string>

struct _XDisplay;

namespace bench {

class Keyboard {
 public:
  explicit Keyboard(const std::string& display);
  ~Keyboard();
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;

  // Presses and releases `key` (an X keysym name such as "s"), holding the
  // modifier (e.g. "Alt_L") when given. Returns the moment right before the
  // key's press was sent.
  std::chrono::steady_clock::time_point Tap(const std::string& key, const std::string& modifier = "");

 private:
  unsigned Code(const std::string& name) const;
  _XDisplay* display_ = nullptr;
};

}  // namespace bench
