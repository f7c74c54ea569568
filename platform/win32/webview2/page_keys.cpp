#include "platform/win32/webview2/page_keys.h"

namespace platform::win32 {
namespace {

browser::PageKey KeyOf(UINT virtual_key) {
  using browser::PageKey;
  switch (virtual_key) {
    case VK_F5: return PageKey::F5;
    case VK_LEFT: return PageKey::Left;
    case VK_RIGHT: return PageKey::Right;
    case 'R': return PageKey::R;
    case 'P': return PageKey::P;
    case 'F': return PageKey::F;
    case VK_ADD: return PageKey::Plus;
    // The "=+" key of US and Chinese layouts.
    case VK_OEM_PLUS: return PageKey::Equals;
    case VK_OEM_MINUS:
    case VK_SUBTRACT: return PageKey::Minus;
    case '0':
    case VK_NUMPAD0: return PageKey::Zero;
    default: return PageKey::Other;
  }
}

bool Held(int virtual_key) { return (GetKeyState(virtual_key) & 0x8000) != 0; }

}  // namespace

browser::KeyChord ChordOf(UINT virtual_key) {
  return browser::KeyChord{KeyOf(virtual_key), Held(VK_CONTROL), Held(VK_MENU), Held(VK_SHIFT),
                           Held(VK_LWIN) || Held(VK_RWIN)};
}

}  // namespace platform::win32
