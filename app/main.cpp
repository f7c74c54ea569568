// Program entry: hands the program description to the form runtime, which
// loads and shows the login window. The client takes no arguments.
#include "app/program.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/posix/posix_system.h"

int main() {
  vb::GtkToolkit toolkit;
  vb::PosixSystem system;
  app::Program program(toolkit, system);
  return program.Run();
}
