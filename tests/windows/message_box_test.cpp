// The toolkit's message boxes on Windows, answered by the BoxResponder.
#include <string>
#include <windows.h>

#include "app/app_info.h"
#include "platform/form_runtime.h"
#include "platform/win32/utf16.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_toolkit.h"
#include "tests/windows/box_responder.h"
#include "tests/windows/check.h"

namespace {

using wintest::Answer;

const std::string kPrompt = "确定要退出吗？\n第二行";

struct Outcome {
  int answer;
  wintest::SeenBox box;
  std::size_t boxes;
};

Outcome Ask(int buttons, Answer answer, const std::string& title = "Varnock") {
  platform::Win32Toolkit toolkit;
  wintest::BoxResponder responder(answer);
  const int result = toolkit.MsgBox(kPrompt, buttons, title, nullptr);
  const auto seen = responder.Seen();
  return {result, seen.empty() ? wintest::SeenBox{} : seen[0], seen.size()};
}

void CheckBox(const Outcome& outcome, bool with_cancel, const std::string& title = "Varnock") {
  CHECK_EQ(outcome.boxes, 1u);
  CHECK_EQ(outcome.box.caption, win32::Widen(title));
  CHECK_EQ(outcome.box.text, win32::Widen(kPrompt));
  CHECK(outcome.box.ok_shown);
  CHECK_EQ(outcome.box.cancel_shown, with_cancel);
  CHECK(!outcome.box.icon_shown);
  CHECK_EQ(outcome.box.default_button, IDOK);
}

TEST_CASE(msgbox_ok_only_answers_ok_whatever_closed_it) {
  for (Answer answer : {Answer::Ok, Answer::Cancel, Answer::Close}) {
    const Outcome outcome = Ask(platform::vbOKOnly, answer);
    CheckBox(outcome, false);
    CHECK_EQ(outcome.answer, platform::vbOK);
  }
}

TEST_CASE(msgbox_ok_cancel_answers_ok_or_cancel) {
  const Outcome ok = Ask(platform::vbOKCancel, Answer::Ok);
  CheckBox(ok, true);
  CHECK_EQ(ok.answer, platform::vbOK);
  const Outcome cancel = Ask(platform::vbOKCancel, Answer::Cancel);
  CheckBox(cancel, true);
  CHECK_EQ(cancel.answer, platform::vbCancel);
  const Outcome closed = Ask(platform::vbOKCancel, Answer::Close);
  CheckBox(closed, true);
  CHECK_EQ(closed.answer, platform::vbCancel);
}

TEST_CASE(msgbox_caption_is_the_title_passed) {
  const std::string title = "关于 Varnock";
  const Outcome outcome = Ask(platform::vbOKOnly, Answer::Ok, title);
  CheckBox(outcome, false, title);
}

TEST_CASE(msgbox_of_the_form_runtime_is_captioned_with_the_application_title) {
  platform::Win32Toolkit toolkit;
  platform::Win32System system;
  platform::FormRuntime runtime(toolkit, system, app::kTitle);
  wintest::BoxResponder responder(Answer::Cancel);
  CHECK_EQ(runtime.MsgBox(kPrompt, platform::vbOKCancel), platform::vbCancel);
  const auto seen = responder.Seen();
  REQUIRE(seen.size() == 1u);
  CHECK_EQ(seen[0].caption, win32::Widen(app::kTitle));
  CHECK_EQ(seen[0].text, win32::Widen(kPrompt));
}

}  // namespace
