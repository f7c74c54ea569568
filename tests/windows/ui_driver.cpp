#include "tests/windows/ui_driver.h"

namespace wintest {

bool RunUntil(platform::Toolkit& toolkit, const std::function<bool()>& done, unsigned timeout_ms) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  // A timer of the thread's own wakes the loop to look at the clock.
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, nullptr);
  bool held = false;
  toolkit.RunUntil([&] {
    held = done();
    return held || ::GetTickCount64() > deadline;
  });
  ::KillTimer(nullptr, timer);
  return held;
}

namespace {

INPUT Key(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

void PressAlt(wchar_t letter) {
  const WORD key = static_cast<WORD>(::VkKeyScanW(letter) & 0xFF);
  INPUT inputs[] = {Key(VK_MENU, false), Key(key, false), Key(key, true), Key(VK_MENU, true)};
  ::SendInput(4, inputs, sizeof(INPUT));
}

void PressKey(WORD key) {
  INPUT inputs[] = {Key(key, false), Key(key, true)};
  ::SendInput(2, inputs, sizeof(INPUT));
}

std::vector<HWND> ThreadWindows(bool visible_only) {
  struct Search {
    bool visible_only;
    std::vector<HWND> found;
  } search{visible_only, {}};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (!s->visible_only || ::IsWindowVisible(window)) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

std::wstring AllTextOf(HWND window) {
  // Asked with WM_GETTEXT: GetWindowText does not ask another process's
  // windows, and Wine 8's message boxes set their text after creating it.
  const auto asked = [](HWND w) {
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(w, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return std::wstring(text);
  };
  struct Collect {
    decltype(asked)& ask;
    std::wstring text;
  } collect{asked, asked(window) + L"\n"};
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM param) {
        auto* c = reinterpret_cast<Collect*>(param);
        c->text += c->ask(child) + L"\n";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&collect));
  return collect.text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

RECT RectInParent(HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace wintest
