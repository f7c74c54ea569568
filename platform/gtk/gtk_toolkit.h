// The form runtime's toolkit on GTK 3 and WebKitGTK.
#pragma once

#include <memory>
#include <vector>

#include <sigc++/connection.h>

#include "platform/gtk/gtk_window.h"
#include "platform/gtk/opengl_kept_out.h"
#include "platform/gtk/toolkit_start.h"
#include "platform/images.h"
#include "platform/toolkit.h"
#include "platform/twips.h"

struct _XDisplay;

namespace platform::gtk {

class WebEngine;

// How the program is known to the desktop: its title (message boxes of the
// backend's own carry it) and its application id (the Wayland app_id and
// the X11 class, which docks and task switchers match to its desktop entry).
struct ProgramIdentity {
  std::string title;
  std::string app_id;
  // The program's icon, in every size it comes in.
  ImageId icon = ImageId::WindowIcon;
};

class GtkToolkit final : public Toolkit {
 public:
  // Throws NoDisplay when there is no display to open.
  explicit GtkToolkit(const ProgramIdentity& identity);
  ~GtkToolkit() override;
  GtkToolkit(const GtkToolkit&) = delete;
  GtkToolkit& operator=(const GtkToolkit&) = delete;

  std::unique_ptr<NativeWindow> OpenWindow(const FormDesign& design,
                                             WindowCallbacks callbacks) override;
  Single ScreenWidth() const override;
  Single ScreenHeight() const override;
  int MsgBox(const std::string& prompt, int buttons, const std::string& title,
             const std::function<bool()>& withdrawn) override;
  void Run() override;
  void RunUntil(const std::function<bool()>& done) override;
  void Quit() override;
  void Post(std::function<void()> task) override;
  int DownloadsUnderWay() const override;
  void LogMisplacedWait(const std::string& what) override;

  // Run when the display is lost, just before the process leaves without
  // running any destructor.
  std::function<void()> before_abrupt_exit;

  // The browser engine, started with the first browser.
  WebEngine& Engine();

  // Twips and pixels at the desktop's text scale, as the program started.
  const TwipScale& Scale() const noexcept { return scale_; }

  // Frame sizes the window manager drew last, for windows not yet shown.
  FrameExtents FrameGuess(bool sizable) const;
  void RememberFrame(bool sizable, const FrameExtents& frame);

  void Register(GtkNativeWindow* window);
  void Unregister(GtkNativeWindow* window) noexcept;

 private:
  Gtk::Window* DialogParent() const;
  static void InstallStyle();
  void WatchSystemEnd();
  static void OnDisplayLost(::_XDisplay* display, void* self);
  // Nothing can be drawn any more: the forms unload as at the end of the
  // desktop session, and the process leaves before anything else tries the
  // dead connection.
  [[noreturn]] void DisplayLost();

  // Before GTK opens the display (member order).
  OpenGlKeptOut no_opengl_;
  ToolkitStart start_;
  TwipScale scale_;
  std::unique_ptr<WebEngine> engine_;
  std::vector<GtkNativeWindow*> windows_;
  FrameExtents sizable_frame_;
  FrameExtents fixed_frame_;
  std::vector<unsigned> signal_sources_;
  bool quit_ = false;
  sigc::connection warm_text_;
  bool display_lost_ = false;
};

}  // namespace platform::gtk

namespace platform {
using GtkToolkit = gtk::GtkToolkit;
}
