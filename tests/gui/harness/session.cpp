#include "session.h"

#include "net.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "dbus_link.h"
#include "error.h"
#include "proc_table.h"
#include "wait.h"
#include "xdo.h"

namespace gui {
namespace {

std::atomic<bool> session_alive{false};

// Variables the session sets in this process, and ones it hides because they
// would point a program at something outside the session.
const char* const kExportedKeys[] = {"DISPLAY",        "DBUS_SESSION_BUS_ADDRESS", "HOME",
                                     "XDG_CONFIG_HOME", "XDG_DATA_HOME",           "XDG_CACHE_HOME",
                                     "XDG_STATE_HOME",  "XDG_RUNTIME_DIR",         "LANG"};
const char* const kHiddenKeys[] = {"AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY", "LC_ALL"};
const char* const kPassThroughKeys[] = {"PATH",         "TMPDIR",        "USER",         "LOGNAME",
                                        "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"};

struct Pipe {
  UniqueFd read_end;
  UniqueFd write_end;
  Pipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw Error("pipe2 failed");
    read_end = UniqueFd(fds[0]);
    write_end = UniqueFd(fds[1]);
  }
};

// Reads one line a child writes to a pipe once it is ready (Xvfb -displayfd,
// dbus-daemon --print-address).
std::string ReadReadyLine(Pipe& pipe, Process& process, std::chrono::milliseconds timeout, const std::string& what) {
  pipe.write_end.Reset();  // so EOF shows when the child dies
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string line;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{pipe.read_end.get(), POLLIN, 0};
    if (poll(&p, 1, 100) == 1) {
      char buffer[256];
      const ssize_t n = read(pipe.read_end.get(), buffer, sizeof buffer);
      if (n > 0) {
        line.append(buffer, static_cast<std::size_t>(n));
        const auto newline = line.find('\n');
        if (newline != std::string::npos) return line.substr(0, newline);
        continue;
      }
      if (n == 0) break;
    }
  }
  process.WaitExit(std::chrono::milliseconds(100));
  throw Error(what + " did not report readiness (" +
              (process.ExitStatus() ? DescribeStatus(*process.ExitStatus()) : std::string("still running")) +
              ")\nstderr:\n" + process.Stderr());
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw Error("cannot write " + path.string());
}

constexpr const char* kOpenboxConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy><center>yes</center></placement>
  <theme><name>Clearlooks</name><titleLayout>NLIMC</titleLayout></theme>
  <desktops><number>1</number></desktops>
  <keyboard>
    <keybind key="A-F4"><action name="Close"/></keybind>
  </keyboard>
  <mouse>
    <context name="Titlebar">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Left" action="Drag"><action name="Move"/></mousebind>
    </context>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
    <context name="Close">
      <mousebind button="Left" action="Click"><action name="Close"/></mousebind>
    </context>
    <context name="Iconify">
      <mousebind button="Left" action="Click"><action name="Iconify"/></mousebind>
    </context>
    <context name="Maximize">
      <mousebind button="Left" action="Click"><action name="ToggleMaximize"/></mousebind>
    </context>
  </mouse>
</openbox_config>
)";

// Waits on fd 3: "done" means the Session cleaned up itself; EOF without it
// means this process died, so it kills every process carrying the marker ($1)
// and removes the session's files ($2). Its own environment lacks the marker.
constexpr const char* kWatchdogScript = R"(read -r state <&3
[ "$state" = done ] && exit 0
for round in 1 2 3; do
  for f in /proc/[0-9]*/environ; do
    if grep -qsaF -- "$1" "$f"; then
      p=${f#/proc/}
      kill -9 "${p%/environ}" 2>/dev/null
    fi
  done
  sleep 0.1
done
rm -rf -- "$2"
)";

}  // namespace

Session::Session(SessionOptions options) : options_(std::move(options)), root_("gui-session") {
  if (session_alive.exchange(true)) throw Error("only one gui::Session may exist at a time");
  UsePrivateNetwork();
  try {
    Launch();
  } catch (...) {
    Teardown();
    session_alive = false;
    throw;
  }
}

Session::~Session() {
  Teardown();
  session_alive = false;
}

std::filesystem::path Session::Home() const { return root_.path() / "home"; }
std::filesystem::path Session::RuntimeDir() const { return root_.path() / "runtime"; }

Environment Session::BaseEnv(const std::filesystem::path& home) const {
  Environment env;
  const Environment current = Environment::FromCurrentProcess();
  for (const char* key : kPassThroughKeys) {
    if (auto value = current.Get(key)) env.Set(key, *value);
  }
  if (!env.Get("PATH")) env.Set("PATH", "/usr/local/bin:/usr/bin:/bin");
  env.Set("HOME", home.string());
  env.Set("XDG_CONFIG_HOME", (home / ".config").string());
  env.Set("XDG_DATA_HOME", (home / ".local/share").string());
  env.Set("XDG_CACHE_HOME", (home / ".cache").string());
  env.Set("XDG_STATE_HOME", (home / ".local/state").string());
  env.Set("XDG_RUNTIME_DIR", RuntimeDir().string());
  env.Set("LANG", options_.lang);
  if (display_number_ >= 0) env.Set("DISPLAY", Display());
  if (!session_bus_address_.empty()) env.Set("DBUS_SESSION_BUS_ADDRESS", session_bus_address_);
  return env;
}

