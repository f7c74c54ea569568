// What the user's keys and the context menu do to a page, the same in every
// backend: the keys a browser user expects, and the menu's items with their
// labels. A backend maps its key events and its engine's menu items onto
// these, and carries the commands out.
#pragma once

#include <optional>

namespace platform::browser {

enum class PageCommand { Reload, Back, Forward, Print, Find, ZoomIn, ZoomOut, ZoomReset };

// A key as the page's commands know it; keypad keys count as the main ones.
enum class PageKey { F5, Left, Right, R, P, F, Plus, Equals, Minus, Zero, Other };

struct KeyChord {
  PageKey key = PageKey::Other;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  bool super = false;
};

// The command a key chord gives, if any: F5 and Ctrl+R reload, Alt+Left and
// Alt+Right go back and forward, Ctrl+P prints, Ctrl+F finds, Ctrl with +,
// - and 0 zoom (with or without Shift: "+" sits on a shifted key on many
// layouts).
std::optional<PageCommand> CommandFor(const KeyChord& chord);

// The items the engine's context menu may offer that the program shows.
enum class MenuAction {
  OpenLink, OpenLinkInNewWindow, SaveLinkAs, CopyLinkAddress,
  OpenImageInNewWindow, SaveImageAs, CopyImage, CopyImageAddress, OpenFrameInNewWindow,
  Back, Forward, Stop, Reload,
  Copy, Cut, Paste, PasteAsPlainText, Delete, SelectAll, InsertEmoji,
  Inspect,  // the engine's developer tools
  Other,    // anything else the engine offers, kept as it is
};

enum class MenuItemFate { Keep, Greyed, Removed };

// What becomes of an item, given what the page can do now: developer tools
// never show; stop only while loading; back and forward stay, greyed out,
// when there is nowhere to go, as in a browser.
MenuItemFate FateOf(MenuAction action, bool loading, bool can_go_back, bool can_go_forward);

// The item's label, or null for one the program does not name.
const char* LabelOf(MenuAction action);

}  // namespace platform::browser
