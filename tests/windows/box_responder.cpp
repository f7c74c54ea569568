#include "tests/windows/box_responder.h"

#include <windows.h>

namespace wintest {
namespace {

// The controls of a message box: its text, and its icon, whose id is 0x14
// on Windows and 0x440 (stc1) under Wine.
constexpr int kTextId = 0xFFFF;
constexpr int kIconIds[] = {0x14, 0x440};

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1024);
  return text;
}

bool Shown(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  return control != nullptr && ::IsWindowVisible(control);
}

// The longest static text of the box, for a box without the usual text id.
BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  wchar_t class_name[16] = {};
  ::GetClassNameW(child, class_name, 16);
  if (::lstrcmpiW(class_name, L"Static") == 0) {
    std::wstring text = WindowText(child);
    auto* longest = reinterpret_cast<std::wstring*>(param);
    if (text.size() > longest->size()) *longest = text;
  }
  return TRUE;
}

SeenBox Read(HWND dialog) {
  SeenBox box;
  box.caption = WindowText(dialog);
  if (HWND text = ::GetDlgItem(dialog, kTextId)) {
    box.text = WindowText(text);
  } else {
    ::EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&box.text));
  }
  box.ok_shown = Shown(dialog, IDOK);
  box.cancel_shown = Shown(dialog, IDCANCEL);
  for (int id : kIconIds) {
    HWND icon = ::GetDlgItem(dialog, id);
    if (icon != nullptr && ::IsWindowVisible(icon) &&
        ::SendMessageW(icon, STM_GETICON, 0, 0) != 0) {
      box.icon_shown = true;
    }
  }
  const LRESULT default_id = ::SendMessageW(dialog, DM_GETDEFID, 0, 0);
  if (HIWORD(default_id) == DC_HASDEFID) box.default_button = LOWORD(default_id);
  return box;
}

struct Search {
  DWORD process;
  HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t class_name[16] = {};
  ::GetClassNameW(window, class_name, 16);
  // Visible: the box has run its initialisation and shows its text.
  if (owner == search->process && ::lstrcmpW(class_name, L"#32770") == 0 &&
      ::IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

BoxResponder::BoxResponder(Answer answer)
    : answer_(answer), thread_([this](std::stop_token stop) { Watch(stop); }) {}

BoxResponder::~BoxResponder() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

std::vector<SeenBox> BoxResponder::Seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

void BoxResponder::Watch(const std::stop_token& stop) {
  while (!stop.stop_requested()) {
    Search search{::GetCurrentProcessId()};
    ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
      ::Sleep(10);
      continue;
    }
    HWND dialog = search.found;
    {
      std::lock_guard lock(mutex_);
      seen_.push_back(Read(dialog));
    }
    switch (answer_) {
      case Answer::Ok:
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
        break;
      case Answer::Cancel:
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDCANCEL)));
        break;
      case Answer::Close:
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        break;
    }
    // One answer per box: wait for it to go before looking again.
    while (::IsWindow(dialog) && !stop.stop_requested()) ::Sleep(10);
  }
}

}  // namespace wintest
