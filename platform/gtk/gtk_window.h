// A form's window on GTK: a top-level window with an optional menu bar above
// the form's canvas. Geometry is kept in the form's terms: the outer
// rectangle includes the window manager's frame.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/menubar.h>
#include <gtkmm/window.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/gtk/form_canvas.h"
#include "platform/toolkit.h"
#include "platform/twips.h"

namespace platform::gtk {

class GtkToolkit;
class WebKitBrowser;
class GtkButtonControl;

struct FrameExtents {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

class GtkNativeWindow final : public NativeWindow {
 public:
  GtkNativeWindow(GtkToolkit& toolkit, const FormDesign& design, WindowCallbacks callbacks);
  ~GtkNativeWindow() override;

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

  Gtk::Window& Widget() const noexcept { return *window_; }

 private:
  void OnRealize();
  bool OnConfigure(GdkEventConfigure* event);
  bool OnWindowState(GdkEventWindowState* event);
  bool OnDelete(GdkEventAny* event);
  bool OnProperty(GdkEventProperty* event);
  bool OnKeyPress(GdkEventKey* event);
  void ReadFrameFromServer();
  void PlaceOnFirstShow(GtkNativeWindow* owner);
  void ResizeClient();
  void Resized();

  GtkToolkit& toolkit_;
  FormDesign design_;
  WindowCallbacks callbacks_;
  std::unique_ptr<Gtk::Window> window_;
  TwipScale scale_;
  Gtk::Box* box_;
  FormCanvas* canvas_;
  Gtk::MenuBar* menubar_ = nullptr;
  std::vector<sigc::connection> connections_;
  std::vector<std::shared_ptr<WebKitBrowser>> browsers_;
  std::vector<std::shared_ptr<GtkButtonControl>> buttons_;
  std::vector<std::shared_ptr<Control>> controls_;
  std::vector<Gtk::Widget*> tab_order_;
  GtkButtonControl* cancel_button_ = nullptr;

  // The outer rectangle: the frame's top-left corner, and the size of the
  // window's own area (menu bar and client) that the frame goes around.
  int x_ = 0;
  int y_ = 0;
  int inner_width_ = 0;
  int inner_height_ = 0;
  bool position_set_ = false;
  // The outer size the program asked for, until the window is framed.
  std::optional<int> outer_width_;
  std::optional<int> outer_height_;
  // Centred before the window manager told its frame size: centre again
  // once it has.
  bool recenter_ = false;
  GtkNativeWindow* center_owner_ = nullptr;
  FrameExtents frame_;
  bool iconified_ = false;
  bool maximized_ = false;
  bool shown_ = false;
  bool detached_ = false;
};

}  // namespace platform::gtk
