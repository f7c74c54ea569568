#include "platform/win32/win32_system.h"

#include <windows.h>

#include "platform/errors.h"
#include "platform/texts.h"
#include "platform/win32/kernel_handle.h"
#include "platform/win32/utf16.h"

namespace platform {
namespace {

HANDLE ToNative(ProcessHandle process) { return reinterpret_cast<HANDLE>(process); }

// The window styles of Shell and the ShowWindow commands agree except for
// "minimised without focus".
WORD ShowCommand(int window_style) {
  constexpr int vbMinimizedNoFocus = 6;
  return static_cast<WORD>(window_style == vbMinimizedNoFocus ? SW_SHOWMINNOACTIVE : window_style);
}

}  // namespace

ProcessHandle Win32System::GetCurrentProcess() {
  return reinterpret_cast<ProcessHandle>(::GetCurrentProcess());
}

bool Win32System::SetProcessWorkingSetSize(ProcessHandle process, std::size_t minimum,
                                           std::size_t maximum) {
  return ::SetProcessWorkingSetSize(ToNative(process), minimum, maximum) != FALSE;
}

bool Win32System::FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(win32::Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  constexpr DWORD kExcluded =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return (attributes & kExcluded) == 0;
}

double Win32System::Shell(const std::string& path, int window_style) {
  if (path.empty()) throw RuntimeError(kErrInvalidProcedureCall, texts::kInvalidProcedureCall);
  // The whole text names the program: quoted, so that spaces in it do not
  // end the program's name. CreateProcessW may write into the command line.
  std::wstring command_line = L"\"" + win32::Widen(path) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = ShowCommand(window_style);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    const DWORD error = ::GetLastError();
    throw RuntimeError(kErrFileNotFound,
                       texts::Fill(texts::kFileNotFound, path + " (" + std::to_string(error) + ")"));
  }
  // Not waited for: the handles go at once, the program runs on.
  win32::KernelHandle process(started.hProcess);
  win32::KernelHandle thread(started.hThread);
  return static_cast<double>(started.dwProcessId);
}

}  // namespace platform
