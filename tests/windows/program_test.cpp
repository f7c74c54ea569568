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
#include "tests/windows/started_process.h"

namespace fs = std::filesystem;

namespace {

fs::path OwnFolder() {
  wchar_t path[MAX_PATH * 2] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return fs::path(path).parent_path();
}

fs::path KnownFolder(const wchar_t* variable) {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableW(variable, path, MAX_PATH * 2);
  return length == 0 ? fs::path() : fs::path(path);
}

// Every name in the folders a program could leave something in.
std::set<fs::path> Contents() {
  std::set<fs::path> names;
  for (const fs::path& folder : {KnownFolder(L"TEMP"), KnownFolder(L"LOCALAPPDATA"), KnownFolder(L"APPDATA"),
                                 OwnFolder()}) {
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
      names.insert(it->path());
    }
  }
  return names;
}

BOOL CALLBACK CollectText(HWND child, LPARAM param) {
  wchar_t text[2048] = {};
  ::GetWindowTextW(child, text, 2048);
  *reinterpret_cast<std::wstring*>(param) += std::wstring(text) + L"\n";
  return TRUE;
}

TEST_CASE(program_without_webview2_runtime_says_so_and_ends_leaving_nothing) {
  const fs::path program = OwnFolder() / L"varnock.exe";
  REQUIRE(fs::exists(program));
  const std::set<fs::path> before = Contents();

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
  std::wstring text;
  ::EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
  CHECK(text.find(L"Microsoft Edge WebView2") != std::wstring::npos);
  CHECK(text.find(L"\u5B89\u88C5") != std::wstring::npos);  // 安装: how to get it

  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  CHECK_EQ(started.WaitForExit(30), 1L);

  const std::set<fs::path> after = Contents();
  std::set<fs::path> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::inserter(added, added.end()));
  for (const fs::path& path : added) std::printf("    left behind: %ls\n", path.c_str());
  CHECK(added.empty());
  HKEY key = nullptr;
  CHECK(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Varnock", 0, KEY_READ, &key) != ERROR_SUCCESS);
}

}  // namespace
