#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "environment.h"
#include "wait.h"

namespace gui {

class Session;

using WindowId = unsigned long;

struct Geometry {
  int x = 0;  // client area origin on the screen
  int y = 0;
  int width = 0;
  int height = 0;
};

// What the window manager added around the client area (_NET_FRAME_EXTENTS).
struct FrameExtents {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

// Real input and window-manager requests through xdotool/xprop on the
// session's display, as a user at the keyboard would cause them.
class Xdo {
 public:
  explicit Xdo(const Session& session);
  explicit Xdo(Environment env);

  // Key chords in xdotool syntax, space separated: "alt+f", "ctrl+s Return".
  void Key(const std::string& keys) const;
  // Activates the window first so the keys go to it (synthetic events sent
  // straight to a window are ignored by GTK).
  void KeyToWindow(WindowId window, const std::string& keys) const;
  void Type(const std::string& text) const;

  // Returns once the window manager has handled every event sent before the
  // call, keyboard mapping changes included (see xdo.cpp).
  void SyncWithWindowManager() const;
  bool WindowManagerRuns() const;

  void ActivateWindow(WindowId window) const;
  std::optional<WindowId> ActiveWindow() const;

  // Visible windows whose title matches the extended regular expression.
  std::vector<WindowId> FindWindows(const std::string& title_regex, bool only_visible = true) const;
  std::vector<WindowId> FindWindowsByTitle(const std::string& exact_title, bool only_visible = true) const;
  WindowId WaitForWindow(const std::string& exact_title, std::chrono::milliseconds timeout = kDefaultTimeout) const;

  std::string WindowTitle(WindowId window) const;
  std::optional<pid_t> WindowPid(WindowId window) const;
  Geometry WindowGeometry(WindowId window) const;
  // nullopt while no window manager frames the window.
  std::optional<FrameExtents> FrameExtentsOf(WindowId window) const;
  // _NET_WM_STATE atoms, e.g. "_NET_WM_STATE_HIDDEN" when minimized.
  std::vector<std::string> WindowStates(WindowId window) const;

  void MouseMove(int x, int y) const;
  void Click(int x, int y, int button = 1) const;

  // Alt+F4 to the activated window: openbox turns it into WM_DELETE_WINDOW.
  void CloseWindow(WindowId window) const;
  void Minimize(WindowId window) const;
  // Asks for a new client size; returns whether the window reached it in time.
  bool Resize(WindowId window, int width, int height,
              std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) const;
  void Move(WindowId window, int x, int y) const;

  // Raw xdotool; throws gui::Error on a non-zero exit.
  std::string Run(const std::vector<std::string>& args) const;
  // xprop -id WINDOW PROPERTY, the raw output.
  std::string Property(WindowId window, const std::string& property) const;

 private:
  Environment env_;
};

// "0x1e00007" or "31457287" -> WindowId.
WindowId ParseWindowId(const std::string& text);

}  // namespace gui
