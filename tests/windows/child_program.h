// The test program doubles as the program that Shell starts in the start-up
// cases: run with these variables set, it writes how it was started to a
// file, waits to be released, and ends.
#pragma once

#include <optional>
#include <string>

namespace wintest {

inline constexpr const wchar_t* kChildReportVariable = L"VARNOCK_TEST_CHILD_REPORT";
inline constexpr const wchar_t* kChildReleaseVariable = L"VARNOCK_TEST_CHILD_RELEASE";
// Set: the child makes a private folder of this name first, and writes its
// path to the report's path with ".folder" added.
inline constexpr const wchar_t* kChildFolderVariable = L"VARNOCK_TEST_CHILD_FOLDER";

// In the child: writes the report and returns its exit status once released;
// nothing when the program was not started as a child.
std::optional<int> RunAsChild();

struct ChildReport {
  unsigned long flags = 0;   // STARTUPINFO.dwFlags
  unsigned show_window = 0;  // STARTUPINFO.wShowWindow
  unsigned long process_id = 0;
  std::wstring module_path;  // the file the process runs
  std::wstring command_line;
};

std::optional<ChildReport> ReadChildReport(const std::wstring& path);

}  // namespace wintest
