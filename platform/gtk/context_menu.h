// The page's context menu: the engine's usual items, labelled in Chinese,
// offering only what can be done on `view` now, and never the developer
// tools.
#pragma once

#include <webkit2/webkit2.h>

namespace platform::gtk {

void PrepareContextMenu(WebKitContextMenu* menu, WebKitWebView* view);

}  // namespace platform::gtk
