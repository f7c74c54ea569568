// Answers the message boxes of this process from a thread of its own, as a
// user would, and keeps what each box showed. Every dialog box of the
// process is answered, whatever its caption, so that a wrong box ends in a
// failed check rather than a test that hangs.
#pragma once

#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  bool ok_shown = false;
  bool cancel_shown = false;
  bool icon_shown = false;
  int default_button = 0;  // the control id, 0 when there is none
};

enum class Answer { Ok, Cancel, Close };

class BoxResponder {
 public:
  explicit BoxResponder(Answer answer = Answer::Ok);
  ~BoxResponder();  // stops the thread and waits for it
  BoxResponder(const BoxResponder&) = delete;
  BoxResponder& operator=(const BoxResponder&) = delete;

  std::vector<SeenBox> Seen() const;

 private:
  void Watch(const std::stop_token& stop);

  Answer answer_;
  mutable std::mutex mutex_;
  std::vector<SeenBox> seen_;
  std::jthread thread_;  // last: starts once the rest is ready
};

}  // namespace wintest
