#include "platform/gtk/gtk_toolkit.h"

#include <X11/Xlib.h>
#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <wayland-client.h>
#include <glib-unix.h>
#include <glibmm/main.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>
#include <gtkmm/settings.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "platform/gtk/downloads.h"
#include "platform/gtk/message_box.h"
#include "platform/gtk/resources.h"
#include "platform/gtk/web_engine.h"
#include "platform/texts.h"
#include "platform/twips.h"

namespace platform::gtk {
namespace {

// Xlib calls this first on a broken connection; returning lets it go on to
// the exit handler, which knows which toolkit the display belongs to.
int IgnoreIoError(Display*) { return 0; }

GdkRectangle MonitorGeometry() {
  GdkRectangle area{0, 0, 1024, 768};
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return area;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr && gdk_display_get_n_monitors(display) > 0) {
    monitor = gdk_display_get_monitor(display, 0);
  }
  if (monitor != nullptr) gdk_monitor_get_geometry(monitor, &area);
  return area;
}

}  // namespace

namespace {

// The desktop's text scale: the font resolution GDK uses (Xft/DPI from the
// desktop's settings, GDK_DPI_SCALE) against 96 dpi. Whole-window scaling
// (GDK_SCALE) is not in it: GDK scales pixels themselves.
double DesktopTextScale() {
  const double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
  return dpi > 0 ? dpi / 96.0 : 1.0;
}

}  // namespace

GtkToolkit::GtkToolkit(const ProgramIdentity& identity) : scale_(DesktopTextScale()) {
  // The engine now: its context's EGL query is the last that has to miss
  // OpenGL, and the web process it then starts needs EGL.
  engine_ = std::make_unique<WebEngine>([this] { no_opengl_.End(); });
  g_set_prgname(identity.app_id.c_str());
  gdk_set_program_class(identity.app_id.c_str());
  g_set_application_name(identity.title.c_str());
  // The client keeps nothing: no list of recently used files either.
  if (auto settings = Gtk::Settings::get_default()) {
    settings->property_gtk_recent_files_enabled() = false;
  }
  // The file chooser still hands every chosen file to the recent files
  // manager, whose change handler then writes an emptied list under the
  // user's data folder. Without the handler the list stays in memory; the
  // class is kept for the whole run.
  auto* recent = static_cast<GtkRecentManagerClass*>(g_type_class_ref(GTK_TYPE_RECENT_MANAGER));
  recent->changed = nullptr;
  InstallStyle();
  const std::vector<Glib::RefPtr<Gdk::Pixbuf>> icons = LoadImages(identity.icon);
  if (!icons.empty()) Gtk::Window::set_default_icon_list(icons);
  WatchSystemEnd();
}

GtkToolkit::~GtkToolkit() {
  warm_text_.disconnect();
  for (unsigned id : signal_sources_) g_source_remove(id);
  GdkDisplay* display = gdk_display_get_default();
  if (display != nullptr && GDK_IS_X11_DISPLAY(display)) {
    XSetIOErrorExitHandler(GDK_DISPLAY_XDISPLAY(display), nullptr, nullptr);
  }
}

