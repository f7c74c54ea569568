// GDK opens GLX with the display, and WebKit's side of this process asks EGL
// for a render device. Here both only load Mesa and, with it, LLVM: about
// 20 MB and a good part of the start-up, for views that never composite
// (hardware acceleration is off) and so never draw with OpenGL in this
// process. GDK_GL=disable keeps GDK off GLX; an EGL vendor list that does not
// exist leaves libglvnd, which reads it once at the first EGL call, without
// any vendor. The web process does need EGL: both variables go back to what
// they were before it starts.
#pragma once

#include <optional>
#include <string>

namespace platform::gtk {

class OpenGlKeptOut {
 public:
  // Before GTK opens the display and before any other thread starts.
  OpenGlKeptOut();
  // Puts both variables back; call once the engine's context exists.
  void End();
  ~OpenGlKeptOut() { End(); }
  OpenGlKeptOut(const OpenGlKeptOut&) = delete;
  OpenGlKeptOut& operator=(const OpenGlKeptOut&) = delete;

 private:
  struct Saved {
    const char* name;
    std::optional<std::string> value;  // none: it was not set
  };
  static Saved Override(const char* name, const char* value);
  static void Restore(const Saved& saved);

  Saved gdk_gl_;
  Saved egl_vendors_;
  bool ended_ = false;
};

}  // namespace platform::gtk
