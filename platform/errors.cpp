#include "platform/errors.h"

#include "platform/texts.h"

namespace platform {

std::string DescribeUntrapped(const std::exception& error) {
  int number = 0;
  if (auto* runtime = dynamic_cast<const RuntimeError*>(&error)) number = runtime->Number();
  std::string text = texts::kRuntimeError;
  if (number != 0) text += " '" + std::to_string(number) + "'";
  text += ":\n\n";
  text += error.what();
  return text;
}

}  // namespace platform
