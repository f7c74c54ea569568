// alert, confirm, prompt and "leave this page?" from a page
// (ScriptDialogOpening): the engine's own dialogs are off, and each one is
// answered through its deferral once the user has answered a message box
// of ours, shown from the message loop, one at a time, over the control's
// top-level window. The page's script waits until then.
// A page that opens one dialog the moment the last one is answered, again
// and again, would hold the user for good: the tenth dialog in a row that
// comes right after the one before is not shown, and `flooded` asks for the
// page to be stopped. That dialog is held unanswered, so that its script
// runs no more until the page is stopped.
// A page's "leave this page?" answered Cancel is final: `stayed` drops the
// command that would have left it.
// prompt gets a box with a field (prompt_box.h): OK hands the page the text
// typed, anything else gives the script's prompt() null.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/browser/flood_limit.h"
#include "platform/browser/scheduler.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/webview2/webview2_sdk.h"

namespace platform::win32 {

class ScriptDialogs {
 public:
  // `owner` gives the window the boxes belong to, when they are shown.
  ScriptDialogs(browser::Scheduler& scheduler, std::function<HWND()> owner, std::function<void()> flooded,
                std::function<void()> stayed);
  ~ScriptDialogs();
  ScriptDialogs(const ScriptDialogs&) = delete;
  ScriptDialogs& operator=(const ScriptDialogs&) = delete;

  // The engine's event: the dialog is taken over (its deferral), not answered here.
  HRESULT Opening(ICoreWebView2ScriptDialogOpeningEventArgs* args);
  // Answers every dialog Cancel, the one shown included (its box, still
  // open, answers nothing more).
  void CloseAll();
  bool AnyOpen() const noexcept { return !waiting_.empty(); }

 private:
  struct Dialog {
    unsigned serial = 0;
    ComPtr<ICoreWebView2ScriptDialogOpeningEventArgs> args;
    ComPtr<ICoreWebView2Deferral> deferral;
    COREWEBVIEW2_SCRIPT_DIALOG_KIND kind = COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT;
    std::wstring text;
    std::wstring default_text;  // prompt
    std::wstring typed;         // prompt, answered OK
  };
  void ShowNext();
  void Answer(Dialog& dialog, bool ok);

  browser::Scheduler& scheduler_;
  std::function<HWND()> owner_;
  std::function<void()> flooded_;
  std::function<void()> stayed_;
  // Dialogs not yet answered, in the order they came; the front one's box
  // is open while `showing_`.
  std::deque<Dialog> waiting_;
  bool showing_ = false;
  unsigned next_serial_ = 1;
  std::unique_ptr<browser::Timer> show_;
  // When the last dialog was answered (µs), and the run of rapid ones.
  std::int64_t last_answered_ = 0;
  browser::RapidRun rapid_{browser::kRapidDialogsAllowed, browser::kRapidDialogGapUs};
  // The deferral a flooding page waits in.
  ComPtr<ICoreWebView2Deferral> held_;
  // A box's loop may outlive this object.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform::win32
