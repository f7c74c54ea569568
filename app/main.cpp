// Program entry: hands the program description to the form runtime, which
// loads and shows the login window. The client takes no arguments.
#include "app/app_info.h"
#include "app/program.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/posix/posix_system.h"
#include "platform/posix/private_cache.h"

int main() {
  vb::PrivateCache cache;  // before any library looks for its cache directory
  vb::GtkToolkit toolkit({app::kTitle, app::kAppId});
  toolkit.before_abrupt_exit = [&cache] { cache.Remove(); };
  vb::PosixSystem system;
  app::Program program(toolkit, system);
  return program.Run();
}
