#include "platform/gtk/resources.h"

#include <gio/gio.h>

#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {

Glib::RefPtr<Gdk::Pixbuf> LoadImage(const std::string& resource_path) {
  GError* error = nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_resource(resource_path.c_str(), &error);
  if (pixbuf == nullptr) {
    g_clear_error(&error);
    return {};
  }
  return Glib::wrap(pixbuf);
}

}  // namespace vb::gtk
