// A form's window on Win32: a top-level window whose client area holds the
// form's controls, with an optional menu bar. Geometry is in twips at the
// window's own DPI, which follows the monitor it is on.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/toolkit.h"
#include "platform/win32/control_host.h"
#include "platform/win32/gdi_object.h"
#include "platform/win32/hosted_browser.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/window_styles.h"

namespace platform {
class Win32Toolkit;
}

namespace platform::win32 {

class Win32Button;
class Win32Label;

class Win32NativeWindow final : public NativeWindow {
 public:
  Win32NativeWindow(Win32Toolkit& toolkit, const BrowserFactory& browsers,
                    const FormDesign& design, WindowCallbacks callbacks);
  ~Win32NativeWindow() override;
  Win32NativeWindow(const Win32NativeWindow&) = delete;
  Win32NativeWindow& operator=(const Win32NativeWindow&) = delete;

  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  WindowState State() const override;
  void SetState(WindowState state) override;

  Single Left() const override;
  Single Top() const override;
  Single Width() const override;
  Single Height() const override;
  void SetLeft(Single twips) override;
  void SetTop(Single twips) override;
  void SetWidth(Single twips) override;
  void SetHeight(Single twips) override;
  Single ScaleWidth() const override;
  Single ScaleHeight() const override;

  void Show(NativeWindow* owner, bool modal) override;
  void Hide() override;
  bool Visible() const override;
  void Detach() override;

  std::shared_ptr<Browser> AddBrowser(const BrowserDesign&, BrowserEvents) override;
  std::shared_ptr<StatusBar> AddStatusBar(const StatusBarDesign&) override;
  std::shared_ptr<Label> AddLabel(const LabelDesign&) override;
  std::shared_ptr<CommandButton> AddButton(const ButtonDesign&, ButtonEvents) override;
  std::shared_ptr<PictureBox> AddPicture(const PictureDesign&) override;
  void AddLine(const LineDesign&) override;
  void SetMenu(const std::vector<MenuItemDesign>& items,
               std::function<void(const std::string& name)> click) override;

  HWND Handle() const noexcept { return window_; }
  UINT Dpi() const noexcept { return host_->dpi; }
  // A key message for this window or one of its controls, before it is
  // translated: Tab, Enter, Esc and the buttons' access keys. True when
  // it was handled here.
  bool TranslateKey(const MSG& message);

 private:
  // One stop of the Tab key: a control's window, or a browser.
  struct TabStop {
    HWND control = nullptr;
    HostedBrowser* browser = nullptr;
  };

  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(WPARAM wparam, LPARAM lparam);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void UseDpi(UINT dpi);
  void PaintLines(HDC dc) const;
  void PlaceOnFirstShow(const Win32NativeWindow* owner);
  void ResizeOuter(int width, int height);
  void KeepClientSize(int width, int height);
  void ReleaseOwner();
  void Resized();
  void FocusStop(std::size_t index);
  std::optional<std::size_t> FocusedStop() const;
  Win32Button* ButtonOf(HWND control) const;
  void Press(Win32Button& button);

  Win32Toolkit& toolkit_;
  const BrowserFactory& browser_factory_;
  FormDesign design_;
  WindowCallbacks callbacks_;
  WindowStyles styles_;
  HWND window_ = nullptr;
  std::shared_ptr<ControlHost> host_;
  FontHandle font_;
  IconHandle big_icon_;
  IconHandle small_icon_;
  std::vector<std::shared_ptr<HostedBrowser>> browsers_;
  std::vector<std::shared_ptr<Win32Button>> buttons_;
  std::vector<std::shared_ptr<PlacedControl>> controls_;
  std::vector<std::shared_ptr<Win32Label>> labels_;
  std::vector<LineDesign> lines_;
  std::vector<TabStop> tab_order_;
  std::optional<std::size_t> last_focus_;
  Win32Button* default_button_ = nullptr;
  Win32Button* cancel_button_ = nullptr;
  std::optional<MenuBar> menu_;
  std::function<void(const std::string&)> menu_click_;
  // Posted menu commands hold it weakly: a window gone runs none.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  HWND disabled_owner_ = nullptr;
  WindowState pending_state_ = WindowState::Normal;
  bool shown_ = false;
  bool detached_ = false;
  int next_id_ = 100;
};

}  // namespace platform::win32
