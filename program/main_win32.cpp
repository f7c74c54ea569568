// Program entry on Windows: the same forms as on Linux, in Win32 windows
// with the WebView2 browser control. The client takes no arguments.
#include <windows.h>

#include <memory>
#include <vector>

#include "app/app_info.h"
#include "platform/win32/kernel_handle.h"
#include "platform/win32/private_folder.h"
#include "platform/win32/webview2/webview2_browser.h"
#include "platform/win32/webview2/webview2_loader.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_toolkit.h"
#include "program/program.h"
#include "program/webview2_runtime_texts.h"

namespace {

// How long the end waits for the browser's processes.
constexpr ULONGLONG kBrowserEndMilliseconds = 5000;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // First: it keeps the environment the program was started with for the
  // programs it starts.
  platform::Win32System system;
  if (!platform::win32::WebView2RuntimeVersion()) {
    platform::Win32Toolkit toolkit;
    toolkit.MsgBox(program::kNoWebView2Runtime, platform::vbOKOnly, app::kTitle, nullptr);
    return 1;
  }
  // The browser's profile lives for the run only: the program stores nothing.
  platform::win32::PrivateFolder profile(L"varnock-webview2");
  platform::win32::WebView2Setup setup;
  setup.user_data_folder = profile.Path().wstring();
  std::vector<win32::KernelHandle> browsers;
  setup.browser_started = [&browsers](UINT32 id) {
    if (HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id)) browsers.emplace_back(process);
  };
  // Every window's downloads take their turns here, and the exit question
  // counts those under way.
  auto downloads = std::make_shared<platform::win32::Downloads>();
  setup.downloads = downloads;
  int status = 0;
  {
    platform::Win32Toolkit toolkit(platform::win32::WebView2Factory(setup),
                                   [downloads] { return downloads->UnderWay(); });
    program::Program program(toolkit, system);
    status = program.Run();
  }
  // Every window has gone, and with its last control the browser process
  // ends and lets go of the profile: the program waits for that, a few
  // seconds at most (the next start removes what a browser held longer).
  const ULONGLONG give_up = ::GetTickCount64() + kBrowserEndMilliseconds;
  for (const auto& browser : browsers) {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= give_up) break;
    ::WaitForSingleObject(browser.get(), static_cast<DWORD>(give_up - now));
  }
  profile.Remove();
  return status;
}
