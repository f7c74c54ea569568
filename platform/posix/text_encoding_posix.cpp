#include "platform/text_encoding.h"

namespace vb {

std::string AnsiToText(std::string_view ansi) { return std::string(ansi); }

}  // namespace vb
