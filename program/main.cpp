// Program entry: hands the program description to the form runtime, which
// loads and shows the login window. The client takes no arguments.
#include <cstdio>

#include "app/app_info.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/posix/posix_system.h"
#include "platform/posix/private_cache.h"
#include "program/program.h"

// The program's images (assets/images.gresource.xml), compiled into it.
extern "C" void program_images_register_resource(void);

int main() {
  // First: it keeps the environment the program was started with for the
  // programs it starts.
  platform::PosixSystem system;
  platform::PrivateCache cache("varnock");  // before any library looks for its cache directory
  program_images_register_resource();
  try {
    platform::GtkToolkit toolkit({app::kTitle, app::kAppId, app::kIcon});
    toolkit.before_abrupt_exit = [&cache] { cache.Remove(); };
    program::Program program(toolkit, system);
    return program.Run();
  } catch (const platform::gtk::NoDisplay& error) {
    std::fprintf(stderr, "varnock: %s，无法启动。\n", error.what());
    return 1;
  }
}
