// A test double of the browser control a window hosts: a plain child window
// in the browser's place that records what the window tells it (its DPI,
// the focus, the detach). It loads nothing.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/win32/hosted_browser.h"

namespace wintest {

class FakeBrowser final : public platform::win32::HostedBrowser {
 public:
  FakeBrowser(HWND parent, UINT dpi, const platform::BrowserDesign& design);
  ~FakeBrowser() override;

  platform::Single Left() const override { return rect_.left; }
  platform::Single Top() const override { return rect_.top; }
  platform::Single Width() const override { return rect_.width; }
  platform::Single Height() const override { return rect_.height; }
  void SetLeft(platform::Single v) override { rect_.left = v; }
  void SetTop(platform::Single v) override { rect_.top = v; }
  void SetWidth(platform::Single v) override { rect_.width = v; }
  void SetHeight(platform::Single v) override { rect_.height = v; }
  bool Silent() const override { return silent_; }
  void SetSilent(bool silent) override { silent_ = silent; }
  void Navigate(const std::string&) override {}
  std::string LocationURL() const override { return {}; }
  bool NavigatedByUser() const override { return false; }
  void HoldAutomaticNavigation() override {}

  void SetDpi(UINT dpi) override { dpis.push_back(dpi); }
  void Focus() override;
  void Detach() override { ++detaches; }

  HWND parent;
  UINT created_dpi;
  HWND child = nullptr;
  std::vector<UINT> dpis;
  int focuses = 0;
  int detaches = 0;

 private:
  platform::Rect rect_;
  bool silent_ = false;
};

// A factory handing out FakeBrowsers and keeping them for the test to read.
struct FakeBrowsers {
  std::vector<std::shared_ptr<FakeBrowser>> made;
  platform::win32::BrowserFactory Factory();
};

}  // namespace wintest
