#include "tests/windows/fake_browser.h"

#include <utility>

namespace wintest {

FakeBrowser::FakeBrowser(HWND parent_window, UINT dpi, const platform::BrowserDesign& design,
                         platform::BrowserEvents browser_events)
    : parent(parent_window), created_dpi(dpi), events(std::move(browser_events)), rect_(design.rect) {
  child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
}

FakeBrowser::~FakeBrowser() {
  if (::IsWindow(child)) ::DestroyWindow(child);
}

void FakeBrowser::Complete(const std::string& url) {
  location = url;
  if (events.DocumentComplete && detaches == 0) events.DocumentComplete(platform::BrowserFrame{true}, url);
}

void FakeBrowser::Focus() {
  ++focuses;
  ::SetFocus(child);
}

platform::win32::BrowserFactory FakeBrowsers::Factory() {
  return [this](HWND parent, UINT dpi, const platform::BrowserDesign& design, platform::BrowserEvents events) {
    auto browser = std::make_shared<FakeBrowser>(parent, dpi, design, std::move(events));
    made.push_back(browser);
    return browser;
  };
}

}  // namespace wintest
