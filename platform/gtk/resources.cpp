#include "platform/gtk/resources.h"

#include <gio/gio.h>

namespace platform::gtk {

std::vector<std::string> ResourcePaths(ImageId id) {
  switch (id) {
    case ImageId::Logo:
      return {"/program/logo.png"};
    case ImageId::WindowIcon:
      // No 256 px: GDK 3 hands X11 none above 128 px, yet converted it for
      // every window shown (4 to 5 ms a show).
      return {"/program/icon-16.png", "/program/icon-32.png", "/program/icon-48.png",
              "/program/icon-64.png", "/program/icon-128.png"};
  }
  return {};
}

std::vector<Glib::RefPtr<Gdk::Pixbuf>> LoadImages(ImageId id) {
  std::vector<Glib::RefPtr<Gdk::Pixbuf>> images;
  for (const std::string& path : ResourcePaths(id)) {
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_resource(path.c_str(), &error);
    if (pixbuf == nullptr) {
      g_clear_error(&error);
      continue;
    }
    images.push_back(Glib::wrap(pixbuf));
  }
  return images;
}

Glib::RefPtr<Gdk::Pixbuf> LoadImage(ImageId id) {
  auto images = LoadImages(id);
  return images.empty() ? Glib::RefPtr<Gdk::Pixbuf>() : images.front();
}

}  // namespace platform::gtk
