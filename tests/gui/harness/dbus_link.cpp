#include "dbus_link.h"

#include "error.h"

namespace gui {

DBusLink::DBusLink(const std::string& address) : address_(address) {
  GError* raw_error = nullptr;
  auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
  connection_.reset(g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, &raw_error));
  ErrorPtr error(raw_error);
  if (!connection_) {
    throw Error("cannot connect to D-Bus at " + address + ": " + (error ? error->message : "unknown error"));
  }
  // A dead bus must not take the test process down with it.
  g_dbus_connection_set_exit_on_close(connection_.get(), FALSE);
}

VariantPtr DBusLink::Call(const std::string& destination, const std::string& path, const char* interface,
                          const char* method, GVariant* params, const char* reply_type, int timeout_ms) const {
  GError* raw_error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      connection_.get(), destination.c_str(), path.c_str(), interface, method, params,
      reply_type != nullptr ? G_VARIANT_TYPE(reply_type) : nullptr, G_DBUS_CALL_FLAGS_NONE, timeout_ms,
      nullptr, &raw_error);
  ErrorPtr error(raw_error);
  if (reply == nullptr) {
    throw Error(std::string("D-Bus ") + interface + "." + method + " on " + destination + " " + path +
                " failed: " + (error ? error->message : "unknown error"));
  }
  return VariantPtr(reply);
}

VariantPtr DBusLink::GetProperty(const std::string& destination, const std::string& path, const char* interface,
                                 const char* property, int timeout_ms) const {
  VariantPtr reply = Call(destination, path, "org.freedesktop.DBus.Properties", "Get",
                          g_variant_new("(ss)", interface, property), "(v)", timeout_ms);
  GVariant* inner = nullptr;
  g_variant_get(reply.get(), "(v)", &inner);
  return VariantPtr(inner);
}

bool DBusLink::NameHasOwner(const std::string& name) const {
  VariantPtr reply = Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                          g_variant_new("(s)", name.c_str()), "(b)");
  gboolean has = FALSE;
  g_variant_get(reply.get(), "(b)", &has);
  return has != FALSE;
}

}  // namespace gui
