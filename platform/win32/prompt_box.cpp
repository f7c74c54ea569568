#include "platform/win32/prompt_box.h"

#include <algorithm>
#include <vector>

#include "platform/win32/dpi.h"
#include "platform/win32/gdi_object.h"

namespace platform::win32 {
namespace {

// The predefined classes a dialog template names by atom.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kBoxExStyle = WS_EX_DLGMODALFRAME;

// Sizes at 96 DPI, as Windows lays out its own boxes: 11 px margins, 7 px
// between controls, 75 × 23 px buttons.
constexpr int kMargin = 11;
constexpr int kGap = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kTextWidth = 340;

// An in-memory DLGTEMPLATE and its items, each on a DWORD boundary. No
// font in it: the box sets the message font itself, at its DPI.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, DWORD ex_style, WORD items) {
    const DLGTEMPLATE header{style, ex_style, items, 0, 0, 0, 0};
    Append(&header, sizeof header);
    words_.insert(words_.end(), {0, 0, 0});  // no menu, the dialog class, no title
  }
  // Controls come in tab order: each is placed once the box knows its sizes.
  void Add(DWORD style, DWORD ex_style, WORD id, WORD class_atom) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    const DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, ex_style, 0, 0, 0, 0, id};
    Append(&item, sizeof item);
    words_.insert(words_.end(), {0xFFFF, class_atom, 0, 0});  // class, no text, no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Append(const void* data, std::size_t size) {
    const auto* words = static_cast<const WORD*>(data);
    words_.insert(words_.end(), words, words + size / sizeof(WORD));
  }
  std::vector<WORD> words_;
};

struct Box {
  const PromptBoxTexts* texts = nullptr;
  UINT dpi = kDefaultDpi;
  FontHandle font;
  std::optional<std::wstring> typed;
};

int Scaled(int pixels, UINT dpi) { return ::MulDiv(pixels, static_cast<int>(dpi), 96); }

