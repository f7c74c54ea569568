#pragma once

#include <atspi/atspi-constants.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wait.h"

namespace gui {

class DBusLink;
class Session;

struct Extents {
  int x = 0;  // screen coordinates
  int y = 0;
  int width = 0;
  int height = 0;
};

// One object in some program's accessibility tree (a window, label, button,
// menu item...). A cheap value: a shared bus connection plus the object's
// D-Bus name and path. Every getter asks the program afresh (no caching), and
// throws gui::Error when the object or its program has gone.
class Accessible {
 public:
  Accessible() = default;
  explicit operator bool() const { return link_ != nullptr; }
  bool operator==(const Accessible& other) const { return bus_ == other.bus_ && path_ == other.path_; }

  const std::string& BusName() const { return bus_; }
  const std::string& Path() const { return path_; }

  std::string Name() const;
  std::string Description() const;
  AtspiRole Role() const;
  std::string RoleName() const;  // "push button", "menu item", "status bar", ...
  int ChildCount() const;
  std::vector<Accessible> Children() const;
  Accessible Parent() const;  // empty at the top

  std::uint64_t States() const;  // bit N set = AtspiStateType N
  bool Has(AtspiStateType state) const;
  bool Showing() const { return Has(ATSPI_STATE_SHOWING); }
  bool Visible() const { return Has(ATSPI_STATE_VISIBLE); }
  bool Active() const { return Has(ATSPI_STATE_ACTIVE); }
  bool Focused() const { return Has(ATSPI_STATE_FOCUSED); }
  // Both ENABLED and SENSITIVE: what a greyed-out widget lacks.
  bool Sensitive() const;
  std::vector<std::string> StateNames() const;

  std::vector<std::string> Interfaces() const;  // short names: "Text", "Action", ...
  bool Implements(const std::string& short_interface) const;
  std::map<std::string, std::string> Attributes() const;

  // The Text interface's contents; the name for objects without one.
  std::string Text() const;
  // EditableText: replaces the contents; false when refused.
  bool SetText(const std::string& text) const;
  std::vector<std::string> ActionNames() const;
  // Runs the named action; names compare ignoring case.
  void DoAction(const std::string& action = "click") const;
  bool GrabFocus() const;
  // Whether its program answers a question about it within `deadline`: one
  // stuck in a wait inside its accessibility bridge answers none.
  bool Answers(std::chrono::milliseconds deadline) const;
  Extents ScreenExtents() const;
  // Where the character at `offset` of its text is drawn, on the screen
  // (Text interface); a character cut off or left out is drawn nowhere
  // within the object.
  Extents CharacterExtents(int offset) const;
  pid_t ProcessId() const;

  // One line: role, name, states, actions.
  std::string Describe() const;

 private:
  friend class A11y;
  Accessible(std::shared_ptr<const DBusLink> link, std::string bus, std::string path)
      : link_(std::move(link)), bus_(std::move(bus)), path_(std::move(path)) {}
  Accessible Make(std::string bus, std::string path) const;

  std::shared_ptr<const DBusLink> link_;
  std::string bus_;
  std::string path_;
};

// What to look for; unset fields match anything.
struct Query {
  std::optional<AtspiRole> role{};
  std::optional<std::string> name{};           // exact
  std::optional<std::string> name_contains{};  // substring
  // Matched against Text(): web content often has an empty name and its words
  // only in the Text interface.
  std::optional<std::string> text{};
  std::optional<std::string> text_contains{};
  bool showing_only = false;
};

// Bounds for tree walks (web content can be large).
struct SearchLimits {
  int max_depth = 64;
  int max_nodes = 5000;
  // Follow children living in another process (WebKit's web process).
  bool enter_other_processes = true;
};

struct WindowInfo {
  Accessible node;
  std::string title;
  AtspiRole role = ATSPI_ROLE_INVALID;  // frame, dialog, window (popup menus), ...
  std::string role_name;
  bool showing = false;
  bool visible = false;
  bool active = false;
};

struct MenuNode {
  Accessible node;
  std::string caption;  // mnemonic underscore removed: "文件(F)"
  AtspiRole role = ATSPI_ROLE_INVALID;
  bool enabled = false;
  bool showing = false;
  bool checked = false;
  std::vector<MenuNode> children;
};

// Reads and drives programs from outside through AT-SPI, speaking its D-Bus
// protocol on the session's accessibility bus.
class A11y {
 public:
  explicit A11y(const Session& session);
  explicit A11y(const std::string& accessibility_bus_address);
  ~A11y();

  std::vector<Accessible> Applications() const;
  std::optional<Accessible> FindApplication(const std::string& name) const;
  std::optional<Accessible> FindApplication(pid_t pid) const;
  Accessible WaitForApplication(pid_t pid, std::chrono::milliseconds timeout = kDefaultTimeout) const;

  std::vector<WindowInfo> Windows(const Accessible& application) const;
  // A showing toplevel with this exact title, from any program or only `pid`.
  Accessible WaitForWindow(const std::string& title, std::chrono::milliseconds timeout = kDefaultTimeout,
                           std::optional<pid_t> pid = std::nullopt) const;
  void WaitWindowGone(const std::string& title, std::chrono::milliseconds timeout = kDefaultTimeout,
                      std::optional<pid_t> pid = std::nullopt) const;
  std::optional<Accessible> FindWindow(const std::string& title, std::optional<pid_t> pid = std::nullopt) const;

  std::vector<Accessible> FindAll(const Accessible& root, const Query& query, const SearchLimits& limits = {}) const;
  std::optional<Accessible> Find(const Accessible& root, const Query& query, const SearchLimits& limits = {}) const;
  Accessible WaitFor(const Accessible& root, const Query& query,
                     std::chrono::milliseconds timeout = kDefaultTimeout) const;
  // Polls node.Text() until it equals `expected`.
  void WaitForText(const Accessible& node, const std::string& expected,
                   std::chrono::milliseconds timeout = kDefaultTimeout) const;

  // The first of "click", "press", "activate", "jump" offered (GTK widgets say
  // "Click", WebKit buttons "press", links "jump"), else the first action.
  void Activate(const Accessible& node) const;

  // The window's menu bar as a tree (empty when it has none).
  std::vector<MenuNode> MenuItems(const Accessible& window) const;
  // Follows captions from the menu bar down, e.g. {"文件(F)", "退出(Q)"}.
  Accessible MenuItem(const Accessible& window, const std::vector<std::string>& captions) const;

  std::string Dump(const Accessible& root, const SearchLimits& limits = {}) const;
  std::string DumpApplications() const;

 private:
  Accessible Registry() const;
  std::shared_ptr<const DBusLink> link_;
};

// Name of a role or state as AT-SPI spells it ("push button", "showing").
std::string RoleName(AtspiRole role);
std::string StateName(AtspiStateType state);

}  // namespace gui
