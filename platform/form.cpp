#include "platform/form.h"

#include "platform/texts.h"

#include <tuple>

#include "platform/errors.h"
#include "platform/form_runtime.h"

namespace platform {

struct Form::Instance {
  std::unique_ptr<NativeWindow> window;
  // Size and state the last Form_Resize saw; a repeat of it is not raised.
  std::optional<std::tuple<Single, Single, WindowState>> last_resize;
  // The form it was shown modally over, which takes it along when it goes.
  const Form* owner = nullptr;
};

// A command on its way through the message loop. The window that delivered
// it: its successor, after an unload and a new load, is another window the
// user has not asked anything of.
struct Form::PostedCommand {
  std::weak_ptr<Form*> self;
  std::weak_ptr<Instance> window;
  std::shared_ptr<const std::function<void()>> handler;
  std::uint64_t issued = 0;

  void operator()() const {
    auto form = self.lock();
    if (!form) return;
    auto instance = window.lock();
    if (!instance || (*form)->instance_ != instance) return;
    (*form)->runtime_.RunCommand(**form, *handler, issued, *this);
  }
};

Form::Form(FormRuntime& runtime, FormDesign design)
    : runtime_(runtime), design_(std::move(design)) {
  runtime_.Register(this);
}

Form::~Form() {
  DropInstance();
  runtime_.Unregister(this);
}

void ControlSlotBase::NotSet() {
  throw RuntimeError(kErrObjectNotSet, texts::kObjectNotSet);
}

void Form::Load() {
  if (instance_) return;
  WindowCallbacks callbacks;
  callbacks.resized = [this] { OnResized(); };
  callbacks.close_requested = [this] { OnCloseRequested(); };
  auto instance = std::make_shared<Instance>();
  instance->window = runtime_.toolkit().OpenWindow(design_, std::move(callbacks));
  instance_ = instance;
  try {
    CreateControls(*instance->window);
    Form_Load();
  } catch (const EndOfProgram&) {
    throw;
  } catch (...) {
    if (instance_ == instance) DropInstance();
    throw;
  }
}

void Form::Show() {
  Load();
  if (instance_) instance_->window->Show(nullptr, false);
}

void Form::ShowModal(Form& owner) {
  if (!runtime_.MayWait()) {
    // Posted whole, its load too: nothing of it runs inside the event.
    runtime_.PostMisplacedWait(
        Name() + ".ShowModal", [self = std::weak_ptr<Form*>(self_), shown_over = std::weak_ptr<Form*>(owner.self_)] {
          auto form = self.lock();
          auto over = shown_over.lock();
          // An owner that has gone has nothing left to block.
          if (form && over && (*over)->IsLoaded()) (*form)->ShowModal(**over);
        });
    return;
  }
  Load();
  auto instance = instance_;
  if (!instance) return;
  NativeWindow* owner_window = owner.IsLoaded() ? owner.instance_->window.get() : nullptr;
  instance->owner = &owner;
  instance->window->Show(owner_window, true);
  runtime_.Wait(this, [this, instance] {
    return instance_ != instance || !instance->window->Visible();
  });
}

void Form::Hide() { Window().Hide(); }

const Form* Form::ModalOwner() const noexcept { return instance_ ? instance_->owner : nullptr; }

void Form::Unload() { UnloadWithMode(vbFormCode); }

bool Form::Visible() const { return instance_ && instance_->window->Visible(); }

bool Form::UnloadWithMode(Integer mode) {
  auto instance = instance_;
  if (!instance) return true;
  Integer Cancel = 0;
  Form_QueryUnload(Cancel, mode);
  if (Cancel != 0 || instance_ != instance) return instance_ != instance;
  // What it owns goes first, without a question: a box left open over a
  // window that is gone would keep the input from every other window.
  runtime_.UnloadOwnedBy(*this);
  Form_Unload(Cancel);
  if (Cancel != 0 || instance_ != instance) return instance_ != instance;
  DropInstance();
  return true;
}

void Form::DropInstance() {
  if (!instance_) return;
  for (ControlSlotBase* slot : slots_) slot->Release();
  instance_->window->Detach();
  runtime_.Bury(std::move(instance_));
  instance_.reset();
}

NativeWindow& Form::Window() {
  Load();
  if (!instance_) throw RuntimeError(kErrObjectNotSet, texts::kFormNotLoaded);
  return *instance_->window;
}

void Form::OnResized() {
  if (!instance_) return;
  NativeWindow& window = *instance_->window;
  auto now = std::make_tuple(window.ScaleWidth(), window.ScaleHeight(), window.State());
  if (instance_->last_resize == now) return;
  instance_->last_resize = now;
  Raise([this] { Form_Resize(); });
}

void Form::OnCloseRequested() {
  Command([this] { UnloadWithMode(vbFormControlMenu); });
}

void Form::Raise(const std::function<void()>& handler) { runtime_.Dispatch(*this, handler); }

void Form::Command(std::function<void()> handler) {
  runtime_.toolkit().Post(PostedCommand{self_, instance_,
                                        std::make_shared<const std::function<void()>>(std::move(handler)),
                                        runtime_.CommandIssued()});
}

std::string Form::Caption() { return Window().Caption(); }
void Form::SetCaption(const std::string& caption) { Window().SetCaption(caption); }
WindowState Form::GetWindowState() { return Window().State(); }
void Form::SetWindowState(WindowState state) { Window().SetState(state); }
Single Form::Left() { return Window().Left(); }
Single Form::Top() { return Window().Top(); }
Single Form::Width() { return Window().Width(); }
Single Form::Height() { return Window().Height(); }
void Form::SetLeft(Single twips) { Window().SetLeft(twips); }
void Form::SetTop(Single twips) { Window().SetTop(twips); }
void Form::SetWidth(Single twips) { Window().SetWidth(twips); }
void Form::SetHeight(Single twips) { Window().SetHeight(twips); }
Single Form::ScaleWidth() { return Window().ScaleWidth(); }
Single Form::ScaleHeight() { return Window().ScaleHeight(); }

int Form::MsgBox(const std::string& prompt, int buttons) { return runtime_.MsgBox(prompt, buttons, this); }
int Form::DownloadsUnderWay() { return runtime_.toolkit().DownloadsUnderWay(); }
Single Form::ScreenWidth() { return runtime_.toolkit().ScreenWidth(); }
void Form::End() { runtime_.End(); }
System& Form::Sys() { return runtime_.system(); }

}  // namespace platform
