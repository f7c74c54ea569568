// The form runtime: lifecycle of forms, event dispatch, the end of the
// program, and the error styles.
#include <gtest/gtest.h>

#include <functional>

#include "platform/errors.h"
#include "platform/form_runtime.h"
#include "tests/support/fake_toolkit.h"

namespace {

using fake::FakeToolkit;
using fake::FakeWindow;

class TestForm final : public platform::Form {
 public:
  TestForm(platform::FormRuntime& runtime, const std::string& name, std::vector<std::string>& log)
      : platform::Form(runtime, Design(name)), log_(log), name_(name) {}

  std::function<void()> on_load;
  std::function<void()> on_complete;
  std::function<void(platform::Integer&, platform::Integer)> on_query_unload;
  std::function<void(platform::Integer&)> on_unload;
  platform::Ctl<platform::Browser> WebBrowser1{this};

  void RaiseEvent(const std::function<void()>& handler) { Raise(handler); }
  // As a menu item or a button delivers a command.
  void Deliver(std::function<void()> handler) { Command(std::move(handler)); }
  void CallEnd() { End(); }
  int Ask(const std::string& prompt) { return MsgBox(prompt, platform::vbOKCancel); }

 protected:
  void CreateControls(platform::NativeWindow& window) override {
    platform::BrowserEvents events;
    events.DocumentComplete = [this](const platform::BrowserFrame&, const platform::Variant&) {
      Raise([this] {
        if (on_complete) on_complete();
      });
    };
    WebBrowser1 = window.AddBrowser({}, std::move(events));
  }
  void Form_Load() override {
    log_.push_back(name_ + ".Load");
    if (on_load) on_load();
  }
  void Form_Resize() override { log_.push_back(name_ + ".Resize"); }
  void Form_QueryUnload(platform::Integer& Cancel, platform::Integer UnloadMode) override {
    log_.push_back(name_ + ".QueryUnload " + std::to_string(UnloadMode));
    if (on_query_unload) on_query_unload(Cancel, UnloadMode);
  }
  void Form_Unload(platform::Integer& Cancel) override {
    log_.push_back(name_ + ".Unload");
    if (on_unload) on_unload(Cancel);
  }

 private:
  static platform::FormDesign Design(const std::string& name) {
    platform::FormDesign d;
    d.name = name;
    d.client_width = 3000;
    d.client_height = 2000;
    return d;
  }
  std::vector<std::string>& log_;
  std::string name_;
};

class FormRuntimeTest : public ::testing::Test {
 protected:
  FakeWindow* Window(const std::string& name) { return toolkit.Window(name); }

  FakeToolkit toolkit;
  fake::FakeSystem system;
  platform::FormRuntime runtime{toolkit, system, "Varnock"};
  std::vector<std::string> log;
  TestForm a{runtime, "A", log};
  TestForm b{runtime, "B", log};
};

TEST_F(FormRuntimeTest, AFormLoadsOnFirstShowingThenShowsAndResizes) {
  EXPECT_FALSE(a.IsLoaded());
  EXPECT_EQ(toolkit.window_count, 0) << "a form object alone has no window";
  runtime.Run(a);
  EXPECT_TRUE(a.IsLoaded());
  EXPECT_TRUE(a.Visible());
  EXPECT_EQ(log, (std::vector<std::string>{"A.Load", "A.Resize"}));
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(FormRuntimeTest, UnloadRunsBothHandlersDestroysTheWindowAndTheNextShowLoadsAfresh) {
  runtime.Run(a);
  b.Show();
  FakeWindow* first = Window("A");
  ASSERT_NE(first, nullptr);
  a.RaiseEvent([&] { a.Unload(); });
  EXPECT_FALSE(a.IsLoaded());
  EXPECT_EQ(Window("A"), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"A.Load", "A.Resize", "B.Load", "B.Resize",
                                           "A.QueryUnload 1", "A.Unload"}));
  log.clear();
  b.RaiseEvent([&] { a.Show(); });
  EXPECT_EQ(log, (std::vector<std::string>{"A.Load", "A.Resize"}));
  EXPECT_EQ(toolkit.window_count, 3);
}

TEST_F(FormRuntimeTest, UnloadingAFormThatIsNotLoadedRunsNothing) {
  runtime.Run(a);
  a.RaiseEvent([&] { b.Unload(); });
  EXPECT_FALSE(b.IsLoaded());
  EXPECT_EQ(log, (std::vector<std::string>{"A.Load", "A.Resize"}));
}

