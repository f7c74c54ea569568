// Images compiled into the program: the program icon and the product logo.
#pragma once

#include <gdkmm/pixbuf.h>

#include <string>
#include <vector>

namespace vb::gtk {

// An image by name ("logo", "icon-16", "icon-32"); empty if there is none.
Glib::RefPtr<Gdk::Pixbuf> LoadImage(const std::string& name);

// The program icon in every size it comes in.
std::vector<Glib::RefPtr<Gdk::Pixbuf>> ProgramIcons();

}  // namespace vb::gtk
