#include "a11y.h"

#include <atspi/atspi.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "dbus_link.h"
#include "error.h"
#include "session.h"

namespace gui {
namespace {

constexpr const char* kAccessibleIface = "org.a11y.atspi.Accessible";
constexpr const char* kActionIface = "org.a11y.atspi.Action";
constexpr const char* kTextIface = "org.a11y.atspi.Text";
constexpr const char* kEditableTextIface = "org.a11y.atspi.EditableText";
constexpr const char* kComponentIface = "org.a11y.atspi.Component";
constexpr const char* kRegistryBus = "org.a11y.atspi.Registry";
constexpr const char* kRootPath = "/org/a11y/atspi/accessible/root";
constexpr const char* kNullPath = "/org/a11y/atspi/null";
constexpr const char* kInterfacePrefix = "org.a11y.atspi.";

bool Matches(const Accessible& node, const Query& query) {
  if (query.role && node.Role() != *query.role) return false;
  if (query.name || query.name_contains) {
    const std::string name = node.Name();
    if (query.name && name != *query.name) return false;
    if (query.name_contains && name.find(*query.name_contains) == std::string::npos) return false;
  }
  if (query.text || query.text_contains) {
    const std::string text = node.Text();
    if (query.text && text != *query.text) return false;
    if (query.text_contains && text.find(*query.text_contains) == std::string::npos) return false;
  }
  if (query.showing_only && !node.Showing()) return false;
  return true;
}

std::string DescribeQuery(const Query& query) {
  std::string out;
  if (query.role) out += "role '" + RoleName(*query.role) + "' ";
  if (query.name) out += "name '" + *query.name + "' ";
  if (query.name_contains) out += "name containing '" + *query.name_contains + "' ";
  if (query.text) out += "text '" + *query.text + "' ";
  if (query.text_contains) out += "text containing '" + *query.text_contains + "' ";
  if (query.showing_only) out += "showing ";
  return out.empty() ? "any object" : out;
}

// Action names differ in case between toolkits ("click", "Click", "press").
bool SameActionName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsMenuRole(AtspiRole role) {
  switch (role) {
    case ATSPI_ROLE_MENU:
    case ATSPI_ROLE_MENU_ITEM:
    case ATSPI_ROLE_CHECK_MENU_ITEM:
    case ATSPI_ROLE_RADIO_MENU_ITEM:
    case ATSPI_ROLE_TEAROFF_MENU_ITEM:
    case ATSPI_ROLE_SEPARATOR:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string RoleName(AtspiRole role) {
  GCharPtr name(atspi_role_get_name(role));
  return name ? std::string(name.get()) : "role " + std::to_string(static_cast<int>(role));
}

std::string StateName(AtspiStateType state) {
  auto* klass = static_cast<GEnumClass*>(g_type_class_ref(atspi_state_type_get_type()));
  const GEnumValue* value = g_enum_get_value(klass, static_cast<gint>(state));
  std::string name = value != nullptr ? value->value_nick : "state " + std::to_string(static_cast<int>(state));
  g_type_class_unref(klass);
  return name;
}

// ---- Accessible -------------------------------------------------------------

Accessible Accessible::Make(std::string bus, std::string path) const {
  if (path == kNullPath || bus.empty()) return Accessible();
  return Accessible(link_, std::move(bus), std::move(path));
}

std::string Accessible::Name() const {
  VariantPtr value = link_->GetProperty(bus_, path_, kAccessibleIface, "Name");
  return g_variant_get_string(value.get(), nullptr);
}

std::string Accessible::Description() const {
  VariantPtr value = link_->GetProperty(bus_, path_, kAccessibleIface, "Description");
  return g_variant_get_string(value.get(), nullptr);
}

AtspiRole Accessible::Role() const {
  VariantPtr reply = link_->Call(bus_, path_, kAccessibleIface, "GetRole", nullptr, "(u)");
  guint32 role = 0;
  g_variant_get(reply.get(), "(u)", &role);
  return static_cast<AtspiRole>(role);
}

std::string Accessible::RoleName() const { return gui::RoleName(Role()); }

int Accessible::ChildCount() const {
  VariantPtr value = link_->GetProperty(bus_, path_, kAccessibleIface, "ChildCount");
  return g_variant_get_int32(value.get());
}

std::vector<Accessible> Accessible::Children() const {
  VariantPtr reply = link_->Call(bus_, path_, kAccessibleIface, "GetChildren", nullptr, "(a(so))");
  GVariantIter* iter = nullptr;
  g_variant_get(reply.get(), "(a(so))", &iter);
  std::vector<Accessible> children;
  const gchar* bus = nullptr;
  const gchar* path = nullptr;
  while (g_variant_iter_next(iter, "(&s&o)", &bus, &path)) {
    Accessible child = Make(bus, path);
    if (child) children.push_back(std::move(child));
  }
  g_variant_iter_free(iter);
  if (!children.empty()) return children;
  // An ATK socket (WebKit's web view) answers GetChildren with nothing but
  // does hand out the embedded web content by index.
  const int count = ChildCount();
  for (int i = 0; i < count; ++i) {
    VariantPtr child =
        link_->Call(bus_, path_, kAccessibleIface, "GetChildAtIndex", g_variant_new("(i)", i), "((so))");
    g_variant_get(child.get(), "((&s&o))", &bus, &path);
    Accessible made = Make(bus, path);
    if (made) children.push_back(std::move(made));
  }
  return children;
}

Accessible Accessible::Parent() const {
  VariantPtr value = link_->GetProperty(bus_, path_, kAccessibleIface, "Parent");
  const gchar* bus = nullptr;
  const gchar* path = nullptr;
  g_variant_get(value.get(), "(&s&o)", &bus, &path);
  return Make(bus, path);
}

std::uint64_t Accessible::States() const {
  VariantPtr reply = link_->Call(bus_, path_, kAccessibleIface, "GetState", nullptr, "(au)");
  GVariantIter* iter = nullptr;
  g_variant_get(reply.get(), "(au)", &iter);
  std::uint64_t bits = 0;
  guint32 word = 0;
  int index = 0;
  while (g_variant_iter_next(iter, "u", &word)) {
    if (index < 2) bits |= static_cast<std::uint64_t>(word) << (32 * index);
    ++index;
  }
  g_variant_iter_free(iter);
  return bits;
}

bool Accessible::Has(AtspiStateType state) const { return (States() >> static_cast<int>(state)) & 1U; }

bool Accessible::Sensitive() const {
  const std::uint64_t bits = States();
  return ((bits >> ATSPI_STATE_ENABLED) & 1U) && ((bits >> ATSPI_STATE_SENSITIVE) & 1U);
}

std::vector<std::string> Accessible::StateNames() const {
  const std::uint64_t bits = States();
  std::vector<std::string> names;
  for (int i = 0; i < 64; ++i) {
    if ((bits >> i) & 1U) names.push_back(StateName(static_cast<AtspiStateType>(i)));
  }
  return names;
}

std::vector<std::string> Accessible::Interfaces() const {
  VariantPtr reply = link_->Call(bus_, path_, kAccessibleIface, "GetInterfaces", nullptr, "(as)");
  GVariantIter* iter = nullptr;
  g_variant_get(reply.get(), "(as)", &iter);
  std::vector<std::string> names;
  const gchar* name = nullptr;
  while (g_variant_iter_next(iter, "&s", &name)) {
    std::string full(name);
    if (full.rfind(kInterfacePrefix, 0) == 0) full = full.substr(std::string(kInterfacePrefix).size());
    names.push_back(full);
  }
  g_variant_iter_free(iter);
  return names;
}

bool Accessible::Implements(const std::string& short_interface) const {
  for (const auto& name : Interfaces()) {
    if (name == short_interface) return true;
  }
  return false;
}

std::map<std::string, std::string> Accessible::Attributes() const {
  VariantPtr reply = link_->Call(bus_, path_, kAccessibleIface, "GetAttributes", nullptr, "(a{ss})");
  GVariantIter* iter = nullptr;
  g_variant_get(reply.get(), "(a{ss})", &iter);
  std::map<std::string, std::string> attributes;
  const gchar* key = nullptr;
  const gchar* value = nullptr;
  while (g_variant_iter_next(iter, "{&s&s}", &key, &value)) attributes[key] = value;
  g_variant_iter_free(iter);
  return attributes;
}

std::string Accessible::Text() const {
  if (!Implements("Text")) return Name();
  VariantPtr reply = link_->Call(bus_, path_, kTextIface, "GetText", g_variant_new("(ii)", 0, -1), "(s)");
  const gchar* text = nullptr;
  g_variant_get(reply.get(), "(&s)", &text);
  return text;
}

bool Accessible::SetText(const std::string& text) const {
  VariantPtr reply =
      link_->Call(bus_, path_, kEditableTextIface, "SetTextContents", g_variant_new("(s)", text.c_str()), "(b)");
  gboolean ok = FALSE;
  g_variant_get(reply.get(), "(b)", &ok);
  return ok != FALSE;
}

std::vector<std::string> Accessible::ActionNames() const {
  // NActions + GetName rather than GetActions: WebKit's web process never
  // answers GetActions (the call just times out).
  VariantPtr count_value = link_->GetProperty(bus_, path_, kActionIface, "NActions");
  const int count = g_variant_get_int32(count_value.get());
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    VariantPtr reply = link_->Call(bus_, path_, kActionIface, "GetName", g_variant_new("(i)", i), "(s)");
    const gchar* name = nullptr;
    g_variant_get(reply.get(), "(&s)", &name);
    names.push_back(name);
  }
  return names;
}

void Accessible::DoAction(const std::string& action) const {
  const auto names = ActionNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!SameActionName(names[i], action)) continue;
    VariantPtr reply =
        link_->Call(bus_, path_, kActionIface, "DoAction", g_variant_new("(i)", static_cast<gint>(i)), "(b)");
    gboolean ok = FALSE;
    g_variant_get(reply.get(), "(b)", &ok);
    if (!ok) throw Error("action '" + action + "' refused by " + Describe());
    return;
  }
  throw Error("no action '" + action + "' on " + Describe());
}

bool Accessible::Answers(std::chrono::milliseconds deadline) const {
  try {
    link_->Call(bus_, path_, kAccessibleIface, "GetRole", nullptr, "(u)", static_cast<int>(deadline.count()));
    return true;
  } catch (const Error&) {
    return false;
  }
}

bool Accessible::GrabFocus() const {
  VariantPtr reply = link_->Call(bus_, path_, kComponentIface, "GrabFocus", nullptr, "(b)");
  gboolean ok = FALSE;
  g_variant_get(reply.get(), "(b)", &ok);
  return ok != FALSE;
}

Extents Accessible::ScreenExtents() const {
  VariantPtr reply = link_->Call(bus_, path_, kComponentIface, "GetExtents",
                                 g_variant_new("(u)", static_cast<guint32>(ATSPI_COORD_TYPE_SCREEN)), "((iiii))");
  Extents e;
  g_variant_get(reply.get(), "((iiii))", &e.x, &e.y, &e.width, &e.height);
  return e;
}

Extents Accessible::CharacterExtents(int offset) const {
  VariantPtr reply = link_->Call(bus_, path_, kTextIface, "GetCharacterExtents",
                                 g_variant_new("(iu)", offset, static_cast<guint32>(ATSPI_COORD_TYPE_SCREEN)),
                                 "(iiii)");
  Extents e;
  g_variant_get(reply.get(), "(iiii)", &e.x, &e.y, &e.width, &e.height);
  return e;
}

pid_t Accessible::ProcessId() const {
  VariantPtr reply = link_->Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                 "GetConnectionUnixProcessID", g_variant_new("(s)", bus_.c_str()), "(u)");
  guint32 pid = 0;
  g_variant_get(reply.get(), "(u)", &pid);
  return static_cast<pid_t>(pid);
}

