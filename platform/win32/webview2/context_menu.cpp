#include "platform/win32/webview2/context_menu.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser/page_commands.h"
#include "platform/win32/utf16.h"
#include "platform/win32/com_ptr.h"

namespace platform::win32 {
namespace {

// The engine's unlocalized item names (the English label in lower camel case).
browser::MenuAction ActionOf(const std::wstring& name) {
  using browser::MenuAction;
  static const std::map<std::wstring, MenuAction> kActions = {
      {L"openLinkInNewWindow", MenuAction::OpenLinkInNewWindow},
      {L"saveLinkAs", MenuAction::SaveLinkAs},
      {L"copyLinkLocation", MenuAction::CopyLinkAddress},
      {L"openImageInNewWindow", MenuAction::OpenImageInNewWindow},
      {L"saveImageAs", MenuAction::SaveImageAs},
      {L"copyImage", MenuAction::CopyImage},
      {L"copyImageLocation", MenuAction::CopyImageAddress},
      {L"back", MenuAction::Back},
      {L"forward", MenuAction::Forward},
      {L"reload", MenuAction::Reload},
      {L"copy", MenuAction::Copy},
      {L"cut", MenuAction::Cut},
      {L"paste", MenuAction::Paste},
      {L"pasteAndMatchStyle", MenuAction::PasteAsPlainText},
      {L"selectAll", MenuAction::SelectAll},
      {L"emoji", MenuAction::InsertEmoji},
      {L"inspectElement", MenuAction::Inspect},
  };
  const auto found = kActions.find(name);
  return found == kActions.end() ? MenuAction::Other : found->second;
}

std::wstring Take(LPWSTR text) {
  std::wstring result = text ? text : L"";
  CoTaskMemFree(text);
  return result;
}

struct MenuOwner {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuOwner>;

// Fills `menu` from `items`; `commands` maps our item ids (1, 2, ...) to
// the engine's CommandIds.
void Fill(HMENU menu, ICoreWebView2ContextMenuItemCollection* items, bool back, bool forward,
          std::vector<INT32>& commands) {
  UINT32 count = 0;
  if (items == nullptr || FAILED(items->get_Count(&count))) return;
  bool separator_due = false;  // none first, last or twice in a row
  for (UINT32 i = 0; i < count; ++i) {
    ComPtr<ICoreWebView2ContextMenuItem> item;
    if (FAILED(items->GetValueAtIndex(i, item.Out())) || !item) continue;
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND kind = COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_COMMAND;
    item->get_Kind(&kind);
    if (kind == COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_SEPARATOR) {
      separator_due = GetMenuItemCount(menu) > 0;
      continue;
    }
    LPWSTR text = nullptr;
    item->get_Name(&text);
    const browser::MenuAction action = ActionOf(Take(text));
    const browser::MenuItemFate fate = browser::FateOf(action, false, back, forward);
    if (fate == browser::MenuItemFate::Removed) continue;
    std::wstring label;
    if (const char* ours = browser::LabelOf(action)) {
      label = ::win32::Widen(ours);
    } else {
      text = nullptr;
      item->get_Label(&text);
      label = Take(text);
    }
    BOOL enabled = TRUE;
    BOOL checked = FALSE;
    item->get_IsEnabled(&enabled);
    item->get_IsChecked(&checked);
    UINT flags = MF_STRING;
    if (!enabled || fate == browser::MenuItemFate::Greyed) flags |= MF_GRAYED;
    if (checked) flags |= MF_CHECKED;
    if (separator_due) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    separator_due = false;
    if (kind == COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_SUBMENU) {
      ComPtr<ICoreWebView2ContextMenuItemCollection> children;
      item->get_Children(children.Out());
      HMENU sub = CreatePopupMenu();
      Fill(sub, children.get(), back, forward, commands);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), label.c_str());
      continue;
    }
    INT32 command = 0;
    if (FAILED(item->get_CommandId(&command))) continue;
    commands.push_back(command);
    AppendMenuW(menu, flags, commands.size(), label.c_str());
  }
}

}  // namespace

std::optional<INT32> ChooseFromMenu(HWND owner, POINT screen, ICoreWebView2ContextMenuItemCollection* items,
                                    bool can_go_back, bool can_go_forward) {
  Menu menu(CreatePopupMenu());
  std::vector<INT32> commands;
  Fill(menu.get(), items, can_go_back, can_go_forward, commands);
  if (commands.empty()) return std::nullopt;
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                       screen.x, screen.y, 0, owner, nullptr));
  if (chosen == 0 || chosen > commands.size()) return std::nullopt;
  return commands[chosen - 1];
}

}  // namespace platform::win32
