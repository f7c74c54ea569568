#include "platform/gtk/context_menu.h"

#include <utility>

#include "platform/browser/page_commands.h"
#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {
namespace {

browser::MenuAction ActionOf(WebKitContextMenuAction action) {
  using browser::MenuAction;
  switch (action) {
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK: return MenuAction::OpenLink;
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK_IN_NEW_WINDOW: return MenuAction::OpenLinkInNewWindow;
    case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_LINK_TO_DISK: return MenuAction::SaveLinkAs;
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD: return MenuAction::CopyLinkAddress;
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_IMAGE_IN_NEW_WINDOW: return MenuAction::OpenImageInNewWindow;
    case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_IMAGE_TO_DISK: return MenuAction::SaveImageAs;
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD: return MenuAction::CopyImage;
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_URL_TO_CLIPBOARD: return MenuAction::CopyImageAddress;
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_FRAME_IN_NEW_WINDOW: return MenuAction::OpenFrameInNewWindow;
    case WEBKIT_CONTEXT_MENU_ACTION_GO_BACK: return MenuAction::Back;
    case WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD: return MenuAction::Forward;
    case WEBKIT_CONTEXT_MENU_ACTION_STOP: return MenuAction::Stop;
    case WEBKIT_CONTEXT_MENU_ACTION_RELOAD: return MenuAction::Reload;
    case WEBKIT_CONTEXT_MENU_ACTION_COPY: return MenuAction::Copy;
    case WEBKIT_CONTEXT_MENU_ACTION_CUT: return MenuAction::Cut;
    case WEBKIT_CONTEXT_MENU_ACTION_PASTE: return MenuAction::Paste;
    case WEBKIT_CONTEXT_MENU_ACTION_PASTE_AS_PLAIN_TEXT: return MenuAction::PasteAsPlainText;
    case WEBKIT_CONTEXT_MENU_ACTION_DELETE: return MenuAction::Delete;
    case WEBKIT_CONTEXT_MENU_ACTION_SELECT_ALL: return MenuAction::SelectAll;
    case WEBKIT_CONTEXT_MENU_ACTION_INSERT_EMOJI: return MenuAction::InsertEmoji;
    case WEBKIT_CONTEXT_MENU_ACTION_INSPECT_ELEMENT: return MenuAction::Inspect;
    default: return MenuAction::Other;
  }
}

WebKitContextMenuItem* GreyedItem(const char* label) {
  GObjectPtr<GSimpleAction> action = Adopt(g_simple_action_new("unavailable", nullptr));
  g_simple_action_set_enabled(action.get(), FALSE);
  return webkit_context_menu_item_new_from_gaction(G_ACTION(action.get()), label, nullptr);
}

}  // namespace

void PrepareContextMenu(WebKitContextMenu* menu, WebKitWebView* view) {
  guint i = 0;
  while (i < webkit_context_menu_get_n_items(menu)) {
    WebKitContextMenuItem* item = webkit_context_menu_get_item_at_position(menu, i);
    const browser::MenuAction what = ActionOf(webkit_context_menu_item_get_stock_action(item));
    const browser::MenuItemFate fate = browser::FateOf(what, webkit_web_view_is_loading(view),
                                                       webkit_web_view_can_go_back(view),
                                                       webkit_web_view_can_go_forward(view));
    if (fate == browser::MenuItemFate::Removed) {
      webkit_context_menu_remove(menu, item);
      continue;
    }
    if (const char* label = browser::LabelOf(what)) {
      const WebKitContextMenuAction action = webkit_context_menu_item_get_stock_action(item);
      webkit_context_menu_remove(menu, item);
      webkit_context_menu_insert(menu,
                                 fate == browser::MenuItemFate::Greyed
                                     ? GreyedItem(label)
                                     : webkit_context_menu_item_new_from_stock_action_with_label(action, label),
                                 static_cast<gint>(i));
    }
    ++i;
  }
  // No separator left at either end, nor two in a row, after a removal.
  auto separator_at = [menu](guint k) {
    return webkit_context_menu_item_is_separator(webkit_context_menu_get_item_at_position(menu, k));
  };
  for (guint j = 0; j < webkit_context_menu_get_n_items(menu);) {
    const bool last = j + 1 == webkit_context_menu_get_n_items(menu);
    if (separator_at(j) && (j == 0 || last || separator_at(j - 1))) {
      webkit_context_menu_remove(menu, webkit_context_menu_get_item_at_position(menu, j));
      if (last && j > 0) --j;  // the one before may now be last
    } else {
      ++j;
    }
  }
}

}  // namespace platform::gtk
