// The program's images on GTK: compiled into the program as GResources
// (assets/images.gresource.xml), which the program registers at start.
#pragma once

#include <gdkmm/pixbuf.h>

#include <string>
#include <vector>

#include "platform/images.h"

namespace platform::gtk {

// Where the image lives among the resources, once for every size it comes
// in, smallest first ("/program/logo.png").
std::vector<std::string> ResourcePaths(ImageId id);

// The image at every size it comes in; those missing are left out.
std::vector<Glib::RefPtr<Gdk::Pixbuf>> LoadImages(ImageId id);
// The image at its first size; empty if there is none.
Glib::RefPtr<Gdk::Pixbuf> LoadImage(ImageId id);

}  // namespace platform::gtk
