#include "platform/win32/win32_window.h"

#include <algorithm>
#include <cmath>

#include "platform/errors.h"
#include "platform/texts.h"
#include "platform/win32/dpi.h"
#include "platform/win32/image_resources.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_class.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_toolkit.h"

namespace platform::win32 {
namespace {

constexpr const wchar_t* kFormClass = L"FormWindow";

RECT WindowRect(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

IconHandle LoadIconAt(int width_metric, int height_metric, UINT dpi) {
  const int id = ResourceOf(ImageId::WindowIcon).id;
  return IconHandle(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                    IMAGE_ICON, MetricAt(width_metric, dpi),
                                                    MetricAt(height_metric, dpi), LR_DEFAULTCOLOR)));
}

}  // namespace

Win32NativeWindow::Win32NativeWindow(Win32Toolkit& toolkit, const BrowserFactory& browsers,
                                     const FormDesign& design, WindowCallbacks callbacks)
    : toolkit_(toolkit),
      browser_factory_(browsers),
      design_(design),
      callbacks_(std::move(callbacks)),
      styles_(StylesOf(design)),
      host_(std::make_shared<ControlHost>()) {
  // Process-wide: registered by the first window.
  static const ATOM registered = RegisterWindowClass(kFormClass, &Win32NativeWindow::WindowProc);
  (void)registered;
  // Sized once its DPI is known: the DPI of the monitor it starts on.
  window_ = ::CreateWindowExW(styles_.ex_style, kFormClass, ::win32::Widen(design.caption).c_str(),
                              styles_.style, CW_USEDEFAULT, 0, 0, 0, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), this);
  host_->window = window_;
  UseDpi(DpiOfWindow(window_));
  const TwipScale scale = host_->Scale();
  KeepClientSize(scale.ToPixels(design.client_width), scale.ToPixels(design.client_height));
  toolkit_.Register(this);
}

Win32NativeWindow::~Win32NativeWindow() {
  Detach();
  toolkit_.Unregister(this);
  // The browsers let go of their windows while the form's still exists.
  browsers_.clear();
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  ::DestroyWindow(window_);
}

void Win32NativeWindow::Detach() {
  if (detached_) return;
  detached_ = true;
  *alive_ = false;
  for (auto& browser : browsers_) browser->Detach();
  for (auto& button : buttons_) button->Detach();
  ReleaseOwner();
  ::ShowWindow(window_, SW_HIDE);
}

void Win32NativeWindow::UseDpi(UINT dpi) {
  host_->dpi = dpi;
  // The old font stays until every control has the new one.
  FontHandle old_font = std::move(font_);
  const LOGFONTW message_font = MessageFontAt(dpi);
  font_ = FontHandle(::CreateFontIndirectW(&message_font));
  host_->font = font_.get();
  big_icon_ = LoadIconAt(SM_CXICON, SM_CYICON, dpi);
  small_icon_ = LoadIconAt(SM_CXSMICON, SM_CYSMICON, dpi);
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
  for (auto& control : controls_) control->Rescaled();
}

void Win32NativeWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  UseDpi(dpi);
  ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (auto& browser : browsers_) browser->SetDpi(dpi);
  ::InvalidateRect(window_, nullptr, TRUE);
}

std::string Win32NativeWindow::Caption() const {
  const int length = ::GetWindowTextLengthW(window_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window_, text.data(), length + 1)));
  return ::win32::Narrow(text);
}

void Win32NativeWindow::SetCaption(const std::string& caption) {
  ::SetWindowTextW(window_, ::win32::Widen(caption).c_str());
}

WindowState Win32NativeWindow::State() const {
  if (::IsIconic(window_)) return WindowState::Minimized;
  if (::IsZoomed(window_)) return WindowState::Maximized;
  return ::IsWindowVisible(window_) ? WindowState::Normal : pending_state_;
}

void Win32NativeWindow::SetState(WindowState state) {
  pending_state_ = state;
  // A hidden window takes its state when it is shown.
  if (!::IsWindowVisible(window_)) return;
  switch (state) {
    case WindowState::Normal:
      if (::IsIconic(window_) || ::IsZoomed(window_)) ::ShowWindow(window_, SW_RESTORE);
      break;
    case WindowState::Minimized:
      ::ShowWindow(window_, SW_MINIMIZE);
      break;
    case WindowState::Maximized:
      ::ShowWindow(window_, SW_MAXIMIZE);
      break;
  }
}

