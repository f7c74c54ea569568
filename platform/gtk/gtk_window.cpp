#include "platform/gtk/gtk_window.h"

#include <atkmm/object.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/separatormenuitem.h>
#include <gtkmm/stylecontext.h>

#include <algorithm>
#include <map>

#include "platform/gtk/deferred_delete.h"
#include "platform/gtk/gtk_controls.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/gtk/webkit_browser.h"
#include "platform/twips.h"

namespace platform::gtk {
namespace {

}  // namespace

GtkNativeWindow::GtkNativeWindow(GtkToolkit& toolkit, const FormDesign& design,
                                 WindowCallbacks callbacks)
    : toolkit_(toolkit),
      design_(design),
      callbacks_(std::move(callbacks)),
      window_(std::make_unique<Gtk::Window>(Gtk::WINDOW_TOPLEVEL)),
      scale_(toolkit.Scale()),
      box_(Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL))),
      canvas_(Gtk::manage(new FormCanvas(scale_, scale_.ToPixels(design.client_width),
                                         scale_.ToPixels(design.client_height)))) {
  const bool sizable = design_.border == BorderStyle::Sizable;
  window_->set_title(design_.caption);
  window_->set_name(design_.name);
  window_->set_resizable(sizable);
  if (design_.border == BorderStyle::FixedDialog) {
    window_->set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
    // Read out as the dialog it is, not as another main window.
    window_->get_accessible()->set_role(Atk::ROLE_DIALOG);
  }
  canvas_->get_style_context()->add_class("form-canvas");
  box_->pack_end(*canvas_, Gtk::PACK_EXPAND_WIDGET);
  window_->add(*box_);
  box_->show();
  canvas_->show();

  inner_width_ = scale_.ToPixels(design_.client_width);
  inner_height_ = scale_.ToPixels(design_.client_height);
  window_->set_default_size(inner_width_, inner_height_);
  frame_ = toolkit_.FrameGuess(sizable);

  canvas_->size_changed = [this] { Resized(); };
  connections_.push_back(window_->signal_realize().connect([this] { OnRealize(); }));
  connections_.push_back(window_->signal_configure_event().connect(
      sigc::mem_fun(*this, &GtkNativeWindow::OnConfigure), false));
  connections_.push_back(window_->signal_window_state_event().connect(
      sigc::mem_fun(*this, &GtkNativeWindow::OnWindowState), false));
  connections_.push_back(window_->signal_property_notify_event().connect(
      sigc::mem_fun(*this, &GtkNativeWindow::OnProperty), false));
  window_->add_events(Gdk::PROPERTY_CHANGE_MASK);
  connections_.push_back(window_->signal_delete_event().connect(
      sigc::mem_fun(*this, &GtkNativeWindow::OnDelete), false));
  connections_.push_back(window_->signal_key_press_event().connect(
      sigc::mem_fun(*this, &GtkNativeWindow::OnKeyPress), false));
  toolkit_.Register(this);
}

GtkNativeWindow::~GtkNativeWindow() {
  Detach();
  toolkit_.Unregister(this);
  browsers_.clear();
  buttons_.clear();
  controls_.clear();
  // The window may be going away inside one of its own signals.
  DeleteLater(std::move(window_));
}

void GtkNativeWindow::Detach() {
  if (detached_) return;
  detached_ = true;
  canvas_->size_changed = nullptr;
  for (sigc::connection& c : connections_) c.disconnect();
  for (auto& browser : browsers_) browser->Detach();
  for (auto& button : buttons_) button->Detach();
  window_->hide();
}

