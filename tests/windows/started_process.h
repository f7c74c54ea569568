// A program started by the code under test, found by its process id and
// ended when the case is done if it still runs.
#pragma once

#include <string>
#include <windows.h>

#include "platform/win32/kernel_handle.h"

namespace wintest {

class StartedProcess {
 public:
  explicit StartedProcess(unsigned long id);
  ~StartedProcess();  // ends the process if it still runs
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  bool Found() const noexcept { return static_cast<bool>(handle_); }
  bool Running() const;
  // The full path of the program's file, as the system reports it.
  std::wstring ImagePath() const;
  // Waits until the process shows a visible top-level window; its caption,
  // or nothing when the process ended or `seconds` passed first.
  std::wstring WaitForWindow(int seconds) const;
  HWND WaitForWindowHandle(int seconds) const;
  // Waits for the end of the process: its exit code, or -1 if it did not end
  // within `seconds`.
  long WaitForExit(int seconds) const;
  void End();

 private:
  unsigned long id_;
  win32::KernelHandle handle_;
};

// The same file, whatever the letter case and doubled backslashes.
bool SamePath(const std::wstring& a, const std::wstring& b);

}  // namespace wintest
