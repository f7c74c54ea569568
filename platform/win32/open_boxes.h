// Message boxes that may have to go unanswered: MessageBoxW runs a loop of
// its own, so the box is found as it is created (a CBT hook on this thread)
// and ended from outside when the program quits or its asker withdraws it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::win32 {

class OpenBoxes {
 public:
  // Shows the box (platform::Win32MessageBox); returns its answer, or
  // nothing when it was ended by CloseEnded.
  std::optional<int> Show(const std::string& prompt, int buttons, const std::string& title,
                          std::function<bool()> withdrawn);
  // Ends, unanswered, every box whose asker withdrew it, or all of them
  // when `quitting`.
  void CloseEnded(bool quitting);
  bool Any() const noexcept { return !boxes_.empty(); }

 private:
  struct Box {
    HWND window = nullptr;
    std::function<bool()> withdrawn;
    bool ended = false;
  };
  // Innermost last; each entry lives as long as its box.
  std::vector<std::shared_ptr<Box>> boxes_;
};

}  // namespace platform::win32
