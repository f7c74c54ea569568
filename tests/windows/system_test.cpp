// The operating system's operations on Windows: the working set, the file
// test, the start of a program and the ANSI text conversion.
#include <filesystem>
#include <string>
#include <vector>
#include <windows.h>

#include "platform/errors.h"
#include "platform/text_encoding.h"
#include "platform/win32/kernel_handle.h"
#include "platform/win32/utf16.h"
#include "platform/win32/win32_system.h"
#include "tests/windows/check.h"
#include "tests/windows/child_program.h"
#include "tests/windows/started_process.h"
#include "tests/windows/temp_dir.h"
// After windows.h, which it needs.
#include <psapi.h>

namespace {

namespace fs = std::filesystem;

SIZE_T WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH * 2] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return path;
}

// ------------------------------------------------------------ working set

TEST_CASE(system_current_process_is_the_pseudo_handle) {
  platform::Win32System system;
  const platform::ProcessHandle process = system.GetCurrentProcess();
  CHECK_EQ(process, reinterpret_cast<platform::ProcessHandle>(::GetCurrentProcess()));
  CHECK_EQ(process, platform::ProcessHandle{-1});
  // A handle the API takes as this process.
  CHECK_EQ(::GetProcessId(reinterpret_cast<HANDLE>(process)), ::GetCurrentProcessId());
}

TEST_CASE(system_working_set_trim_succeeds_and_the_set_does_not_grow) {
  platform::Win32System system;
  // Pages touched and then released, so that there is something to give back.
  std::vector<std::vector<char>> blocks;
  for (int i = 0; i < 64; ++i) blocks.emplace_back(256 * 1024, static_cast<char>(i));
  for (std::size_t i = 0; i < blocks.size(); i += 2) std::vector<char>().swap(blocks[i]);
  // Once before measuring, so that the pages of the calls themselves are in.
  system.SetProcessWorkingSetSize(system.GetCurrentProcess(), platform::kTrimWorkingSet,
                                  platform::kTrimWorkingSet);
  WorkingSet();
  const SIZE_T before = WorkingSet();
  CHECK(system.SetProcessWorkingSetSize(system.GetCurrentProcess(), platform::kTrimWorkingSet,
                                        platform::kTrimWorkingSet));
  const SIZE_T after = WorkingSet();
  std::printf("    working set %zu KiB before the trim, %zu KiB after\n", before / 1024,
              after / 1024);
  CHECK(before > 0);
  CHECK(after <= before);
}

// ------------------------------------------------------------ file test

