// The notice line's replacement with any template, any placeholder and any
// caption, checked against a plain reading of the rule: left to right,
// every non-overlapping occurrence, replaced text never searched again.
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_host.h"
#include "windows/main/notice.h"

namespace {

std::string Reference(std::string_view text, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(text);
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.substr(i, find.size()) == find) {
      out += with;
      i += find.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Three parts separated by NUL bytes: template, caption, and optionally a
  // placeholder other than the notice's own.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t first = input.find('\0');
  const std::string_view text = input.substr(0, first);
  std::string_view caption;
  std::string_view find = windows::kNoticePlaceholder;
  if (first != std::string_view::npos) {
    const std::string_view rest = input.substr(first + 1);
    const std::size_t second = rest.find('\0');
    caption = rest.substr(0, second);
    if (second != std::string_view::npos) find = rest.substr(second + 1);
  }
  const std::string result = windows::Replace(text, find, caption);
  fuzz::Require(result == Reference(text, find, caption));
  return 0;
}