void GtkNativeWindow::OnRealize() {
  // Mutter and KWin go by these functions. Openbox 3.6 ignores the
  // maximise and minimise functions ("dont let mwm hints kill any
  // buttons", client.c) and offers maximise on any window it can resize:
  // the login window keeps the sizable border it is designed with, and
  // openbox users get a maximise they do not need.
  const bool sizable = design_.border == BorderStyle::Sizable;
  auto decorations = Gdk::DECOR_BORDER | Gdk::DECOR_TITLE | Gdk::DECOR_MENU;
  auto functions = Gdk::FUNC_MOVE | Gdk::FUNC_CLOSE;
  if (sizable) {
    decorations |= Gdk::DECOR_RESIZEH;
    functions |= Gdk::FUNC_RESIZE;
  }
  if (design_.min_button && design_.border != BorderStyle::FixedDialog) {
    decorations |= Gdk::DECOR_MINIMIZE;
    functions |= Gdk::FUNC_MINIMIZE;
  }
  if (design_.max_button && sizable) {
    decorations |= Gdk::DECOR_MAXIMIZE;
    functions |= Gdk::FUNC_MAXIMIZE;
  }
  auto gdk_window = window_->get_window();
  gdk_window->set_decorations(decorations);
  gdk_window->set_functions(functions);
}

std::string GtkNativeWindow::Caption() const { return window_->get_title(); }
void GtkNativeWindow::SetCaption(const std::string& caption) { window_->set_title(caption); }

WindowState GtkNativeWindow::State() const {
  if (iconified_) return WindowState::Minimized;
  if (maximized_) return WindowState::Maximized;
  return WindowState::Normal;
}

void GtkNativeWindow::SetState(WindowState state) {
  switch (state) {
    case WindowState::Normal:
      if (iconified_) window_->deiconify();
      if (maximized_) window_->unmaximize();
      break;
    case WindowState::Minimized:
      window_->iconify();
      break;
    case WindowState::Maximized:
      window_->maximize();
      break;
  }
}

Single GtkNativeWindow::Left() const { return scale_.ToTwips(x_); }
Single GtkNativeWindow::Top() const { return scale_.ToTwips(y_); }
Single GtkNativeWindow::Width() const {
  return scale_.ToTwips(inner_width_ + frame_.left + frame_.right);
}
Single GtkNativeWindow::Height() const {
  return scale_.ToTwips(inner_height_ + frame_.top + frame_.bottom);
}

void GtkNativeWindow::SetLeft(Single twips) {
  x_ = scale_.ToPixels(twips);
  position_set_ = true;
  window_->move(x_, y_);
}

void GtkNativeWindow::SetTop(Single twips) {
  y_ = scale_.ToPixels(twips);
  position_set_ = true;
  window_->move(x_, y_);
}

void GtkNativeWindow::SetWidth(Single twips) {
  outer_width_ = scale_.ToPixels(twips);
  inner_width_ = std::max(1, *outer_width_ - frame_.left - frame_.right);
  ResizeClient();
}

void GtkNativeWindow::SetHeight(Single twips) {
  outer_height_ = scale_.ToPixels(twips);
  inner_height_ = std::max(1, *outer_height_ - frame_.top - frame_.bottom);
  ResizeClient();
}

void GtkNativeWindow::ResizeClient() {
  window_->set_default_size(inner_width_, inner_height_);
  window_->resize(inner_width_, inner_height_);
}

Single GtkNativeWindow::ScaleWidth() const {
  if (iconified_) return 0;
  if (canvas_->HasBeenAllocated()) return scale_.ToTwips(canvas_->AllocatedWidth());
  return scale_.ToTwips(inner_width_);
}

Single GtkNativeWindow::ScaleHeight() const {
  if (iconified_) return 0;
  if (canvas_->HasBeenAllocated()) return scale_.ToTwips(canvas_->AllocatedHeight());
  int menu = 0;
  if (menubar_) {
    int minimum = 0;
    menubar_->get_preferred_height(minimum, menu);
  }
  return scale_.ToTwips(std::max(0, inner_height_ - menu));
}

