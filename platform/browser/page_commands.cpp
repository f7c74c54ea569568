#include "platform/browser/page_commands.h"

#include "platform/texts.h"

namespace platform::browser {

std::optional<PageCommand> CommandFor(const KeyChord& chord) {
  const bool plain = !chord.ctrl && !chord.alt && !chord.shift && !chord.super;
  if (plain && chord.key == PageKey::F5) return PageCommand::Reload;
  if (chord.alt && !chord.ctrl && !chord.shift && !chord.super) {
    if (chord.key == PageKey::Left) return PageCommand::Back;
    if (chord.key == PageKey::Right) return PageCommand::Forward;
    return std::nullopt;
  }
  if (!chord.ctrl || chord.alt || chord.super) return std::nullopt;
  switch (chord.key) {
    case PageKey::R: return PageCommand::Reload;
    case PageKey::P: return PageCommand::Print;
    case PageKey::F: return PageCommand::Find;
    case PageKey::Plus:
    case PageKey::Equals: return PageCommand::ZoomIn;
    case PageKey::Minus: return PageCommand::ZoomOut;
    case PageKey::Zero: return PageCommand::ZoomReset;
    default: return std::nullopt;
  }
}

MenuItemFate FateOf(MenuAction action, bool loading, bool can_go_back, bool can_go_forward) {
  switch (action) {
    case MenuAction::Inspect: return MenuItemFate::Removed;
    case MenuAction::Stop: return loading ? MenuItemFate::Keep : MenuItemFate::Removed;
    case MenuAction::Back: return can_go_back ? MenuItemFate::Keep : MenuItemFate::Greyed;
    case MenuAction::Forward: return can_go_forward ? MenuItemFate::Keep : MenuItemFate::Greyed;
    default: return MenuItemFate::Keep;
  }
}

const char* LabelOf(MenuAction action) {
  switch (action) {
    case MenuAction::OpenLink: return texts::kOpenLink;
    case MenuAction::OpenLinkInNewWindow: return texts::kOpenLinkInNewWindow;
    case MenuAction::SaveLinkAs: return texts::kSaveLinkAs;
    case MenuAction::CopyLinkAddress: return texts::kCopyLinkAddress;
    case MenuAction::OpenImageInNewWindow: return texts::kOpenImageInNewWindow;
    case MenuAction::SaveImageAs: return texts::kSaveImageAs;
    case MenuAction::CopyImage: return texts::kCopyImage;
    case MenuAction::CopyImageAddress: return texts::kCopyImageAddress;
    case MenuAction::OpenFrameInNewWindow: return texts::kOpenFrameInNewWindow;
    case MenuAction::Back: return texts::kBack;
    case MenuAction::Forward: return texts::kForward;
    case MenuAction::Stop: return texts::kStop;
    case MenuAction::Reload: return texts::kReload;
    case MenuAction::Copy: return texts::kCopy;
    case MenuAction::Cut: return texts::kCut;
    case MenuAction::Paste: return texts::kPaste;
    case MenuAction::PasteAsPlainText: return texts::kPasteAsPlainText;
    case MenuAction::Delete: return texts::kDelete;
    case MenuAction::SelectAll: return texts::kSelectAll;
    case MenuAction::InsertEmoji: return texts::kInsertEmoji;
    case MenuAction::Inspect:
    case MenuAction::Other: break;
  }
  return nullptr;
}

}  // namespace platform::browser
