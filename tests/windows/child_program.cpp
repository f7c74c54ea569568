#include "tests/windows/child_program.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <windows.h>

#include "platform/win32/kernel_handle.h"
#include "platform/win32/private_folder.h"
#include "platform/win32/utf16.h"

namespace wintest {
namespace {

std::optional<std::wstring> Variable(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
  if (length == 0 || length >= 1024) return std::nullopt;
  return std::wstring(value, length);
}

}  // namespace

std::optional<int> RunAsChild() {
  const auto report_path = Variable(kChildReportVariable);
  if (!report_path) return std::nullopt;
  std::optional<platform::win32::PrivateFolder> folder;
  if (const auto name = Variable(kChildFolderVariable)) {
    folder.emplace(*name);
    std::ofstream(std::filesystem::path(*report_path + L".folder"), std::ios::binary)
        << win32::Narrow(folder->Path().wstring());
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoW(&startup);
  {
    std::ofstream report(std::filesystem::path(*report_path), std::ios::binary);
    wchar_t module[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH * 2);
    report << startup.dwFlags << ' ' << startup.wShowWindow << ' ' << ::GetCurrentProcessId()
           << '\n'
           << win32::Narrow(module) << '\n'
           << win32::Narrow(::GetCommandLineW());
  }
  // Held until the parent has looked at the running process; bounded, so
  // that a parent that failed early leaves no process behind.
  if (const auto release = Variable(kChildReleaseVariable)) {
    win32::KernelHandle event(::OpenEventW(SYNCHRONIZE, FALSE, release->c_str()));
    if (event) ::WaitForSingleObject(event.get(), 60000);
  }
  return 0;
}

std::optional<ChildReport> ReadChildReport(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  ChildReport report;
  std::string first_line;
  if (!std::getline(in, first_line)) return std::nullopt;
  std::istringstream fields(first_line);
  if (!(fields >> report.flags >> report.show_window >> report.process_id)) return std::nullopt;
  std::string module;
  if (!std::getline(in, module)) return std::nullopt;
  report.module_path = win32::Widen(module);
  std::stringstream rest;
  rest << in.rdbuf();
  report.command_line = win32::Widen(rest.str());
  return report;
}

}  // namespace wintest
