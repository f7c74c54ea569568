#include "windows/main/notice.h"

namespace windows {

std::string Replace(std::string_view text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(find); at != std::string_view::npos;
       at = text.find(find, from)) {
    result.append(text, from, at - from);
    result.append(replacement);
    from = at + find.size();
  }
  result.append(text, from, std::string_view::npos);
  return result;
}

}  // namespace windows
