#include "platform/win32/status_bar.h"

#include <commctrl.h>

#include "platform/win32/child_control.h"
#include "platform/win32/utf16.h"

namespace platform::win32 {

Win32StatusBar::Win32StatusBar(std::shared_ptr<const ControlHost> host,
                               const StatusBarDesign& design)
    : host_(std::move(host)),
      // Placed by the form, not by the control's own alignment.
      bar_(CreateChild(*host_, STATUSCLASSNAMEW, L"",
                       CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0)),
      height_(design.height) {
  ::SendMessageW(bar_, SB_SIMPLE, TRUE, 0);
  Place();
}

void Win32StatusBar::SetSimpleText(const std::string& text) {
  text_ = text;
  const std::wstring wide = ::win32::Widen(text);
  ::SendMessageW(bar_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide.c_str()));
  // Its name for assistive tools.
  ::SetWindowTextW(bar_, wide.c_str());
}

RECT Win32StatusBar::Placement() const {
  RECT client{};
  ::GetClientRect(host_->window, &client);
  const int height = host_->Scale().ToPixels(height_);
  return {0, client.bottom - height, client.right, client.bottom};
}

Single Win32StatusBar::Left() const { return 0; }
Single Win32StatusBar::Top() const { return host_->Scale().ToTwips(Placement().top); }
Single Win32StatusBar::Width() const { return host_->Scale().ToTwips(Placement().right); }
Single Win32StatusBar::Height() const {
  const TwipScale scale = host_->Scale();
  return scale.ToTwips(scale.ToPixels(height_));
}

void Win32StatusBar::SetWidth(Single twips) { CheckSize(twips); }

void Win32StatusBar::SetHeight(Single twips) {
  CheckSize(twips);
  height_ = twips;
  Place();
}

void Win32StatusBar::Place() {
  const RECT r = Placement();
  ::MoveWindow(bar_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void Win32StatusBar::Rescaled() {
  ::SendMessageW(bar_, WM_SETFONT, reinterpret_cast<WPARAM>(host_->font), FALSE);
  Place();
}

}  // namespace platform::win32
