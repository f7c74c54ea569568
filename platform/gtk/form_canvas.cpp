#include "platform/gtk/form_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/twips.h"

namespace platform::gtk {

FormCanvas::FormCanvas(const TwipScale& scale, int natural_width, int natural_height)
    : scale_(scale), natural_width_(natural_width), natural_height_(natural_height) {
  set_has_window(false);
  set_redraw_on_allocate(false);
}

FormCanvas::~FormCanvas() = default;

void FormCanvas::Put(Gtk::Widget& child, PixelRect rect, bool dock_bottom) {
  children_.push_back({&child, rect, dock_bottom});
  child.set_parent(*this);
}

void FormCanvas::Place(Gtk::Widget& child, PixelRect rect) {
  if (Child* c = Find(child)) {
    c->rect = rect;
    queue_allocate();
  }
}

PixelRect FormCanvas::Placement(const Gtk::Widget& child) const {
  const Child* c = Find(child);
  if (!c) return {};
  if (!c->dock_bottom) return c->rect;
  return {0, height_ - c->rect.height, width_, c->rect.height};
}

void FormCanvas::AddLine(const LineDesign& line) {
  lines_.push_back(line);
  queue_draw();
}

FormCanvas::Child* FormCanvas::Find(const Gtk::Widget& widget) {
  auto it = std::find_if(children_.begin(), children_.end(),
                         [&](const Child& c) { return c.widget == &widget; });
  return it == children_.end() ? nullptr : &*it;
}

const FormCanvas::Child* FormCanvas::Find(const Gtk::Widget& widget) const {
  return const_cast<FormCanvas*>(this)->Find(widget);
}

Gtk::SizeRequestMode FormCanvas::get_request_mode_vfunc() const {
  return Gtk::SIZE_REQUEST_CONSTANT_SIZE;
}

// Nothing inside asks for room: the form alone decides its size.
void FormCanvas::get_preferred_width_vfunc(int& minimum, int& natural) const {
  minimum = 0;
  natural = natural_width_;
}

void FormCanvas::get_preferred_height_vfunc(int& minimum, int& natural) const {
  minimum = 0;
  natural = natural_height_;
}

void FormCanvas::get_preferred_width_for_height_vfunc(int, int& minimum, int& natural) const {
  get_preferred_width_vfunc(minimum, natural);
}

void FormCanvas::get_preferred_height_for_width_vfunc(int, int& minimum, int& natural) const {
  get_preferred_height_vfunc(minimum, natural);
}

void FormCanvas::on_size_allocate(Gtk::Allocation& allocation) {
  set_allocation(allocation);
  const bool changed =
      !allocated_ || allocation.get_width() != width_ || allocation.get_height() != height_;
  width_ = allocation.get_width();
  height_ = allocation.get_height();
  allocated_ = true;
  if (changed && size_changed) size_changed();
  AllocateChildren();
}

void FormCanvas::AllocateChildren() {
  const Gtk::Allocation origin = get_allocation();
  for (const Child& c : children_) {
    if (!c.widget->get_visible()) continue;
    const PixelRect r = Placement(*c.widget);
    // GTK wants every child asked for its size before it is allocated one.
    int min_w = 0, nat_w = 0, min_h = 0, nat_h = 0;
    c.widget->get_preferred_width(min_w, nat_w);
    c.widget->get_preferred_height(min_h, nat_h);
    Gtk::Allocation a(origin.get_x() + r.x, origin.get_y() + r.y, std::max(r.width, 1),
                      std::max(r.height, 1));
    c.widget->size_allocate(a);
    // A zero-sized control is not drawn at all.
    c.widget->set_child_visible(r.width > 0 && r.height > 0);
  }
}

bool FormCanvas::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
  // A light theme draws the lines as designed (an etched grey over white).
  // A dark or high-contrast inverse one gets each as a shade between its
  // background (white in the design) and its text colour (black): still a
  // separator, not a bright bar across the box.
  const auto style = get_style_context();
  const Gdk::RGBA ink = style->get_color(get_state_flags());
  Gdk::RGBA paper;
  if (!style->lookup_color("theme_bg_color", paper)) paper.set_rgba(1, 1, 1);
  const bool dark = 0.299 * paper.get_red() + 0.587 * paper.get_green() + 0.114 * paper.get_blue() < 0.5;
  for (const LineDesign& line : lines_) {
    cr->save();
    if (dark) {
      const double darkness = 1.0 - (line.red + line.green + line.blue) / (3.0 * 255.0);
      cr->set_source_rgb(paper.get_red() + (ink.get_red() - paper.get_red()) * darkness,
                         paper.get_green() + (ink.get_green() - paper.get_green()) * darkness,
                         paper.get_blue() + (ink.get_blue() - paper.get_blue()) * darkness);
    } else {
      cr->set_source_rgb(line.red / 255.0, line.green / 255.0, line.blue / 255.0);
    }
    const int x1 = scale_.ToPixels(line.x1), y1 = scale_.ToPixels(line.y1);
    const int x2 = scale_.ToPixels(line.x2), y2 = scale_.ToPixels(line.y2);
    // As thick as the text scale makes a pixel.
    const int width = std::max(1, static_cast<int>(std::lround(line.width * scale_.TextScale())));
    if (y1 == y2) {
      // Whole pixel rows from the line's own row down: the rows of an
      // etched pair (grey, then white right under it) lie side by side
      // instead of the wider one covering the other.
      cr->rectangle(std::min(x1, x2), y1, std::abs(x2 - x1), width);
      cr->fill();
    } else {
      cr->set_line_width(width);
      // Centre the pen on the pixel so a one-pixel line stays sharp.
      const double offset = (width % 2 == 1) ? 0.5 : 0.0;
      cr->move_to(x1 + offset, y1 + offset);
      cr->line_to(x2 + offset, y2 + offset);
      cr->stroke();
    }
    cr->restore();
  }
  // Each control draws within its own rectangle and no further.
  const Gtk::Allocation origin = get_allocation();
  for (const Child& c : children_) {
    if (!c.widget->get_visible() || !c.widget->get_child_visible()) continue;
    const Gtk::Allocation a = c.widget->get_allocation();
    cr->save();
    cr->rectangle(a.get_x() - origin.get_x(), a.get_y() - origin.get_y(), a.get_width(),
                  a.get_height());
    cr->clip();
    propagate_draw(*c.widget, cr);
    cr->restore();
  }
  return true;
}

void FormCanvas::forall_vfunc(gboolean, GtkCallback callback, gpointer data) {
  // The callback may remove the child it is given.
  std::vector<Gtk::Widget*> widgets;
  widgets.reserve(children_.size());
  for (const Child& c : children_) widgets.push_back(c.widget);
  for (Gtk::Widget* w : widgets) callback(w->gobj(), data);
}

void FormCanvas::on_add(Gtk::Widget* child) { Put(*child, {}); }

void FormCanvas::on_remove(Gtk::Widget* child) {
  auto it = std::find_if(children_.begin(), children_.end(),
                         [&](const Child& c) { return c.widget == child; });
  if (it == children_.end()) return;
  const bool was_visible = child->get_visible();
  children_.erase(it);
  child->unparent();
  if (was_visible) queue_resize();
}

GType FormCanvas::child_type_vfunc() const { return Gtk::Widget::get_type(); }

}  // namespace platform::gtk
