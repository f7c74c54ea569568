// Downloads take turns at the save dialog: one dialog at a time, the others
// wait in the order they came. A page that starts download after download
// by itself (hidden frames, one every moment) would keep a dialog in front
// of the user for good: beyond a few in a row, each coming while the last
// is still asked about or soon after it was answered, downloads are refused
// without a word until the page has been quiet for a while.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace platform::browser {

// Where a download is written while it runs: a hidden name beside its
// destination, which it takes only once it is complete.
std::string PartialPath(const std::string& destination);

class DownloadTurns {
 public:
  // The backend's own download, and the view it came from.
  using Id = const void*;
  using Owner = const void*;

  // A download asks where it goes, at `now` (µs): false when it is one too
  // many in a row (the backend cancels it); otherwise it waits its turn.
  bool Arrive(Id download, Owner view, std::int64_t now);
  // The download to ask about now, if the dialog is free; it holds the
  // dialog until Answered.
  std::optional<Id> NextToAsk();
  // The user answered about the download asked. Declined: no to one of a
  // batch is no to the batch, and every download waiting is returned to be
  // cancelled (the asked one first).
  std::vector<Id> Answered(bool chosen, std::int64_t now);
  // The view's window goes: its waiting downloads are returned to be
  // cancelled; `dialog_closes` when the one asked about is among them.
  struct Withdrawal {
    std::vector<Id> cancelled;
    bool dialog_closes = false;
  };
  Withdrawal WithdrawFor(Owner view);
  // The download ended by itself: it no longer waits. True when it was the
  // one asked about (its dialog closes).
  bool Forget(Id download);
  bool Asking() const noexcept { return asking_; }

 private:
  struct Waiting {
    Id download;
    Owner view;
  };
  std::deque<Waiting> waiting_;  // the front is asked about while asking_
  bool asking_ = false;
  std::int64_t last_activity_ = 0;
  int in_a_row_ = 0;
};

}  // namespace platform::browser