void GtkNativeWindow::PlaceOnFirstShow(GtkNativeWindow* owner) {
  if (design_.startup == StartUpPosition::CenterOwner ||
      design_.startup == StartUpPosition::CenterScreen) {
    recenter_ = true;
    center_owner_ = design_.startup == StartUpPosition::CenterOwner ? owner : nullptr;
  }
  const int outer_w = inner_width_ + frame_.left + frame_.right;
  const int outer_h = inner_height_ + frame_.top + frame_.bottom;
  const bool center_owner = design_.startup == StartUpPosition::CenterOwner && owner != nullptr;
  if (center_owner) {
    x_ = owner->x_ + (owner->inner_width_ + owner->frame_.left + owner->frame_.right - outer_w) / 2;
    y_ = owner->y_ + (owner->inner_height_ + owner->frame_.top + owner->frame_.bottom - outer_h) / 2;
  } else if (design_.startup == StartUpPosition::CenterOwner ||
             design_.startup == StartUpPosition::CenterScreen) {
    x_ = (scale_.ToPixels(toolkit_.ScreenWidth()) - outer_w) / 2;
    y_ = (scale_.ToPixels(toolkit_.ScreenHeight()) - outer_h) / 2;
  } else if (!position_set_) {
    return;  // the window manager places it
  }
  position_set_ = true;
  window_->move(x_, y_);
}

void GtkNativeWindow::Show(NativeWindow* owner, bool modal) {
  auto* owner_window = dynamic_cast<GtkNativeWindow*>(owner);
  if (!shown_) {
    PlaceOnFirstShow(owner_window);
    shown_ = true;
    // The first control in tab order that can take the focus gets it.
    for (Gtk::Widget* w : tab_order_) {
      if (w->get_can_focus()) {
        w->grab_focus();
        break;
      }
    }
  }
  if (owner_window) window_->set_transient_for(owner_window->Widget());
  window_->set_modal(modal);
  window_->show();
  window_->present();
}

void GtkNativeWindow::Hide() { window_->hide(); }

bool GtkNativeWindow::Visible() const { return window_->get_visible(); }

bool GtkNativeWindow::OnConfigure(GdkEventConfigure* event) {
  inner_width_ = event->width;
  inner_height_ = event->height;
  ReadFrameFromServer();
  return false;
}

void GtkNativeWindow::ReadFrameFromServer() {
  auto gdk_window = window_->get_window();
  if (!gdk_window || !window_->get_mapped()) return;
  GdkRectangle outer{};
  gdk_window_get_frame_extents(gdk_window->gobj(), &outer);
  int origin_x = 0, origin_y = 0;
  gdk_window->get_origin(origin_x, origin_y);
  FrameExtents frame{origin_x - outer.x, outer.x + outer.width - origin_x - inner_width_,
                     origin_y - outer.y, outer.y + outer.height - origin_y - inner_height_};
  if (frame.left < 0 || frame.right < 0 || frame.top < 0 || frame.bottom < 0) return;
  const bool framed = frame.left + frame.right + frame.top + frame.bottom > 0;
  const bool frame_changed = frame.left != frame_.left || frame.right != frame_.right ||
                             frame.top != frame_.top || frame.bottom != frame_.bottom;
  frame_ = frame;
  x_ = outer.x;
  y_ = outer.y;
  if (framed) toolkit_.RememberFrame(design_.border == BorderStyle::Sizable, frame_);
  // Sized by the program with a frame that was only a guess (no window of
  // this kind framed before): the outer size it asked for, with the real one.
  if (framed && frame_changed && (outer_width_ || outer_height_)) {
    if (outer_width_) inner_width_ = std::max(1, *outer_width_ - frame_.left - frame_.right);
    if (outer_height_) inner_height_ = std::max(1, *outer_height_ - frame_.top - frame_.bottom);
    outer_width_.reset();
    outer_height_.reset();
    ResizeClient();
  }
  // Centred with a frame size that was only a guess: once the window
  // manager has framed the window, centre it with the real one.
  if (recenter_ && framed) {
    recenter_ = false;
    if (frame_changed) PlaceOnFirstShow(center_owner_);
    recenter_ = false;
    center_owner_ = nullptr;
  }
}

bool GtkNativeWindow::OnProperty(GdkEventProperty* event) {
  // The window manager announces the frame it drew around the window.
  static const GdkAtom kFrameExtents = gdk_atom_intern_static_string("_NET_FRAME_EXTENTS");
  if (event->atom == kFrameExtents) ReadFrameFromServer();
  return false;
}

