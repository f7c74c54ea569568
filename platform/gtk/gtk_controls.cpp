#include "platform/gtk/gtk_controls.h"

#include <gdkmm/general.h>
#include <gdkmm/pixbuf.h>
#include <atkmm/object.h>
#include <gtkmm/stylecontext.h>

#include <cmath>

#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/resources.h"

namespace platform::gtk {

std::string MnemonicLabel(const std::string& caption) {
  std::string out;
  out.reserve(caption.size() + 2);
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const char c = caption[i];
    if (c == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      } else if (i + 1 < caption.size()) {
        out += '_';
      }
    } else if (c == '_') {
      out += "__";
    } else {
      out += c;
    }
  }
  return out;
}

// Status bar: one line of text along the bottom edge.
GtkStatusBar::GtkStatusBar(FormCanvas& canvas, const StatusBarDesign& design)
    : GtkStatusBar(canvas, design, Gtk::manage(new Gtk::EventBox())) {}

GtkStatusBar::GtkStatusBar(FormCanvas& canvas, const StatusBarDesign& design, Gtk::EventBox* box)
    : CanvasControl<StatusBar>(canvas, *box, Rect{0, 0, 0, design.height}, /*docked=*/true),
      label_(Gtk::manage(new Gtk::Label())) {
  box->get_style_context()->add_class("status-bar");
  box->set_name(design.name);
  label_->set_xalign(0.0f);
  label_->set_ellipsize(Pango::ELLIPSIZE_END);
  label_->set_margin_start(6);
  label_->set_margin_end(6);
  box->add(*label_);
  label_->show();
  // Read out as a status bar whose name is its text, as GTK's own would be.
  box->get_accessible()->set_role(Atk::ROLE_STATUSBAR);
}

std::string GtkStatusBar::SimpleText() const { return label_->get_text(); }
void GtkStatusBar::SetSimpleText(const std::string& text) {
  label_->set_text(text);
  widget().get_accessible()->set_name(text);
}

// Label: wrapped text at the top left of its rectangle.
GtkLabelControl::GtkLabelControl(FormCanvas& canvas, const LabelDesign& design)
    : GtkLabelControl(canvas, design, Gtk::manage(new Gtk::Label())) {}

GtkLabelControl::GtkLabelControl(FormCanvas& canvas, const LabelDesign& design, Gtk::Label* label)
    : CanvasControl<Label>(canvas, *label, design.rect), label_(label) {
  label_->set_xalign(0.0f);
  label_->set_yalign(0.0f);
  label_->set_line_wrap(true);
  label_->set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
  SetCaption(design.caption);
  label_->set_name(design.name);
  // Lines as close as the dialog font sets them (12 pixels for its 9
  // points at 96 dpi, growing with the text), so that text fits the
  // label's rectangle as designed.
  OwnedPtr<PangoAttrList, pango_attr_list_unref> attributes(pango_attr_list_new());
  pango_attr_list_insert(attributes.get(), pango_attr_line_height_new_absolute(static_cast<int>(
                                         std::lround(12 * canvas.Scale().TextScale() * PANGO_SCALE))));
  gtk_label_set_attributes(label_->gobj(), attributes.get());
  if (design.black_text) label_->get_style_context()->add_class("black-text");
}

std::string GtkLabelControl::Caption() const { return caption_; }

void GtkLabelControl::SetCaption(const std::string& caption) {
  caption_ = caption;
  // Read out with plain line breaks: CR LF would reach a screen reader as
  // raw control codes.
  std::string text;
  text.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '\r' && i + 1 < caption.size() && caption[i + 1] == '\n') continue;
    text += caption[i];
  }
  // Shown with a space on each empty line: with the lines' fixed height
  // Pango gives a line holding nothing no height at all.
  std::string shown;
  shown.reserve(text.size() + 4);
  for (std::size_t i = 0; i < text.size(); ++i) {
    shown += text[i];
    if (text[i] == '\n' && (i + 1 == text.size() || text[i + 1] == '\n')) shown += ' ';
  }
  label_->set_text(shown);
  label_->get_accessible()->set_name(text);
}

// Command button, with its access key.
GtkButtonControl::GtkButtonControl(FormCanvas& canvas, const ButtonDesign& design,
                                   ButtonEvents events)
    : GtkButtonControl(canvas, design, std::move(events),
                       Gtk::manage(new Gtk::Button(MnemonicLabel(design.caption), true))) {}

GtkButtonControl::GtkButtonControl(FormCanvas& canvas, const ButtonDesign& design,
                                   ButtonEvents events, Gtk::Button* button)
    : CanvasControl<CommandButton>(canvas, *button, design.rect),
      button_(button),
      events_(std::move(events)),
      caption_(design.caption) {
  button_->set_name(design.name);
  clicked_ = button_->signal_clicked().connect([this] {
    if (events_.Click) events_.Click();
  });
}

void GtkButtonControl::SetCaption(const std::string& caption) {
  caption_ = caption;
  button_->set_label(MnemonicLabel(caption));
}

// Picture box: the image at its top left inside a frame one pixel wide.
GtkPictureControl::GtkPictureControl(FormCanvas& canvas, const PictureDesign& design)
    : GtkPictureControl(canvas, design, Gtk::manage(new Gtk::DrawingArea())) {}

GtkPictureControl::GtkPictureControl(FormCanvas& canvas, const PictureDesign& design,
                                     Gtk::DrawingArea* area)
    : CanvasControl<PictureBox>(canvas, *area, design.rect) {
  area->set_name(design.name);
  area->get_accessible()->set_role(Atk::ROLE_IMAGE);
  const double text_scale = canvas.Scale().TextScale();
  if (!design.description.empty()) area->get_accessible()->set_name(design.description);
  Glib::RefPtr<Gdk::Pixbuf> image = LoadImage(design.image);
  // The picture grows with the text, as the box around it does.
  if (image && text_scale != 1.0) {
    image = image->scale_simple(static_cast<int>(std::lround(image->get_width() * text_scale)),
                                static_cast<int>(std::lround(image->get_height() * text_scale)),
                                Gdk::INTERP_BILINEAR);
  }
  const bool border = design.border;
  area->signal_draw().connect([area, image, border](const Cairo::RefPtr<Cairo::Context>& cr) {
    const int w = area->get_allocated_width();
    const int h = area->get_allocated_height();
    auto style = area->get_style_context();
    style->render_background(cr, 0, 0, w, h);
    const int inset = border ? 1 : 0;
    if (image) {
      Gdk::Cairo::set_source_pixbuf(cr, image, inset, inset);
      cr->rectangle(inset, inset, w - 2 * inset, h - 2 * inset);
      cr->fill();
    }
    if (border) {
      cr->set_source_rgb(0.5, 0.5, 0.5);
      cr->set_line_width(1.0);
      cr->rectangle(0.5, 0.5, w - 1.0, h - 1.0);
      cr->stroke();
    }
    return true;
  });
}

}  // namespace platform::gtk
