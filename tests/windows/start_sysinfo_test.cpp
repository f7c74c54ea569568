// frmAbout::StartSysInfo on the real system: the tool found through the
// registry is really started (and ended again by the case), and the failure
// message is a real message box, answered by the BoxResponder.
#include <filesystem>
#include <string>

#include "platform/win32/utf16.h"
#include "tests/windows/about_harness.h"
#include "tests/windows/box_responder.h"
#include "tests/windows/check.h"
#include "tests/windows/registry_fixture.h"
#include "tests/windows/started_process.h"
#include "tests/windows/temp_dir.h"

namespace {

const std::string kFirstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kSecondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kUnavailable = "此时系统信息不可用";

std::wstring SystemTool() {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\msinfo32.exe";
}

// Both registry values start out missing and are put back afterwards.
struct SysInfoCase {
  wintest::ValueGuard first{kFirstKey, "PATH"};
  wintest::ValueGuard second{kSecondKey, "MSINFO"};
  wintest::AboutHarness h;
  SysInfoCase() {
    first.Remove();
    second.Remove();
  }
};

// A folder, its name with spaces, holding a copy of the system's tool as
// MSINFO32.EXE.
struct ToolFolder {
  wintest::TempDir dir{L"Varnock MSInfo"};
  bool copied = ::CopyFileW(SystemTool().c_str(), (dir.path() / L"MSINFO32.EXE").c_str(), FALSE);
};

void ExpectStarted(SysInfoCase& c, const wintest::BoxResponder& boxes,
                   const std::string& expected_path) {
  CHECK(boxes.Seen().empty());
  CHECK(c.h.system.registry.AllClosed());
  REQUIRE(c.h.system.started.size() == 1u);
  CHECK_EQ(c.h.system.started[0].path, expected_path);
  CHECK_EQ(c.h.system.started[0].style, 1);
  wintest::StartedProcess tool(static_cast<unsigned long>(c.h.system.started[0].id));
  REQUIRE(tool.Found());
  // StartSysInfo has returned while the tool still runs: it did not wait.
  CHECK(tool.Running());
  CHECK(wintest::SamePath(tool.ImagePath(), win32::Widen(expected_path)));
  const std::wstring window = tool.WaitForWindow(30);
  CHECK(!window.empty());
  std::printf("    started %s, window \"%s\"\n", win32::Narrow(tool.ImagePath()).c_str(),
              win32::Narrow(window).c_str());
}

void ExpectFailureMessage(SysInfoCase& c, const wintest::BoxResponder& boxes) {
  CHECK(c.h.system.started.empty());
  CHECK(c.h.system.registry.AllClosed());
  const auto seen = boxes.Seen();
  REQUIRE(seen.size() == 1u);
  CHECK_EQ(seen[0].caption, win32::Widen(app::kTitle));
  CHECK_EQ(seen[0].text, win32::Widen(kUnavailable));
  CHECK(seen[0].ok_shown);
  CHECK(!seen[0].cancel_shown);
  CHECK(!seen[0].icon_shown);
  CHECK_EQ(seen[0].default_button, IDOK);
}

TEST_CASE(start_sysinfo_starts_the_path_in_the_first_key) {
  SysInfoCase c;
  REQUIRE(::GetFileAttributesW(SystemTool().c_str()) != INVALID_FILE_ATTRIBUTES);
  const std::string tool = win32::Narrow(SystemTool());
  REQUIRE(c.first.SetString(tool) == ERROR_SUCCESS);
  REQUIRE(c.second.SetString("C:\\Elsewhere") == ERROR_SUCCESS);
  wintest::BoxResponder boxes;
  c.h.about.StartSysInfo();
  ExpectStarted(c, boxes, tool);
  CHECK(c.h.system.registry.OpenedKeys() == std::vector<std::string>{kFirstKey});
  CHECK(c.h.system.file_checks.empty());  // a full path is started without a file test
}

TEST_CASE(start_sysinfo_starts_msinfo32_in_the_folder_of_the_second_key) {
  SysInfoCase c;
  ToolFolder folder;
  REQUIRE(folder.copied);
  REQUIRE(c.second.SetString(folder.dir.Text()) == ERROR_SUCCESS);
  wintest::BoxResponder boxes;
  c.h.about.StartSysInfo();
  const std::string expected = folder.dir.Text() + "\\MSINFO32.EXE";
  ExpectStarted(c, boxes, expected);
  CHECK(c.h.system.file_checks == std::vector<std::string>{expected});
  // The first key may exist without its value (it does in a Wine prefix).
  REQUIRE(!c.h.system.registry.OpenedKeys().empty());
  CHECK_EQ(c.h.system.registry.OpenedKeys().back(), kSecondKey);
}

TEST_CASE(start_sysinfo_folder_ending_in_a_backslash_still_starts_the_tool) {
  SysInfoCase c;
  ToolFolder folder;
  REQUIRE(folder.copied);
  REQUIRE(c.second.SetString(folder.dir.Text() + "\\") == ERROR_SUCCESS);
  wintest::BoxResponder boxes;
  c.h.about.StartSysInfo();
  // The doubled backslash goes to the system as it is, and resolves.
  ExpectStarted(c, boxes, folder.dir.Text() + "\\\\MSINFO32.EXE");
}

TEST_CASE(start_sysinfo_folder_without_the_tool_shows_the_failure_message) {
  SysInfoCase c;
  wintest::TempDir empty(L"Varnock Empty");
  REQUIRE(c.second.SetString(empty.Text()) == ERROR_SUCCESS);
  wintest::BoxResponder boxes;
  c.h.about.StartSysInfo();
  ExpectFailureMessage(c, boxes);
  CHECK(c.h.system.file_checks == std::vector<std::string>{empty.Text() + "\\MSINFO32.EXE"});
}

TEST_CASE(start_sysinfo_hidden_tool_in_the_folder_is_not_started) {
  SysInfoCase c;
  ToolFolder folder;
  REQUIRE(folder.copied);
  const auto tool = folder.dir.path() / L"MSINFO32.EXE";
  REQUIRE(::SetFileAttributesW(tool.c_str(), FILE_ATTRIBUTE_HIDDEN));
  REQUIRE(::GetFileAttributesW(tool.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  REQUIRE(c.second.SetString(folder.dir.Text()) == ERROR_SUCCESS);
  wintest::BoxResponder boxes;
  c.h.about.StartSysInfo();
  ExpectFailureMessage(c, boxes);
}

TEST_CASE(start_sysinfo_nothing_registered_shows_the_failure_message) {
  SysInfoCase c;
  wintest::BoxResponder boxes;
  c.h.about.StartSysInfo();
  ExpectFailureMessage(c, boxes);
  CHECK(c.h.system.file_checks.empty());
  CHECK(c.h.system.shell_calls.empty());
}

TEST_CASE(start_sysinfo_first_path_that_cannot_start_shows_the_failure_message) {
  SysInfoCase c;
  ToolFolder folder;
  REQUIRE(folder.copied);
  REQUIRE(c.first.SetString(folder.dir.Text() + "\\gone.exe") == ERROR_SUCCESS);
  REQUIRE(c.second.SetString(folder.dir.Text()) == ERROR_SUCCESS);
  wintest::BoxResponder boxes;
  c.h.about.StartSysInfo();
  ExpectFailureMessage(c, boxes);
  CHECK(c.h.system.shell_calls == std::vector<std::string>{folder.dir.Text() + "\\gone.exe"});
  CHECK(c.h.system.registry.OpenedKeys() == std::vector<std::string>{kFirstKey});
}

TEST_CASE(start_sysinfo_first_value_too_long_falls_back_to_the_second) {
  SysInfoCase c;
  ToolFolder folder;
  REQUIRE(folder.copied);
  REQUIRE(c.first.SetString(std::string(1100, 'x')) == ERROR_SUCCESS);
  REQUIRE(c.second.SetString(folder.dir.Text()) == ERROR_SUCCESS);
  wintest::BoxResponder boxes;
  c.h.about.StartSysInfo();
  ExpectStarted(c, boxes, folder.dir.Text() + "\\MSINFO32.EXE");
}

}  // namespace
