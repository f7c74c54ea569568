#include "platform/gtk/window_input_method.h"

#include <gtk/gtk.h>

namespace platform::gtk {
namespace {

struct VbWindowInputMethod {
  WebKitInputMethodContext parent;
  GtkIMContext* im;
  GtkWidget* view;        // weak
  GdkWindow* client;      // weak: the view's top-level window, once it has one
  gulong unrealize;
  char* surrounding;
  int surrounding_length;
  int surrounding_cursor;
};

struct VbWindowInputMethodClass {
  WebKitInputMethodContextClass parent_class;
};

G_DEFINE_TYPE(VbWindowInputMethod, vb_window_input_method, WEBKIT_TYPE_INPUT_METHOD_CONTEXT)

VbWindowInputMethod* Self(WebKitInputMethodContext* context) {
  return reinterpret_cast<VbWindowInputMethod*>(context);
}

void SetClient(VbWindowInputMethod* self, GdkWindow* window) {
  if (self->client == window) return;
  if (self->client) g_object_remove_weak_pointer(G_OBJECT(self->client), reinterpret_cast<gpointer*>(&self->client));
  self->client = window;
  if (window) g_object_add_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&self->client));
  gtk_im_context_set_client_window(self->im, window);
}

// The view's top-level window, if it is in a realized one.
GdkWindow* ToplevelWindow(VbWindowInputMethod* self) {
  if (self->view == nullptr) return nullptr;
  GtkWidget* toplevel = gtk_widget_get_toplevel(self->view);
  if (!GTK_IS_WINDOW(toplevel) || !gtk_widget_get_realized(toplevel)) return nullptr;
  return gtk_widget_get_window(toplevel);
}

// Input method signals, passed on as the engine expects them.
void OnCommit(GtkIMContext*, const char* text, gpointer self) {
  g_signal_emit_by_name(self, "committed", text);
}
void OnPreeditStart(GtkIMContext*, gpointer self) { g_signal_emit_by_name(self, "preedit-started"); }
void OnPreeditChanged(GtkIMContext*, gpointer self) { g_signal_emit_by_name(self, "preedit-changed"); }
void OnPreeditEnd(GtkIMContext*, gpointer self) { g_signal_emit_by_name(self, "preedit-finished"); }
gboolean OnDeleteSurrounding(GtkIMContext*, int offset, int n_chars, gpointer self) {
  g_signal_emit_by_name(self, "delete-surrounding", offset, static_cast<guint>(n_chars));
  return TRUE;
}
gboolean OnRetrieveSurrounding(GtkIMContext* im, gpointer data) {
  auto* self = static_cast<VbWindowInputMethod*>(data);
  gtk_im_context_set_surrounding(im, self->surrounding ? self->surrounding : "", self->surrounding_length,
                                 self->surrounding_cursor);
  return TRUE;
}

GtkInputPurpose PurposeOf(WebKitInputPurpose purpose) {
  switch (purpose) {
    case WEBKIT_INPUT_PURPOSE_DIGITS: return GTK_INPUT_PURPOSE_DIGITS;
    case WEBKIT_INPUT_PURPOSE_NUMBER: return GTK_INPUT_PURPOSE_NUMBER;
    case WEBKIT_INPUT_PURPOSE_PHONE: return GTK_INPUT_PURPOSE_PHONE;
    case WEBKIT_INPUT_PURPOSE_URL: return GTK_INPUT_PURPOSE_URL;
    case WEBKIT_INPUT_PURPOSE_EMAIL: return GTK_INPUT_PURPOSE_EMAIL;
    case WEBKIT_INPUT_PURPOSE_PASSWORD: return GTK_INPUT_PURPOSE_PASSWORD;
    case WEBKIT_INPUT_PURPOSE_FREE_FORM:
    default: return GTK_INPUT_PURPOSE_FREE_FORM;
  }
}

