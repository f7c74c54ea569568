#include "platform/win32/image_resources.h"

namespace platform::win32 {

ImageResource ResourceOf(ImageId id) {
  switch (id) {
    case ImageId::Logo:
      return {VB_IMAGE_RESOURCE_LOGO, ResourceKind::Png};
    case ImageId::WindowIcon:
      return {VB_IMAGE_RESOURCE_WINDOW_ICON, ResourceKind::IconGroup};
  }
  return {0, ResourceKind::Png};
}

}  // namespace platform::win32
