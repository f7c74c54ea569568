#include "windows/main/menu_table.h"

namespace windows {

const MenuEntry* FindMenuEntry(std::string_view name) {
  for (const MenuEntry& entry : kMenuTable) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace windows
