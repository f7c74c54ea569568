#include "platform/gtk/page_focus.h"

#include <gtk/gtk.h>

namespace platform::gtk {
namespace {

// Out of the page's sight: a world of the program's own.
constexpr const char* kWorld = "page-focus";
constexpr const char* kRefocus =
    "(function () {"
    "  var e = document.activeElement;"
    "  if (!e || e === document.body || e === document.documentElement) return;"
    "  e.blur();"
    "  e.focus({preventScroll: true});"
    "})();";

}  // namespace

PageFocus::PageFocus(WebKitWebView* view)
    : view_(view),
      loaded_(Connect<void(WebKitWebView*, WebKitLoadEvent)>(
          view, "load-changed", [this](WebKitWebView*, WebKitLoadEvent event) {
            if (event != WEBKIT_LOAD_FINISHED || idle_ != 0) return;
            // After the engine's own handlers: its document reports itself
            // loaded first.
            idle_ = g_idle_add(
                [](gpointer self) -> gboolean {
                  auto* focus = static_cast<PageFocus*>(self);
                  focus->idle_ = 0;
                  focus->Refocus();
                  return G_SOURCE_REMOVE;
                },
                this);
          })) {}

PageFocus::~PageFocus() {
  if (idle_ != 0) g_source_remove(idle_);
}

void PageFocus::Refocus() {
  GtkWidget* view = GTK_WIDGET(view_);
  GtkWidget* toplevel = gtk_widget_get_toplevel(view);
  if (!GTK_IS_WINDOW(toplevel) || !gtk_widget_has_focus(view)) return;
  GtkWindow* window = GTK_WINDOW(toplevel);
  if (!gtk_window_is_active(window)) return;
  // The element the page focused takes the focus again, now that the page
  // has loaded: the engine reports it focused afresh.
  webkit_web_view_evaluate_javascript(view_, kRefocus, -1, kWorld, nullptr, nullptr, nullptr, nullptr);
  gtk_window_set_focus_visible(window, TRUE);
}

}  // namespace platform::gtk
