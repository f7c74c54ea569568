#include "platform/gtk/opengl_kept_out.h"

#include <glib.h>

namespace platform::gtk {

OpenGlKeptOut::OpenGlKeptOut()
    : gdk_gl_(Override("GDK_GL", "disable")),
      egl_vendors_(Override("__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent/no-egl-vendor.json")) {}

void OpenGlKeptOut::End() {
  if (ended_) return;
  ended_ = true;
  Restore(gdk_gl_);
  Restore(egl_vendors_);
}

OpenGlKeptOut::Saved OpenGlKeptOut::Override(const char* name, const char* value) {
  Saved saved{name, std::nullopt};
  if (const char* old = g_getenv(name)) saved.value = old;
  g_setenv(name, value, TRUE);
  return saved;
}

void OpenGlKeptOut::Restore(const Saved& saved) {
  if (saved.value) {
    g_setenv(saved.name, saved.value->c_str(), TRUE);
  } else {
    g_unsetenv(saved.name);
  }
}

}  // namespace platform::gtk
