// The page's context menu: the engine's usual items, labelled in Chinese,
// and never the developer tools.
#pragma once

#include <webkit2/webkit2.h>

namespace vb::gtk {

void PrepareContextMenu(WebKitContextMenu* menu);

}  // namespace vb::gtk
