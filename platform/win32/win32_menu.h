// A form's menu bar: titles with their drop-downs, items and separators
// ("-"), "&" marking the access keys as Windows menus do. Items carry
// command ids from kFirstMenuId on, in the order of the design.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/win32/gdi_object.h"

namespace platform::win32 {

inline constexpr UINT kFirstMenuId = 0x8000;

class MenuBar {
 public:
  explicit MenuBar(const std::vector<MenuItemDesign>& items);
  // The menu, to attach to a window, which then destroys it with itself.
  HMENU Release() noexcept { return menu_.release(); }
  // The name of the item with command id `id`.
  std::optional<std::string> NameOf(UINT id) const;

 private:
  MenuHandle menu_;
  std::vector<std::string> names_;
};

}  // namespace platform::win32
