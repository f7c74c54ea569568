// The page's context menu (ContextMenuRequested): the engine's items in a
// popup menu of ours with the Linux client's labels (browser::LabelOf) and
// fates (browser::FateOf: developer tools never show, back and forward
// greyed when there is nowhere to go); the engine carries out the item
// chosen (SelectedCommandId).
#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/webview2/webview2_sdk.h"

namespace platform::win32 {

// Shows the menu of `items` at `screen` for `owner` and waits in its loop
// for the user's choice: the chosen item's CommandId, or nothing.
std::optional<INT32> ChooseFromMenu(HWND owner, POINT screen, ICoreWebView2ContextMenuItemCollection* items,
                                    bool can_go_back, bool can_go_forward);

}  // namespace platform::win32
