// The toolkit's message loop on Windows: posted tasks, nested loops, Quit
// ending loops and message boxes, and the end of the desktop session.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/form_runtime.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_toolkit.h"
#include "tests/windows/box_responder.h"
#include "tests/windows/check.h"
#include "tests/windows/ui_driver.h"

namespace {

// The message box of this thread that is showing, if any.
HWND OpenBox() {
  for (HWND window : wintest::ThreadWindows(true)) {
    if (wintest::ClassOf(window) == L"#32770") return window;
  }
  return nullptr;
}

TEST_CASE(loop_runs_posted_tasks_in_order_after_the_current_one_also_in_nested_loops) {
  platform::Win32Toolkit toolkit;
  std::vector<std::string> ran;
  bool ran_at_once = false;
  toolkit.Post([&] {
    ran.push_back("a");
    toolkit.Post([&] { ran.push_back("c"); });
    // Posted, not run: the task that posts it is still running.
    ran_at_once = ran.back() == "c";
    // A nested loop runs what was posted before and after it.
    toolkit.RunUntil([&] { return ran.size() == 3; });
    ran.push_back("a-after-nested");
  });
  toolkit.Post([&] { ran.push_back("b"); });
  CHECK(wintest::RunUntil(toolkit, [&] { return ran.size() == 4; }));
  CHECK(!ran_at_once);
  CHECK(ran == (std::vector<std::string>{"a", "b", "c", "a-after-nested"}));
}

TEST_CASE(loop_quit_ends_nested_loops_and_every_later_one) {
  platform::Win32Toolkit toolkit;
  std::vector<std::string> ran;
  toolkit.Post([&] {
    toolkit.Post([&] {
      ran.push_back("quit");
      toolkit.Quit();
    });
    toolkit.RunUntil([] { return false; });
    ran.push_back("nested returned");
  });
  toolkit.Run();
  ran.push_back("run returned");
  CHECK(ran == (std::vector<std::string>{"quit", "nested returned", "run returned"}));
  // Once quit, a loop returns at once, and a box answers Cancel unasked.
  toolkit.RunUntil([] { return false; });
  wintest::BoxResponder responder(wintest::Answer::Ok);
  CHECK_EQ(toolkit.MsgBox("?", platform::vbOKCancel, "t", nullptr), platform::vbCancel);
  CHECK(responder.Seen().empty());
}

TEST_CASE(loop_quit_ends_an_open_message_box_unanswered) {
  platform::Win32Toolkit toolkit;
  int answer = -1;
  HWND box = nullptr;
  toolkit.Post([&] {
    // Runs from the box's own loop, once the box shows.
    toolkit.Post([&] {
      box = OpenBox();
      toolkit.Quit();
    });
    answer = toolkit.MsgBox("?", platform::vbOKOnly, "t", nullptr);
  });
  toolkit.Run();
  CHECK(box != nullptr);
  CHECK(!::IsWindow(box));
  // Even a box with only OK: it was not answered.
  CHECK_EQ(answer, platform::vbCancel);
}

TEST_CASE(loop_message_box_withdrawn_by_its_asker_goes_unanswered) {
  platform::Win32Toolkit toolkit;
  int answer = -1;
  bool withdrawn = false;
  HWND box = nullptr;
  bool returned = false;
  toolkit.Post([&] {
    toolkit.Post([&] {
      box = OpenBox();
      withdrawn = true;  // nothing else happens: the box notices by itself
    });
    answer = toolkit.MsgBox("?", platform::vbOKCancel, "t", [&] { return withdrawn; });
    returned = true;
  });
  CHECK(wintest::RunUntil(toolkit, [&] { return returned; }));
  CHECK(box != nullptr);
  CHECK(!::IsWindow(box));
  CHECK_EQ(answer, platform::vbCancel);
}

TEST_CASE(loop_end_of_session_unloads_with_mode_2_without_asking) {
  platform::Win32Toolkit toolkit;
  std::vector<int> modes;
  toolkit.system_unload = [&](int mode) { modes.push_back(mode); };
  // As the system does: every top-level window of the program is asked.
  bool agreed = true;
  for (HWND window : wintest::ThreadWindows(false)) {
    agreed = agreed && ::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) != 0;
  }
  CHECK(agreed);
  REQUIRE(!modes.empty());
  CHECK_EQ(modes.front(), platform::vbAppWindows);
  modes.clear();
  for (HWND window : wintest::ThreadWindows(false)) {
    ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  }
  REQUIRE(!modes.empty());
  CHECK_EQ(modes.front(), platform::vbAppWindows);
}

class PlainForm final : public platform::Form {
 public:
  PlainForm(platform::FormRuntime& runtime, std::vector<platform::Integer>& unloads)
      : platform::Form(runtime, Design()), unloads_(unloads) {}
  static platform::FormDesign Design() {
    platform::FormDesign d;
    d.name = "frmPlain";
    d.caption = "plain";
    d.client_width = 3000;
    d.client_height = 2000;
    return d;
  }

 protected:
  void Form_QueryUnload(platform::Integer& Cancel, platform::Integer UnloadMode) override {
    unloads_.push_back(UnloadMode);
    Cancel = 1;  // the end of the session does not ask
  }

 private:
  std::vector<platform::Integer>& unloads_;
};

TEST_CASE(loop_end_of_session_ends_the_program_and_every_window_goes) {
  platform::Win32Toolkit toolkit;
  platform::Win32System system;
  std::vector<platform::Integer> unloads;
  std::vector<HWND> shown;
  {
    platform::FormRuntime runtime(toolkit, system, "t");
    PlainForm form(runtime, unloads);
    toolkit.Post([&] {
      shown = wintest::ThreadWindows(true);
      for (HWND window : wintest::ThreadWindows(false)) {
        ::SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
      }
    });
    runtime.Run(form);  // returns once the program has ended
    CHECK(wintest::ThreadWindows(true).empty());
  }
  CHECK_EQ(shown.size(), 1u);
  CHECK(unloads == std::vector<platform::Integer>{platform::vbAppWindows});
  for (HWND window : shown) CHECK(!::IsWindow(window));
}

}  // namespace
