#include "platform/win32/webview2/popups.h"

#include <algorithm>

#include "platform/browser/flood_limit.h"
#include "platform/browser/navigation_policy.h"
#include "platform/win32/dpi.h"
#include "platform/win32/image_resources.h"
#include "platform/win32/utf16.h"
#include "platform/win32/webview2/webview2_browser.h"
#include "platform/win32/window_class.h"

namespace platform::win32 {
namespace {

constexpr const wchar_t* kPopupClass = L"WebPopupWindow";
// At 96 DPI, when the page asks for no size.
constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

}  // namespace

PopupWindow::PopupWindow(Popups& family, const WebView2Setup& setup, ICoreWebView2NewWindowRequestedEventArgs* args,
                         ComPtr<ICoreWebView2Deferral> deferral, ICoreWebView2Environment* environment, HWND opener)
    : family_(family), dpi_(DpiOfWindow(opener)) {
  // Registered once for the process; the class outlives every window of it.
  static const ATOM registered = RegisterWindowClass(kPopupClass, &PopupWindow::Procedure);
  (void)registered;

  // The size the page asked for (window.open's features), else a browser's.
  int width = kDefaultWidth * static_cast<int>(dpi_) / 96;
  int height = kDefaultHeight * static_cast<int>(dpi_) / 96;
  ComPtr<ICoreWebView2WindowFeatures> features;
  BOOL has_size = FALSE;
  if (SUCCEEDED(args->get_WindowFeatures(features.Out())) && features &&
      SUCCEEDED(features->get_HasSize(&has_size)) && has_size) {
    UINT32 w = 0, h = 0;
    features->get_Width(&w);
    features->get_Height(&h);
    if (w > 0 && h > 0) {
      width = static_cast<int>(w) * static_cast<int>(dpi_) / 96;
      height = static_cast<int>(h) * static_cast<int>(dpi_) / 96;
    }
  }
  RECT frame{0, 0, width, height};
  ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  const int outer_width = frame.right - frame.left;
  const int outer_height = frame.bottom - frame.top;
  // Over the middle of the window whose page opened it.
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  RECT over{};
  if (HWND top = opener ? ::GetAncestor(opener, GA_ROOT) : nullptr; top && ::IsWindowVisible(top) &&
                                                                      ::GetWindowRect(top, &over)) {
    x = over.left + ((over.right - over.left) - outer_width) / 2;
    y = over.top + ((over.bottom - over.top) - outer_height) / 2;
  }
  window_ = ::CreateWindowExW(0, kPopupClass, L"", WS_OVERLAPPEDWINDOW, x, y, outer_width, outer_height, nullptr,
                              nullptr, ::GetModuleHandleW(nullptr), this);
  const HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VB_IMAGE_RESOURCE_WINDOW_ICON));
  if (icon) {
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }

  RECT client{};
  ::GetClientRect(window_, &client);
  const TwipScale scale = ScaleAt(dpi_);
  BrowserDesign design;
  design.rect = Rect{0, 0, scale.ToTwips(client.right), scale.ToTwips(client.bottom)};
  WebView2NewWindow new_window;
  new_window.environment = ComPtr<ICoreWebView2Environment>::Retain(environment);
  new_window.args = ComPtr<ICoreWebView2NewWindowRequestedEventArgs>::Retain(args);
  new_window.deferral = std::move(deferral);
  new_window.family = &family_;
  new_window.caption = [this](const std::string& title, const std::string& uri) {
    ::SetWindowTextW(window_, ::win32::Widen(browser::WebPageCaption(title, uri)).c_str());
  };
  new_window.close_requested = [this] { family_.Close(this); };
  browser_ = std::make_shared<WebView2Browser>(window_, dpi_, design, BrowserEvents{}, setup, std::move(new_window));
  ::SetWindowTextW(window_, ::win32::Widen(browser::WebPageCaption("", "")).c_str());
  ::ShowWindow(window_, SW_SHOWNORMAL);
}

PopupWindow::~PopupWindow() {
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  if (browser_) browser_->Detach();
  browser_.reset();
  ::DestroyWindow(window_);
}

LRESULT CALLBACK PopupWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<PopupWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT PopupWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      Fit();
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      if (browser_) browser_->SetDpi(dpi_);
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE && browser_) browser_->Focus();
      break;
    case WM_CLOSE:
      family_.Close(this);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wparam, lparam);
}

void PopupWindow::Fit() {
  if (!browser_) return;
  RECT client{};
  ::GetClientRect(window_, &client);
  const TwipScale scale = ScaleAt(dpi_);
  browser_->SetWidth(scale.ToTwips(client.right));
  browser_->SetHeight(scale.ToTwips(client.bottom));
}

Popups::Popups(const WebView2Setup& setup) : setup_(std::make_unique<WebView2Setup>(setup)) {}

Popups::~Popups() { CloseAll(); }

bool Popups::Open(ICoreWebView2NewWindowRequestedEventArgs* args, ICoreWebView2Environment* environment,
                  HWND opener) {
  if (windows_.size() >= browser::kMaxPopups || environment == nullptr) return false;
  // The engine waits for the window's control until the deferral completes.
  ComPtr<ICoreWebView2Deferral> deferral;
  if (FAILED(args->GetDeferral(deferral.Out())) || !deferral) return false;
  windows_.push_back(std::make_unique<PopupWindow>(*this, *setup_, args, std::move(deferral), environment, opener));
  return true;
}

void Popups::Close(const PopupWindow* window) {
  auto it = std::find_if(windows_.begin(), windows_.end(), [window](const auto& w) { return w.get() == window; });
  if (it == windows_.end()) return;
  // Hidden now; gone once the event or message that asked is over.
  ::ShowWindow((*it)->Handle(), SW_HIDE);
  closing_.push_back(std::move(*it));
  windows_.erase(it);
  if (!sweep_) {
    sweep_ = scheduler_.After(0, [this] {
      sweep_.reset();
      auto going = std::move(closing_);
      closing_.clear();
    });
  }
}

void Popups::CloseAll() {
  sweep_.reset();
  closing_.clear();
  windows_.clear();
}

}  // namespace platform::win32
