// The application's title and version.
#pragma once

#include <string>

#include "platform/images.h"

namespace app {

// The program's identity is stated once, in cmake/Release.cmake.
inline constexpr const char* kTitle = VARNOCK_TITLE;
// The desktop's name for the program: its desktop entry's id.
inline constexpr const char* kAppId = "com.varnock.Client";

// The program's icon, in every size it comes in.
inline constexpr platform::ImageId kIcon = platform::ImageId::WindowIcon;

struct Version {
  int major;
  int minor;
  int revision;
};
inline constexpr Version kVersion{VARNOCK_VERSION_MAJOR, VARNOCK_VERSION_MINOR,
                                  VARNOCK_VERSION_REVISION};

// The version as the version resource, the desktop entry and the AppStream
// metadata write it (2.08.0034), worked out once by the build.
inline constexpr const char* kVersionText = VARNOCK_RESOURCE_VERSION;
inline std::string VersionResourceText() { return kVersionText; }

}  // namespace app

namespace app {

// The main window's caption; the login window's caption starts with it.
inline constexpr const char* kMainCaption = VARNOCK_MAIN_CAPTION;

}  // namespace app
