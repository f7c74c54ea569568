// The program's images on Windows: resources of the program's .exe. The
// resource script includes this file for the ids, so that the map below
// and the script cannot disagree; plain macros, since the resource
// compiler reads them too.
#pragma once

#define VB_IMAGE_RESOURCE_WINDOW_ICON 1  // an icon group, every size in one
#define VB_IMAGE_RESOURCE_LOGO 2         // a PNG, as raw data

#ifndef RC_INVOKED

#include "platform/images.h"

namespace platform::win32 {

enum class ResourceKind { IconGroup, Png };

struct ImageResource {
  int id;
  ResourceKind kind;
};

ImageResource ResourceOf(ImageId id);

}  // namespace platform::win32

#endif
