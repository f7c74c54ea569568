#include "platform/win32/win32_controls.h"

#include <algorithm>

#include "platform/win32/image_resources.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_class.h"

namespace platform::win32 {
namespace {

constexpr const wchar_t* kPictureClass = L"FormPicture";

}  // namespace

HWND CreateChild(const ControlHost& host, const wchar_t* class_name, const std::wstring& text,
                 DWORD style, int id) {
  HWND child = ::CreateWindowExW(0, class_name, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0,
                                 0, 0, host.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(host.font), FALSE);
  return child;
}

wchar_t AccessKeyOf(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
        ::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(caption[i + 1])))));
  }
  return 0;
}

Win32Label::Win32Label(std::shared_ptr<const ControlHost> host, const LabelDesign& design)
    : ChildControl<Label>(host, CreateChild(*host, L"STATIC", ::win32::Widen(design.caption),
                                            SS_OWNERDRAW | SS_NOPREFIX, 0),
                          design.rect),
      caption_(design.caption),
      black_text_(design.black_text) {}

void Win32Label::SetCaption(const std::string& caption) {
  caption_ = caption;
  ::SetWindowTextW(Handle(), ::win32::Widen(caption).c_str());
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Win32Label::Draw(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  const RECT area = item.rcItem;
  ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
  const HGDIOBJ old_font = ::SelectObject(dc, Host().font);
  ::SetTextColor(dc, ::GetSysColor(black_text_ ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
  ::SetBkMode(dc, TRANSPARENT);
  const int step = ::MulDiv(12, static_cast<int>(Host().dpi), static_cast<int>(kDefaultDpi));
  const int width = std::max(1L, area.right - area.left);
  const std::wstring text = ::win32::Widen(caption_);
  int y = area.top;
  std::size_t start = 0;
  while (start <= text.size() && y < area.bottom) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::size_t line_end = end > start && text[end - 1] == L'\r' ? end - 1 : end;
    // One paragraph, wrapped: as many characters as fit, back to the last
    // space when the break falls inside a word.
    std::size_t from = start;
    do {
      int fit = 0;
      SIZE size{};
      const int left = static_cast<int>(line_end - from);
      ::GetTextExtentExPointW(dc, text.c_str() + from, left, width, &fit, nullptr, &size);
      std::size_t count = std::max(1, std::min(fit, left));
      if (left > 0 && count < static_cast<std::size_t>(left)) {
        const std::size_t space = text.rfind(L' ', from + count);
        if (space != std::wstring::npos && space > from && text[from + count] != L' ') count = space - from + 1;
      }
      if (left == 0) count = 0;
      ::ExtTextOutW(dc, area.left, y, ETO_CLIPPED, &area, text.c_str() + from, static_cast<UINT>(count), nullptr);
      from += count;
      y += step;
    } while (from < line_end && y < area.bottom);
    start = end + 1;
  }
  ::SelectObject(dc, old_font);
}

Win32Button::Win32Button(std::shared_ptr<const ControlHost> host, const ButtonDesign& design,
                         int id, ButtonEvents events)
    : ChildControl<CommandButton>(
          host,
          CreateChild(*host, L"BUTTON", ::win32::Widen(design.caption),
                      WS_TABSTOP | (design.is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), id),
          design.rect),
      caption_(design.caption),
      access_key_(AccessKeyOf(::win32::Widen(design.caption))),
      events_(std::move(events)) {}

void Win32Button::SetCaption(const std::string& caption) {
  caption_ = caption;
  access_key_ = AccessKeyOf(::win32::Widen(caption));
  ::SetWindowTextW(Handle(), ::win32::Widen(caption).c_str());
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Win32Button::SetFocus() { ::SetFocus(Handle()); }

void Win32Button::Clicked() {
  // A copy: the handler may let go of the button.
  if (auto click = events_.Click) click();
}

Win32Picture::Win32Picture(std::shared_ptr<const ControlHost> host, const PictureDesign& design)
    : ChildControl<PictureBox>(host, [&] {
        // Process-wide: registered by the first picture.
        static const ATOM registered = RegisterWindowClass(kPictureClass, &Win32Picture::WindowProc);
        (void)registered;
        return CreateChild(*host, kPictureClass, ::win32::Widen(design.description), 0, 0);
      }(), design.rect),
      image_(design.image),
      border_(design.border) {
  ::SetWindowLongPtrW(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  LoadImage();
}

void Win32Picture::LoadImage() {
  // The picture grows with the DPI, as the box around it does.
  picture_ = LoadPngResource(ResourceOf(image_).id, Host().dpi / 96.0);
}

void Win32Picture::Rescaled() {
  LoadImage();
  ChildControl<PictureBox>::Rescaled();
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT CALLBACK Win32Picture::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<Win32Picture*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_PAINT && self != nullptr) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    self->Paint(dc);
    ::EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return ::DefWindowProcW(window, message, wparam, lparam);
}

void Win32Picture::Paint(HDC dc) const {
  RECT client;
  ::GetClientRect(Handle(), &client);
  const int inset = border_ ? 1 : 0;
  if (picture_.bitmap) {
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(source, picture_.bitmap.get());
    const int width = std::min<int>(picture_.width, client.right - 2 * inset);
    const int height = std::min<int>(picture_.height, client.bottom - 2 * inset);
    if (width > 0 && height > 0) {
      BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      ::GdiAlphaBlend(dc, inset, inset, width, height, source, 0, 0, width, height, blend);
    }
    ::SelectObject(source, old);
    ::DeleteDC(source);
  }
  if (border_) {
    HBRUSH frame = ::GetSysColorBrush(COLOR_BTNSHADOW);
    ::FrameRect(dc, &client, frame);
  }
}

}  // namespace platform::win32