std::string Accessible::Describe() const {
  if (!link_) return "(none)";
  std::ostringstream out;
  try {
    out << "[" << RoleName() << "] \"" << Name() << "\"";
    const auto states = StateNames();
    if (!states.empty()) {
      out << " {";
      for (std::size_t i = 0; i < states.size(); ++i) out << (i ? " " : "") << states[i];
      out << "}";
    }
    const auto interfaces = Interfaces();
    for (const auto& iface : interfaces) {
      if (iface == "Action") {
        std::string joined;
        for (const auto& action : ActionNames()) {
          if (!action.empty()) joined += (joined.empty() ? "" : ",") + action;
        }
        if (!joined.empty()) out << " actions(" << joined << ")";
      }
      if (iface == "Text") out << " text=\"" << Text() << "\"";
    }
  } catch (const Error& e) {
    out << " <" << e.what() << ">";
  }
  out << " @" << bus_ << path_;
  return out.str();
}

// ---- A11y -------------------------------------------------------------------

A11y::A11y(const Session& session) : A11y(session.AccessibilityBusAddress()) {}

A11y::A11y(const std::string& accessibility_bus_address)
    : link_(std::make_shared<const DBusLink>(accessibility_bus_address)) {}

A11y::~A11y() = default;

Accessible A11y::Registry() const { return Accessible(link_, kRegistryBus, kRootPath); }

