// The form runtime: owns the message loop through the toolkit, dispatches
// events to the forms' handlers one at a time, reports errors no handler
// trapped, and ends the program when no form is loaded any more.
//
// Where waits may start. A wait for the user (a modal form, a message box)
// runs a nested message loop until the user answers. Started inside a
// toolkit emission, an engine signal or a D-Bus dispatch (an assistive
// tool's action arrives as one), it would hold that emission open for as
// long as the user takes: the accessibility bridge could not dispatch again
// and the program would stop answering. So waits start only in a command
// (Form::Command), which runs from the message loop itself, or at the
// program's start; events never wait, and an error an event leaves
// untrapped is reported from a command of its own. Every build holds to it:
// a wait asked for inside an event is the program's fault, logged and
// reported as a run-time error, and the wait is posted to start from the
// message loop instead of entered in place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/toolkit.h"

namespace platform {

class System;

class FormRuntime {
 public:
  FormRuntime(Toolkit& toolkit, System& system, std::string app_title);
  ~FormRuntime();
  FormRuntime(const FormRuntime&) = delete;
  FormRuntime& operator=(const FormRuntime&) = delete;

  // Loads and shows the start-up form, then runs the message loop until the
  // program ends. The exit status is always 0.
  int Run(Form& startup);

  // Runs one event handler of `form`. A window unloaded meanwhile, by this
  // handler or a nested one, stays alive until no handler runs any more, so
  // neither the handler nor the control whose event it is uses freed memory.
  // An error that leaves the handler is reported in a message box and the
  // program goes on.
  void Dispatch(Form& form, const std::function<void()>& handler);

  // A message box captioned with the application title, asked by `owner`
  // (none: the runtime's own): it goes unanswered, as Cancel, when its
  // owner unloads. Asked inside an event, it is posted and answers Cancel
  // at once.
  int MsgBox(const std::string& prompt, int buttons, const Form* owner = nullptr);

  // Whether a wait for the user may start now: in a command, or with
  // nothing of the message loop beneath (the program's start, or a program
  // driving the runtime directly).
  bool MayWait() const noexcept;

  // The immediate end: every window goes without further QueryUnload or
  // Unload handler and the message loop stops; the running handler is
  // unwound.
  [[noreturn]] void End();
  bool Ending() const noexcept { return ending_; }

  // The system closes the program: every loaded form unloads with `mode`
  // (no form can keep the program alive), then the program ends.
  void SystemUnload(Integer mode);

  bool AnyLoaded() const;
  Toolkit& toolkit() noexcept { return toolkit_; }
  System& system() noexcept { return system_; }
  const std::string& Title() const noexcept { return title_; }

 private:
  friend class Form;
  void Register(Form* form);
  void Unregister(Form* form) noexcept;
  void ReleaseAll() noexcept;
  // Keeps an unloaded form's window until no handler runs any more.
  void Bury(std::shared_ptr<void> window);
  void PostClear();
  void ClearGraveyard() noexcept;
  void EndIfNothingLoaded();
  void ReportUntrapped(const std::exception& error);

  // Runs the message loop until `done` holds: a modal form's wait, which
  // only `form` may interrupt with commands. Throws EndOfProgram when the
  // program ends meanwhile. Only where waits may start.
  void Wait(const Form* form, const std::function<bool()>& done);
  // A wait asked for where none may start (`what` names it): logged,
  // reported as an untrapped error, and `wait` posted to start from the
  // message loop once the event is over; a wait begun before it was posted
  // (the report's own box) ends first. Returns at once.
  void PostMisplacedWait(const std::string& what, std::function<void()> wait);
  struct PostedWait;

  enum class Frame { Command, Event };
  // Runs a handler in a frame of its kind: errors reported, the graveyard
  // kept while it runs, the end of the program once the outermost returns.
  void RunFrame(Frame kind, const std::function<void()>& handler);
  // Numbers each command as it is issued, so that a wait can tell the
  // commands issued before it began from those issued while it lasts.
  std::uint64_t CommandIssued() noexcept { return ++commands_issued_; }
  // A command of `form` posted by Form::Command, now from the message loop.
  // One that a modal wait blocks runs when that wait is over if it was
  // issued before the wait began (`again` posts it anew), and is dropped if
  // it was issued while the owner took no input.
  void RunCommand(Form& form, const std::function<void()>& handler, std::uint64_t issued,
                  std::function<void()> again);
  // `form` unloads: the forms it owns unload (mode 5) and its message
  // boxes go unanswered.
  void UnloadOwnedBy(const Form& form);
  // Marks a wait for as long as it lives.
  class WaitScope;
  struct WaitEntry {
    const Form* takes = nullptr;  // the one form whose commands it takes
    const Form* owner = nullptr;  // a message box's form, which may withdraw it
    std::uint64_t began = 0;      // commands issued before it began
    bool withdrawn = false;
    std::vector<std::function<void()>> held;  // issued before it began
  };

  Toolkit& toolkit_;
  System& system_;
  std::string title_;
  std::vector<Form*> forms_;
  std::vector<std::shared_ptr<void>> graveyard_;
  bool clear_posted_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  // The handlers running now, innermost last.
  std::vector<Frame> frames_;
  // The waits running now, innermost last.
  std::vector<std::unique_ptr<WaitEntry>> waits_;
  std::uint64_t commands_issued_ = 0;
  bool ending_ = false;
};

}  // namespace platform
