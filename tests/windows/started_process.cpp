#include "tests/windows/started_process.h"

#include <windows.h>

namespace wintest {
namespace {

struct WindowSearch {
  DWORD process;
  std::wstring caption;
  bool found = false;
  HWND window = nullptr;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !::IsWindowVisible(window)) return TRUE;
  wchar_t caption[256] = {};
  ::GetWindowTextW(window, caption, 256);
  search->caption = caption;
  search->found = true;
  search->window = window;
  return FALSE;
}

std::wstring Normalised(std::wstring path) {
  std::wstring out;
  for (wchar_t c : path) {
    if (c == L'\\' && !out.empty() && out.back() == L'\\') continue;
    out += c;
  }
  ::CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

}  // namespace

StartedProcess::StartedProcess(unsigned long id)
    : id_(id),
      handle_(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                            FALSE, id)) {}

StartedProcess::~StartedProcess() { End(); }

bool StartedProcess::Running() const {
  return handle_ && ::WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT;
}

std::wstring StartedProcess::ImagePath() const {
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (!handle_ || !::QueryFullProcessImageNameW(handle_.get(), 0, path, &size)) return {};
  return std::wstring(path, size);
}

std::wstring StartedProcess::WaitForWindow(int seconds) const {
  const HWND window = WaitForWindowHandle(seconds);
  if (window == nullptr) return {};
  wchar_t caption[256] = {};
  ::GetWindowTextW(window, caption, 256);
  return caption[0] == 0 ? L"(untitled)" : caption;
}

HWND StartedProcess::WaitForWindowHandle(int seconds) const {
  for (int i = 0; i < seconds * 50 && Running(); ++i) {
    WindowSearch search{id_, {}};
    ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.window;
    ::Sleep(20);
  }
  return nullptr;
}

long StartedProcess::WaitForExit(int seconds) const {
  if (!handle_ ||
      ::WaitForSingleObject(handle_.get(), static_cast<DWORD>(seconds) * 1000) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(handle_.get(), &code);
  return static_cast<long>(code);
}

void StartedProcess::End() {
  if (Running()) {
    ::TerminateProcess(handle_.get(), 1);
    ::WaitForSingleObject(handle_.get(), 10000);
  }
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return Normalised(a) == Normalised(b);
}

}  // namespace wintest
