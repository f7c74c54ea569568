#pragma once

#include <memory>

#include "harness/session.h"
#include "selftest_app_facts.h"

namespace selftest {

inline std::unique_ptr<gui::Process> StartSelftestApp(const gui::Session& session) {
  // In sanitizer builds GTK and fontconfig keep caches until exit, which
  // LeakSanitizer reports and turns into a different exit status; the exit
  // status is what these tests look at, so leak checking is off for this
  // toy program (it has no effect in normal builds).
  return session.Start({GUI_HARNESS_SELFTEST_APP}, gui::Environment().Set("ASAN_OPTIONS", "detect_leaks=0"));
}

}  // namespace selftest