TEST_F(FormRuntimeTest, EitherHandlerCanCancelTheUnload) {
  runtime.Run(a);
  a.on_query_unload = [](platform::Integer& Cancel, platform::Integer) { Cancel = 1; };
  a.RaiseEvent([&] { a.Unload(); });
  EXPECT_TRUE(a.IsLoaded());
  EXPECT_TRUE(a.Visible());
  a.on_query_unload = nullptr;
  a.on_unload = [](platform::Integer& Cancel) { Cancel = -1; };
  a.RaiseEvent([&] { a.Unload(); });
  EXPECT_TRUE(a.IsLoaded());
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(FormRuntimeTest, ACloseFromTheFrameIsModeZeroAndTheLastFormEndsTheProgram) {
  runtime.Run(a);
  Window("A")->CloseFromFrame();
  EXPECT_EQ(log.back(), "A.Unload");
  EXPECT_NE(std::find(log.begin(), log.end(), "A.QueryUnload 0"), log.end());
  EXPECT_FALSE(a.IsLoaded());
  EXPECT_TRUE(toolkit.quit);
}

TEST_F(FormRuntimeTest, TheProgramEndsOnlyWhenTheOutermostHandlerHasReturned) {
  runtime.Run(a);
  // Unload the only form, then show another within the same handler.
  a.RaiseEvent([&] {
    a.Unload();
    EXPECT_FALSE(toolkit.quit);
    b.Show();
  });
  EXPECT_FALSE(toolkit.quit);
  EXPECT_TRUE(b.IsLoaded());
  b.RaiseEvent([&] { b.Unload(); });
  EXPECT_TRUE(toolkit.quit);
}

TEST_F(FormRuntimeTest, AHiddenFormKeepsTheProgramRunning) {
  runtime.Run(a);
  a.RaiseEvent([&] { a.Hide(); });
  EXPECT_TRUE(a.IsLoaded());
  EXPECT_FALSE(a.Visible());
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(FormRuntimeTest, TheImmediateEndSkipsEveryHandlerAndStopsTheRunningOne) {
  runtime.Run(a);
  b.Show();
  bool after_end = false;
  a.RaiseEvent([&] {
    a.CallEnd();
    after_end = true;
  });
  EXPECT_FALSE(after_end);
  EXPECT_TRUE(toolkit.quit);
  EXPECT_FALSE(a.IsLoaded());
  EXPECT_FALSE(b.IsLoaded());
  for (const auto& line : log) {
    EXPECT_EQ(line.find("Unload"), std::string::npos) << line;
  }
  // Nothing more is dispatched once the program has ended.
  bool ran = false;
  a.RaiseEvent([&] { ran = true; });
  EXPECT_FALSE(ran);
}

TEST_F(FormRuntimeTest, AWindowUnloadedByANestedCallOutlivesTheHandlerStillRunning) {
  runtime.Run(a);
  FakeWindow* window = Window("A");
  int live_during = -1;
  a.on_complete = [&] {
    // The nested call: another form's showing unloads this one.
    b.on_load = [&] { a.Unload(); };
    b.Show();
    live_during = toolkit.LiveWindows();
  };
  window->browser->CompleteTopLevel("http://example.invalid/");
  EXPECT_EQ(live_during, 2) << "the unloaded window must stay until its handler returns";
  toolkit.RunPending();
  EXPECT_EQ(toolkit.LiveWindows(), 1) << "and go once no handler runs";
  EXPECT_FALSE(a.IsLoaded());
  EXPECT_TRUE(b.IsLoaded());
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(FormRuntimeTest, EventsOfAnUnloadedWindowNoLongerReachItsForm) {
  runtime.Run(a);
  b.Show();
  int completions = 0;
  a.on_complete = [&] { ++completions; };
  a.RaiseEvent([&] {
    auto* old_browser = Window("A")->browser;
    a.Unload();
    a.Show();
    // A late event of the old browser, whose window this handler still holds.
    ASSERT_NE(old_browser, Window("A")->browser);
    old_browser->CompleteTopLevel("late");
  });
  EXPECT_EQ(completions, 0);
  Window("A")->browser->CompleteTopLevel("new");
  EXPECT_EQ(completions, 1);
}

TEST_F(FormRuntimeTest, AnErrorNoHandlerTrappedIsReportedAndTheProgramGoesOn) {
  runtime.Run(a);
  toolkit.answers.push_back({platform::vbOK, nullptr});
  bool after = false;
  a.RaiseEvent([&] {
    throw platform::RuntimeError(platform::kErrInvalidPropertyValue, "无效的属性值");
    after = true;
  });
  EXPECT_FALSE(after);
  // Raised by an event: reported once the message loop goes on, not inside it.
  EXPECT_TRUE(toolkit.msgboxes.empty());
  toolkit.RunPending();
  ASSERT_EQ(toolkit.msgboxes.size(), 1u);
  EXPECT_NE(toolkit.msgboxes[0].prompt.find("380"), std::string::npos);
  EXPECT_NE(toolkit.msgboxes[0].prompt.find("无效的属性值"), std::string::npos);
  EXPECT_EQ(toolkit.msgboxes[0].title, "Varnock");
  EXPECT_TRUE(a.IsLoaded());
  EXPECT_FALSE(toolkit.quit);
}

TEST_F(FormRuntimeTest, ACommandRunsOnlyOnceTheEmissionOrHandlerThatDeliveredItHasReturned) {
  runtime.Run(a);
  std::vector<std::string> order;
  // From inside the toolkit's own signal (an assistive tool's action arrives
  // in one).
  toolkit.Emit([&] {
    a.Deliver([&] {
      order.push_back("command");
      EXPECT_TRUE(runtime.MayWait());
    });
    order.push_back("emission over");
  });
  EXPECT_EQ(order, (std::vector<std::string>{"emission over", "command"}));

  // From inside an event handler: after it, at the loop's next turn.
  order.clear();
  a.on_complete = [&] {
    EXPECT_FALSE(runtime.MayWait());
    a.Deliver([&] { order.push_back("command"); });
    order.push_back("handler over");
  };
  Window("A")->browser->CompleteTopLevel("http://example.invalid/");
  EXPECT_EQ(order, (std::vector<std::string>{"handler over"}));
  toolkit.RunPending();
  EXPECT_EQ(order, (std::vector<std::string>{"handler over", "command"}));

  // A command of a window unloaded before it ran goes with the window.
  b.Show();
  bool ran = false;
  toolkit.Emit([&] {
    a.Deliver([&] { ran = true; });
    a.RaiseEvent([&] { a.Unload(); });
  });
  EXPECT_FALSE(ran);
}

TEST_F(FormRuntimeTest, AFailedLoadLeavesTheFormUnloadedAndGoesToWhoeverShowedIt) {
  runtime.Run(a);
  b.on_load = [] { throw platform::RuntimeError(platform::kErrInvalidProcedureCall, "load failed"); };
  bool caught = false;
  a.RaiseEvent([&] {
    try {
      b.Show();
    } catch (const platform::RuntimeError& e) {
      caught = e.Number() == platform::kErrInvalidProcedureCall;
    }
  });
  EXPECT_TRUE(caught);
  EXPECT_FALSE(b.IsLoaded());
  EXPECT_EQ(Window("B"), nullptr);
}

TEST_F(FormRuntimeTest, AModalShowInACommandReturnsWhenTheFormClosesAndTheCodeAfterItRunsThen) {
  runtime.Run(a);
  std::vector<std::string> order;
  bool owner_command_ran = false;
  toolkit.modal_steps.push_back([&] {
    FakeWindow* modal = Window("B");
    ASSERT_NE(modal, nullptr);
    EXPECT_TRUE(modal->modal);
    EXPECT_EQ(modal->owner, Window("A"));
    order.push_back("modal shown");
    // The owner takes no command while the modal form is up, by any route.
    toolkit.Emit([&] { a.Deliver([&] { owner_command_ran = true; }); });
    toolkit.Emit([&] { b.Deliver([&] { b.Unload(); }); });
  });
  toolkit.Emit([&] {
    a.Deliver([&] {
      b.ShowModal(a);
      order.push_back("after the modal show");
    });
    order.push_back("emission over");
  });
  EXPECT_EQ(order, (std::vector<std::string>{"emission over", "modal shown", "after the modal show"}));
  EXPECT_FALSE(owner_command_ran);
  EXPECT_FALSE(b.IsLoaded());
  EXPECT_TRUE(toolkit.modal_steps.empty());
}

TEST_F(FormRuntimeTest, ResizeIsRaisedOnceForEachChangeOfSizeOrState) {
  runtime.Run(a);
  log.clear();
  FakeWindow* w = Window("A");
  w->ResizeClient(4000, 3000);
  w->ResizeClient(4000, 3000);
  w->Minimize();
  w->Restore();
  EXPECT_EQ(log, (std::vector<std::string>{"A.Resize", "A.Resize", "A.Resize"}));
}

TEST_F(FormRuntimeTest, TheSystemEndingTheProgramUnloadsEveryFormWithItsMode) {
  runtime.Run(a);
  b.Show();
  toolkit.system_unload(platform::vbAppTaskManager);
  EXPECT_NE(std::find(log.begin(), log.end(), "A.QueryUnload 3"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "B.QueryUnload 3"), log.end());
  EXPECT_FALSE(a.IsLoaded());
  EXPECT_FALSE(b.IsLoaded());
  EXPECT_TRUE(toolkit.quit);
}

TEST_F(FormRuntimeTest, TheSystemEndsTheProgramEvenWhenAFormRefusesToUnload) {
  runtime.Run(a);
  a.on_query_unload = [](platform::Integer& Cancel, platform::Integer) { Cancel = 1; };
  toolkit.system_unload(platform::vbAppWindows);
  EXPECT_NE(std::find(log.begin(), log.end(), "A.QueryUnload 2"), log.end());
  EXPECT_TRUE(toolkit.quit);
  EXPECT_FALSE(a.IsLoaded());
}

TEST_F(FormRuntimeTest, AnEndDuringAMessageBoxUnwindsTheHandlerThatAsked) {
  runtime.Run(a);
  bool after = false;
  toolkit.answers.push_back({platform::vbOK, [&] { toolkit.system_unload(platform::vbAppTaskManager); }});
  toolkit.Emit([&] {
    a.Deliver([&] {
      a.Ask("?");
      after = true;
    });
  });
  ASSERT_EQ(toolkit.msgboxes.size(), 1u);
  EXPECT_FALSE(after);
  EXPECT_TRUE(toolkit.quit);
}

TEST(ErrorStyles, ResumeNextSkipsAFailedStatementAndAFailedConditionEntersTheBlock) {
  int reached = 0;
  platform::ResumeNext([&] { throw platform::RuntimeError(5, "x"); });
  platform::ResumeNext([&] { ++reached; });
  EXPECT_EQ(reached, 1);
  EXPECT_TRUE(platform::ResumeNextIf([]() -> bool { throw platform::RuntimeError(5, "x"); }));
  EXPECT_FALSE(platform::ResumeNextIf([] { return false; }));
  EXPECT_TRUE(platform::ResumeNextIf([] { return true; }));
}

TEST(ErrorStyles, UntrappedErrorsAreDescribedWithTheirNumber) {
  EXPECT_EQ(platform::DescribeUntrapped(platform::RuntimeError(91, "对象变量未设置")),
            "运行时错误 '91':\n\n对象变量未设置");
  EXPECT_EQ(platform::DescribeUntrapped(std::runtime_error("x")), "运行时错误:\n\nx");
}


enum class Box { ModalForm, MessageBox };
class BoxTest : public FormRuntimeTest, public ::testing::WithParamInterface<Box> {};

// A page of the owner completes at an address that makes it unload (the web
// session ended) while a box it owns waits for the user: the box goes with
// it, unanswered, and nothing of it holds the input afterwards.
TEST_P(BoxTest, WhatAFormOwnsGoesWithItUnanswered) {
  const Box box = GetParam();
  {
    runtime.Run(a);
    log.clear();
    std::vector<std::string> order;
    const auto owner_goes = [&] {
      a.RaiseEvent([&] {
        a.Unload();
        b.Show();
      });
    };
    if (box == Box::ModalForm) {
      toolkit.modal_steps.push_back(owner_goes);
    } else {
      toolkit.answers.push_back({platform::vbOK, owner_goes});
    }
    toolkit.Emit([&] {
      a.Deliver([&] {
        if (box == Box::ModalForm) {
          TestForm owned(runtime, "C", log);
          owned.ShowModal(a);
          order.push_back(owned.IsLoaded() ? "still loaded" : "owned form gone");
        } else {
          order.push_back(a.Ask("确定要退出吗？") == platform::vbCancel ? "answered Cancel" : "answered OK");
        }
      });
    });
    EXPECT_EQ(order, std::vector<std::string>{box == Box::ModalForm ? "owned form gone" : "answered Cancel"});
    if (box == Box::ModalForm) {
      // Before its owner: mode 5, no question.
      const auto owned_unload = std::find(log.begin(), log.end(), "C.QueryUnload 5");
      ASSERT_NE(owned_unload, log.end());
      EXPECT_LT(owned_unload, std::find(log.begin(), log.end(), "A.Unload"));
    }
    EXPECT_FALSE(a.IsLoaded());
    EXPECT_TRUE(b.Visible());
    EXPECT_TRUE(toolkit.modal_steps.empty());
    // The window shown now takes commands.
    bool ran = false;
    toolkit.Emit([&] { b.Deliver([&] { ran = true; }); });
    EXPECT_TRUE(ran);
  }
}

// A key the user pressed just before a box opened (two menu commands in a
// row) is carried out once the box has closed, never lost; one given to the
// owner while the box is up is refused.
TEST_P(BoxTest, ACommandIssuedJustBeforeABoxOpensRunsOnceItCloses) {
  const Box box = GetParam();
  {
    runtime.Run(a);
    std::vector<std::string> order;
    const auto user_answers = [&] {
      order.push_back("box up");
      toolkit.Emit([&] { a.Deliver([&] { order.push_back("given while the box is up"); }); });
      if (box == Box::ModalForm) toolkit.Emit([&] { b.Deliver([&] { b.Unload(); }); });
    };
    if (box == Box::ModalForm) {
      toolkit.modal_steps.push_back(user_answers);
    } else {
      toolkit.answers.push_back({platform::vbOK, user_answers});
    }
    toolkit.Emit([&] {
      a.Deliver([&] {
        if (box == Box::ModalForm) {
          b.ShowModal(a);
        } else {
          a.Ask("?");
        }
        order.push_back("box closed");
      });
      a.Deliver([&] { order.push_back("given just before"); });
    });
    toolkit.RunPending();
    EXPECT_EQ(order, (std::vector<std::string>{"box up", "box closed", "given just before"}));
  }
}

// A box asked for inside an event (a page completing) would hold the
// engine's signal open while the user reads it. It is not entered there:
// the fault is reported as a run-time error, and the box comes up from the
// message loop once the report has been answered.
TEST_P(BoxTest, ABoxAskedForInsideAnEventIsReportedAndPostedNotEntered) {
  const Box box = GetParam();
  runtime.Run(a);
  toolkit.misplaced_wait_expected = true;
  std::vector<std::string> order;
  toolkit.answers.push_back({platform::vbOK, [&] { order.push_back("report up"); }});
  if (box == Box::ModalForm) {
    toolkit.modal_steps.push_back([&] {
      order.push_back("box up");
      toolkit.Emit([&] { b.Deliver([&] { b.Unload(); }); });
    });
  } else {
    toolkit.answers.push_back({platform::vbOK, [&] { order.push_back("box up"); }});
  }
  a.on_complete = [&] {
    if (box == Box::ModalForm) {
      b.ShowModal(a);
    } else {
      EXPECT_EQ(a.Ask("?"), platform::vbCancel) << "no answer can be had inside the event";
    }
    order.push_back("event over");
  };
  Window("A")->browser->CompleteTopLevel("http://example.invalid/");
  EXPECT_EQ(order, std::vector<std::string>{"event over"});
  EXPECT_TRUE(toolkit.msgboxes.empty());
  EXPECT_EQ(toolkit.misplaced_waits.size(), 1u);
  toolkit.RunPending();
  EXPECT_EQ(order, (std::vector<std::string>{"event over", "report up", "box up"}));
  ASSERT_FALSE(toolkit.msgboxes.empty());
  EXPECT_EQ(toolkit.msgboxes[0].prompt.rfind("运行时错误", 0), 0u) << toolkit.msgboxes[0].prompt;
  EXPECT_TRUE(toolkit.modal_steps.empty());
  EXPECT_TRUE(toolkit.answers.empty());
}

INSTANTIATE_TEST_SUITE_P(ModalFormAndMessageBox, BoxTest, ::testing::Values(Box::ModalForm, Box::MessageBox),
                         [](const ::testing::TestParamInfo<Box>& info) {
                           return info.param == Box::ModalForm ? "ModalForm" : "MessageBox";
                         });

}  // namespace