std::vector<Accessible> A11y::Applications() const { return Registry().Children(); }

std::optional<Accessible> A11y::FindApplication(const std::string& name) const {
  for (const auto& app : Applications()) {
    try {
      if (app.Name() == name) return app;
    } catch (const Error&) {
      // Exited while we looked.
    }
  }
  return std::nullopt;
}

std::optional<Accessible> A11y::FindApplication(pid_t pid) const {
  for (const auto& app : Applications()) {
    try {
      if (app.ProcessId() == pid) return app;
    } catch (const Error&) {
    }
  }
  return std::nullopt;
}

Accessible A11y::WaitForApplication(pid_t pid, std::chrono::milliseconds timeout) const {
  Accessible found;
  WaitUntil(
      [&] {
        auto app = FindApplication(pid);
        if (app) found = *app;
        return app.has_value();
      },
      timeout, "process " + std::to_string(pid) + " to appear on the accessibility bus",
      [&] { return DumpApplications(); });
  return found;
}

std::vector<WindowInfo> A11y::Windows(const Accessible& application) const {
  std::vector<WindowInfo> windows;
  for (const auto& child : application.Children()) {
    try {
      WindowInfo info;
      info.node = child;
      info.title = child.Name();
      info.role = child.Role();
      info.role_name = RoleName(info.role);
      const std::uint64_t bits = child.States();
      info.showing = (bits >> ATSPI_STATE_SHOWING) & 1U;
      info.visible = (bits >> ATSPI_STATE_VISIBLE) & 1U;
      info.active = (bits >> ATSPI_STATE_ACTIVE) & 1U;
      windows.push_back(std::move(info));
    } catch (const Error&) {
      // Destroyed while we looked.
    }
  }
  return windows;
}

