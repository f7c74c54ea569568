// The simple controls on Win32: label, command button, picture box. Each is
// a child window of its form; the form destroys them with itself.
#pragma once

#include <windows.h>

#include <string>

#include "platform/controls.h"
#include "platform/win32/child_control.h"
#include "platform/win32/png_image.h"

namespace platform::win32 {

// A static text: CR LF breaks the line, long lines wrap, "&" shows as it
// is. Drawn by the form (owner-drawn), with its lines as close as the
// dialog font the forms were laid out for sets them: 12 pixels at 96 DPI,
// growing with the DPI. The system's font (Microsoft YaHei UI, or Noto Sans
// CJK under Wine) sets its lines 16 to 27 pixels apart, and a label's second
// or third line would fall outside the rectangle designed for it.
class Win32Label final : public ChildControl<Label> {
 public:
  Win32Label(std::shared_ptr<const ControlHost> host, const LabelDesign& design);
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override;
  bool BlackText() const noexcept { return black_text_; }
  // WM_DRAWITEM, sent to the form for the label.
  void Draw(const DRAWITEMSTRUCT& item) const;

 private:
  std::string caption_;
  bool black_text_;
};

class Win32Button final : public ChildControl<CommandButton> {
 public:
  Win32Button(std::shared_ptr<const ControlHost> host, const ButtonDesign& design, int id,
              ButtonEvents events);
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override;
  void SetFocus() override;

  // The key "&" marks in the caption, upper case; 0 when there is none.
  wchar_t AccessKey() const noexcept { return access_key_; }
  // Raises Click, unless the form has let go of the button.
  void Clicked();
  void Detach() { events_ = {}; }

 private:
  std::string caption_;
  wchar_t access_key_ = 0;
  ButtonEvents events_;
};

// The image at the top left, inside a frame one pixel wide when asked for;
// the window text is its description, which assistive tools read out.
class Win32Picture final : public ChildControl<PictureBox> {
 public:
  Win32Picture(std::shared_ptr<const ControlHost> host, const PictureDesign& design);
  void Rescaled() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  void Paint(HDC dc) const;
  void LoadImage();

  ImageId image_;
  bool border_;
  Picture picture_;
};

// The upper-case key after the first single "&" of a caption, 0 for none.
wchar_t AccessKeyOf(const std::wstring& caption);

}  // namespace platform::win32
