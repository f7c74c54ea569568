#include "platform/win32/win32_controls.h"

#include "platform/win32/image_resources.h"
#include "platform/win32/utf16.h"

namespace platform::win32 {
namespace {

constexpr const wchar_t* kPictureClass = L"FormPicture";

ATOM RegisterPictureClass(WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kPictureClass;
  return ::RegisterClassExW(&window_class);
}

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
                                            SS_LEFT | SS_NOPREFIX, 0),
                          design.rect),
      caption_(design.caption),
      black_text_(design.black_text) {}

void Win32Label::SetCaption(const std::string& caption) {
  caption_ = caption;
  ::SetWindowTextW(Handle(), ::win32::Widen(caption).c_str());
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
}

void Win32Button::SetFocus() { ::SetFocus(Handle()); }

void Win32Button::Clicked() {
  // A copy: the handler may let go of the button.
  if (auto click = events_.Click) click();
}

Win32Picture::Win32Picture(std::shared_ptr<const ControlHost> host, const PictureDesign& design)
    : ChildControl<PictureBox>(host, [&] {
        // Process-wide: registered by the first picture.
        static const ATOM registered = RegisterPictureClass(&Win32Picture::WindowProc);
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
