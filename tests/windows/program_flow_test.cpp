// The program's windows on Win32 as a user goes through them, with the
// browser double standing in for the engine: logging in, the main window,
// back to the login window when the session ends, the exit question both
// ways, the About box with its system information, and the end.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_info.h"
#include "app/service_address.h"
#include "platform/win32/utf16.h"
#include "platform/win32/win32_toolkit.h"
#include "program/program.h"
#include "tests/windows/about_harness.h"
#include "tests/windows/check.h"
#include "tests/windows/fake_browser.h"
#include "tests/windows/started_process.h"
#include "tests/windows/ui_driver.h"

namespace {

struct Step {
  const char* what;
  std::function<bool()> ready;
  std::function<void()> act;
};

// Steps taken one after the other from a timer of the thread, which every
// loop dispatches (the program's own, a message box's), each once the
// program shows what it waits for.
class Script {
 public:
  Script(platform::Toolkit& toolkit, std::vector<Step> steps) : toolkit_(toolkit), steps_(std::move(steps)) {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 20, &Script::Tick);
  }
  ~Script() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  std::size_t Done() const { return next_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ != nullptr) current_->Look();
  }
  void Look() {
    if (next_ >= steps_.size() || busy_) return;
    busy_ = true;
    Step& step = steps_[next_];
    if (step.ready()) {
      std::printf("    %s\n", step.what);
      ++next_;
      waited_ = 0;
      step.act();
    } else if (++waited_ > 500) {  // 10 s
      std::printf("    no %s\n", step.what);
      next_ = steps_.size();
      toolkit_.Quit();
    }
    busy_ = false;
  }

  // The timer's procedure has no context of its own.
  static inline thread_local Script* current_ = nullptr;
  platform::Toolkit& toolkit_;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  int waited_ = 0;
  bool busy_ = false;
  UINT_PTR timer_ = 0;
};

// With VARNOCK_TEST_SCREENSHOTS naming a folder (and Wine drawing on a
// display), each window the flow reaches is announced there as <name>.rect,
// its place on the screen, and stays as it is for two seconds while
// scripts/windows-screenshots.sh takes the screen. (Wine 8's BitBlt from
// the screen leaves out the text its X11 driver draws.)
void PumpFor(DWORD milliseconds) {
  for (const ULONGLONG end = ::GetTickCount64() + milliseconds; ::GetTickCount64() < end; ::Sleep(10)) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

void Screenshot(HWND window, const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"VARNOCK_TEST_SCREENSHOTS", folder, MAX_PATH) == 0) return;
  PumpFor(1000);  // Wine draws through X: the screen shows the window whole a while later
  RECT r{};
  ::GetWindowRect(window, &r);
  if (FILE* out = ::_wfopen((std::wstring(folder) + L"\\" + name + L".rect").c_str(), L"wb")) {
    std::fprintf(out, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fclose(out);
  }
  PumpFor(2000);
}

HWND RootOf(const wintest::FakeBrowser& browser) { return ::GetAncestor(browser.parent, GA_ROOT); }

// The page of the window the user sees: the newest browser in a visible window.
wintest::FakeBrowser* Shown(wintest::FakeBrowsers& browsers) {
  for (auto it = browsers.made.rbegin(); it != browsers.made.rend(); ++it) {
    if ((*it)->detaches == 0 && ::IsWindowVisible(RootOf(**it))) return it->get();
  }
  return nullptr;
}

bool ShowsFirst(wintest::FakeBrowsers& browsers, const std::string& address) {
  wintest::FakeBrowser* shown = Shown(browsers);
  return shown != nullptr && !shown->navigated.empty() && shown->navigated.front() == address;
}

// A visible window of this thread of the given class whose text, or a
// child's text, holds `text`.
HWND FindShown(const wchar_t* class_name, const std::wstring& text) {
  for (HWND window : wintest::ThreadWindows(true)) {
    if (class_name != nullptr && wintest::ClassOf(window) != class_name) continue;
    std::wstring all = wintest::TextOf(window);
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
          *reinterpret_cast<std::wstring*>(param) += L"\n" + wintest::TextOf(child);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    if (all.find(text) != std::wstring::npos) return window;
  }
  return nullptr;
}

HWND ChildWithText(HWND window, const std::wstring& text) {
  struct Search {
    const std::wstring& text;
    HWND found = nullptr;
  } search{text};
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (wintest::TextOf(child) != s->text) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The user picks a menu item: its command, as the menu sends it.
bool ChooseMenuItem(HWND window, const std::wstring& caption) {
  HMENU bar = ::GetMenu(window);
  for (int i = 0; bar != nullptr && i < ::GetMenuItemCount(bar); ++i) {
    HMENU menu = ::GetSubMenu(bar, i);
    for (int j = 0; menu != nullptr && j < ::GetMenuItemCount(menu); ++j) {
      wchar_t text[128] = {};
      ::GetMenuStringW(menu, j, text, 128, MF_BYPOSITION);
      if (caption != text) continue;
      return ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(::GetMenuItemID(menu, j), 0), 0);
    }
  }
  return false;
}

