#include "xdo.h"

#include <algorithm>
#include <chrono>
#include <sstream>

#include "error.h"
#include "process.h"
#include "session.h"

namespace gui {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string EscapeRegex(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::string_view(".[]{}()\\*+?^$|").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

// "NAME(TYPE) = a, b, c" -> {"a", "b", "c"}; empty when the property is absent.
std::vector<std::string> PropertyValues(const std::string& xprop_output) {
  const auto eq = xprop_output.find(" = ");
  if (eq == std::string::npos) return {};
  std::vector<std::string> values;
  std::istringstream in(xprop_output.substr(eq + 3));
  for (std::string item; std::getline(in, item, ',');) {
    const auto first = item.find_first_not_of(" \n");
    const auto last = item.find_last_not_of(" \n");
    if (first != std::string::npos) values.push_back(item.substr(first, last - first + 1));
  }
  return values;
}

}  // namespace

WindowId ParseWindowId(const std::string& text) {
  try {
    return std::stoul(text, nullptr, 0);
  } catch (const std::exception&) {
    throw Error("not a window id: '" + text + "'");
  }
}

Xdo::Xdo(const Session& session) : env_(session.Env()) {}
Xdo::Xdo(Environment env) : env_(std::move(env)) {}

std::string Xdo::Run(const std::vector<std::string>& args) const {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  const auto result = RunCommand(argv, env_);
  if (result.status != 0) {
    std::string command;
    for (const auto& a : argv) command += a + " ";
    throw Error("xdotool failed (" + DescribeStatus(result.status) + "): " + command + "\n" + result.err);
  }
  return result.out;
}

std::string Xdo::Property(WindowId window, const std::string& property) const {
  const auto result = RunCommand({"xprop", "-id", std::to_string(window), property}, env_);
  if (result.status != 0) throw Error("xprop -id " + std::to_string(window) + " failed: " + result.err);
  return result.out;
}

void Xdo::Key(const std::string& keys) const {
  std::vector<std::string> args{"key", "--delay", "30"};
  std::istringstream in(keys);
  for (std::string chord; in >> chord;) args.push_back(chord);
  Run(args);
}

void Xdo::KeyToWindow(WindowId window, const std::string& keys) const {
  ActivateWindow(window);
  Key(keys);
}

void Xdo::Type(const std::string& text) const {
  Run({"type", "--delay", "30", "--", text});
  // Characters beyond the keymap are typed through a borrowed keycode; each
  // borrowing and its return are keyboard mapping changes.
  const bool remapped = std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
  if (remapped && WindowManagerRuns()) SyncWithWindowManager();
}

bool Xdo::WindowManagerRuns() const {
  // openbox sets this root property once it manages the screen.
  const auto result = RunCommand({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, env_);
  return result.status == 0 && result.out.find("window id") != std::string::npos;
}

void Xdo::SyncWithWindowManager() const {
  // On a keyboard mapping change openbox lets go of its key bindings and
  // grabs them again; a chord pressed meanwhile (Alt+F4) reaches the focused
  // window instead. openbox handles the X events in order, so once it has
  // answered a request sent now, it has handled every change before it.
  const auto desktops = [&] {
    return PropertyValues(RunCommand({"xprop", "-root", "_NET_NUMBER_OF_DESKTOPS"}, env_).out);
  };
  // openbox names its check window before it takes root messages: a request
  // sent right after that is lost (18 of 20 times with openbox 3.6), so it
  // is sent again each second. Asking for the same count twice is harmless.
  for (const char* count : {"2", "1"}) {
    auto sent = std::chrono::steady_clock::now();
    Run({"set_num_desktops", count});
    WaitUntil(
        [&] {
          if (desktops() == std::vector<std::string>{count}) return true;
          if (std::chrono::steady_clock::now() - sent > std::chrono::seconds(1)) {
            sent = std::chrono::steady_clock::now();
            Run({"set_num_desktops", count});
          }
          return false;
        },
        kDefaultTimeout, std::string("openbox to show ") + count + " desktops");
  }
}

void Xdo::ActivateWindow(WindowId window) const {
  // --sync waits until the window manager reports it active.
  Run({"windowactivate", "--sync", std::to_string(window)});
}

std::optional<WindowId> Xdo::ActiveWindow() const {
  const auto result = RunCommand({"xdotool", "getactivewindow"}, env_);
  if (result.status != 0) return std::nullopt;
  const auto lines = SplitLines(result.out);
  if (lines.empty()) return std::nullopt;
  return ParseWindowId(lines.front());
}

std::vector<WindowId> Xdo::FindWindows(const std::string& title_regex, bool only_visible) const {
  std::vector<std::string> argv{"xdotool", "search"};
  if (only_visible) argv.push_back("--onlyvisible");
  argv.insert(argv.end(), {"--name", title_regex});
  // xdotool exits 1 when nothing matches; that is an answer, not a failure.
  const auto result = RunCommand(argv, env_);
  std::vector<WindowId> ids;
  for (const auto& line : SplitLines(result.out)) ids.push_back(ParseWindowId(line));
  return ids;
}

std::vector<WindowId> Xdo::FindWindowsByTitle(const std::string& exact_title, bool only_visible) const {
  std::vector<WindowId> exact;
  for (WindowId id : FindWindows("^" + EscapeRegex(exact_title) + "$", only_visible)) {
    // The regex runs in the C locale byte-wise; confirm the title really matches.
    try {
      if (WindowTitle(id) == exact_title) exact.push_back(id);
    } catch (const Error&) {
      // The window went away meanwhile.
    }
  }
  return exact;
}

WindowId Xdo::WaitForWindow(const std::string& exact_title, std::chrono::milliseconds timeout) const {
  WindowId found = 0;
  WaitUntil(
      [&] {
        const auto ids = FindWindowsByTitle(exact_title);
        if (ids.empty()) return false;
        found = ids.front();
        return true;
      },
      timeout, "an X window titled '" + exact_title + "'", [&] {
        std::string titles = "visible windows:";
        for (WindowId id : FindWindows(".*")) {
          try {
            titles += "\n  " + std::to_string(id) + " '" + WindowTitle(id) + "'";
          } catch (const Error&) {
          }
        }
        return titles;
      });
  return found;
}

std::string Xdo::WindowTitle(WindowId window) const {
  std::string out = Run({"getwindowname", std::to_string(window)});
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

std::optional<pid_t> Xdo::WindowPid(WindowId window) const {
  const auto result = RunCommand({"xdotool", "getwindowpid", std::to_string(window)}, env_);
  if (result.status != 0) return std::nullopt;
  const auto lines = SplitLines(result.out);
  if (lines.empty()) return std::nullopt;
  return static_cast<pid_t>(std::stol(lines.front()));
}

Geometry Xdo::WindowGeometry(WindowId window) const {
  // xwininfo rather than `xdotool getwindowgeometry`: under a reparenting window
  // manager the latter adds the frame offset twice to the position.
  const auto result = RunCommand({"xwininfo", "-id", std::to_string(window)}, env_);
  if (result.status != 0) throw Error("xwininfo -id " + std::to_string(window) + " failed: " + result.err);
  Geometry g;
  for (const auto& line : SplitLines(result.out)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    const auto first = line.find_first_not_of(' ');
    const std::string key = line.substr(first, colon - first);
    const std::string value = line.substr(colon + 1);
    if (key == "Absolute upper-left X") g.x = std::stoi(value);
    if (key == "Absolute upper-left Y") g.y = std::stoi(value);
    if (key == "Width") g.width = std::stoi(value);
    if (key == "Height") g.height = std::stoi(value);
  }
  return g;
}

std::optional<FrameExtents> Xdo::FrameExtentsOf(WindowId window) const {
  const auto values = PropertyValues(Property(window, "_NET_FRAME_EXTENTS"));
  if (values.size() != 4) return std::nullopt;
  return FrameExtents{std::stoi(values[0]), std::stoi(values[1]), std::stoi(values[2]), std::stoi(values[3])};
}

std::vector<std::string> Xdo::WindowStates(WindowId window) const {
  return PropertyValues(Property(window, "_NET_WM_STATE"));
}

void Xdo::MouseMove(int x, int y) const {
  // --sync waits for the pointer to move: where it already is, it would wait forever.
  const std::string here = Run({"getmouselocation", "--shell"});
  if (here.find("X=" + std::to_string(x) + "\n") != std::string::npos &&
      here.find("Y=" + std::to_string(y) + "\n") != std::string::npos) {
    return;
  }
  Run({"mousemove", "--sync", std::to_string(x), std::to_string(y)});
}

void Xdo::Click(int x, int y, int button) const {
  MouseMove(x, y);
  Run({"click", std::to_string(button)});
}

void Xdo::CloseWindow(WindowId window) const { KeyToWindow(window, "alt+F4"); }

void Xdo::Minimize(WindowId window) const { Run({"windowminimize", "--sync", std::to_string(window)}); }

bool Xdo::Resize(WindowId window, int width, int height, std::chrono::milliseconds timeout) const {
  // Without --sync: a window that refuses the size would hang xdotool.
  Run({"windowsize", std::to_string(window), std::to_string(width), std::to_string(height)});
  return PollUntil(
      [&] {
        const Geometry g = WindowGeometry(window);
        return g.width == width && g.height == height;
      },
      timeout);
}

void Xdo::Move(WindowId window, int x, int y) const {
  Run({"windowmove", std::to_string(window), std::to_string(x), std::to_string(y)});
}

}  // namespace gui