std::optional<Accessible> A11y::FindWindow(const std::string& title, std::optional<pid_t> pid) const {
  for (const auto& app : Applications()) {
    try {
      if (pid && app.ProcessId() != *pid) continue;
      for (const auto& window : Windows(app)) {
        if (window.title == title && window.showing) return window.node;
      }
    } catch (const Error&) {
    }
  }
  return std::nullopt;
}

Accessible A11y::WaitForWindow(const std::string& title, std::chrono::milliseconds timeout,
                               std::optional<pid_t> pid) const {
  Accessible found;
  WaitUntil(
      [&] {
        auto window = FindWindow(title, pid);
        if (window) found = *window;
        return window.has_value();
      },
      timeout, "a showing window titled '" + title + "'", [&] { return DumpApplications(); });
  return found;
}

void A11y::WaitWindowGone(const std::string& title, std::chrono::milliseconds timeout,
                          std::optional<pid_t> pid) const {
  WaitUntil([&] { return !FindWindow(title, pid).has_value(); }, timeout,
            "the window titled '" + title + "' to go away", [&] { return DumpApplications(); });
}

namespace {

void Walk(const Accessible& node, int depth, const Query& query, const SearchLimits& limits, int& visited,
          std::vector<Accessible>& out) {
  if (visited >= limits.max_nodes) return;
  ++visited;
  std::vector<Accessible> children;
  try {
    if (Matches(node, query)) out.push_back(node);
    if (depth >= limits.max_depth) return;
    children = node.Children();
  } catch (const Error&) {
    return;  // Went away mid-walk; its subtree is gone too.
  }
  for (const auto& child : children) {
    if (!limits.enter_other_processes && child.BusName() != node.BusName()) continue;
    Walk(child, depth + 1, query, limits, visited, out);
  }
}

void DumpNode(const Accessible& node, int depth, const SearchLimits& limits, int& visited, std::string& out) {
  if (visited >= limits.max_nodes) return;
  ++visited;
  out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + node.Describe() + "\n";
  if (depth >= limits.max_depth) return;
  std::vector<Accessible> children;
  try {
    children = node.Children();
  } catch (const Error&) {
    return;
  }
  for (const auto& child : children) {
    if (!limits.enter_other_processes && child.BusName() != node.BusName()) continue;
    DumpNode(child, depth + 1, limits, visited, out);
  }
}

}  // namespace

std::vector<Accessible> A11y::FindAll(const Accessible& root, const Query& query, const SearchLimits& limits) const {
  std::vector<Accessible> out;
  int visited = 0;
  Walk(root, 0, query, limits, visited, out);
  return out;
}

