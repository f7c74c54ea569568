// Geometry of a control placed on a form's canvas, in twips.
#pragma once

#include <gtkmm/widget.h>

#include "platform/errors.h"
#include "platform/gtk/form_canvas.h"
#include "platform/texts.h"
#include "platform/twips.h"

namespace platform::gtk {

template <class Interface>
class CanvasControl : public Interface {
 public:
  CanvasControl(FormCanvas& canvas, Gtk::Widget& widget, const Rect& rect, bool docked = false)
      : canvas_(canvas), widget_(widget), docked_(docked) {
    canvas_.Put(widget_, ToPixels(canvas.Scale(), rect), docked);
    widget_.show();
  }

  Single Left() const override { return canvas_.Scale().ToTwips(canvas_.Placement(widget_).x); }
  Single Top() const override { return canvas_.Scale().ToTwips(canvas_.Placement(widget_).y); }
  Single Width() const override { return canvas_.Scale().ToTwips(canvas_.Placement(widget_).width); }
  Single Height() const override { return canvas_.Scale().ToTwips(canvas_.Placement(widget_).height); }

  // A docked control follows its form's edges; only its height is its own.
  void SetLeft(Single twips) override {
    if (!docked_) Update([&](PixelRect& r) { r.x = canvas_.Scale().ToPixels(twips); });
  }
  void SetTop(Single twips) override {
    if (!docked_) Update([&](PixelRect& r) { r.y = canvas_.Scale().ToPixels(twips); });
  }
  void SetWidth(Single twips) override {
    CheckSize(twips);
    if (!docked_) Update([&](PixelRect& r) { r.width = canvas_.Scale().ToPixels(twips); });
  }
  void SetHeight(Single twips) override {
    CheckSize(twips);
    Update([&](PixelRect& r) { r.height = canvas_.Scale().ToPixels(twips); });
  }

  Gtk::Widget& widget() const noexcept { return widget_; }

 private:
  static PixelRect ToPixels(const TwipScale& scale, const Rect& r) {
    return {scale.ToPixels(r.left), scale.ToPixels(r.top), scale.ToPixels(r.width), scale.ToPixels(r.height)};
  }
  static void CheckSize(Single twips) {
    if (!(twips >= 0)) throw RuntimeError(kErrInvalidPropertyValue, texts::kInvalidPropertyValue);
  }
  template <class Change>
  void Update(Change change) {
    PixelRect r = canvas_.Placement(widget_);
    if (docked_) r = {0, 0, 0, r.height};
    change(r);
    canvas_.Place(widget_, r);
  }

  FormCanvas& canvas_;
  Gtk::Widget& widget_;
  bool docked_;
};

}  // namespace platform::gtk
