// A test double of the browser control a window hosts: a plain child window
// in the browser's place that records what the window tells it (its DPI,
// the focus, the detach) and the addresses it is asked to load. It loads
// nothing: the test says when a page has completed, and at what address.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/hosted_browser.h"

namespace wintest {

class FakeBrowser final : public platform::win32::HostedBrowser {
 public:
  FakeBrowser(HWND parent, UINT dpi, const platform::BrowserDesign& design, platform::BrowserEvents events = {});
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
  void Navigate(const std::string& url) override { navigated.push_back(url); }
  std::string LocationURL() const override { return location; }
  bool NavigatedByUser() const override { return false; }
  void HoldAutomaticNavigation() override {}

  void SetDpi(UINT dpi) override { dpis.push_back(dpi); }
  void Focus() override;
  void Detach() override { ++detaches; }

  // The page at `url` has completed, as the engine would say it.
  void Complete(const std::string& url);

  HWND parent;
  UINT created_dpi;
  HWND child = nullptr;
  std::vector<UINT> dpis;
  int focuses = 0;
  int detaches = 0;
  std::vector<std::string> navigated;
  std::string location;
  platform::BrowserEvents events;

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
