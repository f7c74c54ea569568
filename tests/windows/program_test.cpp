// The Windows client itself, varnock.exe beside this program, on a Windows
// without the WebView2 runtime (as under Wine): it says what is missing and
// how to get it, ends when the user has read it, and leaves nothing behind.
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <windows.h>

#include "app/app_info.h"
#include "platform/win32/utf16.h"
#include "tests/windows/check.h"
#include "tests/windows/leftovers.h"
#include "tests/windows/program_checks.h"
#include "tests/windows/started_process.h"
#include "tests/windows/ui_driver.h"

namespace fs = std::filesystem;

namespace wintest {

void CheckSaysTheRuntimeIsMissingAndEnds(const fs::path& program) {
  REQUIRE(fs::exists(program));

  std::wstring command = L"\"" + program.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  REQUIRE(::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process));
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  wintest::StartedProcess started(process.dwProcessId);

  const HWND box = started.WaitForWindowHandle(60);
  REQUIRE(box != nullptr);
  wchar_t caption[256] = {};
  ::GetWindowTextW(box, caption, 256);
  CHECK_EQ(std::wstring(caption), win32::Widen(app::kTitle));
  const std::wstring text = wintest::AllTextOf(box);
  CHECK(text.find(L"Microsoft Edge WebView2") != std::wstring::npos);
  CHECK(text.find(L"\u5B89\u88C5") != std::wstring::npos);  // 安装: how to get it

  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  CHECK_EQ(started.WaitForExit(30), 1L);
}

}  // namespace wintest

namespace {

TEST_CASE(program_without_webview2_runtime_says_so_and_ends_leaving_nothing) {
  const std::set<fs::path> before = wintest::ProfileContents();
  wintest::CheckSaysTheRuntimeIsMissingAndEnds(wintest::OwnFolder() / L"varnock.exe");
  CHECK(wintest::Added(before, wintest::ProfileContents()).empty());
  HKEY key = nullptr;
  CHECK(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Varnock", 0, KEY_READ, &key) != ERROR_SUCCESS);
}

}  // namespace
