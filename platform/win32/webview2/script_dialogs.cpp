#include "platform/win32/webview2/script_dialogs.h"

#include <algorithm>
#include <utility>

#include "platform/texts.h"
#include "platform/win32/prompt_box.h"
#include "platform/win32/utf16.h"

namespace platform::win32 {

ScriptDialogs::ScriptDialogs(browser::Scheduler& scheduler, std::function<HWND()> owner,
                             std::function<void()> flooded, std::function<void()> stayed)
    : scheduler_(scheduler), owner_(std::move(owner)), flooded_(std::move(flooded)), stayed_(std::move(stayed)) {}

ScriptDialogs::~ScriptDialogs() {
  *alive_ = false;
  CloseAll();
}

void ScriptDialogs::CloseAll() {
  show_.reset();
  while (!waiting_.empty()) Answer(waiting_.front(), false);
  if (held_) std::exchange(held_, nullptr)->Complete();
}

HRESULT ScriptDialogs::Opening(ICoreWebView2ScriptDialogOpeningEventArgs* args) {
  ComPtr<ICoreWebView2Deferral> deferral;
  if (FAILED(args->GetDeferral(deferral.Out())) || !deferral) return S_OK;  // answered Cancel as it returns
  // One dialog open while another comes is no run: the page is not waiting
  // for answers to come back quickly.
  if (rapid_.TooMany(scheduler_.Now(), waiting_.empty() ? last_answered_ : 0)) {
    last_answered_ = 0;
    if (held_) {
      deferral->Complete();
    } else {
      held_ = std::move(deferral);
    }
    if (flooded_) flooded_();
    return S_OK;
  }
  Dialog dialog;
  dialog.serial = next_serial_++;
  dialog.args = ComPtr<ICoreWebView2ScriptDialogOpeningEventArgs>::Retain(args);
  dialog.deferral = std::move(deferral);
  args->get_Kind(&dialog.kind);
  if (dialog.kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD) {
    // The page's own text is not shown (the engine gives none).
    dialog.text = ::win32::Widen(texts::kLeavePage);
  } else {
    LPWSTR message = nullptr;
    if (SUCCEEDED(args->get_Message(&message)) && message != nullptr) dialog.text = message;
    CoTaskMemFree(message);
  }
  if (dialog.kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT) {
    LPWSTR initial = nullptr;
    if (SUCCEEDED(args->get_DefaultText(&initial)) && initial != nullptr) dialog.default_text = initial;
    CoTaskMemFree(initial);
  }
  waiting_.push_back(std::move(dialog));
  if (!showing_ && !show_) show_ = scheduler_.After(0, [this] { ShowNext(); });
  return S_OK;
}

void ScriptDialogs::ShowNext() {
  show_.reset();
  if (showing_ || waiting_.empty()) return;
  Dialog& dialog = waiting_.front();
  const unsigned serial = dialog.serial;
  const bool prompt = dialog.kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT;
  const UINT buttons = dialog.kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT ? MB_OK : MB_OKCANCEL;
  // Copies: the dialog may be answered and gone once the box returns.
  PromptBoxTexts box{::win32::Widen(texts::kPageDialogTitle), dialog.text, dialog.default_text,
                       ::win32::Widen(texts::kOk), ::win32::Widen(texts::kCancel)};
  HWND owner = owner_ ? owner_() : nullptr;
  showing_ = true;
  std::weak_ptr<bool> alive = alive_;
  // Either box runs a loop of its own, in which this object may go.
  std::optional<std::wstring> typed;
  int answer = IDCANCEL;
  if (prompt) {
    typed = ShowPromptBox(owner, box);
  } else {
    answer = MessageBoxW(owner, box.message.c_str(), box.title.c_str(), buttons | MB_DEFBUTTON1);
  }
  if (alive.expired() || !*alive.lock()) return;
  showing_ = false;
  const bool ok = prompt ? typed.has_value() : answer == IDOK;
  // CloseAll may have answered it while the box was open.
  auto found = std::find_if(waiting_.begin(), waiting_.end(), [serial](const Dialog& d) { return d.serial == serial; });
  if (found != waiting_.end()) {
    if (typed) found->typed = std::move(*typed);
    Answer(*found, ok);
  }
  if (!waiting_.empty() && !show_) show_ = scheduler_.After(0, [this] { ShowNext(); });
}

void ScriptDialogs::Answer(Dialog& dialog, bool ok) {
  // Taken out first: what follows may bring more dialogs.
  auto it = std::find_if(waiting_.begin(), waiting_.end(), [&](const Dialog& d) { return d.serial == dialog.serial; });
  Dialog done = std::move(*it);
  waiting_.erase(it);
  last_answered_ = scheduler_.Now();
  if (ok && done.kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT) done.args->put_ResultText(done.typed.c_str());
  if (ok) done.args->Accept();
  done.deferral->Complete();
  if (!ok && done.kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD && stayed_ && *alive_) stayed_();
}

}  // namespace platform::win32
