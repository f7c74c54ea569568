// The limits that keep a page from holding the user with one thing after
// another it starts by itself: dialogs, downloads, print requests.
#pragma once

#include <cstdint>

namespace platform::browser {

// Counts how many times in a row something came within `gap` of the one
// before; the `allowed`-th such one in a row is one too many.
class RapidRun {
 public:
  RapidRun(int allowed, std::int64_t gap_us) noexcept : allowed_(allowed), gap_us_(gap_us) {}
  // Something comes at `now` (µs); `after` is when the last one ended (0:
  // none yet). True: one too many (the run starts again).
  bool TooMany(std::int64_t now, std::int64_t after) noexcept {
    const bool rapid = after != 0 && now - after < gap_us_;
    run_ = rapid ? run_ + 1 : 0;
    if (run_ < allowed_) return false;
    run_ = 0;
    return true;
  }

 private:
  int allowed_;
  std::int64_t gap_us_;
  int run_ = 0;
};

// A page's dialogs: a page may ask two or three questions in a row; the
// tenth dialog in a row that comes right after the one before is not shown.
inline constexpr int kRapidDialogsAllowed = 9;
inline constexpr std::int64_t kRapidDialogGapUs = 300'000;  // closer than a person answers and acts again

// Downloads a page starts by itself: beyond a few in a row they are refused
// until the page has been quiet for a while.
inline constexpr int kDownloadsInARowAllowed = 3;
inline constexpr std::int64_t kDownloadQuietUs = 2'000'000;

// Print requests of a page while a print dialog is open or right after it.
inline constexpr int kPrintRefusalsAllowed = 10;
inline constexpr std::int64_t kPrintQuietUs = 2'000'000;

// Windows a page may have open at once.
inline constexpr unsigned kMaxPopups = 5;

}  // namespace platform::browser
