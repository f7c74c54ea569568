#pragma once

#include <gio/gio.h>

#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace gui {

// The client's owners of GLib's references, and two of GLib's own types.
using platform::gtk::GCharPtr;
using platform::gtk::GObjectPtr;
using VariantPtr = platform::gtk::OwnedPtr<GVariant, g_variant_unref>;
using ErrorPtr = platform::gtk::OwnedPtr<GError, g_error_free>;

// A private connection to one D-Bus message bus. Private on purpose: GLib's
// shared session-bus singleton would outlive a Session and point at a dead bus.
class DBusLink {
 public:
  explicit DBusLink(const std::string& address);
  DBusLink(const DBusLink&) = delete;
  DBusLink& operator=(const DBusLink&) = delete;

  // Calls a method and returns its reply tuple; throws gui::Error on failure.
  // `params` is consumed when floating (as g_variant_new results are).
  VariantPtr Call(const std::string& destination, const std::string& path, const char* interface,
                  const char* method, GVariant* params, const char* reply_type, int timeout_ms = 5000) const;

  // org.freedesktop.DBus.Properties.Get, unwrapped from its variant.
  VariantPtr GetProperty(const std::string& destination, const std::string& path, const char* interface,
                         const char* property, int timeout_ms = 5000) const;

  bool NameHasOwner(const std::string& name) const;
  const std::string& Address() const { return address_; }

 private:
  std::string address_;
  GObjectPtr<GDBusConnection> connection_;
};

}  // namespace gui
