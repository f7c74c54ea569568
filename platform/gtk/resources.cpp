#include "platform/gtk/resources.h"

#include <gio/gio.h>

// Generated from the program's images by glib-compile-resources.
extern "C" void varnock_images_register_resource(void);

namespace vb::gtk {

Glib::RefPtr<Gdk::Pixbuf> LoadImage(const std::string& name) {
  // Registered by hand: a static library's constructor would never be linked in.
  static const bool registered = (varnock_images_register_resource(), true);
  (void)registered;
  const std::string path = "/com/varnock/client/" + name + ".png";
  GError* error = nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_resource(path.c_str(), &error);
  if (pixbuf == nullptr) {
    g_clear_error(&error);
    return {};
  }
  return Glib::wrap(pixbuf);
}

std::vector<Glib::RefPtr<Gdk::Pixbuf>> ProgramIcons() {
  std::vector<Glib::RefPtr<Gdk::Pixbuf>> icons;
  for (const char* name : {"icon-16", "icon-32"}) {
    if (auto icon = LoadImage(name)) icons.push_back(icon);
  }
  return icons;
}

}  // namespace vb::gtk