Environment Session::Env() const { return BaseEnv(Home()); }

// The infrastructure gets a HOME of its own so that Home() stays untouched.
Environment Session::InfraEnv() const { return BaseEnv(root_.path() / "infra-home"); }

void Session::Launch() {
  // Orphans of our children (D-Bus activated services, WebKit helpers of a
  // killed client) are reparented to us instead of init, so we can reap them.
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  marker_ = RuntimeDir().string();
  std::filesystem::create_directories(Home());
  std::filesystem::create_directories(root_.path() / "infra-home");
  std::filesystem::create_directories(RuntimeDir());
  std::filesystem::permissions(RuntimeDir(), std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace);
  std::filesystem::create_directories(root_.path() / "logs");
  StartWatchdog();
  StartXvfb();
  StartSessionBus();
  ExportToThisProcess();
  StartAccessibilityBus();
  if (options_.window_manager) StartWindowManager();
}

void Session::StartWatchdog() {
  Pipe guard;
  ProcessOptions process_options;
  process_options.env = Environment().Set("PATH", "/usr/bin:/bin");
  process_options.pass_fds = {{guard.read_end.get(), 3}};
  process_options.output_dir = root_.path() / "logs";
  watchdog_ = std::make_unique<Process>(
      std::vector<std::string>{"sh", "-c", kWatchdogScript, "gui-session-watchdog", marker_, root_.path().string()},
      process_options);
  // Keep the write end (close-on-exec, so no child holds it open).
  watchdog_pipe_ = std::move(guard.write_end);
}

void Session::StartXvfb() {
  Pipe ready;
  ProcessOptions process_options;
  process_options.env = InfraEnv();
  process_options.pass_fds = {{ready.write_end.get(), 3}};
  process_options.output_dir = root_.path() / "logs";
  const std::string screen =
      std::to_string(options_.width) + "x" + std::to_string(options_.height) + "x" + std::to_string(options_.depth);
  // -displayfd: Xvfb picks a free display itself and reports it once it accepts
  // connections, which avoids racing other servers for a number.
  xvfb_ = std::make_unique<Process>(
      std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
      process_options);
  const std::string line = ReadReadyLine(ready, *xvfb_, options_.startup_timeout, "Xvfb");
  try {
    display_number_ = std::stoi(line);
  } catch (const std::exception&) {
    throw Error("Xvfb reported an odd display number: " + line);
  }
}

void Session::StartSessionBus() {
  Pipe ready;
  ProcessOptions process_options;
  process_options.env = InfraEnv();
  process_options.pass_fds = {{ready.write_end.get(), 3}};
  process_options.output_dir = root_.path() / "logs";
  const std::string address = "unix:path=" + (RuntimeDir() / "bus").string();
  session_bus_ = std::make_unique<Process>(
      std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address=3", "--address=" + address},
      process_options);
  session_bus_address_ = ReadReadyLine(ready, *session_bus_, options_.startup_timeout, "dbus-daemon");
}

void Session::StartAccessibilityBus() {
  ProcessOptions process_options;
  process_options.env = InfraEnv();
  process_options.output_dir = root_.path() / "logs";
  a11y_launcher_ = std::make_unique<Process>(
      std::vector<std::string>{"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"}, process_options);

  DBusLink session_bus(session_bus_address_);
  WaitUntil(
      [&] {
        if (!a11y_launcher_->Running()) throw Error("at-spi-bus-launcher exited");
        if (!session_bus.NameHasOwner("org.a11y.Bus")) return false;
        VariantPtr reply = session_bus.Call("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", nullptr,
                                            "(s)");
        const gchar* address = nullptr;
        g_variant_get(reply.get(), "(&s)", &address);
        if (address == nullptr || *address == '\0') return false;
        a11y_bus_address_ = address;
        return true;
      },
      options_.startup_timeout, "the accessibility bus", [&] { return InfrastructureLog(); });

  // Asking the registry for its children starts at-spi2-registryd; programs
  // started before it runs would register with nobody.
  DBusLink a11y_bus(a11y_bus_address_);
  WaitUntil(
      [&] {
        a11y_bus.Call("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root", "org.a11y.atspi.Accessible",
                      "GetChildren", nullptr, "(a(so))");
        return true;
      },
      options_.startup_timeout, "the AT-SPI registry", [&] { return InfrastructureLog(); });
}

