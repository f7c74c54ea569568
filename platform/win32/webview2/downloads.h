// A page's download (DownloadStarting): the user chooses where it goes in
// the save dialog, shown from the message loop, one at a time; the event's
// deferral holds the engine until then. Cancelling the dialog cancels the
// download (and the ones waiting behind it: no to one of a batch is no to
// the batch). A page that starts download after download by itself is
// refused without a word beyond a few in a row (browser::DownloadTurns).
// The engine writes the file under a temporary name of its own and gives it
// the chosen name once complete. One for every control of the program, so
// that downloads take turns across its windows.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/browser/download_turns.h"
#include "platform/browser/scheduler.h"
#include "platform/win32/win32_scheduler.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/webview2/webview2_sdk.h"

namespace platform::win32 {

class Downloads {
 public:
  Downloads();
  ~Downloads();  // cancels the downloads still waiting
  Downloads(const Downloads&) = delete;
  Downloads& operator=(const Downloads&) = delete;

  // A download of `view`'s page; its save dialog is owned by `owner`'s window.
  HRESULT Starting(ICoreWebView2DownloadStartingEventArgs* args, const void* view, std::function<HWND()> owner);
  // `view` goes: its downloads still waiting for a destination are cancelled.
  void CancelWaiting(const void* view);
  // Downloads given a destination that have not yet completed or stopped:
  // the end of the program cancels them, and the exit question says so.
  int UnderWay() const noexcept { return static_cast<int>(under_way_.size()); }

 private:
  struct Waiting {
    ComPtr<ICoreWebView2DownloadStartingEventArgs> args;
    ComPtr<ICoreWebView2Deferral> deferral;
    std::function<HWND()> owner;
  };
  void AskNext();
  // Counts the download as under way until its state changes from in progress.
  void Follow(ICoreWebView2DownloadStartingEventArgs* args);
  // Gives the engine its answer: `path`, or cancelled when empty.
  void Answer(browser::DownloadTurns::Id id, const std::wstring& path);

  Win32Scheduler scheduler_;
  browser::DownloadTurns turns_;
  std::map<browser::DownloadTurns::Id, Waiting> waiting_;
  struct UnderWayDownload {
    ComPtr<ICoreWebView2DownloadOperation> operation;
    EventRegistrationToken state_changed{};
  };
  std::map<ICoreWebView2DownloadOperation*, UnderWayDownload> under_way_;
  std::unique_ptr<browser::Timer> ask_;
  bool asking_ = false;  // the dialog's loop runs
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform::win32
