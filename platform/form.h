// A form: a window defined before any code runs, with its controls and event
// handlers named <control>_<event>. The object exists from its first
// reference; loading builds the window and runs Form_Load, unloading runs
// Form_QueryUnload and Form_Unload and destroys the window with its controls,
// so the next showing loads it afresh.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit.h"
#include "platform/vb_types.h"

namespace platform {

class FormRuntime;
class System;
class ControlSlotBase;

class Form {
 public:
  Form(FormRuntime& runtime, FormDesign design);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Loads the form if it is not loaded: builds its window and controls, then
  // runs Form_Load. A load that fails leaves the form unloaded and passes the
  // error to whoever caused the load.
  void Load();
  // Loads if needed, then shows the window modeless and without owner.
  void Show();
  // Loads if needed, shows the window modally over `owner`, and returns when
  // it is hidden or unloaded. Asked inside an event, it is posted instead
  // and returns at once (form_runtime.h).
  void ShowModal(Form& owner);
  void Hide();
  // Unload by the program (UnloadMode 1). Does nothing if not loaded.
  void Unload();

  bool IsLoaded() const noexcept { return instance_ != nullptr; }
  bool Visible() const;
  const std::string& Name() const noexcept { return design_.name; }

  // Window properties; touching one loads the form.
  std::string Caption();
  void SetCaption(const std::string& caption);
  WindowState GetWindowState();
  void SetWindowState(WindowState state);
  Single Left();
  Single Top();
  Single Width();
  Single Height();
  void SetLeft(Single twips);
  void SetTop(Single twips);
  void SetWidth(Single twips);
  void SetHeight(Single twips);
  Single ScaleWidth();
  Single ScaleHeight();

 protected:
  // Builds the controls and the menu on a freshly created window.
  virtual void CreateControls(NativeWindow& window) {}

  virtual void Form_Load() {}
  virtual void Form_Resize() {}
  virtual void Form_QueryUnload(Integer& Cancel, Integer UnloadMode) {}
  virtual void Form_Unload(Integer& Cancel) {}

  // Runs an event handler of this form through the runtime's dispatcher,
  // which keeps the form's window alive until the handler returns. Events
  // (a resize, a document that completed) arrive from inside the toolkit's
  // and the engine's own signals: their handlers never wait for the user.
  void Raise(const std::function<void()>& handler);
  // Runs a command of this form: what the user asks of it through a menu
  // item, a button or the window's frame, whatever delivered it (keys, the
  // pointer, an assistive tool's action). It is posted and runs from the
  // message loop with nothing of the toolkit beneath it, so it may wait for
  // the user (a modal form, a message box). A command of a window that has
  // been unloaded meanwhile, or that a modal window blocks, is dropped.
  void Command(std::function<void()> handler);

  // Services of the runtime, named as the windows use them.
  int MsgBox(const std::string& prompt, int buttons = vbOKOnly);
  // Downloads being written now, which end with the program.
  int DownloadsUnderWay();
  Single ScreenWidth();
  [[noreturn]] void End();
  System& Sys();
  FormRuntime& Runtime() noexcept { return runtime_; }

 private:
  friend class FormRuntime;
  friend class ControlSlotBase;
  struct Instance;
  struct PostedCommand;

  NativeWindow& Window();
  // Returns false when a handler cancelled the unload.
  bool UnloadWithMode(Integer mode);
  // Hides and releases the window without running any handler.
  void DropInstance();
  // The form this one is shown modally over, while it is.
  const Form* ModalOwner() const noexcept;
  void OnResized();
  void OnCloseRequested();

  FormRuntime& runtime_;
  FormDesign design_;
  std::shared_ptr<Instance> instance_;
  // Posted commands hold it weakly: a form that is gone runs none.
  std::shared_ptr<Form*> self_ = std::make_shared<Form*>(this);
  std::vector<ControlSlotBase*> slots_;
};

// A form's reference to one of its controls. It is set at every load and
// released at unload; using it on an unloaded form loads the form first.
class ControlSlotBase {
 public:
  explicit ControlSlotBase(Form* owner) : owner_(owner) { owner->slots_.push_back(this); }
  ControlSlotBase(const ControlSlotBase&) = delete;
  ControlSlotBase& operator=(const ControlSlotBase&) = delete;
  virtual void Release() noexcept = 0;

 protected:
  // A form's slots go before the form's own destructor runs.
  ~ControlSlotBase() { std::erase(owner_->slots_, this); }
  void EnsureLoaded() const { owner_->Load(); }
  [[noreturn]] static void NotSet();

 private:
  Form* owner_;
};

template <class T>
class Ctl final : public ControlSlotBase {
 public:
  explicit Ctl(Form* owner) : ControlSlotBase(owner) {}
  Ctl& operator=(std::shared_ptr<T> control) {
    control_ = std::move(control);
    return *this;
  }
  T* operator->() const {
    EnsureLoaded();
    if (!control_) NotSet();
    return control_.get();
  }
  T& operator*() const { return *operator->(); }
  void Release() noexcept override { control_.reset(); }

 private:
  std::shared_ptr<T> control_;
};

}  // namespace platform