void Session::StartWindowManager() {
  const auto config = root_.path() / "openbox" / "rc.xml";
  WriteFile(config, kOpenboxConfig);
  ProcessOptions process_options;
  process_options.env = InfraEnv();
  process_options.output_dir = root_.path() / "logs";
  window_manager_ = std::make_unique<Process>(
      std::vector<std::string>{"openbox", "--config-file", config.string(), "--sm-disable"}, process_options);
  const Xdo xdo(InfraEnv());
  WaitUntil(
      [&] {
        if (!window_manager_->Running()) throw Error("openbox exited");
        return xdo.WindowManagerRuns();
      },
      options_.startup_timeout, "openbox to manage the screen", [&] { return InfrastructureLog(); });
  // The first key from the test input device switches the server's keyboard
  // to that device's keymap: a mapping change, on which openbox grabs its
  // key bindings afresh. Done now, before any window exists, a test's first
  // chord cannot fall between the release and the new grab.
  xdo.Key("shift");
  xdo.SyncWithWindowManager();
}

void Session::ExportToThisProcess() {
  const Environment env = Env();
  for (const char* key : kExportedKeys) {
    const char* old = getenv(key);
    saved_env_[key] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    setenv(key, env.Get(key).value_or("").c_str(), 1);
  }
  for (const char* key : kHiddenKeys) {
    const char* old = getenv(key);
    saved_env_[key] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    unsetenv(key);
  }
}

std::unique_ptr<Process> Session::Start(std::vector<std::string> argv, const Environment& extra) const {
  ProcessOptions process_options;
  process_options.env = Env().Merge(extra);
  // Inside the session's tree, so even a crashed test leaves no output behind.
  process_options.output_dir = root_.path() / "logs";
  return std::make_unique<Process>(std::move(argv), process_options);
}

void Session::Screenshot(const std::filesystem::path& png) const {
  if (!png.parent_path().empty()) std::filesystem::create_directories(png.parent_path());
  const auto result = RunCommand({"import", "-silent", "-window", "root", png.string()}, Env(),
                                 std::chrono::milliseconds(20000));
  if (result.status != 0 || !std::filesystem::exists(png)) {
    throw Error("screenshot to " + png.string() + " failed (" + DescribeStatus(result.status) + "): " + result.err);
  }
}

std::vector<std::filesystem::path> Session::FilesUnderHome() const {
  std::vector<std::filesystem::path> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Home(), ec)) {
    out.push_back(entry.path().lexically_relative(Home()));
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<pid_t> Session::Processes() const {
  auto pids = ProcessesWithEnvironmentContaining(marker_);
  pids.erase(std::remove(pids.begin(), pids.end(), getpid()), pids.end());
  return pids;
}

std::string Session::InfrastructureLog() const {
  std::string out;
  for (const Process* p : {xvfb_.get(), session_bus_.get(), a11y_launcher_.get(), window_manager_.get()}) {
    if (p == nullptr) continue;
    out += "--- " + p->CommandLine() + " (" +
           (p->ExitStatus() ? DescribeStatus(*p->ExitStatus()) : std::string("running")) + ")\n" + p->Stderr();
  }
  return out;
}

void Session::StopDisplay() { xvfb_.reset(); }

void Session::Teardown() noexcept {
  try {
    std::vector<pid_t> infrastructure;
    for (const Process* p : {xvfb_.get(), session_bus_.get(), a11y_launcher_.get(), window_manager_.get()}) {
      if (p != nullptr) infrastructure.push_back(p->pid());
    }
    const auto kill_marked = [&](bool spare_infrastructure) {
      for (int round = 0; round < 100; ++round) {
        auto pids = Processes();
        if (spare_infrastructure) {
          std::erase_if(pids, [&](pid_t pid) {
            return std::find(infrastructure.begin(), infrastructure.end(), pid) != infrastructure.end();
          });
        }
        if (pids.empty()) return;
        for (pid_t pid : pids) kill(pid, SIGKILL);
        ReapAdoptedChildren();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    };
    // Programs under test first, while the servers they talk to still run.
    if (!marker_.empty()) kill_marked(true);
    window_manager_.reset();
    a11y_launcher_.reset();
    session_bus_.reset();
    xvfb_.reset();
    if (!marker_.empty()) kill_marked(false);
    ReapAdoptedChildren();
    if (watchdog_pipe_.valid()) {
      const char done[] = "done\n";
      [[maybe_unused]] const ssize_t written = write(watchdog_pipe_.get(), done, sizeof done - 1);
      watchdog_pipe_.Reset();
    }
    if (watchdog_) {
      watchdog_->WaitExit(std::chrono::milliseconds(3000));
      watchdog_.reset();
    }
  } catch (...) {
    // Best effort: a destructor must not throw.
  }
  for (const auto& [key, value] : saved_env_) {
    if (value) {
      setenv(key.c_str(), value->c_str(), 1);
    } else {
      unsetenv(key.c_str());
    }
  }
  saved_env_.clear();
}

}  // namespace gui
