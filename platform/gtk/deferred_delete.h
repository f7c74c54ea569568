// Deleting a GTK object from inside one of its own signal handlers is not
// safe; these wait until the main loop is idle again.
#pragma once

#include <glibmm/main.h>

#include <memory>

namespace platform::gtk {

template <class T>
void DeleteLater(std::unique_ptr<T> object) {
  if (!object) return;
  auto shared = std::shared_ptr<T>(std::move(object));
  Glib::signal_idle().connect_once([shared]() mutable { shared.reset(); });
}

}  // namespace platform::gtk
