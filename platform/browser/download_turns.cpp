#include "platform/browser/download_turns.h"

#include "platform/browser/flood_limit.h"

namespace platform::browser {

std::string PartialPath(const std::string& destination) {
  const auto slash = destination.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
  return folder + "." + name + ".part";
}

bool DownloadTurns::Arrive(Id download, Owner view, std::int64_t now) {
  const bool in_a_row = asking_ || !waiting_.empty() ||
                        (last_activity_ != 0 && now - last_activity_ < kDownloadQuietUs);
  in_a_row_ = in_a_row ? in_a_row_ + 1 : 0;
  last_activity_ = now;
  if (in_a_row_ >= kDownloadsInARowAllowed) return false;
  waiting_.push_back({download, view});
  return true;
}

std::optional<DownloadTurns::Id> DownloadTurns::NextToAsk() {
  if (asking_ || waiting_.empty()) return std::nullopt;
  asking_ = true;
  return waiting_.front().download;
}

std::vector<DownloadTurns::Id> DownloadTurns::Answered(bool chosen, std::int64_t now) {
  std::vector<Id> cancelled;
  last_activity_ = now;
  if (!asking_ || waiting_.empty()) return cancelled;
  asking_ = false;
  const Id asked = waiting_.front().download;
  waiting_.pop_front();
  if (chosen) return cancelled;
  cancelled.push_back(asked);
  for (const Waiting& w : waiting_) cancelled.push_back(w.download);
  waiting_.clear();
  return cancelled;
}

DownloadTurns::Withdrawal DownloadTurns::WithdrawFor(Owner view) {
  Withdrawal out;
  out.dialog_closes = asking_ && !waiting_.empty() && waiting_.front().view == view;
  if (out.dialog_closes) asking_ = false;
  std::erase_if(waiting_, [&](const Waiting& w) {
    if (w.view != view) return false;
    out.cancelled.push_back(w.download);
    return true;
  });
  return out;
}

bool DownloadTurns::Forget(Id download) {
  const bool asked = asking_ && !waiting_.empty() && waiting_.front().download == download;
  if (asked) asking_ = false;
  std::erase_if(waiting_, [&](const Waiting& w) { return w.download == download; });
  return asked;
}

}  // namespace platform::browser
