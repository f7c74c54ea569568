#include "platform/win32/open_boxes.h"

#include <algorithm>
#include <optional>

#include "platform/win32/message_box.h"

namespace platform::win32 {
namespace {

// The OpenBoxes of this thread that the hook reports to. A CBT hook has no
// context argument, so it reaches the object through this; one per thread,
// the innermost when there are several.
thread_local OpenBoxes* watching = nullptr;

bool IsTopLevelDialog(HWND window, const CREATESTRUCTW& create) {
  if ((create.style & WS_CHILD) != 0) return false;  // a dialog within a dialog (the save dialog's parts)
  wchar_t class_name[16] = {};
  ::GetClassNameW(window, class_name, 16);
  return ::lstrcmpW(class_name, L"#32770") == 0;
}

}  // namespace

OpenBoxes::OpenBoxes() : outer_(watching) {
  watching = this;
  hook_ = ::SetWindowsHookExW(WH_CBT, &OpenBoxes::Notice, nullptr, ::GetCurrentThreadId());
}

OpenBoxes::~OpenBoxes() {
  if (hook_) ::UnhookWindowsHookEx(hook_);
  watching = outer_;
}

LRESULT CALLBACK OpenBoxes::Notice(int code, WPARAM wparam, LPARAM lparam) {
  if (watching != nullptr) {
    const HWND window = reinterpret_cast<HWND>(wparam);
    if (code == HCBT_CREATEWND) {
      const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lparam);
      if (create->lpcs != nullptr && IsTopLevelDialog(window, *create->lpcs)) watching->Created(window);
    } else if (code == HCBT_DESTROYWND) {
      watching->Destroyed(window);
    }
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

void OpenBoxes::Created(HWND box) {
  // Every OpenBoxes of the thread has a hook, and each reports here.
  if (std::find(others_.begin(), others_.end(), box) != others_.end()) return;
  for (const auto& shown : boxes_) {
    if (shown->window == box) return;
  }
  // The first box while Show waits for its own is that one.
  if (!boxes_.empty() && boxes_.back()->window == nullptr) {
    boxes_.back()->window = box;
  } else {
    others_.push_back(box);
  }
}

void OpenBoxes::Destroyed(HWND window) { std::erase(others_, window); }

std::optional<int> OpenBoxes::Show(const std::string& prompt, int buttons, const std::string& title,
                                   std::function<bool()> withdrawn) {
  auto box = std::make_shared<Box>();
  box->withdrawn = std::move(withdrawn);
  boxes_.push_back(box);
  const int answer = platform::Win32MessageBox(prompt, buttons, title);
  std::erase(boxes_, box);
  if (box->ended) return std::nullopt;
  return answer;
}

void OpenBoxes::CloseEnded(bool quitting) {
  // Copy: ending a box returns from its MessageBoxW only later.
  auto boxes = boxes_;
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
    Box& box = **it;
    if (box.ended || box.window == nullptr) continue;
    if (quitting || (box.withdrawn && box.withdrawn())) {
      box.ended = true;
      ::EndDialog(box.window, IDCANCEL);
    }
  }
  if (!quitting) return;
  // Innermost first, as their loops are nested.
  const auto others = others_;
  for (auto it = others.rbegin(); it != others.rend(); ++it) ::EndDialog(*it, IDCANCEL);
}

}  // namespace platform::win32
