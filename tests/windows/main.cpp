// The Windows test program: the platform's Windows operations, the About
// box's system information launcher, message boxes and the version
// resource, on the real API. Run as `varnock_windows_tests [filter]`.
#include <cstdio>
#include <string>

#include "tests/windows/check.h"
#include "tests/windows/child_program.h"

int main(int argc, char** argv) {
  if (auto child = wintest::RunAsChild()) return *child;
  // Unbuffered: the output stays in order when the program is ended early.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const int failed = check::RunAll(argc > 1 ? argv[1] : "");
  return failed == 0 ? 0 : 1;
}