GtkInputHints HintsOf(WebKitInputHints hints) {
  unsigned result = GTK_INPUT_HINT_NONE;
  if (hints & WEBKIT_INPUT_HINT_SPELLCHECK) result |= GTK_INPUT_HINT_SPELLCHECK;
  if (hints & WEBKIT_INPUT_HINT_LOWERCASE) result |= GTK_INPUT_HINT_LOWERCASE;
  if (hints & WEBKIT_INPUT_HINT_UPPERCASE_CHARS) result |= GTK_INPUT_HINT_UPPERCASE_CHARS;
  if (hints & WEBKIT_INPUT_HINT_UPPERCASE_WORDS) result |= GTK_INPUT_HINT_UPPERCASE_WORDS;
  if (hints & WEBKIT_INPUT_HINT_UPPERCASE_SENTENCES) result |= GTK_INPUT_HINT_UPPERCASE_SENTENCES;
  if (hints & WEBKIT_INPUT_HINT_INHIBIT_OSK) result |= GTK_INPUT_HINT_INHIBIT_OSK;
  return static_cast<GtkInputHints>(result);
}

void OnPurposeOrHints(GObject* object, GParamSpec*, gpointer) {
  auto* context = WEBKIT_INPUT_METHOD_CONTEXT(object);
  g_object_set(Self(context)->im,                                                                  //
               "input-purpose", PurposeOf(webkit_input_method_context_get_input_purpose(context)),  //
               "input-hints", HintsOf(webkit_input_method_context_get_input_hints(context)), nullptr);
}

// ----------------------------------------------------------- virtual functions

void SetEnablePreedit(WebKitInputMethodContext* context, gboolean enabled) {
  gtk_im_context_set_use_preedit(Self(context)->im, enabled);
}

void GetPreedit(WebKitInputMethodContext* context, char** text_out, GList** underlines, guint* cursor_offset) {
  char* text = nullptr;
  PangoAttrList* attributes = nullptr;
  int cursor = 0;
  gtk_im_context_get_preedit_string(Self(context)->im, &text, &attributes, &cursor);
  if (underlines != nullptr) {
    *underlines = nullptr;
    if (attributes != nullptr && text != nullptr) {
      PangoAttrIterator* it = pango_attr_list_get_iterator(attributes);
      do {
        auto* underline = reinterpret_cast<PangoAttrInt*>(pango_attr_iterator_get(it, PANGO_ATTR_UNDERLINE));
        if (underline == nullptr || underline->value == PANGO_UNDERLINE_NONE) continue;
        int start = 0;
        int end = 0;
        pango_attr_iterator_range(it, &start, &end);
        const glong length = static_cast<glong>(strlen(text));
        if (end > length) end = static_cast<int>(length);
        if (start >= end) continue;
        *underlines = g_list_prepend(
            *underlines, webkit_input_method_underline_new(static_cast<guint>(g_utf8_pointer_to_offset(text, text + start)),
                                                           static_cast<guint>(g_utf8_pointer_to_offset(text, text + end))));
      } while (pango_attr_iterator_next(it));
      pango_attr_iterator_destroy(it);
      *underlines = g_list_reverse(*underlines);
    }
  }
  if (attributes != nullptr) pango_attr_list_unref(attributes);
  if (cursor_offset != nullptr) *cursor_offset = static_cast<guint>(cursor);
  if (text_out != nullptr) {
    *text_out = text;
  } else {
    g_free(text);
  }
}

gboolean FilterKeyEvent(WebKitInputMethodContext* context, GdkEventKey* event) {
  return gtk_im_context_filter_keypress(Self(context)->im, event);
}

void NotifyFocusIn(WebKitInputMethodContext* context) {
  VbWindowInputMethod* self = Self(context);
  // The view may have moved to another window since (a pop-up's view is
  // created before its window).
  SetClient(self, ToplevelWindow(self));
  gtk_im_context_focus_in(self->im);
}

void NotifyFocusOut(WebKitInputMethodContext* context) { gtk_im_context_focus_out(Self(context)->im); }

void NotifyCursorArea(WebKitInputMethodContext* context, int x, int y, int width, int height) {
  VbWindowInputMethod* self = Self(context);
  if (self->view == nullptr || self->client == nullptr) return;
  // From the view's coordinates to the top-level window's, where the
  // input method places its candidate window.
  int tx = x;
  int ty = y;
  GtkWidget* toplevel = gtk_widget_get_toplevel(self->view);
  if (!gtk_widget_translate_coordinates(self->view, toplevel, x, y, &tx, &ty)) return;
  const GdkRectangle area{tx, ty, width, height};
  gtk_im_context_set_cursor_location(self->im, &area);
}

