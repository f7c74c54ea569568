// The program's images, named by what they are rather than by where a
// backend keeps them: each backend maps an id to its own resources (GTK:
// GResource paths, platform/gtk/resources.cpp; Win32: resource ids,
// platform/win32/image_resources.cpp).
#pragma once

namespace platform {

enum class ImageId {
  Logo,        // the product's logo, as the About box shows it
  WindowIcon,  // the program's icon: its windows, the task switcher; every size it comes in
};

}  // namespace platform