// Sizes the box for its DPI and message, and places it over its owner (or
// in the middle of the screen) within the work area.
void Layout(HWND dialog, Box& box, bool place) {
  const UINT dpi = box.dpi;
  LOGFONTW logical = MessageFontAt(dpi);
  box.font.reset(::CreateFontIndirectW(&logical));
  HWND message = ::GetDlgItem(dialog, kPromptMessageId);
  HWND field = ::GetDlgItem(dialog, kPromptFieldId);
  HWND ok = ::GetDlgItem(dialog, IDOK);
  HWND cancel = ::GetDlgItem(dialog, IDCANCEL);
  for (HWND control : {message, field, ok, cancel}) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(box.font.get()), FALSE);
  }

  HMONITOR monitor = ::MonitorFromWindow(::GetWindow(dialog, GW_OWNER), MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO screen{sizeof screen, {}, {}, 0};
  ::GetMonitorInfoW(monitor, &screen);
  const RECT work = screen.rcWork;

  const int margin = Scaled(kMargin, dpi);
  const int gap = Scaled(kGap, dpi);
  const int width = Scaled(kTextWidth, dpi);
  // The message wraps at the box's width; a page's very long one is cut
  // so that the field and the buttons stay on the screen.
  RECT text{0, 0, width, 0};
  TEXTMETRICW metrics{};
  if (HDC dc = ::GetDC(message)) {
    HGDIOBJ previous = ::SelectObject(dc, box.font.get());
    ::GetTextMetricsW(dc, &metrics);
    const std::wstring& words = box.texts->message;
    if (!words.empty()) {
      ::DrawTextW(dc, words.c_str(), static_cast<int>(words.size()), &text,
                  DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(message, dc);
  }
  const int line = metrics.tmHeight > 0 ? metrics.tmHeight : Scaled(16, dpi);
  const int message_height = std::min<int>(std::max<int>(text.bottom, line), (work.bottom - work.top) * 3 / 5);
  const int field_height = std::max(Scaled(kButtonHeight, dpi), line + Scaled(8, dpi));
  const int button_width = Scaled(kButtonWidth, dpi);
  const int button_height = std::max(Scaled(kButtonHeight, dpi), line + Scaled(8, dpi));

  int y = margin;
  ::MoveWindow(message, margin, y, width, message_height, FALSE);
  y += message_height + gap;
  ::MoveWindow(field, margin, y, width, field_height, FALSE);
  y += field_height + margin;
  ::MoveWindow(cancel, margin + width - button_width, y, button_width, button_height, FALSE);
  ::MoveWindow(ok, margin + width - 2 * button_width - gap, y, button_width, button_height, FALSE);
  y += button_height + margin;

  const RECT outer = OuterFromClient(RECT{0, 0, width + 2 * margin, y}, kBoxStyle, kBoxExStyle, false, dpi);
  const int outer_width = outer.right - outer.left;
  const int outer_height = outer.bottom - outer.top;
  RECT current{};
  ::GetWindowRect(dialog, &current);
  int left = current.left;
  int top = current.top;
  if (place) {
    RECT over = work;
    if (HWND owner = ::GetWindow(dialog, GW_OWNER); owner != nullptr && ::IsWindowVisible(owner)) {
      ::GetWindowRect(owner, &over);
    }
    left = over.left + ((over.right - over.left) - outer_width) / 2;
    top = over.top + ((over.bottom - over.top) - outer_height) / 2;
  }
  left = std::max<int>(work.left, std::min<int>(left, work.right - outer_width));
  top = std::max<int>(work.top, std::min<int>(top, work.bottom - outer_height));
  ::SetWindowPos(dialog, nullptr, left, top, outer_width, outer_height, SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(dialog, nullptr, TRUE);
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* box = reinterpret_cast<Box*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      box = reinterpret_cast<Box*>(lparam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      const PromptBoxTexts& texts = *box->texts;
      ::SetWindowTextW(dialog, texts.title.c_str());
      ::SetDlgItemTextW(dialog, kPromptMessageId, texts.message.c_str());
      ::SetDlgItemTextW(dialog, kPromptFieldId, texts.default_text.c_str());
      ::SetDlgItemTextW(dialog, IDOK, texts.ok.c_str());
      ::SetDlgItemTextW(dialog, IDCANCEL, texts.cancel.c_str());
      Layout(dialog, *box, true);
      // The default text selected, so that typing replaces it.
      HWND field = ::GetDlgItem(dialog, kPromptFieldId);
      ::SetFocus(field);
      ::SendMessageW(field, EM_SETSEL, 0, -1);
      return FALSE;  // the focus is set
    }
    case WM_DPICHANGED:
      if (box != nullptr) {
        box->dpi = HIWORD(wparam);
        const auto* suggested = reinterpret_cast<const RECT*>(lparam);
        ::SetWindowPos(dialog, nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
        Layout(dialog, *box, false);
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK && box != nullptr) {
        HWND field = ::GetDlgItem(dialog, kPromptFieldId);
        std::wstring typed(static_cast<std::size_t>(::GetWindowTextLengthW(field)) + 1, L'\0');
        typed.resize(static_cast<std::size_t>(::GetWindowTextW(field, typed.data(), static_cast<int>(typed.size()))));
        box->typed = std::move(typed);
        ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      ::EndDialog(dialog, IDCANCEL);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

std::optional<std::wstring> ShowPromptBox(HWND owner, const PromptBoxTexts& texts) {
  DialogTemplate layout(kBoxStyle, kBoxExStyle, 4);
  // The message first: it names the field that follows it.
  layout.Add(SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, kPromptMessageId, kStaticClass);
  layout.Add(ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE, kPromptFieldId, kEditClass);
  layout.Add(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, IDOK, kButtonClass);
  layout.Add(BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL, kButtonClass);

  Box box;
  box.texts = &texts;
  box.dpi = owner != nullptr ? DpiOfWindow(owner) : SystemDpi();
  // Runs a loop of its own until the box is answered or ended.
  const INT_PTR answer = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), layout.Get(), owner, BoxProc,
                                                   reinterpret_cast<LPARAM>(&box));
  if (answer != IDOK) return std::nullopt;
  return std::move(box.typed);
}

}  // namespace platform::win32