TEST_CASE(system_file_exists_only_for_plain_files) {
  platform::Win32System system;
  wintest::TempDir dir(L"Varnock Files");
  REQUIRE(wintest::WriteFile(dir.path() / L"tool.exe", "x"));
  REQUIRE(wintest::WriteFile(dir.path() / L"read-only.exe", "x"));
  REQUIRE(wintest::WriteFile(dir.path() / L"archived.exe", "x"));
  REQUIRE(wintest::WriteFile(dir.path() / L"hidden.exe", "x"));
  REQUIRE(wintest::WriteFile(dir.path() / L"system.exe", "x"));
  fs::create_directory(dir.path() / L"folder.exe");
  REQUIRE(::SetFileAttributesW((dir.path() / L"read-only.exe").c_str(), FILE_ATTRIBUTE_READONLY));
  REQUIRE(::SetFileAttributesW((dir.path() / L"archived.exe").c_str(), FILE_ATTRIBUTE_ARCHIVE));
  REQUIRE(::SetFileAttributesW((dir.path() / L"hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN));
  REQUIRE(::SetFileAttributesW((dir.path() / L"system.exe").c_str(), FILE_ATTRIBUTE_SYSTEM));
  // The attributes must really be on the files for the cases below to mean anything.
  REQUIRE(::GetFileAttributesW((dir.path() / L"hidden.exe").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  REQUIRE(::GetFileAttributesW((dir.path() / L"system.exe").c_str()) & FILE_ATTRIBUTE_SYSTEM);

  CHECK(system.FileExists(dir.Text(L"tool.exe")));
  CHECK(system.FileExists(dir.Text(L"read-only.exe")));
  CHECK(system.FileExists(dir.Text(L"archived.exe")));
  CHECK(!system.FileExists(dir.Text(L"hidden.exe")));
  CHECK(!system.FileExists(dir.Text(L"system.exe")));
  CHECK(!system.FileExists(dir.Text(L"folder.exe")));
  CHECK(!system.FileExists(dir.Text(L"missing.exe")));
  CHECK(!system.FileExists(""));
}

TEST_CASE(system_file_exists_takes_utf8_paths) {
  platform::Win32System system;
  wintest::TempDir dir(L"Varnock \u7CFB\u7EDF");
  const std::wstring name = L"\u7CFB\u7EDF\u4FE1\u606F.exe";
  REQUIRE(wintest::WriteFile(dir.path() / name, "x"));
  CHECK(system.FileExists(dir.Text(name)));
  CHECK(!system.FileExists(dir.Text(L"\u7CFB\u7EDF.exe")));
}

TEST_CASE(system_file_exists_resolves_a_doubled_backslash) {
  platform::Win32System system;
  wintest::TempDir dir(L"Varnock Files");
  REQUIRE(wintest::WriteFile(dir.path() / L"MSINFO32.EXE", "x"));
  CHECK(system.FileExists(dir.Text() + "\\\\MSINFO32.EXE"));
  CHECK(system.FileExists(dir.Text() + "\\msinfo32.exe"));  // letter case does not matter
}

// ------------------------------------------------------------ program start

// Starts a copy of this program, in a folder and under a name with spaces,
// which reports how it was started. Another copy named as the path up to
// the space is what an unquoted command line would start instead.
struct ChildStart {
  wintest::TempDir dir{L"Varnock Child"};
  fs::path program = dir.path() / L"child copy.exe";
  fs::path decoy = dir.path() / L"child";
  fs::path report = dir.path() / L"report.txt";
  std::wstring release_name =
      L"Local\\VarnockChildRelease-" + std::to_wstring(::GetCurrentProcessId());
  win32::KernelHandle release{::CreateEventW(nullptr, TRUE, FALSE, release_name.c_str())};
  bool ready = ::CopyFileW(OwnPath().c_str(), program.c_str(), FALSE) &&
               ::CopyFileW(OwnPath().c_str(), (decoy.wstring() + L".exe").c_str(), FALSE) &&
               release;

  ChildStart() {
    ::SetEnvironmentVariableW(wintest::kChildReportVariable, report.c_str());
    ::SetEnvironmentVariableW(wintest::kChildReleaseVariable, release_name.c_str());
  }
  ~ChildStart() {
    Release();  // a child left waiting by a failed check ends too
    ::SetEnvironmentVariableW(wintest::kChildReportVariable, nullptr);
    ::SetEnvironmentVariableW(wintest::kChildReleaseVariable, nullptr);
  }
  std::string Path() const { return win32::Narrow(program.wstring()); }
  void Release() const { ::SetEvent(release.get()); }
};

void CheckStartedWithStyle(int vb_style, unsigned expected_show) {
  platform::Win32System system;
  ChildStart child;
  REQUIRE(child.ready);
  const double id = system.Shell(child.Path(), vb_style);
  wintest::StartedProcess started(static_cast<unsigned long>(id));
  REQUIRE(started.Found());
  // Shell has returned while the program waits for us: it did not wait.
  CHECK(started.Running());
  child.Release();
  CHECK_EQ(started.WaitForExit(60), 0L);
  const auto report = wintest::ReadChildReport(child.report.wstring());
  REQUIRE(report.has_value());
  CHECK_EQ(report->process_id, static_cast<unsigned long>(id));
  CHECK(report->flags & STARTF_USESHOWWINDOW);
  CHECK_EQ(report->show_window, expected_show);
  CHECK(wintest::SamePath(report->module_path, child.program.wstring()));
  CHECK_EQ(report->command_line, L"\"" + child.program.wstring() + L"\"");
}

TEST_CASE(system_shell_starts_normal_focus_quoted_and_returns_the_process_id) {
  CheckStartedWithStyle(1, SW_SHOWNORMAL);
}

TEST_CASE(system_shell_maps_the_other_window_styles) {
  CheckStartedWithStyle(0, SW_HIDE);
  CheckStartedWithStyle(2, SW_SHOWMINIMIZED);
  CheckStartedWithStyle(3, SW_SHOWMAXIMIZED);
  CheckStartedWithStyle(4, SW_SHOWNOACTIVATE);
  CheckStartedWithStyle(6, SW_SHOWMINNOACTIVE);
}

TEST_CASE(system_shell_failures_raise_file_not_found) {
  platform::Win32System system;
  wintest::TempDir dir(L"Varnock Shell");
  REQUIRE(wintest::WriteFile(dir.path() / L"not a program.exe", "plain text"));
  for (const std::string& path :
       {dir.Text(L"missing.exe"), dir.Text(), dir.Text(L"not a program.exe")}) {
    int number = 0;
    try {
      system.Shell(path, 1);
    } catch (const platform::RuntimeError& error) {
      number = error.Number();
    }
    CHECK_EQ(number, platform::kErrFileNotFound);
  }
  CHECK_THROWS_AS(system.Shell("", 1), platform::RuntimeError);
}

// ------------------------------------------------------------ ANSI text

TEST_CASE(ansi_to_text_converts_the_system_code_page_to_utf8) {
  CHECK_EQ(platform::AnsiToText(""), std::string());
  CHECK_EQ(platform::AnsiToText("C:\\Tools\\x.exe"), std::string("C:\\Tools\\x.exe"));
  CHECK_EQ(platform::AnsiToText(std::string_view("ab\0", 3)), std::string("ab\0", 3));
  // Text outside ASCII, written in the code page by the system itself.
  int converted = 0;
  for (const wchar_t* text : {L"\u4E2D\u6587", L"caf\u00E9", L"\u0416\u0443\u043A", L"\u00A3"}) {
    BOOL lossy = FALSE;
    char ansi[32] = {};
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi,
                                             sizeof ansi, nullptr, &lossy);
    if (length <= 1 || lossy) continue;  // not in this code page
    if (::GetACP() != CP_UTF8) CHECK(std::string_view(ansi) != win32::Narrow(text));
    CHECK_EQ(platform::AnsiToText(ansi), win32::Narrow(text));
    ++converted;
  }
  std::printf("    code page %u: %d texts converted\n", ::GetACP(), converted);
  CHECK(converted > 0);
}

}  // namespace
