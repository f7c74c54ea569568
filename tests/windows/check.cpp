#include "tests/windows/check.h"

#include <cstdio>
#include <exception>
#include <vector>

#include "platform/win32/utf16.h"

namespace check {
namespace {

struct Case {
  const char* name;
  CaseFunction function;
};

std::vector<Case>& Cases() {
  static std::vector<Case> cases;
  return cases;
}

struct Current {
  int checks = 0;
  int failures = 0;
};
Current* current = nullptr;

}  // namespace

Registration::Registration(const char* name, CaseFunction function) {
  Cases().push_back({name, function});
}

void Record(bool ok, const char* file, int line, const std::string& what) {
  if (current == nullptr) return;
  ++current->checks;
  if (ok) return;
  ++current->failures;
  std::printf("    %s:%d: failed: %s\n", file, line, what.c_str());
  std::fflush(stdout);
}

std::string Show(const std::string& value) {
  std::string shown = "\"";
  for (char c : value) {
    if (c == '\0') {
      shown += "\\0";
    } else if (c == '\n') {
      shown += "\\n";
    } else {
      shown += c;
    }
  }
  return shown + "\" (" + std::to_string(value.size()) + " bytes)";
}
std::string Show(const std::wstring& value) { return Show(win32::Narrow(value)); }
std::string Show(const char* value) { return Show(std::string(value ? value : "(null)")); }
std::string Show(const wchar_t* value) { return Show(std::wstring(value ? value : L"(null)")); }

int RunAll(std::string_view filter) {
  int passed = 0;
  int failed = 0;
  for (const Case& c : Cases()) {
    if (!filter.empty() && std::string_view(c.name).find(filter) == std::string_view::npos)
      continue;
    std::printf("[ RUN  ] %s\n", c.name);
    std::fflush(stdout);
    Current state;
    current = &state;
    try {
      c.function();
    } catch (const CaseAborted&) {
    } catch (const std::exception& error) {
      Record(false, "(case)", 0, std::string("unexpected exception: ") + error.what());
    } catch (...) {
      Record(false, "(case)", 0, "unexpected exception");
    }
    current = nullptr;
    // A case that checked nothing proves nothing.
    if (state.checks == 0) {
      std::printf("    no check ran\n");
      ++state.failures;
    }
    const bool ok = state.failures == 0;
    std::printf("[ %s ] %s (%d checks)\n", ok ? " OK " : "FAIL", c.name, state.checks);
    std::fflush(stdout);
    (ok ? passed : failed) += 1;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed;
}

}  // namespace check
