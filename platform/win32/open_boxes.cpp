#include "platform/win32/open_boxes.h"

#include <optional>

#include "platform/win32/message_box.h"

namespace platform::win32 {
namespace {

// The box MessageBoxW is about to create on this thread. A CBT hook has no
// context argument, so it reaches the entry through this; one per thread,
// set only while MessageBoxW runs.
thread_local HWND* box_being_opened = nullptr;

LRESULT CALLBACK NoticeCreation(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && box_being_opened != nullptr && *box_being_opened == nullptr) {
    const HWND created = reinterpret_cast<HWND>(wparam);
    wchar_t class_name[16] = {};
    ::GetClassNameW(created, class_name, 16);
    if (::lstrcmpW(class_name, L"#32770") == 0) *box_being_opened = created;
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

class CreationHook {
 public:
  explicit CreationHook(HWND* target) : previous_(box_being_opened) {
    box_being_opened = target;
    hook_ = ::SetWindowsHookExW(WH_CBT, NoticeCreation, nullptr, ::GetCurrentThreadId());
  }
  ~CreationHook() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    box_being_opened = previous_;
  }
  CreationHook(const CreationHook&) = delete;
  CreationHook& operator=(const CreationHook&) = delete;

 private:
  HWND* previous_;
  HHOOK hook_ = nullptr;
};

}  // namespace

std::optional<int> OpenBoxes::Show(const std::string& prompt, int buttons, const std::string& title,
                                   std::function<bool()> withdrawn) {
  auto box = std::make_shared<Box>();
  box->withdrawn = std::move(withdrawn);
  boxes_.push_back(box);
  int answer = 0;
  {
    CreationHook hook(&box->window);
    answer = platform::Win32MessageBox(prompt, buttons, title);
  }
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
}

}  // namespace platform::win32
