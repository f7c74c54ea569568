// The client area of a form: children sit at the pixel rectangles the form
// gives them, not where GTK's layout would put them, and none of them makes
// the window any larger. Controls docked to the bottom span the full width.
#pragma once

#include <gtkmm/container.h>

#include <functional>
#include <vector>

#include "platform/controls.h"
#include "platform/twips.h"

namespace platform::gtk {

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class FormCanvas final : public Gtk::Container {
 public:
  FormCanvas(const TwipScale& scale, int natural_width, int natural_height);
  ~FormCanvas() override;

  // Adds a managed child at `rect`; a docked child keeps only its height.
  void Put(Gtk::Widget& child, PixelRect rect, bool dock_bottom = false);
  void Place(Gtk::Widget& child, PixelRect rect);
  PixelRect Placement(const Gtk::Widget& child) const;

  void AddLine(const LineDesign& line);
  const TwipScale& Scale() const noexcept { return scale_; }

  // Size of the last allocation, 0 × 0 before the first.
  int AllocatedWidth() const noexcept { return width_; }
  int AllocatedHeight() const noexcept { return height_; }
  bool HasBeenAllocated() const noexcept { return allocated_; }

  // Called when the allocated size changes, before the children are placed,
  // so that what it moves is placed in the same frame.
  std::function<void()> size_changed;

 protected:
  Gtk::SizeRequestMode get_request_mode_vfunc() const override;
  void get_preferred_width_vfunc(int& minimum, int& natural) const override;
  void get_preferred_height_vfunc(int& minimum, int& natural) const override;
  void get_preferred_width_for_height_vfunc(int, int& minimum, int& natural) const override;
  void get_preferred_height_for_width_vfunc(int, int& minimum, int& natural) const override;
  void on_size_allocate(Gtk::Allocation& allocation) override;
  bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
  void forall_vfunc(gboolean include_internals, GtkCallback callback, gpointer data) override;
  void on_add(Gtk::Widget* child) override;
  void on_remove(Gtk::Widget* child) override;
  GType child_type_vfunc() const override;

 private:
  struct Child {
    Gtk::Widget* widget;
    PixelRect rect;
    bool dock_bottom;
  };
  Child* Find(const Gtk::Widget& widget);
  const Child* Find(const Gtk::Widget& widget) const;
  void AllocateChildren();

  TwipScale scale_;
  std::vector<Child> children_;
  std::vector<LineDesign> lines_;
  int natural_width_;
  int natural_height_;
  int width_ = 0;
  int height_ = 0;
  bool allocated_ = false;
};

}  // namespace platform::gtk