bool GtkNativeWindow::OnWindowState(GdkEventWindowState* event) {
  iconified_ = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
  maximized_ = (event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
  if (event->changed_mask & (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED)) Resized();
  return false;
}

bool GtkNativeWindow::OnDelete(GdkEventAny*) {
  // The form decides; the window is never destroyed from here.
  if (!detached_ && callbacks_.close_requested) callbacks_.close_requested();
  return true;
}

bool GtkNativeWindow::OnKeyPress(GdkEventKey* event) {
  const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (event->keyval == GDK_KEY_Escape && modifiers == 0 && cancel_button_ != nullptr) {
    cancel_button_->Widget().clicked();
    return true;
  }
  return false;
}

void GtkNativeWindow::Resized() {
  if (!detached_ && callbacks_.resized) callbacks_.resized();
}

std::shared_ptr<Browser> GtkNativeWindow::AddBrowser(const BrowserDesign& design,
                                                     BrowserEvents events) {
  auto browser = std::make_shared<WebKitBrowser>(*canvas_, toolkit_.Engine(), design,
                                                 std::move(events));
  browsers_.push_back(browser);
  tab_order_.push_back(&browser->FocusWidget());
  return browser;
}

std::shared_ptr<StatusBar> GtkNativeWindow::AddStatusBar(const StatusBarDesign& design) {
  auto bar = std::make_shared<GtkStatusBar>(*canvas_, design);
  controls_.push_back(bar);
  return bar;
}

std::shared_ptr<Label> GtkNativeWindow::AddLabel(const LabelDesign& design) {
  auto label = std::make_shared<GtkLabelControl>(*canvas_, design);
  controls_.push_back(label);
  return label;
}

std::shared_ptr<CommandButton> GtkNativeWindow::AddButton(const ButtonDesign& design,
                                                          ButtonEvents events) {
  auto button = std::make_shared<GtkButtonControl>(*canvas_, design, std::move(events));
  buttons_.push_back(button);
  tab_order_.push_back(&button->Widget());
  if (design.is_default) {
    button->Widget().set_can_default(true);
    window_->set_default(button->Widget());
  }
  if (design.is_cancel) cancel_button_ = button.get();
  return button;
}

std::shared_ptr<PictureBox> GtkNativeWindow::AddPicture(const PictureDesign& design) {
  auto picture = std::make_shared<GtkPictureControl>(*canvas_, design);
  controls_.push_back(picture);
  return picture;
}

void GtkNativeWindow::AddLine(const LineDesign& line) { canvas_->AddLine(line); }

void GtkNativeWindow::SetMenu(const std::vector<MenuItemDesign>& items,
                              std::function<void(const std::string& name)> click) {
  menubar_ = Gtk::manage(new Gtk::MenuBar());
  std::map<std::string, Gtk::Menu*> drop_downs;
  for (const MenuItemDesign& item : items) {
    Gtk::MenuShell* parent = menubar_;
    if (!item.parent.empty()) {
      auto found = drop_downs.find(item.parent);
      if (found == drop_downs.end()) continue;
      parent = found->second;
    }
    if (item.caption == "-") {
      parent->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
      continue;
    }
    auto* menu_item = Gtk::manage(new Gtk::MenuItem(MnemonicLabel(item.caption), true));
    menu_item->set_name(item.name);
    parent->append(*menu_item);
    if (item.parent.empty()) {
      auto* drop_down = Gtk::manage(new Gtk::Menu());
      menu_item->set_submenu(*drop_down);
      drop_downs[item.name] = drop_down;
    } else {
      menu_item->signal_activate().connect([this, click, name = item.name] {
        if (!detached_) click(name);
      });
    }
  }
  box_->pack_start(*menubar_, Gtk::PACK_SHRINK);
  box_->reorder_child(*menubar_, 0);
  menubar_->show_all();
  // The menu bar sits above the client area, as part of the window's frame.
  int minimum = 0, natural = 0;
  menubar_->get_preferred_height(minimum, natural);
  inner_height_ += natural;
  ResizeClient();
}

}  // namespace platform::gtk
