#include "platform/win32/webview2/downloads.h"

#include <commdlg.h>

#include <vector>

#include "platform/texts.h"
#include "platform/win32/utf16.h"
#include "platform/win32/webview2/com_handler.h"

namespace platform::win32 {

Downloads::Downloads() = default;

Downloads::~Downloads() {
  *alive_ = false;
  ask_.reset();
  while (!waiting_.empty()) Answer(waiting_.begin()->first, L"");
  for (auto& [key, download] : under_way_) download.operation->remove_StateChanged(download.state_changed);
}

void Downloads::Follow(ICoreWebView2DownloadStartingEventArgs* args) {
  ComPtr<ICoreWebView2DownloadOperation> operation;
  if (FAILED(args->get_DownloadOperation(operation.Out())) || !operation) return;
  std::weak_ptr<bool> alive = alive_;
  ICoreWebView2DownloadOperation* key = operation.get();
  auto changed = MakeHandler<ICoreWebView2StateChangedEventHandler>(
      IID_ICoreWebView2StateChangedEventHandler,
      [this, alive, key](ICoreWebView2DownloadOperation* sender, IUnknown*) -> HRESULT {
        if (alive.expired() || !*alive.lock()) return S_OK;
        COREWEBVIEW2_DOWNLOAD_STATE state = COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS;
        if (sender != nullptr) sender->get_State(&state);
        // Completed or interrupted; a paused one is still under way.
        if (state != COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS) under_way_.erase(key);
        return S_OK;
      });
  UnderWayDownload download{operation, {}};
  if (FAILED(operation->add_StateChanged(changed.get(), &download.state_changed))) return;
  under_way_[key] = std::move(download);
}

void Downloads::CancelWaiting(const void* view) {
  for (const void* going : turns_.WithdrawFor(view).cancelled) Answer(going, L"");
  if (!asking_ && !waiting_.empty() && !ask_) ask_ = scheduler_.After(0, [this] { AskNext(); });
}

HRESULT Downloads::Starting(ICoreWebView2DownloadStartingEventArgs* args, const void* view,
                            std::function<HWND()> owner) {
  ComPtr<ICoreWebView2Deferral> deferral;
  if (FAILED(args->GetDeferral(deferral.Out())) || !deferral) {
    args->put_Cancel(TRUE);  // no way to ask the user
    return S_OK;
  }
  const browser::DownloadTurns::Id id = args;
  if (!turns_.Arrive(id, view, scheduler_.Now())) {
    args->put_Cancel(TRUE);
    deferral->Complete();
    return S_OK;
  }
  waiting_[id] =
      Waiting{ComPtr<ICoreWebView2DownloadStartingEventArgs>::Retain(args), std::move(deferral), std::move(owner)};
  if (!asking_ && !ask_) ask_ = scheduler_.After(0, [this] { AskNext(); });
  return S_OK;
}

void Downloads::AskNext() {
  ask_.reset();
  if (asking_) return;
  const auto next = turns_.NextToAsk();
  if (!next) return;
  const auto found = waiting_.find(*next);
  if (found == waiting_.end()) return;
  // The engine's own choice: its download folder and the server's name.
  LPWSTR suggested = nullptr;
  found->second.args->get_ResultFilePath(&suggested);
  std::wstring path = suggested ? suggested : L"";
  CoTaskMemFree(suggested);
  std::wstring folder;
  if (const auto slash = path.find_last_of(L"\\/"); slash != std::wstring::npos) {
    folder = path.substr(0, slash);
    path = path.substr(slash + 1);
  }
  std::vector<wchar_t> file(MAX_PATH * 4, L'\0');
  path.copy(file.data(), file.size() - 1);
  const std::wstring title = ::win32::Widen(texts::kSaveFile);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = found->second.owner ? found->second.owner() : nullptr;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  asking_ = true;
  std::weak_ptr<bool> alive = alive_;
  // Its own loop, in which this object may go (and then cancelled the download).
  const bool chosen = GetSaveFileNameW(&dialog) != 0;
  if (alive.expired() || !*alive.lock()) return;
  asking_ = false;
  const browser::DownloadTurns::Id asked = *next;
  // Cancelled meanwhile (its control went): nothing to answer for it, but
  // other windows' downloads may wait.
  if (waiting_.count(asked) == 0) {
    if (!ask_) ask_ = scheduler_.After(0, [this] { AskNext(); });
    return;
  }
  const std::vector<browser::DownloadTurns::Id> declined = turns_.Answered(chosen, scheduler_.Now());
  if (chosen) Answer(asked, file.data());
  for (const void* going : declined) Answer(going, L"");
  if (!ask_) ask_ = scheduler_.After(0, [this] { AskNext(); });
}

void Downloads::Answer(browser::DownloadTurns::Id id, const std::wstring& path) {
  const auto found = waiting_.find(id);
  if (found == waiting_.end()) return;
  Waiting done = std::move(found->second);
  waiting_.erase(found);
  if (path.empty()) {
    done.args->put_Cancel(TRUE);
  } else {
    done.args->put_ResultFilePath(path.c_str());
    Follow(done.args.get());
  }
  done.deferral->Complete();
}

}  // namespace platform::win32
