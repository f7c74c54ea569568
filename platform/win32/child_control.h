// A control that is a child window of its form, with its geometry kept in
// twips and placed in pixels at the window's DPI.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/controls.h"
#include "platform/errors.h"
#include "platform/texts.h"
#include "platform/win32/control_host.h"

namespace platform::win32 {

// The run-time error of a negative width or height; the control stays as it was.
inline void CheckSize(Single twips) {
  if (!(twips >= 0)) throw RuntimeError(kErrInvalidPropertyValue, texts::kInvalidPropertyValue);
}

// Creates a child window of the host's window with the host's font.
HWND CreateChild(const ControlHost& host, const wchar_t* class_name, const std::wstring& text,
                 DWORD style, int id);

template <class Interface>
class ChildControl : public Interface, public PlacedControl {
 public:
  ChildControl(std::shared_ptr<const ControlHost> host, HWND control, const Rect& rect)
      : host_(std::move(host)), control_(control), rect_(rect) {
    Place();
  }

  // Read back as placed: whole pixels at the window's DPI.
  Single Left() const override { return Quantised(rect_.left); }
  Single Top() const override { return Quantised(rect_.top); }
  Single Width() const override { return Quantised(rect_.width); }
  Single Height() const override { return Quantised(rect_.height); }
  void SetLeft(Single twips) override {
    rect_.left = twips;
    Place();
  }
  void SetTop(Single twips) override {
    rect_.top = twips;
    Place();
  }
  void SetWidth(Single twips) override {
    CheckSize(twips);
    rect_.width = twips;
    Place();
  }
  void SetHeight(Single twips) override {
    CheckSize(twips);
    rect_.height = twips;
    Place();
  }

  void Place() override {
    const TwipScale scale = host_->Scale();
    ::MoveWindow(control_, scale.ToPixels(rect_.left), scale.ToPixels(rect_.top),
                 scale.ToPixels(rect_.width), scale.ToPixels(rect_.height), TRUE);
  }
  void Rescaled() override {
    ::SendMessageW(control_, WM_SETFONT, reinterpret_cast<WPARAM>(host_->font), FALSE);
    Place();
  }

  HWND Handle() const noexcept { return control_; }

 protected:
  const ControlHost& Host() const noexcept { return *host_; }

 private:
  Single Quantised(Single twips) const {
    const TwipScale scale = host_->Scale();
    return scale.ToTwips(scale.ToPixels(twips));
  }

  std::shared_ptr<const ControlHost> host_;
  HWND control_;
  Rect rect_;
};

}  // namespace platform::win32
