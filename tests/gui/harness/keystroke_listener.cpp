#include "keystroke_listener.h"

#include <gio/gio.h>

#include "error.h"
#include "dbus_link.h"
#include "session.h"
#include "wait.h"

namespace gui {
namespace {

constexpr const char* kRegistryBus = "org.a11y.atspi.Registry";
constexpr const char* kControllerPath = "/org/a11y/atspi/registry/deviceeventcontroller";
constexpr const char* kControllerIface = "org.a11y.atspi.DeviceEventController";
constexpr const char* kListenerPath = "/org/a11y/atspi/listeners/gui_harness";
constexpr const char* kListenerXml =
    "<node><interface name='org.a11y.atspi.DeviceEventListener'>"
    "<method name='NotifyEvent'><arg direction='in' type='(uiuuisb)'/><arg direction='out' type='b'/></method>"
    "</interface></node>";
// Key pressed and key released (AtspiEventType 0 and 1), any modifiers.
constexpr guint kPressAndRelease = (1u << 0) | (1u << 1);

}  // namespace

struct KeystrokeListener::Loop {
  GMainContext* context = g_main_context_new();
  GMainLoop* loop = g_main_loop_new(context, FALSE);
  ~Loop() {
    g_main_loop_unref(loop);
    g_main_context_unref(context);
  }
};

KeystrokeListener::KeystrokeListener(const Session& session) : loop_(std::make_unique<Loop>()) {
  const std::string address = session.AccessibilityBusAddress();
  thread_ = std::thread([this, address] { Serve(address); });
  WaitUntil([&] { return state_ != 0; }, kDefaultTimeout, "the keystroke listener to register");
  if (state_ < 0) {
    thread_.join();
    throw Error("keystroke listener: " + error_);
  }
}

KeystrokeListener::~KeystrokeListener() {
  g_main_loop_quit(loop_->loop);
  if (thread_.joinable()) thread_.join();
}

void KeystrokeListener::Serve(const std::string& address) {
  g_main_context_push_thread_default(loop_->context);
  GError* raw_error = nullptr;
  auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
  GObjectPtr<GDBusConnection> connection(
      g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, &raw_error));
  GDBusNodeInfo* node = connection ? g_dbus_node_info_new_for_xml(kListenerXml, &raw_error) : nullptr;
  guint registration = 0;
  if (node != nullptr) {
    static const GDBusInterfaceVTable vtable{
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
           GDBusMethodInvocation* invocation, gpointer self) {
          ++static_cast<KeystrokeListener*>(self)->keys_;
          g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", FALSE));
        },
        nullptr, nullptr, {}};
    g_dbus_connection_set_exit_on_close(connection.get(), FALSE);
    registration = g_dbus_connection_register_object(connection.get(), kListenerPath, node->interfaces[0],
                                                     &vtable, this, nullptr, &raw_error);
  }
  GVariant* reply = nullptr;
  if (registration != 0) {
    // Synchronous and able to consume, as a screen reader asks.
    reply = g_dbus_connection_call_sync(
        connection.get(), kRegistryBus, kControllerPath, kControllerIface, "RegisterKeystrokeListener",
        g_variant_new("(o@a(iisi)uu(bbb))", kListenerPath, g_variant_new_array(G_VARIANT_TYPE("(iisi)"), nullptr, 0),
                      0u, kPressAndRelease, TRUE, TRUE, FALSE),
        G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &raw_error);
  }
  ErrorPtr error(raw_error);
  if (reply == nullptr) {
    error_ = error ? error->message : "cannot register";
    state_ = -1;
  } else {
    g_variant_unref(reply);
    state_ = 1;
    g_main_loop_run(loop_->loop);
    GVariant* done = g_dbus_connection_call_sync(
        connection.get(), kRegistryBus, kControllerPath, kControllerIface, "DeregisterKeystrokeListener",
        g_variant_new("(o@a(iisi)uu)", kListenerPath, g_variant_new_array(G_VARIANT_TYPE("(iisi)"), nullptr, 0),
                      0u, kPressAndRelease),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (done != nullptr) g_variant_unref(done);
  }
  if (registration != 0) g_dbus_connection_unregister_object(connection.get(), registration);
  if (node != nullptr) g_dbus_node_info_unref(node);
  connection.reset();
  g_main_context_pop_thread_default(loop_->context);
}

}  // namespace gui
