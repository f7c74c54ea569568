#include "platform/win32/win32_menu.h"

#include <map>

#include "platform/win32/utf16.h"

namespace platform::win32 {

MenuBar::MenuBar(const std::vector<MenuItemDesign>& items) : menu_(::CreateMenu()) {
  std::map<std::string, HMENU> drop_downs;
  for (const MenuItemDesign& item : items) {
    const std::wstring caption = ::win32::Widen(item.caption);
    if (item.parent.empty()) {
      HMENU drop_down = ::CreatePopupMenu();
      ::AppendMenuW(menu_.get(), MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(drop_down),
                    caption.c_str());
      drop_downs[item.name] = drop_down;
      continue;
    }
    auto found = drop_downs.find(item.parent);
    if (found == drop_downs.end()) continue;
    if (item.caption == "-") {
      ::AppendMenuW(found->second, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT id = kFirstMenuId + static_cast<UINT>(names_.size());
    names_.push_back(item.name);
    ::AppendMenuW(found->second, MF_STRING, id, caption.c_str());
  }
}

std::optional<std::string> MenuBar::NameOf(UINT id) const {
  if (id < kFirstMenuId || id - kFirstMenuId >= names_.size()) return std::nullopt;
  return names_[id - kFirstMenuId];
}

}  // namespace platform::win32
