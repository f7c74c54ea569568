// A PNG among the program's resources, decoded by the Windows Imaging
// Component into a bitmap GDI can blend (32 bits, premultiplied alpha).
// COM must be started on the thread (the toolkit does).
#pragma once

#include <windows.h>

#include "platform/win32/gdi_object.h"

namespace platform::win32 {

struct Picture {
  BitmapHandle bitmap;
  int width = 0;
  int height = 0;
};

// The RCDATA resource `id` of the program's .exe, scaled by `scale`; an
// empty picture when it is missing or cannot be read.
Picture LoadPngResource(int id, double scale);

}  // namespace platform::win32
