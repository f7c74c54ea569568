#include "platform/gtk/find_bar.h"

#include "platform/texts.h"

#include <atkmm/object.h>
#include <gtk/gtk-a11y.h>
#include <gtkmm/stylecontext.h>

namespace platform::gtk {
namespace {

constexpr guint kFindOptions =
    WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND;
constexpr guint kMaxMatches = 1000;

AtkAttributeSet* (*label_attributes)(AtkObject*) = nullptr;

AtkAttributeSet* AddAttribute(AtkAttributeSet* set, const char* name, const char* value) {
  auto* attribute = static_cast<AtkAttribute*>(g_malloc(sizeof(AtkAttribute)));
  attribute->name = g_strdup(name);
  attribute->value = g_strdup(value);
  return g_slist_append(set, attribute);
}

AtkAttributeSet* LiveAttributes(AtkObject* object) {
  AtkAttributeSet* set = label_attributes ? label_attributes(object) : nullptr;
  set = AddAttribute(set, "live", "polite");
  set = AddAttribute(set, "container-live", "polite");
  set = AddAttribute(set, "container-atomic", "true");
  return set;
}

// GTK's label accessible with the live-region attributes added.
GType LiveLabelAccessibleType() {
  static const GType type = [] {
    GTypeQuery parent{};
    g_type_query(GTK_TYPE_LABEL_ACCESSIBLE, &parent);
    return g_type_register_static_simple(
        GTK_TYPE_LABEL_ACCESSIBLE, "LiveRegionLabelAccessible", parent.class_size,
        [](gpointer klass, gpointer) {
          auto* atk_class = ATK_OBJECT_CLASS(klass);
          label_attributes = atk_class->get_attributes;
          atk_class->get_attributes = LiveAttributes;
        },
        parent.instance_size, nullptr, static_cast<GTypeFlags>(0));
  }();
  return type;
}

}  // namespace

LiveLabel::LiveLabel() : Glib::ObjectBase("LiveRegionLabel") {
  // The class is this widget's own: no other label is affected.
  gtk_widget_class_set_accessible_type(GTK_WIDGET_GET_CLASS(gobj()), LiveLabelAccessibleType());
  get_accessible()->set_role(Atk::ROLE_STATUSBAR);
}

FindBar::FindBar(WebKitWebView* view)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4),
      view_(view),
      finder_(webkit_web_view_get_find_controller(view)),
      previous_(),
      next_(),
      close_() {
  set_name("find-bar");
  get_style_context()->add_class("find-bar");
  set_halign(Gtk::ALIGN_END);
  set_valign(Gtk::ALIGN_START);
  set_margin_top(4);
  set_margin_end(16);
  entry_.set_placeholder_text(texts::kFindPlaceholder);
  // As wide as 18 characters where there is room, and still 15 in a window
  // as narrow as the login window; the buttons show only their icons, so
  // that the bar fits there whole.
  entry_.set_width_chars(15);
  entry_.set_max_width_chars(18);
  struct Icon {
    Gtk::Button& button;
    const char* icon;
    const char* name;
  };
  for (const Icon& i : {Icon{previous_, "go-up-symbolic", texts::kFindPrevious}, Icon{next_, "go-down-symbolic", texts::kFindNext},
                        Icon{close_, "window-close-symbolic", texts::kFindClose}}) {
    i.button.set_image_from_icon_name(i.icon, Gtk::ICON_SIZE_BUTTON);
    i.button.set_tooltip_text(i.name);
    i.button.get_accessible()->set_name(i.name);
  }
  pack_start(entry_, Gtk::PACK_SHRINK);
  pack_start(previous_, Gtk::PACK_SHRINK);
  pack_start(next_, Gtk::PACK_SHRINK);
  pack_start(result_, Gtk::PACK_SHRINK);
  pack_start(close_, Gtk::PACK_SHRINK);
  show_all_children();
  set_no_show_all(true);
  hide();

  entry_.signal_search_changed().connect([this] { Search(); });
  entry_.signal_key_press_event().connect(sigc::mem_fun(*this, &FindBar::OnKey), false);
  // Esc from the buttons too: their keys come up to the bar.
  signal_key_press_event().connect(
      [this](GdkEventKey* event) {
        if (event->keyval != GDK_KEY_Escape) return false;
        Close();
        return true;
      },
      false);
  next_.signal_clicked().connect([this] { webkit_find_controller_search_next(finder_); });
  previous_.signal_clicked().connect([this] { webkit_find_controller_search_previous(finder_); });
  close_.signal_clicked().connect([this] { Close(); });
  // found-text counts only on the first search (a step to the next match
  // reports one): the bar's count comes from counting the matches.
  found_ = Connect<void(WebKitFindController*, guint)>(
      finder_, "counted-matches", [this](WebKitFindController*, guint count) {
        ShowResult(count == 0 ? texts::kNotFound : texts::Fill(texts::kMatches, std::to_string(count)));
      });
  not_found_ = Connect<void(WebKitFindController*)>(finder_, "failed-to-find-text",
                                                    [this](WebKitFindController*) { ShowResult(texts::kNotFound); });
}

FindBar::~FindBar() {
  // With an accessibility client around, the entry's accessible and those of
  // its icons hold each other and would outlive the entry; taking the icons
  // away first lets both go.
  entry_.unset_icon(Gtk::ENTRY_ICON_PRIMARY);
  entry_.unset_icon(Gtk::ENTRY_ICON_SECONDARY);
}

void FindBar::Open() {
  show();
  entry_.grab_focus();
  if (!entry_.get_text().empty()) Search();
}

void FindBar::ShowResult(const std::string& result) {
  result_.set_text(result);
  // Orca 43 announces no live region outside web pages, but speaks a new
  // description of the object that has the focus: the field's, while the
  // user types. The same text again is no change, and is not repeated.
  entry_.get_accessible()->set_description(result);
}

void FindBar::Close() {
  webkit_find_controller_search_finish(finder_);
  ShowResult("");
  hide();
  gtk_widget_grab_focus(GTK_WIDGET(view_));
}

void FindBar::Search() {
  const Glib::ustring text = entry_.get_text();
  if (text.empty()) {
    webkit_find_controller_search_finish(finder_);
    ShowResult("");
    return;
  }
  webkit_find_controller_search(finder_, text.c_str(), kFindOptions, kMaxMatches);
  webkit_find_controller_count_matches(finder_, text.c_str(), kFindOptions, kMaxMatches);
}

bool FindBar::OnKey(GdkEventKey* event) {
  switch (event->keyval) {
    case GDK_KEY_Escape:
      Close();
      return true;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
      if (event->state & GDK_SHIFT_MASK) {
        webkit_find_controller_search_previous(finder_);
      } else {
        webkit_find_controller_search_next(finder_);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace platform::gtk
