#include "platform/form_runtime.h"

#include <algorithm>

#include "platform/errors.h"

namespace vb {

FormRuntime::FormRuntime(Toolkit& toolkit, System& system, std::string app_title)
    : toolkit_(toolkit), system_(system), title_(std::move(app_title)) {
  toolkit_.system_unload = [this](int mode) { SystemUnload(static_cast<Integer>(mode)); };
}

FormRuntime::~FormRuntime() {
  toolkit_.system_unload = nullptr;
  ClearGraveyard();
}

void FormRuntime::Register(Form* form) { forms_.push_back(form); }

void FormRuntime::Unregister(Form* form) noexcept {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

bool FormRuntime::AnyLoaded() const {
  return std::any_of(forms_.begin(), forms_.end(), [](const Form* f) { return f->IsLoaded(); });
}

int FormRuntime::Run(Form& startup) {
  Dispatch(startup, [&startup] { startup.Show(); });
  if (!ending_) toolkit_.Run();
  return 0;
}

void FormRuntime::Dispatch(Form& form, const std::function<void()>& handler) {
  if (ending_) return;
  if (depth_ == 0) ClearGraveyard();
  ++depth_;
  try {
    handler();
  } catch (const EndOfProgram&) {
  } catch (const std::exception& error) {
    ReportUntrapped(error);
  } catch (...) {
    ReportUntrapped(std::runtime_error("未知错误"));
  }
  --depth_;
  // Only once the outermost handler has returned: a handler may unload the
  // last form and then show another one.
  if (depth_ == 0) {
    EndIfNothingLoaded();
    if (!graveyard_.empty()) PostClear();
  }
}

void FormRuntime::ReportUntrapped(const std::exception& error) {
  if (ending_) return;
  try {
    toolkit_.MsgBox(DescribeUntrapped(error), vbOKOnly, title_);
  } catch (...) {
  }
}

int FormRuntime::MsgBox(const std::string& prompt, int buttons) {
  int answer = toolkit_.MsgBox(prompt, buttons, title_);
  if (ending_) throw EndOfProgram{};
  return answer;
}

void FormRuntime::Bury(std::shared_ptr<void> window) {
  graveyard_.push_back(std::move(window));
  if (depth_ == 0) PostClear();  // otherwise once the outermost handler returns
}

void FormRuntime::PostClear() {
  if (clear_posted_) return;
  clear_posted_ = true;
  toolkit_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
    if (alive.expired()) return;
    clear_posted_ = false;
    if (depth_ == 0) ClearGraveyard();
  });
}

void FormRuntime::ClearGraveyard() noexcept {
  // Windows may bury others while they go; take them in turns.
  while (!graveyard_.empty()) {
    auto windows = std::move(graveyard_);
    graveyard_.clear();
  }
}

void FormRuntime::ReleaseAll() noexcept {
  for (Form* form : forms_) form->DropInstance();
}

void FormRuntime::End() {
  ending_ = true;
  ReleaseAll();
  toolkit_.Quit();
  throw EndOfProgram{};
}

void FormRuntime::EndIfNothingLoaded() {
  if (ending_ || AnyLoaded()) return;
  ending_ = true;
  toolkit_.Quit();
}

void FormRuntime::SystemUnload(Integer mode) {
  if (ending_) return;
  // Copy: unloading may create forms (a handler touching another form).
  std::vector<Form*> forms = forms_;
  for (Form* form : forms) {
    if (!form->IsLoaded()) continue;
    Dispatch(*form, [form, mode] { form->UnloadWithMode(mode); });
    if (ending_) return;
  }
  ending_ = true;
  ReleaseAll();
  toolkit_.Quit();
}

}  // namespace vb
