#include "platform/form_runtime.h"

#include "platform/texts.h"

#include <algorithm>

#include "platform/errors.h"

namespace platform {

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
  // Nothing runs beneath the start: it may wait as a command does.
  RunFrame(Frame::Command, [&startup] { startup.Show(); });
  if (!ending_) toolkit_.Run();
  return 0;
}

void FormRuntime::Dispatch(Form& form, const std::function<void()>& handler) {
  RunFrame(Frame::Event, handler);
}

void FormRuntime::RunCommand(Form& form, const std::function<void()>& handler, std::uint64_t issued,
                             std::function<void()> again) {
  // A modal wait takes the commands of its own form only: its owner and the
  // other windows take no input while it lasts, from any source. A command
  // the user gave before the box opened (a key pressed just before) was
  // given to a window that took input then: it runs once the box is gone.
  if (!waits_.empty() && waits_.back()->takes != &form) {
    if (issued <= waits_.back()->began) waits_.back()->held.push_back(std::move(again));
    return;
  }
  RunFrame(Frame::Command, handler);
}

void FormRuntime::UnloadOwnedBy(const Form& form) {
  for (const auto& wait : waits_) {
    if (wait->owner == &form) wait->withdrawn = true;
  }
  // Copy: unloading may create forms.
  std::vector<Form*> forms = forms_;
  for (Form* owned : forms) {
    if (owned != &form && owned->ModalOwner() == &form) {
      owned->UnloadWithMode(vbFormOwner);
    }
  }
}

void FormRuntime::RunFrame(Frame kind, const std::function<void()>& handler) {
  if (ending_) return;
  if (frames_.empty()) ClearGraveyard();
  frames_.push_back(kind);
  try {
    handler();
  } catch (const EndOfProgram&) {
  } catch (const std::exception& error) {
    ReportUntrapped(error);
  } catch (...) {
    ReportUntrapped(std::runtime_error(texts::kUnknownError));
  }
  frames_.pop_back();
  // Only once the outermost handler has returned: a handler may unload the
  // last form and then show another one.
  if (frames_.empty()) {
    EndIfNothingLoaded();
    if (!graveyard_.empty()) PostClear();
  }
}

bool FormRuntime::MayWait() const noexcept {
  return frames_.empty() || frames_.back() == Frame::Command;
}

// A misplaced wait on its way through the message loop.
struct FormRuntime::PostedWait {
  FormRuntime* runtime;
  std::weak_ptr<bool> alive;
  std::uint64_t issued;
  std::shared_ptr<const std::function<void()>> wait;

  void operator()() const {
    if (alive.expired()) return;
    auto& waits = runtime->waits_;
    // Behind the wait that was up when it came (the report of its own
    // fault, first of all): it starts once that one is over.
    if (!waits.empty() && issued <= waits.back()->began) {
      waits.back()->held.push_back(*this);
      return;
    }
    runtime->RunFrame(Frame::Command, *wait);
  }
};

void FormRuntime::PostMisplacedWait(const std::string& what, std::function<void()> wait) {
  toolkit_.LogMisplacedWait("a wait for the user (" + what +
                            ") asked for inside an event; posted to start from the message loop");
  ReportUntrapped(RuntimeError(kErrInvalidProcedureCall, texts::Fill(texts::kWaitInsideEvent, what)));
  toolkit_.Post(PostedWait{this, alive_, CommandIssued(),
                           std::make_shared<const std::function<void()>>(std::move(wait))});
}

class FormRuntime::WaitScope {
 public:
  WaitScope(FormRuntime& runtime, const Form* takes, const Form* owner = nullptr) : runtime_(runtime) {
    auto entry = std::make_unique<WaitEntry>();
    entry->takes = takes;
    entry->owner = owner;
    entry->began = runtime_.commands_issued_;
    entry_ = entry.get();
    runtime_.waits_.push_back(std::move(entry));
  }
  ~WaitScope() {
    std::vector<std::function<void()>> held = std::move(entry_->held);
    runtime_.waits_.pop_back();
    if (runtime_.ending_) return;
    for (auto& command : held) runtime_.toolkit_.Post(std::move(command));
  }
  const WaitEntry& Entry() const noexcept { return *entry_; }
  WaitScope(const WaitScope&) = delete;
  WaitScope& operator=(const WaitScope&) = delete;

 private:
  FormRuntime& runtime_;
  WaitEntry* entry_;
};

void FormRuntime::Wait(const Form* form, const std::function<bool()>& done) {
  {
    WaitScope wait(*this, form);
    toolkit_.RunUntil([this, &done] { return ending_ || done(); });
  }
  if (ending_) throw EndOfProgram{};
}

void FormRuntime::ReportUntrapped(const std::exception& error) {
  if (ending_) return;
  std::string text = DescribeUntrapped(error);
  auto show = [this, text] {
    try {
      WaitScope wait(*this, nullptr);
      toolkit_.MsgBox(text, vbOKOnly, title_, nullptr);
    } catch (...) {
    }
  };
  if (MayWait()) {
    show();
    return;
  }
  // Raised by an event: the report waits for the user, so it runs from the
  // message loop as a command of its own.
  toolkit_.Post([this, alive = std::weak_ptr<bool>(alive_), show] {
    if (!alive.expired()) RunFrame(Frame::Command, show);
  });
}

int FormRuntime::MsgBox(const std::string& prompt, int buttons, const Form* owner) {
  if (!MayWait()) {
    std::weak_ptr<Form*> asker = owner ? owner->self_ : nullptr;
    PostMisplacedWait("MsgBox", [this, prompt, buttons, owned = owner != nullptr, asker] {
      const Form* form = nullptr;
      if (owned) {
        // The form that asked has gone meanwhile: so has its box.
        auto self = asker.lock();
        if (!self || !(*self)->IsLoaded()) return;
        form = *self;
      }
      MsgBox(prompt, buttons, form);
    });
    // Unanswered, as a box withdrawn: the code that asked goes on as on Cancel.
    return vbCancel;
  }
  int answer = 0;
  {
    WaitScope wait(*this, nullptr, owner);
    const WaitEntry& entry = wait.Entry();
    answer = toolkit_.MsgBox(prompt, buttons, title_, [&entry] { return entry.withdrawn; });
  }
  if (ending_) throw EndOfProgram{};
  return answer;
}

void FormRuntime::Bury(std::shared_ptr<void> window) {
  graveyard_.push_back(std::move(window));
  if (frames_.empty()) PostClear();  // otherwise once the outermost handler returns
}

void FormRuntime::PostClear() {
  if (clear_posted_) return;
  clear_posted_ = true;
  toolkit_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
    if (alive.expired()) return;
    clear_posted_ = false;
    if (frames_.empty()) ClearGraveyard();
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

}  // namespace platform
