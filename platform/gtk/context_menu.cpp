#include "platform/gtk/context_menu.h"

#include <utility>

#include "platform/gtk/gobject_ptr.h"

namespace vb::gtk {
namespace {

const char* ChineseLabel(WebKitContextMenuAction action) {
  switch (action) {
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK: return "打开链接";
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK_IN_NEW_WINDOW: return "在新窗口中打开链接";
    case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_LINK_TO_DISK: return "链接另存为…";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD: return "复制链接地址";
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_IMAGE_IN_NEW_WINDOW: return "在新窗口中打开图片";
    case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_IMAGE_TO_DISK: return "图片另存为…";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD: return "复制图片";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_URL_TO_CLIPBOARD: return "复制图片地址";
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_FRAME_IN_NEW_WINDOW: return "在新窗口中打开框架";
    case WEBKIT_CONTEXT_MENU_ACTION_GO_BACK: return "后退";
    case WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD: return "前进";
    case WEBKIT_CONTEXT_MENU_ACTION_STOP: return "停止";
    case WEBKIT_CONTEXT_MENU_ACTION_RELOAD: return "重新加载";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY: return "复制";
    case WEBKIT_CONTEXT_MENU_ACTION_CUT: return "剪切";
    case WEBKIT_CONTEXT_MENU_ACTION_PASTE: return "粘贴";
    case WEBKIT_CONTEXT_MENU_ACTION_PASTE_AS_PLAIN_TEXT: return "粘贴为纯文本";
    case WEBKIT_CONTEXT_MENU_ACTION_DELETE: return "删除";
    case WEBKIT_CONTEXT_MENU_ACTION_SELECT_ALL: return "全选";
    case WEBKIT_CONTEXT_MENU_ACTION_INSERT_EMOJI: return "插入表情符号";
    default: return nullptr;
  }
}

bool Unwanted(WebKitContextMenuAction action, WebKitWebView* view) {
  switch (action) {
    case WEBKIT_CONTEXT_MENU_ACTION_INSPECT_ELEMENT: return true;
    // Offered by the engine even when nothing is loading.
    case WEBKIT_CONTEXT_MENU_ACTION_STOP: return !webkit_web_view_is_loading(view);
    default: return false;
  }
}

// The engine offers back and forward whether or not there is anywhere to
// go; as in a browser they stay in the menu, greyed out, when there is not.
bool Unavailable(WebKitContextMenuAction action, WebKitWebView* view) {
  switch (action) {
    case WEBKIT_CONTEXT_MENU_ACTION_GO_BACK: return !webkit_web_view_can_go_back(view);
    case WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD: return !webkit_web_view_can_go_forward(view);
    default: return false;
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
    const WebKitContextMenuAction action = webkit_context_menu_item_get_stock_action(item);
    if (Unwanted(action, view)) {
      webkit_context_menu_remove(menu, item);
      continue;
    }
    if (const char* label = ChineseLabel(action)) {
      webkit_context_menu_remove(menu, item);
      webkit_context_menu_insert(
          menu,
          Unavailable(action, view) ? GreyedItem(label)
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

}  // namespace vb::gtk