void NotifySurrounding(WebKitInputMethodContext* context, const char* text, guint length, guint cursor_index,
                       guint) {
  VbWindowInputMethod* self = Self(context);
  g_free(self->surrounding);
  self->surrounding = g_strndup(text ? text : "", length);
  self->surrounding_length = static_cast<int>(length);
  self->surrounding_cursor = static_cast<int>(cursor_index);
  gtk_im_context_set_surrounding(self->im, self->surrounding, self->surrounding_length, self->surrounding_cursor);
}

void Reset(WebKitInputMethodContext* context) { gtk_im_context_reset(Self(context)->im); }

// ----------------------------------------------------------- the type

void OnViewUnrealize(GtkWidget*, gpointer self) {
  // The window goes with the view's: the input method must not keep it.
  SetClient(static_cast<VbWindowInputMethod*>(self), nullptr);
}

void Dispose(GObject* object) {
  auto* self = reinterpret_cast<VbWindowInputMethod*>(object);
  if (self->view != nullptr) {
    if (self->unrealize != 0) g_signal_handler_disconnect(self->view, self->unrealize);
    g_object_remove_weak_pointer(G_OBJECT(self->view), reinterpret_cast<gpointer*>(&self->view));
    self->view = nullptr;
  }
  self->unrealize = 0;
  if (self->im != nullptr) {
    SetClient(self, nullptr);
    g_signal_handlers_disconnect_by_data(self->im, self);
    g_clear_object(&self->im);
  }
  g_clear_pointer(&self->surrounding, g_free);
  G_OBJECT_CLASS(vb_window_input_method_parent_class)->dispose(object);
}

void vb_window_input_method_init(VbWindowInputMethod* self) {
  self->im = gtk_im_multicontext_new();
  g_signal_connect(self->im, "commit", G_CALLBACK(OnCommit), self);
  g_signal_connect(self->im, "preedit-start", G_CALLBACK(OnPreeditStart), self);
  g_signal_connect(self->im, "preedit-changed", G_CALLBACK(OnPreeditChanged), self);
  g_signal_connect(self->im, "preedit-end", G_CALLBACK(OnPreeditEnd), self);
  g_signal_connect(self->im, "delete-surrounding", G_CALLBACK(OnDeleteSurrounding), self);
  g_signal_connect(self->im, "retrieve-surrounding", G_CALLBACK(OnRetrieveSurrounding), self);
  g_signal_connect(self, "notify::input-purpose", G_CALLBACK(OnPurposeOrHints), nullptr);
  g_signal_connect(self, "notify::input-hints", G_CALLBACK(OnPurposeOrHints), nullptr);
}

void vb_window_input_method_class_init(VbWindowInputMethodClass* klass) {
  G_OBJECT_CLASS(klass)->dispose = Dispose;
  WebKitInputMethodContextClass* context = WEBKIT_INPUT_METHOD_CONTEXT_CLASS(klass);
  context->set_enable_preedit = SetEnablePreedit;
  context->get_preedit = GetPreedit;
  context->filter_key_event = FilterKeyEvent;
  context->notify_focus_in = NotifyFocusIn;
  context->notify_focus_out = NotifyFocusOut;
  context->notify_cursor_area = NotifyCursorArea;
  context->notify_surrounding = NotifySurrounding;
  context->reset = Reset;
}

}  // namespace

GObjectPtr<WebKitInputMethodContext> NewWindowInputMethod(GtkWidget* view) {
  auto* self = static_cast<VbWindowInputMethod*>(g_object_new(vb_window_input_method_get_type(), nullptr));
  self->view = view;
  g_object_add_weak_pointer(G_OBJECT(view), reinterpret_cast<gpointer*>(&self->view));
  self->unrealize = g_signal_connect(view, "unrealize", G_CALLBACK(OnViewUnrealize), self);
  return Adopt(WEBKIT_INPUT_METHOD_CONTEXT(self));
}

}  // namespace platform::gtk
