#include "app/app_info.h"

#include <cstdio>

namespace app {

std::string VersionResourceText(const Version& v) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d.%04d", v.major, v.minor, v.revision);
  return text;
}

}  // namespace app
