// Images compiled into the program (GResource), which the program registers.
#pragma once

#include <gdkmm/pixbuf.h>

#include <string>

namespace vb::gtk {

// An image by resource path ("/program/logo.png"); empty if there is none.
Glib::RefPtr<Gdk::Pixbuf> LoadImage(const std::string& resource_path);

}  // namespace vb::gtk
