#include "focus_events.h"

#include <gio/gio.h>

#include "dbus_link.h"
#include "error.h"
#include "session.h"
#include "wait.h"

namespace gui {
namespace {

constexpr const char* kRegistryBus = "org.a11y.atspi.Registry";
constexpr const char* kRegistryPath = "/org/a11y/atspi/registry";
constexpr const char* kRegistryIface = "org.a11y.atspi.Registry";

}  // namespace

struct FocusEvents::Loop {
  GMainContext* context = g_main_context_new();
  GMainLoop* loop = g_main_loop_new(context, FALSE);
  ~Loop() {
    g_main_loop_unref(loop);
    g_main_context_unref(context);
  }
};

FocusEvents::FocusEvents(const Session& session) : loop_(std::make_unique<Loop>()) {
  const std::string address = session.AccessibilityBusAddress();
  thread_ = std::thread([this, address] { Serve(address); });
  int state = 0;
  WaitUntil(
      [&] {
        std::lock_guard lock(mutex_);
        state = state_;
        return state != 0;
      },
      kDefaultTimeout, "the focus event listener to register");
  if (state < 0) {
    thread_.join();
    throw Error("focus events: " + error_);
  }
}

FocusEvents::~FocusEvents() {
  g_main_loop_quit(loop_->loop);
  if (thread_.joinable()) thread_.join();
}

std::vector<FocusEvents::Event> FocusEvents::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::optional<FocusEvents::Event> FocusEvents::Announced(const Accessible& window) const {
  std::optional<Event> last;
  for (const Event& e : Events()) {
    switch (e.kind) {
      case Kind::kWindowActivated:
        if (e.Is(window)) last.reset();
        break;
      case Kind::kDocumentLoaded:
        if (last && last->bus == e.bus) last.reset();
        break;
      case Kind::kFocused:
        last = e;
        break;
    }
  }
  return last;
}

void FocusEvents::Record(Event event) {
  std::lock_guard lock(mutex_);
  events_.push_back(std::move(event));
}

void FocusEvents::Serve(const std::string& address) {
  g_main_context_push_thread_default(loop_->context);
  GError* raw_error = nullptr;
  auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
  GObjectPtr<GDBusConnection> connection(
      g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, &raw_error));
  std::vector<guint> subscriptions;
  bool registered = connection != nullptr;
  if (connection) {
    g_dbus_connection_set_exit_on_close(connection.get(), FALSE);
    struct Signal {
      const char* iface;
      const char* member;
      const char* detail;  // the event's first argument, or null for any
      Kind kind;
    };
    static const Signal kSignals[] = {
        {"org.a11y.atspi.Event.Window", "Activate", nullptr, Kind::kWindowActivated},
        {"org.a11y.atspi.Event.Object", "StateChanged", "focused", Kind::kFocused},
        {"org.a11y.atspi.Event.Document", "LoadComplete", nullptr, Kind::kDocumentLoaded},
    };
    for (const Signal& s : kSignals) {
      subscriptions.push_back(g_dbus_connection_signal_subscribe(
          connection.get(), nullptr, s.iface, s.member, nullptr, s.detail, G_DBUS_SIGNAL_FLAGS_NONE,
          [](GDBusConnection*, const gchar* sender, const gchar* path, const gchar*, const gchar*,
             GVariant* parameters, gpointer data) {
            auto* self = static_cast<std::pair<FocusEvents*, Kind>*>(data);
            if (self->second == Kind::kFocused) {
              // (detail, detail1, detail2, any_data, properties): detail1 1 = gained.
              gint32 gained = 0;
              g_variant_get_child(parameters, 1, "i", &gained);
              if (gained != 1) return;
            }
            self->first->Record({self->second, sender ? sender : "", path ? path : ""});
          },
          new std::pair<FocusEvents*, Kind>(this, s.kind),
          [](gpointer data) { delete static_cast<std::pair<FocusEvents*, Kind>*>(data); }));
    }
    // Programs' bridges send only the events someone registered for.
    for (const char* event : {"window:activate", "object:state-changed:focused", "document:load-complete"}) {
      GVariant* reply = g_dbus_connection_call_sync(connection.get(), kRegistryBus, kRegistryPath, kRegistryIface,
                                                    "RegisterEvent", g_variant_new("(s)", event), nullptr,
                                                    G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &raw_error);
      if (reply == nullptr) {
        registered = false;
        break;
      }
      g_variant_unref(reply);
    }
  }
  ErrorPtr error(raw_error);
  {
    std::lock_guard lock(mutex_);
    if (!registered) error_ = error ? error->message : "cannot connect";
    state_ = registered ? 1 : -1;
  }
  if (registered) g_main_loop_run(loop_->loop);
  for (guint id : subscriptions) g_dbus_connection_signal_unsubscribe(connection.get(), id);
  // Unsubscribing frees the callbacks' data from this context: run it once.
  while (g_main_context_iteration(loop_->context, FALSE)) {
  }
  connection.reset();
  g_main_context_pop_thread_default(loop_->context);
}

}  // namespace gui
