#include "platform/gtk/resources.h"

#include <gio/gio.h>

namespace vb::gtk {

Glib::RefPtr<Gdk::Pixbuf> LoadImage(const std::string& name) {
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
