#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace gui {

class Session;

// A keystroke listener on the accessibility bus, registered as a screen
// reader registers one (synchronous, may consume): from then on every
// program's accessibility bridge sends each key to the registry and waits
// for the listeners' answer before the key goes on. This one answers at
// once from a thread of its own, consumes nothing, and counts the keys.
class KeystrokeListener {
 public:
  explicit KeystrokeListener(const Session& session);
  ~KeystrokeListener();
  KeystrokeListener(const KeystrokeListener&) = delete;
  KeystrokeListener& operator=(const KeystrokeListener&) = delete;

  // Key presses and releases seen so far.
  int Keys() const { return keys_; }

 private:
  struct Loop;
  void Serve(const std::string& address);

  std::unique_ptr<Loop> loop_;
  std::thread thread_;
  std::atomic<int> keys_{0};
  std::atomic<int> state_{0};  // 0 starting, 1 registered, -1 failed
  std::string error_;
};

}  // namespace gui