Single Win32NativeWindow::Left() const { return host_->Scale().ToTwips(WindowRect(window_).left); }
Single Win32NativeWindow::Top() const { return host_->Scale().ToTwips(WindowRect(window_).top); }
Single Win32NativeWindow::Width() const {
  const RECT r = WindowRect(window_);
  return host_->Scale().ToTwips(r.right - r.left);
}
Single Win32NativeWindow::Height() const {
  const RECT r = WindowRect(window_);
  return host_->Scale().ToTwips(r.bottom - r.top);
}

void Win32NativeWindow::SetLeft(Single twips) {
  ::SetWindowPos(window_, nullptr, host_->Scale().ToPixels(twips), WindowRect(window_).top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32NativeWindow::SetTop(Single twips) {
  ::SetWindowPos(window_, nullptr, WindowRect(window_).left, host_->Scale().ToPixels(twips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32NativeWindow::SetWidth(Single twips) {
  const RECT r = WindowRect(window_);
  ResizeOuter(host_->Scale().ToPixels(twips), r.bottom - r.top);
}

void Win32NativeWindow::SetHeight(Single twips) {
  const RECT r = WindowRect(window_);
  ResizeOuter(r.right - r.left, host_->Scale().ToPixels(twips));
}

void Win32NativeWindow::ResizeOuter(int width, int height) {
  ::SetWindowPos(window_, nullptr, 0, 0, std::max(width, 0), std::max(height, 0),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32NativeWindow::KeepClientSize(int width, int height) {
  const RECT outer = OuterFromClient(RECT{0, 0, width, height}, styles_.style, styles_.ex_style,
                                     ::GetMenu(window_) != nullptr, host_->dpi);
  ResizeOuter(outer.right - outer.left, outer.bottom - outer.top);
  // A menu bar that wraps onto a second line takes more than the frame
  // reckoned with: grow by what is missing.
  RECT client{};
  ::GetClientRect(window_, &client);
  if (client.right != width || client.bottom != height) {
    ResizeOuter(outer.right - outer.left + width - client.right,
                outer.bottom - outer.top + height - client.bottom);
  }
}

Single Win32NativeWindow::ScaleWidth() const {
  if (::IsIconic(window_)) return 0;
  RECT client{};
  ::GetClientRect(window_, &client);
  return host_->Scale().ToTwips(client.right);
}

Single Win32NativeWindow::ScaleHeight() const {
  if (::IsIconic(window_)) return 0;
  RECT client{};
  ::GetClientRect(window_, &client);
  return host_->Scale().ToTwips(client.bottom);
}

void Win32NativeWindow::PlaceOnFirstShow(const Win32NativeWindow* owner) {
  const RECT r = WindowRect(window_);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  int x = 0, y = 0;
  if (design_.startup == StartUpPosition::CenterOwner && owner != nullptr) {
    const RECT o = WindowRect(owner->window_);
    x = o.left + (o.right - o.left - width) / 2;
    y = o.top + (o.bottom - o.top - height) / 2;
  } else if (design_.startup == StartUpPosition::CenterOwner ||
             design_.startup == StartUpPosition::CenterScreen) {
    // Without an owner, centred on the screen.
    x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  } else {
    return;  // where Windows or the program put it
  }
  ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32NativeWindow::Show(NativeWindow* owner, bool modal) {
  auto* owner_window = dynamic_cast<Win32NativeWindow*>(owner);
  // Owned: it stays above its owner and goes to the task bar with it.
  if (owner_window) {
    ::SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner_window->window_));
  }
  const bool first = !shown_;
  if (first) PlaceOnFirstShow(owner_window);
  shown_ = true;
  int command = SW_SHOW;
  if (!::IsWindowVisible(window_)) {
    switch (pending_state_) {
      case WindowState::Normal:
        command = ::IsIconic(window_) || ::IsZoomed(window_) ? SW_SHOWNORMAL : SW_SHOW;
        break;
      case WindowState::Minimized:
        command = SW_SHOWMINIMIZED;
        break;
      case WindowState::Maximized:
        command = SW_SHOWMAXIMIZED;
        break;
    }
  }
  ::ShowWindow(window_, command);
  ::SetForegroundWindow(window_);
  // The owner takes no input while a modal window shows over it; one that
  // something else disabled already is left to that.
  if (modal && owner_window && disabled_owner_ == nullptr && ::IsWindowEnabled(owner_window->window_)) {
    disabled_owner_ = owner_window->window_;
    ::EnableWindow(disabled_owner_, FALSE);
  }
  // The first control in tab order takes the focus.
  if (first && !tab_order_.empty()) FocusStop(0);
  Resized();
}

void Win32NativeWindow::Hide() {
  // The owner first, so that it is the window activated next.
  ReleaseOwner();
  ::ShowWindow(window_, SW_HIDE);
}

bool Win32NativeWindow::Visible() const { return ::IsWindowVisible(window_) != FALSE; }

void Win32NativeWindow::ReleaseOwner() {
  if (disabled_owner_ == nullptr) return;
  ::EnableWindow(disabled_owner_, TRUE);
  disabled_owner_ = nullptr;
}

void Win32NativeWindow::Resized() {
  if (!detached_ && callbacks_.resized) callbacks_.resized();
}

std::shared_ptr<Browser> Win32NativeWindow::AddBrowser(const BrowserDesign& design,
                                                       BrowserEvents events) {
  std::shared_ptr<HostedBrowser> browser;
  if (browser_factory_) browser = browser_factory_(window_, host_->dpi, design, std::move(events));
  if (!browser) throw RuntimeError(kErrInvalidProcedureCall, texts::kInvalidProcedureCall);
  browsers_.push_back(browser);
  tab_order_.push_back({nullptr, browser.get()});
  return browser;
}

std::shared_ptr<StatusBar> Win32NativeWindow::AddStatusBar(const StatusBarDesign& design) {
  auto bar = std::make_shared<Win32StatusBar>(host_, design);
  controls_.push_back(bar);
  return bar;
}

std::shared_ptr<Label> Win32NativeWindow::AddLabel(const LabelDesign& design) {
  auto label = std::make_shared<Win32Label>(host_, design);
  controls_.push_back(label);
  labels_.push_back(label);
  return label;
}

std::shared_ptr<CommandButton> Win32NativeWindow::AddButton(const ButtonDesign& design,
                                                            ButtonEvents events) {
  auto button = std::make_shared<Win32Button>(host_, design, next_id_++, std::move(events));
  controls_.push_back(button);
  buttons_.push_back(button);
  tab_order_.push_back({button->Handle(), nullptr});
  if (design.is_default) default_button_ = button.get();
  if (design.is_cancel) cancel_button_ = button.get();
  return button;
}

std::shared_ptr<PictureBox> Win32NativeWindow::AddPicture(const PictureDesign& design) {
  auto picture = std::make_shared<Win32Picture>(host_, design);
  controls_.push_back(picture);
  return picture;
}

void Win32NativeWindow::AddLine(const LineDesign& line) {
  lines_.push_back(line);
  ::InvalidateRect(window_, nullptr, TRUE);
}

void Win32NativeWindow::PaintLines(HDC dc) const {
  const TwipScale scale = host_->Scale();
  for (const LineDesign& line : lines_) {
    const COLORREF colour = RGB(line.red, line.green, line.blue);
    const int x1 = scale.ToPixels(line.x1), y1 = scale.ToPixels(line.y1);
    const int x2 = scale.ToPixels(line.x2), y2 = scale.ToPixels(line.y2);
    // As thick as the DPI makes a pixel.
    const int width = std::max(1, static_cast<int>(std::lround(line.width * host_->dpi / 96.0)));
    if (y1 == y2) {
      // Whole pixel rows from the line's own row down, so that the rows of
      // an etched pair lie side by side.
      const RECT rows{std::min(x1, x2), y1, std::max(x1, x2), y1 + width};
      HBRUSH brush = ::CreateSolidBrush(colour);
      ::FillRect(dc, &rows, brush);
      ::DeleteObject(brush);
    } else {
      HPEN pen = ::CreatePen(PS_SOLID, width, colour);
      HGDIOBJ old = ::SelectObject(dc, pen);
      ::MoveToEx(dc, x1, y1, nullptr);
      ::LineTo(dc, x2, y2);
      ::SelectObject(dc, old);
      ::DeleteObject(pen);
    }
  }
}

void Win32NativeWindow::SetMenu(const std::vector<MenuItemDesign>& items,
                                std::function<void(const std::string& name)> click) {
  RECT client{};
  ::GetClientRect(window_, &client);
  menu_.emplace(items);
  menu_click_ = std::move(click);
  HMENU old = ::GetMenu(window_);
  ::SetMenu(window_, menu_->Release());
  if (old) ::DestroyMenu(old);
  // The menu bar sits above the client area, which keeps its size.
  KeepClientSize(client.right, client.bottom);
}

Win32Button* Win32NativeWindow::ButtonOf(HWND control) const {
  for (const auto& button : buttons_) {
    if (button->Handle() == control) return button.get();
  }
  return nullptr;
}

void Win32NativeWindow::Press(Win32Button& button) {
  if (!detached_) button.Clicked();
}

void Win32NativeWindow::FocusStop(std::size_t index) {
  if (index >= tab_order_.size()) return;
  last_focus_ = index;
  const TabStop& stop = tab_order_[index];
  if (stop.control) {
    ::SetFocus(stop.control);
  } else if (stop.browser) {
    stop.browser->Focus();
  }
}

std::optional<std::size_t> Win32NativeWindow::FocusedStop() const {
  HWND focus = ::GetFocus();
  if (focus == nullptr || focus == window_ || !::IsChild(window_, focus)) return std::nullopt;
  for (std::size_t i = 0; i < tab_order_.size(); ++i) {
    if (tab_order_[i].control == focus) return i;
  }
  // Inside a window that is none of the form's own controls: a browser's.
  for (std::size_t i = 0; i < tab_order_.size(); ++i) {
    if (tab_order_[i].browser) return i;
  }
  return std::nullopt;
}

bool Win32NativeWindow::TranslateKey(const MSG& message) {
  if (detached_ || !::IsWindowEnabled(window_)) return false;
  if (message.message == WM_SYSCHAR) {
    // Alt and a button's access key press it; any other goes on to the menu bar.
    const auto key = static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
        ::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(message.wParam)))));
    for (const auto& button : buttons_) {
      if (button->AccessKey() == key && ::IsWindowEnabled(button->Handle())) {
        button->SetFocus();
        Press(*button);
        return true;
      }
    }
    return false;
  }
  if (message.message != WM_KEYDOWN) return false;
  if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
  // Keys for a page shown in a browser stay with the page.
  const std::optional<std::size_t> focused = FocusedStop();
  const bool in_browser = focused && tab_order_[*focused].browser != nullptr;
  if (in_browser) return false;
  switch (message.wParam) {
    case VK_TAB: {
      if (tab_order_.empty()) return false;
      const std::size_t count = tab_order_.size();
      const bool back = ::GetKeyState(VK_SHIFT) < 0;
      std::size_t next = 0;
      if (focused) {
        next = back ? (*focused + count - 1) % count : (*focused + 1) % count;
      } else if (back) {
        next = count - 1;
      }
      FocusStop(next);
      return true;
    }
    case VK_ESCAPE:
      if (cancel_button_ == nullptr) return false;
      Press(*cancel_button_);
      return true;
    case VK_RETURN: {
      // The button with the focus, else the default one.
      Win32Button* button = ButtonOf(::GetFocus());
      if (button == nullptr) button = default_button_;
      if (button == nullptr) return false;
      Press(*button);
      return true;
    }
    default:
      return false;
  }
}

void Win32NativeWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  if (detached_) return;
  if (lparam == 0 && HIWORD(wparam) == 0) {
    std::optional<std::string> name = menu_ ? menu_->NameOf(LOWORD(wparam)) : std::nullopt;
    if (!name || !menu_click_) return;
    // From the loop, once the menu's own handling is over.
    toolkit_.Post([alive = std::weak_ptr<bool>(alive_), click = menu_click_, name = *name] {
      auto still = alive.lock();
      if (still && *still) click(name);
    });
    return;
  }
  if (HIWORD(wparam) == BN_CLICKED) {
    if (Win32Button* button = ButtonOf(reinterpret_cast<HWND>(lparam))) Press(*button);
  }
}

LRESULT CALLBACK Win32NativeWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<Win32NativeWindow*>(create->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32NativeWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  return self->OnMessage(message, wparam, lparam);
}

LRESULT Win32NativeWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      // The form decides whether the window goes; it never goes from here.
      if (!detached_ && callbacks_.close_requested) callbacks_.close_requested();
      return 0;
    case WM_SIZE:
      for (auto& control : controls_) control->Place();
      if (::IsWindowVisible(window_)) Resized();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_COMMAND:
      OnCommand(wparam, lparam);
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      for (const auto& label : labels_) {
        if (label->Handle() == item.hwndItem) {
          label->Draw(item);
          return TRUE;
        }
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lparam);
      auto dc = reinterpret_cast<HDC>(wparam);
      bool black = false;
      for (const auto& label : labels_) {
        if (label->Handle() == control) black = label->BlackText();
      }
      ::SetTextColor(dc, ::GetSysColor(black ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window_, &paint);
      PaintLines(dc);
      ::EndPaint(window_, &paint);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        if (auto focused = FocusedStop()) last_focus_ = focused;
      }
      break;
    case WM_SETFOCUS:
      // Activated: the focus goes back where it was, a browser included.
      if (!tab_order_.empty()) {
        FocusStop(last_focus_.value_or(0));
        return 0;
      }
      break;
    case WM_DESTROY:
      ReleaseOwner();
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace platform::win32
