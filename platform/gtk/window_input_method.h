// The input method of a web view, run on the view's top-level window.
//
// GTK 3's XIM module, which GTK picks by default in a Chinese, Japanese or
// Korean locale on X11, asks for the X id of its client window
// (GDK_WINDOW_XID in gtkimcontextxim.c). The engine's own input method
// context gives it the view's window, which is a client-side child: asking
// for its X id makes it a native child window, and WebKitGTK 2.50 with
// hardware acceleration NEVER (no compositing) stops painting a view whose
// window became native once it was realized (seen with 2.50.6 and GTK
// 3.24.38: gdk_window_ensure_native on the view's window freezes the view
// the same way with any input method). The top-level window is native
// from the start, so the input method works on it and the view's window
// stays as it was, with every input method: XIM, simple, IBus, fcitx and
// Wayland's text-input.
#pragma once

#include <webkit2/webkit2.h>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {

// The context for `view`, to set with webkit_web_view_set_input_method_context.
// It holds the view weakly.
GObjectPtr<WebKitInputMethodContext> NewWindowInputMethod(GtkWidget* view);

}  // namespace platform::gtk
