// The run's private folder under %TEMP%: gone at the end of the run, kept
// while its run lives, removed by the next run when its run was killed.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <windows.h>

#include "platform/win32/kernel_handle.h"
#include "platform/win32/private_folder.h"
#include "platform/win32/utf16.h"
#include "tests/windows/check.h"
#include "tests/windows/child_program.h"
#include "tests/windows/started_process.h"
#include "tests/windows/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::wstring kName = L"varnock-test-profile";

// A copy of this program that makes a private folder of kName, says where,
// and waits to be released (or killed).
struct FolderChild {
  wintest::TempDir dir{L"Varnock Folder Child"};
  fs::path report = dir.path() / L"report.txt";
  std::wstring release_name = L"Local\\VarnockFolderRelease-" + std::to_wstring(::GetCurrentProcessId());
  win32::KernelHandle release{::CreateEventW(nullptr, TRUE, FALSE, release_name.c_str())};
  PROCESS_INFORMATION process{};

  FolderChild() {
    wchar_t own[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH * 2);
    ::SetEnvironmentVariableW(wintest::kChildReportVariable, report.c_str());
    ::SetEnvironmentVariableW(wintest::kChildReleaseVariable, release_name.c_str());
    ::SetEnvironmentVariableW(wintest::kChildFolderVariable, kName.c_str());
    std::wstring command = L"\"" + std::wstring(own) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::CreateProcessW(own, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    for (const wchar_t* variable :
         {wintest::kChildReportVariable, wintest::kChildReleaseVariable, wintest::kChildFolderVariable}) {
      ::SetEnvironmentVariableW(variable, nullptr);
    }
  }
  ~FolderChild() {
    ::SetEvent(release.get());
    if (process.hProcess != nullptr) {
      ::WaitForSingleObject(process.hProcess, 30000);
      ::CloseHandle(process.hProcess);
      ::CloseHandle(process.hThread);
    }
  }
  // The child's folder once it has reported it.
  fs::path Folder() const {
    for (int i = 0; i < 600; ++i) {
      if (fs::exists(report)) {
        std::ifstream in(fs::path(report.wstring() + L".folder"), std::ios::binary);
        return win32::Widen(std::string(std::istreambuf_iterator<char>(in), {}));
      }
      ::Sleep(50);
    }
    return {};
  }
  bool Ends(DWORD exit_code, int seconds) const {
    if (exit_code != 0) ::TerminateProcess(process.hProcess, exit_code);
    else ::SetEvent(release.get());
    return ::WaitForSingleObject(process.hProcess, seconds * 1000) == WAIT_OBJECT_0;
  }
};

TEST_CASE(private_folder_goes_with_its_run_and_with_all_it_holds) {
  fs::path path;
  {
    platform::win32::PrivateFolder folder(kName);
    path = folder.Path();
    REQUIRE(fs::is_directory(path));
    CHECK(path.filename().wstring().rfind(kName + L"-", 0) == 0);
    REQUIRE(fs::create_directories(path / L"EBWebView"));
    REQUIRE(wintest::WriteFile(path / L"EBWebView" / L"cookies", "x"));
    REQUIRE(wintest::WriteFile(path / L"read-only", "x"));
    ::SetFileAttributesW((path / L"read-only").c_str(), FILE_ATTRIBUTE_READONLY);
  }
  CHECK(!fs::exists(path));
}

// Two runs side by side keep their own; a killed run's folder is removed by
// the next run; a run that ends removes its own.
TEST_CASE(private_folder_of_a_killed_run_goes_at_the_next_start_a_live_one_stays) {
  FolderChild killed;
  const fs::path killed_folder = killed.Folder();
  REQUIRE(!killed_folder.empty());
  CHECK(fs::is_directory(killed_folder));
  REQUIRE(killed.Ends(9, 30));
  CHECK(fs::is_directory(killed_folder));  // nobody removed it

  FolderChild live;
  const fs::path live_folder = live.Folder();
  REQUIRE(!live_folder.empty());
  CHECK(!fs::exists(killed_folder));  // the child's start removed it
  REQUIRE(wintest::WriteFile(live_folder / L"Local State", "x"));  // what its browser keeps
  {
    platform::win32::PrivateFolder mine(kName);
    CHECK(fs::is_directory(mine.Path()));
    CHECK(mine.Path() != live_folder);
    CHECK(fs::exists(live_folder / L"Local State"));  // its run still lives
  }
  REQUIRE(live.Ends(0, 30));
  CHECK(!fs::exists(live_folder));
}

}  // namespace
