// The status bar (msctls_statusbar32) in simple mode: one line of text,
// docked to the bottom edge of the client area, which it shares with the
// rest of the form as on GTK. Only its height is its own.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/win32/control_host.h"

namespace platform::win32 {

class Win32StatusBar final : public StatusBar, public PlacedControl {
 public:
  Win32StatusBar(std::shared_ptr<const ControlHost> host, const StatusBarDesign& design);

  std::string SimpleText() const override { return text_; }
  void SetSimpleText(const std::string& text) override;

  Single Left() const override;
  Single Top() const override;
  Single Width() const override;
  Single Height() const override;
  void SetLeft(Single) override {}
  void SetTop(Single) override {}
  void SetWidth(Single twips) override;
  void SetHeight(Single twips) override;

  void Place() override;
  void Rescaled() override;
  HWND Handle() const noexcept { return bar_; }

 private:
  RECT Placement() const;

  std::shared_ptr<const ControlHost> host_;
  HWND bar_;
  Single height_;
  std::string text_;
};

}  // namespace platform::win32
