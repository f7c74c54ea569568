#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace gui {

using namespace std::chrono_literals;

// Generous: a cold WebKit start on a loaded two-core CI machine takes seconds.
inline constexpr std::chrono::milliseconds kDefaultTimeout{15000};
inline constexpr std::chrono::milliseconds kPollInterval{50};

// Calls predicate until it returns true or the timeout passes. A gui::Error
// thrown by the predicate counts as "not yet" (e.g. a window that vanished
// while being read). Returns whether the predicate became true.
bool PollUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = kPollInterval);

// Like PollUntil but throws gui::Timeout naming `what`, the last error the
// predicate threw, and whatever `diagnostics` returns (e.g. a tree dump).
void WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout,
               const std::string& what, const std::function<std::string()>& diagnostics = {});

}  // namespace gui
