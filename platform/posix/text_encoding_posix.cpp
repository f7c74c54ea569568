#include "platform/text_encoding.h"

namespace platform {

std::string AnsiToText(std::string_view ansi) { return std::string(ansi); }

}  // namespace platform
