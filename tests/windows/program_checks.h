// Checks on the Windows client as built or as installed.
#pragma once

#include <filesystem>

namespace wintest {

// Starts `program` on a Windows without the WebView2 runtime (as under
// Wine): it must say what is missing and how to get it in a box, and end
// with status 1 once the box is answered.
void CheckSaysTheRuntimeIsMissingAndEnds(const std::filesystem::path& program);

}  // namespace wintest
