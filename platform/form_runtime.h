// The form runtime: owns the message loop through the toolkit, dispatches
// events to the forms' handlers one at a time, reports errors no handler
// trapped, and ends the program when no form is loaded any more.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/toolkit.h"

namespace vb {

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

  // A message box captioned with the application title.
  int MsgBox(const std::string& prompt, int buttons);

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

  Toolkit& toolkit_;
  System& system_;
  std::string title_;
  std::vector<Form*> forms_;
  std::vector<std::shared_ptr<void>> graveyard_;
  bool clear_posted_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  int depth_ = 0;
  bool ending_ = false;
};

}  // namespace vb
