#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "environment.h"
#include "process.h"
#include "temp_dir.h"
#include "unique_fd.h"

namespace gui {

struct SessionOptions {
  int width = 1280;
  int height = 1024;
  int depth = 24;
  // Without a window manager there are no frames, no focus policy and no Alt+F4.
  bool window_manager = true;
  // The users' locale, with the toolkit's default input method for it (no
  // GTK_IM_MODULE: XIM on X11). C.UTF-8 and en_US.UTF-8 are the other
  // cases; zh_CN.UTF-8 and en_US.UTF-8 exist where the locales were
  // generated (make test does).
  std::string lang = "zh_CN.UTF-8";
  std::chrono::milliseconds startup_timeout{30000};
};

// A private desktop: Xvfb on a free display, a D-Bus session bus, the AT-SPI
// accessibility bus and openbox. While it exists this process's own
// environment points at it (DISPLAY, DBUS_SESSION_BUS_ADDRESS, HOME, XDG_*,
// LANG); the destructor stops everything it started, kills whatever else still
// carries its environment (the program under test, WebKit helpers, D-Bus
// activated services), reaps them, restores the environment and removes its
// temporary files. A watchdog process does the same if this process dies
// without running the destructor (a crash, a CTest timeout). Only one Session
// may exist at a time in a process.
class Session {
 public:
  explicit Session(SessionOptions options = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  std::string Display() const { return ":" + std::to_string(display_number_); }
  int DisplayNumber() const { return display_number_; }
  // The fresh, initially empty HOME handed to programs under test.
  std::filesystem::path Home() const;
  std::filesystem::path RuntimeDir() const;
  std::string SessionBusAddress() const { return session_bus_address_; }
  std::string AccessibilityBusAddress() const { return a11y_bus_address_; }

  // The environment for programs under test: only PATH, a few pass-throughs
  // (TMPDIR, USER, sanitizer options) and the session's own variables.
  Environment Env() const;
  // Starts a program under test in this session's environment plus `extra`.
  // Its stdout/stderr files live in the session's temp dir: read them before
  // the Session goes.
  std::unique_ptr<Process> Start(std::vector<std::string> argv, const Environment& extra = {}) const;

  // ImageMagick `import -window root`.
  void Screenshot(const std::filesystem::path& png) const;

  // Everything below Home(), relative to it (directories too), sorted.
  std::vector<std::filesystem::path> FilesUnderHome() const;

  // Text found in the environment of every process belonging to the session.
  const std::string& Marker() const { return marker_; }
  // Live processes carrying the marker, this process excluded.
  std::vector<pid_t> Processes() const;

  // Ends the X server under the programs still running, as when a desktop
  // session's display goes away.
  void StopDisplay();

  // The infrastructure's stderr (Xvfb, dbus, AT-SPI, openbox), for failure messages.
  std::string InfrastructureLog() const;

 private:
  void Launch();
  void StartWatchdog();
  void StartXvfb();
  void StartSessionBus();
  void StartAccessibilityBus();
  void StartWindowManager();
  void ExportToThisProcess();
  void Teardown() noexcept;
  Environment BaseEnv(const std::filesystem::path& home) const;
  Environment InfraEnv() const;

  SessionOptions options_;
  TempDir root_;
  std::string marker_;
  int display_number_ = -1;
  std::string session_bus_address_;
  std::string a11y_bus_address_;
  // Our end of the pipe the watchdog waits on; closing it (even by dying) sets it off.
  UniqueFd watchdog_pipe_;
  std::unique_ptr<Process> watchdog_;
  std::unique_ptr<Process> xvfb_;
  std::unique_ptr<Process> session_bus_;
  std::unique_ptr<Process> a11y_launcher_;
  std::unique_ptr<Process> window_manager_;
  std::map<std::string, std::optional<std::string>> saved_env_;
};

}  // namespace gui
