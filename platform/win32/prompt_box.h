// A modal box that asks for one line of text (a page's prompt()): the
// message, a field holding the default text all selected, OK (the default,
// Enter) and Cancel (Esc, the close box). MessageBoxW has no field, so this
// is a dialog of our own built in memory; like a message box it is a
// "#32770" dialog with a loop of its own, disables its owner while it is
// open, and ends unanswered on EndDialog(IDCANCEL), which is how the
// toolkit ends open boxes when the program quits (open_boxes.h).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace platform::win32 {

struct PromptBoxTexts {
  std::wstring title;
  std::wstring message;
  std::wstring default_text;
  std::wstring ok;
  std::wstring cancel;
};

// The controls' ids, for whoever reads the box through the window.
inline constexpr int kPromptMessageId = 1001;
inline constexpr int kPromptFieldId = 1002;

// Shows the box over `owner` (none: a box of its own) and returns once it
// is answered: the field's text for OK, nothing for Cancel, Esc, the close
// box or an end from outside.
std::optional<std::wstring> ShowPromptBox(HWND owner, const PromptBoxTexts& texts);

}  // namespace platform::win32