TEST_CASE(program_flow_login_main_logout_exit_question_about_and_end) {
  const std::string login = app::BaseAddress() + std::string(app::kLoginPageKey);
  const std::string home = app::BaseAddress() + "?ac=home";
  const std::wstring main_caption = win32::Widen(app::kMainCaption);
  wintest::RecordingSystem system;
  wintest::FakeBrowsers browsers;
  platform::Win32Toolkit toolkit(browsers.Factory());
  program::Program program(toolkit, system);
  HWND main_window = nullptr;
  HWND about = nullptr;
  std::size_t boxes_before_sysinfo = 0;

  auto exit_question = [] { return FindShown(L"#32770", L"\u786E\u5B9A\u8981\u9000\u51FA\u5417"); };  // 确定要退出吗
  Script script(toolkit, {
      {"the login window, loading the login page", [&] { return ShowsFirst(browsers, login); },
       [&] {
         CHECK(wintest::TextOf(RootOf(*Shown(browsers))).rfind(main_caption, 0) == 0);
         Screenshot(RootOf(*Shown(browsers)), L"login");
         Shown(browsers)->Complete(home);
       }},
      {"the main window, the login window gone", [&] { return ShowsFirst(browsers, home); },
       [&] {
         main_window = RootOf(*Shown(browsers));
         CHECK_EQ(wintest::TextOf(main_window), main_caption);
         CHECK_EQ(wintest::ThreadWindows(true).size(), std::size_t{1});
         Screenshot(main_window, L"main");
         Shown(browsers)->Complete(login);  // the session ends in the page
       }},
      {"the login window again", [&] { return ShowsFirst(browsers, login) && !::IsWindowVisible(main_window); },
       [&] { Shown(browsers)->Complete(home); }},
      {"the main window again", [&] { return ShowsFirst(browsers, home); },
       [&] {
         main_window = RootOf(*Shown(browsers));
         CHECK(ChooseMenuItem(main_window, L"\u9000\u51FA"));  // 退出
       }},
      {"the exit question", [&] { return exit_question() != nullptr; },
       [&] {
         Screenshot(exit_question(), L"exit");
         ::PostMessageW(exit_question(), WM_COMMAND, IDCANCEL, 0);
       }},
      {"the main window kept", [&] { return exit_question() == nullptr && ::IsWindowVisible(main_window); },
       [&] { CHECK(ChooseMenuItem(main_window, L"\u5173\u4E8E")); }},  // 关于
      {"the About box over the main window", [&] { return (about = FindShown(nullptr, L"\u5173\u4E8E Varnock")) != nullptr; },
       [&] {
         CHECK(!::IsWindowEnabled(main_window));
         Screenshot(about, L"about");
         boxes_before_sysinfo = system.shell_calls.size();
         HWND button = ChildWithText(about, L"\u7CFB\u7EDF\u4FE1\u606F(&S)...");  // 系统信息(&S)...
         REQUIRE(button != nullptr);
         ::PostMessageW(button, BM_CLICK, 0, 0);
       }},
      {"the system information started, or said to be unavailable",
       [&] {
         return system.shell_calls.size() > boxes_before_sysinfo ||
                FindShown(L"#32770", L"\u7CFB\u7EDF\u4FE1\u606F\u4E0D\u53EF\u7528") != nullptr;  // 系统信息不可用
       },
       [&] {
         if (HWND box = FindShown(L"#32770", L"\u7CFB\u7EDF\u4FE1\u606F\u4E0D\u53EF\u7528")) {
           ::PostMessageW(box, WM_COMMAND, IDOK, 0);
         }
       }},
      {"the About box closed with Esc",
       [&] { return FindShown(L"#32770", L"\u7CFB\u7EDF\u4FE1\u606F\u4E0D\u53EF\u7528") == nullptr; },
       [&] {
         ::SetForegroundWindow(about);
         ::PostMessageW(about, WM_KEYDOWN, VK_ESCAPE, 0);
         ::PostMessageW(about, WM_KEYUP, VK_ESCAPE, 0);
       }},
      {"the main window taking input again",
       [&] { return !::IsWindowVisible(about) && ::IsWindowEnabled(main_window); },
       [&] { CHECK(ChooseMenuItem(main_window, L"\u9000\u51FA")); }},
      {"the exit question once more", [&] { return exit_question() != nullptr; },
       [&] { ::PostMessageW(exit_question(), WM_COMMAND, IDOK, 0); }},
  });
  CHECK_EQ(program.Run(), 0);
  CHECK_EQ(script.Done(), std::size_t{11});
  CHECK(wintest::ThreadWindows(true).empty());  // every window ended with the program
  for (const auto& start : system.started) wintest::StartedProcess(static_cast<unsigned long>(start.id)).End();
}

}  // namespace
