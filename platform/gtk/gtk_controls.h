// The simple controls on GTK: status bar, label, command button, picture box.
#pragma once

#include <gtkmm/button.h>
#include <gtkmm/drawingarea.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/label.h>

#include "platform/controls.h"
#include "platform/gtk/canvas_control.h"

namespace platform::gtk {

// Each control's widget is managed by the canvas and lives as long as its
// window; the control objects live no longer than their window either.

class GtkStatusBar final : public CanvasControl<StatusBar> {
 public:
  GtkStatusBar(FormCanvas& canvas, const StatusBarDesign& design);
  std::string SimpleText() const override;
  void SetSimpleText(const std::string& text) override;

 private:
  GtkStatusBar(FormCanvas& canvas, const StatusBarDesign& design, Gtk::EventBox* box);
  Gtk::Label* label_;
};

class GtkLabelControl final : public CanvasControl<Label> {
 public:
  GtkLabelControl(FormCanvas& canvas, const LabelDesign& design);
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;

 private:
  GtkLabelControl(FormCanvas& canvas, const LabelDesign& design, Gtk::Label* label);
  Gtk::Label* label_;
  std::string caption_;
};

class GtkButtonControl final : public CanvasControl<CommandButton> {
 public:
  GtkButtonControl(FormCanvas& canvas, const ButtonDesign& design, ButtonEvents events);
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override;
  void SetFocus() override { button_->grab_focus(); }
  Gtk::Button& Widget() const noexcept { return *button_; }
  void Detach() { events_ = {}; }
  ~GtkButtonControl() override { clicked_.disconnect(); }

 private:
  GtkButtonControl(FormCanvas& canvas, const ButtonDesign& design, ButtonEvents events,
                   Gtk::Button* button);
  Gtk::Button* button_;
  ButtonEvents events_;
  std::string caption_;
  sigc::connection clicked_;
};

class GtkPictureControl final : public CanvasControl<PictureBox> {
 public:
  GtkPictureControl(FormCanvas& canvas, const PictureDesign& design);

 private:
  GtkPictureControl(FormCanvas& canvas, const PictureDesign& design, Gtk::DrawingArea* area);
};

// "&S" in a caption becomes GTK's mnemonic "_S"; "&&" is a literal "&" and
// a literal "_" is doubled.
std::string MnemonicLabel(const std::string& caption);

}  // namespace platform::gtk
