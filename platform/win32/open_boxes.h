// Boxes that may have to go unanswered. MessageBoxW, a page's prompt box
// and the save dialog run loops of their own, so each box of this thread
// is found as it is created (a CBT hook, for as long as this object lives)
// and ended from outside with EndDialog, after which it answers Cancel:
// every one of them when the program quits, and a box the toolkit showed
// when its asker withdraws it.
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
  OpenBoxes();
  ~OpenBoxes();
  OpenBoxes(const OpenBoxes&) = delete;
  OpenBoxes& operator=(const OpenBoxes&) = delete;

  // Shows the box (platform::Win32MessageBox); returns its answer, or
  // nothing when it was ended by CloseEnded.
  std::optional<int> Show(const std::string& prompt, int buttons, const std::string& title,
                          std::function<bool()> withdrawn);
  // Ends, unanswered, every box Show opened whose asker withdrew it, or
  // every box of the thread when `quitting`.
  void CloseEnded(bool quitting);
  // A box Show opened is open.
  bool Any() const noexcept { return !boxes_.empty(); }

 private:
  struct Box {
    HWND window = nullptr;
    std::function<bool()> withdrawn;
    bool ended = false;
  };
  static LRESULT CALLBACK Notice(int code, WPARAM wparam, LPARAM lparam);
  void Created(HWND box);
  void Destroyed(HWND window);

  // Innermost last; each entry lives as long as its box.
  std::vector<std::shared_ptr<Box>> boxes_;
  // The thread's other boxes, opened by others (a page's dialogs, the save
  // dialog): ended only when the program quits.
  std::vector<HWND> others_;
  OpenBoxes* outer_ = nullptr;
  HHOOK hook_ = nullptr;
};

}  // namespace platform::win32