std::optional<Accessible> A11y::Find(const Accessible& root, const Query& query, const SearchLimits& limits) const {
  auto all = FindAll(root, query, limits);
  if (all.empty()) return std::nullopt;
  return all.front();
}

Accessible A11y::WaitFor(const Accessible& root, const Query& query, std::chrono::milliseconds timeout) const {
  Accessible found;
  WaitUntil(
      [&] {
        auto node = Find(root, query);
        if (node) found = *node;
        return node.has_value();
      },
      timeout, DescribeQuery(query) + "below " + root.Describe(), [&] { return Dump(root); });
  return found;
}

void A11y::WaitForText(const Accessible& node, const std::string& expected, std::chrono::milliseconds timeout) const {
  std::string last;
  WaitUntil(
      [&] {
        last = node.Text();
        return last == expected;
      },
      timeout, "text '" + expected + "' in " + node.Describe(), [&] { return "last text seen: '" + last + "'"; });
}

void A11y::Activate(const Accessible& node) const {
  const auto actions = node.ActionNames();
  for (const char* preferred : {"click", "press", "activate", "jump"}) {
    for (const auto& action : actions) {
      if (SameActionName(action, preferred)) {
        node.DoAction(action);
        return;
      }
    }
  }
  for (const auto& action : actions) {
    if (!action.empty()) {
      node.DoAction(action);
      return;
    }
  }
  throw Error("nothing to activate on " + node.Describe());
}

namespace {

MenuNode BuildMenuNode(const Accessible& node) {
  MenuNode menu;
  menu.node = node;
  menu.caption = node.Name();
  menu.role = node.Role();
  const std::uint64_t bits = node.States();
  menu.enabled = ((bits >> ATSPI_STATE_ENABLED) & 1U) && ((bits >> ATSPI_STATE_SENSITIVE) & 1U);
  menu.showing = (bits >> ATSPI_STATE_SHOWING) & 1U;
  menu.checked = (bits >> ATSPI_STATE_CHECKED) & 1U;
  // GTK exposes a submenu's items as children of the item that opens it, even while closed.
  if (menu.role == ATSPI_ROLE_MENU) {
    for (const auto& child : node.Children()) {
      if (IsMenuRole(child.Role())) menu.children.push_back(BuildMenuNode(child));
    }
  }
  return menu;
}

}  // namespace

std::vector<MenuNode> A11y::MenuItems(const Accessible& window) const {
  SearchLimits limits;
  limits.enter_other_processes = false;
  const auto bar = Find(window, Query{.role = ATSPI_ROLE_MENU_BAR}, limits);
  if (!bar) return {};
  std::vector<MenuNode> items;
  for (const auto& child : bar->Children()) {
    if (IsMenuRole(child.Role())) items.push_back(BuildMenuNode(child));
  }
  return items;
}

Accessible A11y::MenuItem(const Accessible& window, const std::vector<std::string>& captions) const {
  if (captions.empty()) throw Error("empty menu path");
  std::vector<MenuNode> level = MenuItems(window);
  Accessible found;
  std::string walked;
  for (const auto& caption : captions) {
    walked += (walked.empty() ? "" : " > ") + caption;
    const auto it = std::find_if(level.begin(), level.end(), [&](const MenuNode& n) { return n.caption == caption; });
    if (it == level.end()) {
      throw Error("no menu item '" + walked + "' in " + window.Describe() + "\n" + Dump(window));
    }
    found = it->node;
    std::vector<MenuNode> below = it->children;
    level = std::move(below);
  }
  return found;
}

std::string A11y::Dump(const Accessible& root, const SearchLimits& limits) const {
  std::string out;
  int visited = 0;
  DumpNode(root, 0, limits, visited, out);
  if (visited >= limits.max_nodes) out += "... (stopped after " + std::to_string(limits.max_nodes) + " objects)\n";
  return out;
}

std::string A11y::DumpApplications() const {
  std::string out = "accessibility tree:\n";
  SearchLimits limits;
  limits.max_nodes = 1500;
  for (const auto& app : Applications()) {
    try {
      out += "application '" + app.Name() + "' pid " + std::to_string(app.ProcessId()) + "\n";
    } catch (const Error& e) {
      out += "application (gone: " + std::string(e.what()) + ")\n";
      continue;
    }
    out += Dump(app, limits);
  }
  return out;
}

}  // namespace gui
