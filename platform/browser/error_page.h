// The page a browser shows in place of one that could not be loaded.
#pragma once

#include <string>
#include <string_view>

namespace platform::browser {

// Text escaped for HTML element content and attribute values.
std::string EscapeHtml(std::string_view text);

enum class LoadFailure;

// What the user is told of a failed load.
const char* FailureText(LoadFailure failure);

// A page in Chinese saying what went wrong, with a button that loads
// `retry_uri` again.
std::string ErrorPageHtml(std::string_view heading, std::string_view detail,
                          std::string_view retry_uri);

}  // namespace platform::browser