void GtkToolkit::InstallStyle() {
  // Forms are laid out in twips for the platform's dialog font, 9 points,
  // with controls only as tall as their design gives them.
  static constexpr const char* kStyle =
      ".form-canvas label, .form-canvas button { font-size: 9pt; }"
      // The design's black is the theme's text colour: black on light
      // themes, light on dark ones.
      ".form-canvas label.black-text { color: @theme_text_color; }"
      ".form-canvas button { padding: 0 6px; min-height: 0; min-width: 0; }"
      ".status-bar { border-top: 1px solid alpha(currentColor, 0.2); }"
      ".status-bar label { font-size: 9pt; }"
      ".find-bar { background-color: @theme_bg_color; padding: 4px 6px;"
      "  border: 1px solid @borders; border-top: none; border-radius: 0 0 4px 4px; }"
      ".find-bar label { min-width: 5em; }";
  auto provider = Gtk::CssProvider::create();
  provider->load_from_data(kStyle);
  Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider,
                                             GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

void GtkToolkit::WatchSystemEnd() {
  // A task manager or kill closes the program (3); the desktop session
  // ending hangs up on it (2).
  struct Watch {
    int signal;
    int mode;
  };
  for (Watch w : {Watch{SIGTERM, vbAppTaskManager}, Watch{SIGINT, vbAppTaskManager},
                  Watch{SIGHUP, vbAppWindows}}) {
    auto callback = w.mode == vbAppWindows
                        ? +[](gpointer self) -> gboolean {
                            auto* tk = static_cast<GtkToolkit*>(self);
                            if (tk->system_unload) tk->system_unload(vbAppWindows);
                            return G_SOURCE_CONTINUE;
                          }
                        : +[](gpointer self) -> gboolean {
                            auto* tk = static_cast<GtkToolkit*>(self);
                            if (tk->system_unload) tk->system_unload(vbAppTaskManager);
                            return G_SOURCE_CONTINUE;
                          };
    signal_sources_.push_back(g_unix_signal_add(w.signal, callback, this));
  }
  // The display going away ends the desktop session for this program.
  GdkDisplay* display = gdk_display_get_default();
  if (display != nullptr && GDK_IS_X11_DISPLAY(display)) {
    XSetIOErrorHandler(IgnoreIoError);
    XSetIOErrorExitHandler(GDK_DISPLAY_XDISPLAY(display), &GtkToolkit::OnDisplayLost, this);
  }
  if (display != nullptr && GDK_IS_WAYLAND_DISPLAY(display)) {
    // GDK leaves with status 1 when its compositor has gone (GTK 3.24):
    // this watch, ahead of GDK's own source, sees the hang-up first.
    const int fd = wl_display_get_fd(gdk_wayland_display_get_wl_display(display));
    signal_sources_.push_back(g_unix_fd_add_full(
        G_PRIORITY_HIGH, fd, static_cast<GIOCondition>(G_IO_HUP | G_IO_ERR),
        +[](gint, GIOCondition, gpointer self) -> gboolean { static_cast<GtkToolkit*>(self)->DisplayLost(); },
        this, nullptr));
  }
}

void GtkToolkit::OnDisplayLost(::_XDisplay*, void* data) { static_cast<GtkToolkit*>(data)->DisplayLost(); }

void GtkToolkit::DisplayLost() {
  if (!display_lost_) {
    display_lost_ = true;
    if (system_unload) system_unload(vbAppWindows);
    start_.LeaveHomeAsFound();
    if (before_abrupt_exit) before_abrupt_exit();
  }
  _exit(0);
}

std::unique_ptr<NativeWindow> GtkToolkit::OpenWindow(const FormDesign& design,
                                                       WindowCallbacks callbacks) {
  return std::make_unique<GtkNativeWindow>(*this, design, std::move(callbacks));
}

Single GtkToolkit::ScreenWidth() const { return scale_.ToTwips(MonitorGeometry().width); }
Single GtkToolkit::ScreenHeight() const { return scale_.ToTwips(MonitorGeometry().height); }

WebEngine& GtkToolkit::Engine() {
  if (!engine_) engine_ = std::make_unique<WebEngine>();
  return *engine_;
}

FrameExtents GtkToolkit::FrameGuess(bool sizable) const {
  return sizable ? sizable_frame_ : fixed_frame_;
}

void GtkToolkit::RememberFrame(bool sizable, const FrameExtents& frame) {
  (sizable ? sizable_frame_ : fixed_frame_) = frame;
}

void GtkToolkit::Register(GtkNativeWindow* window) { windows_.push_back(window); }

void GtkToolkit::Unregister(GtkNativeWindow* window) noexcept {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

Gtk::Window* GtkToolkit::DialogParent() const {
  Gtk::Window* visible = nullptr;
  for (GtkNativeWindow* w : windows_) {
    if (!w->Visible()) continue;
    if (w->Widget().is_active()) return &w->Widget();
    visible = &w->Widget();
  }
  return visible;
}

int GtkToolkit::MsgBox(const std::string& prompt, int buttons, const std::string& title,
                       const std::function<bool()>& withdrawn) {
  if (quit_) return vbCancel;
  const bool with_cancel = buttons == vbOKCancel;
  const std::optional<bool> ok = RunMessageBox(
      prompt, with_cancel, title, DialogParent(), [this, &withdrawn](const std::function<bool()>& answered) {
        RunUntil([&] { return answered() || (withdrawn && withdrawn()); });
      });
  if (!ok) return vbCancel;  // the program is ending, or the box was withdrawn
  if (*ok) return vbOK;
  // Esc and the box's close: Cancel, or OK when there is nothing else.
  return with_cancel ? vbCancel : vbOK;
}

namespace {

// The first text laid out in the program's own script costs its font
// lookup and the loading of a large CJK font (about 6 ms here, with Noto
// CJK), and the first window that has such text is the main window, built
// while the user waits for it after the login. Laid out once, off screen,
// a while after the start, when nothing waits for it.
constexpr unsigned kWarmTextAfterMilliseconds = 1000;

void WarmTextLayout() {
  auto* bar = gtk_menu_bar_new();
  g_object_ref_sink(bar);
  GtkWidget* item = gtk_menu_item_new_with_mnemonic(texts::kCancel);
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), item);
  GtkRequisition size;
  gtk_widget_get_preferred_size(bar, nullptr, &size);
  gtk_widget_destroy(bar);
  g_object_unref(bar);
}

}  // namespace

void GtkToolkit::Run() {
  warm_text_ = Glib::signal_timeout().connect(
      [] {
        WarmTextLayout();
        return false;
      },
      kWarmTextAfterMilliseconds, G_PRIORITY_LOW);
  RunUntil([] { return false; });
}

void GtkToolkit::RunUntil(const std::function<bool()>& done) {
  while (!quit_ && !done()) g_main_context_iteration(nullptr, TRUE);
}

void GtkToolkit::Post(std::function<void()> task) {
  Glib::signal_idle().connect_once(std::move(task));
}

int GtkToolkit::DownloadsUnderWay() const { return engine_ ? engine_->Transfers().UnderWay() : 0; }

// A critical: GLib's level for a fault of the program's own code.
void GtkToolkit::LogMisplacedWait(const std::string& what) { g_critical("%s", what.c_str()); }

void GtkToolkit::Quit() {
  if (!quit_ && engine_) engine_->EndWebProcesses();
  quit_ = true;
  g_main_context_wakeup(nullptr);
}

}  // namespace platform::gtk
