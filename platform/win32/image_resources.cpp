#include "platform/win32/image_resources.h"

namespace vb::win32 {

ImageResource ResourceOf(ImageId id) {
  switch (id) {
    case ImageId::Logo:
      return {VB_IMAGE_RESOURCE_LOGO, ResourceKind::Png};
    case ImageId::WindowIcon:
      return {VB_IMAGE_RESOURCE_WINDOW_ICON, ResourceKind::IconGroup};
  }
  return {0, ResourceKind::Png};
}

}  // namespace vb::win32
