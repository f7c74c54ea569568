// Test doubles of the toolkit and the operating system: windows and controls
// that record what the forms do to them, and let a test raise the events a
// user or the browser would.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/memory_registry.h"
#include "platform/system.h"
#include "platform/toolkit.h"

namespace fake {

using platform::Single;

// What the forms did, in order, as "Object.Member value" lines.
using Journal = std::vector<std::string>;

class FakeToolkit;
class FakeWindow;

class FakeControl {
 public:
  FakeControl(Journal& journal, std::string name, platform::Rect rect)
      : journal_(journal), name_(std::move(name)), rect_(rect) {}
  const std::string& ControlName() const { return name_; }
  bool fail_width = false;  // setting the width raises an error

 protected:
  void Note(const std::string& what) { journal_.push_back(name_ + "." + what); }
  static void CheckSize(Single twips);
  Journal& journal_;
  std::string name_;
  platform::Rect rect_;
};

#define FAKE_GEOMETRY                                                        \
  Single Left() const override { return rect_.left; }                        \
  Single Top() const override { return rect_.top; }                          \
  Single Width() const override { return rect_.width; }                      \
  Single Height() const override { return rect_.height; }                    \
  void SetLeft(Single v) override { Note("Left " + Num(v)); rect_.left = v; } \
  void SetTop(Single v) override { Note("Top " + Num(v)); rect_.top = v; }    \
  void SetWidth(Single v) override {                                         \
    if (fail_width) CheckSize(-1);                                           \
    CheckSize(v);                                                            \
    Note("Width " + Num(v));                                                 \
    rect_.width = v;                                                         \
  }                                                                          \
  void SetHeight(Single v) override {                                        \
    CheckSize(v);                                                            \
    Note("Height " + Num(v));                                                \
    rect_.height = v;                                                        \
  }

std::string Num(Single value);

class FakeBrowser final : public platform::Browser, public FakeControl {
 public:
  FakeBrowser(FakeToolkit& toolkit, std::string name, const platform::BrowserDesign& design,
              platform::BrowserEvents events);
  ~FakeBrowser() override;
  FAKE_GEOMETRY

  bool Silent() const override { return silent_; }
  void SetSilent(bool silent) override;
  void Navigate(const std::string& url) override;
  std::string LocationURL() const override;
  bool NavigatedByUser() const override { return by_user; }
  void HoldAutomaticNavigation() override { held = true; }

  // What the engine would do: a page shown at `url` completes; or a frame
  // of it completes while the top-level address stays.
  void CompleteTopLevel(const std::string& url);
  void CompleteFrame(const std::string& frame_url);
  void RaiseComplete(bool top_level, const platform::Variant& url);

  void Detach() { events_ = {}; }

  std::vector<std::string> navigations;
  std::string location;
  bool fail_location = false;  // LocationURL raises an error
  bool fail_navigate = false;  // Navigate raises an error
  bool by_user = false;        // what NavigatedByUser answers
  bool held = false;           // HoldAutomaticNavigation was called

 private:
  FakeToolkit& toolkit_;
  platform::BrowserEvents events_;
  bool silent_ = false;
  bool raising_ = false;
};

class FakeStatusBar final : public platform::StatusBar, public FakeControl {
 public:
  FakeStatusBar(Journal& journal, const platform::StatusBarDesign& design)
      : FakeControl(journal, design.name, {0, 0, 0, design.height}) {}
  FAKE_GEOMETRY
  std::string SimpleText() const override { return text_; }
  void SetSimpleText(const std::string& text) override {
    Note("SimpleText " + text);
    text_ = text;
  }

 private:
  std::string text_;
};

class FakeLabel final : public platform::Label, public FakeControl {
 public:
  FakeLabel(Journal& journal, std::string name, const platform::LabelDesign& design)
      : FakeControl(journal, std::move(name), design.rect), caption_(design.caption) {}
  FAKE_GEOMETRY
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override {
    Note("Caption " + caption);
    caption_ = caption;
  }
  platform::LabelDesign design;

 private:
  std::string caption_;
};

class FakeButton final : public platform::CommandButton, public FakeControl {
 public:
  FakeButton(FakeToolkit& toolkit, Journal& journal, const platform::ButtonDesign& design, platform::ButtonEvents events)
      : FakeControl(journal, design.caption, design.rect),
        design(design),
        toolkit_(toolkit),
        events_(std::move(events)) {}
  FAKE_GEOMETRY
  std::string Caption() const override { return design.caption; }
  void SetCaption(const std::string& caption) override { design.caption = caption; }
  void SetFocus() override {}
  // The user presses it; the message loop goes on.
  void Click();
  void Detach() { events_ = {}; }
  platform::ButtonDesign design;

 private:
  FakeToolkit& toolkit_;
  platform::ButtonEvents events_;
};

class FakePicture final : public platform::PictureBox, public FakeControl {
 public:
  FakePicture(Journal& journal, const platform::PictureDesign& design)
      : FakeControl(journal, "picture", design.rect), design(design) {}
  FAKE_GEOMETRY
  platform::PictureDesign design;
};

#undef FAKE_GEOMETRY

// A window whose frame adds these many twips around the client area.
inline constexpr Single kFrameSide = 15;
inline constexpr Single kFrameTop = 300;

class FakeWindow final : public platform::NativeWindow {
 public:
  FakeWindow(FakeToolkit& toolkit, const platform::FormDesign& design, platform::WindowCallbacks callbacks);
  ~FakeWindow() override;

  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override;
  platform::WindowState State() const override { return state_; }
  void SetState(platform::WindowState state) override;
  Single Left() const override { return left_; }
  Single Top() const override { return top_; }
  Single Width() const override { return client_w_ + 2 * kFrameSide; }
  Single Height() const override { return client_h_ + kFrameTop + kFrameSide; }
  void SetLeft(Single v) override;
  void SetTop(Single v) override;
  void SetWidth(Single v) override;
  void SetHeight(Single v) override;
  Single ScaleWidth() const override { return state_ == platform::WindowState::Minimized ? 0 : client_w_; }
  Single ScaleHeight() const override { return state_ == platform::WindowState::Minimized ? 0 : client_h_; }

  void Show(platform::NativeWindow* owner, bool modal) override;
  void Hide() override;
  bool Visible() const override { return visible_; }
  void Detach() override;

  std::shared_ptr<platform::Browser> AddBrowser(const platform::BrowserDesign&, platform::BrowserEvents) override;
  std::shared_ptr<platform::StatusBar> AddStatusBar(const platform::StatusBarDesign&) override;
  std::shared_ptr<platform::Label> AddLabel(const platform::LabelDesign&) override;
  std::shared_ptr<platform::CommandButton> AddButton(const platform::ButtonDesign&, platform::ButtonEvents) override;
  std::shared_ptr<platform::PictureBox> AddPicture(const platform::PictureDesign&) override;
  void AddLine(const platform::LineDesign&) override;
  void SetMenu(const std::vector<platform::MenuItemDesign>& items,
               std::function<void(const std::string& name)> click) override;

  // What a user or the window system does to the window. A close and a
  // menu item are delivered from inside the toolkit's emission; once it has
  // returned the message loop goes on and runs what was posted.
  void ResizeClient(Single width, Single height);  // raises the resize
  void Minimize();
  void Restore();
  void CloseFromFrame();
  void ChooseMenu(const std::string& name);

  const platform::FormDesign design;
  FakeBrowser* browser = nullptr;
  FakeStatusBar* status_bar = nullptr;
  std::vector<FakeLabel*> labels;
  std::vector<FakeButton*> buttons;
  std::vector<FakePicture*> pictures;
  std::vector<platform::LineDesign> lines;
  std::vector<platform::MenuItemDesign> menu;
  FakeWindow* owner = nullptr;
  bool modal = false;
  int shows = 0;
  bool detached = false;

  FakeButton* Button(const std::string& caption) const;
  FakeLabel* Label(const std::string& name) const;

 private:
  void Note(const std::string& what);
  FakeToolkit& toolkit_;
  platform::WindowCallbacks callbacks_;
  std::function<void(const std::string&)> menu_click_;
  std::vector<std::shared_ptr<void>> controls_;
  std::string caption_;
  platform::WindowState state_ = platform::WindowState::Normal;
  Single left_ = 0, top_ = 0, client_w_, client_h_;
  bool visible_ = false;
};

struct MsgBoxCall {
  std::string prompt;
  int buttons;
  std::string title;
};

class FakeToolkit final : public platform::Toolkit {
 public:
  FakeToolkit();
  ~FakeToolkit() override;

  std::unique_ptr<platform::NativeWindow> OpenWindow(const platform::FormDesign& design,
                                                 platform::WindowCallbacks callbacks) override;
  Single ScreenWidth() const override { return screen_width; }
  Single ScreenHeight() const override { return screen_height; }
  int MsgBox(const std::string& prompt, int buttons, const std::string& title,
             const std::function<bool()>& withdrawn) override;
  void Run() override;
  void RunUntil(const std::function<bool()>& done) override;
  void Quit() override { quit = true; }
  void Post(std::function<void()> task) override { posted.push_back(std::move(task)); }
  int DownloadsUnderWay() const override { return downloads_under_way; }
  int downloads_under_way = 0;
  // A wait for the user started inside an event fails the test, unless the
  // test expects one.
  void LogMisplacedWait(const std::string& what) override;
  bool misplaced_wait_expected = false;
  std::vector<std::string> misplaced_waits;
  // Runs what was posted, as the message loop would once the event is over.
  void RunPending();
  // Delivers something from inside an emission of the toolkit's own (a
  // signal handler); the message loop goes on once the outermost is over.
  void Emit(const std::function<void()>& delivery);
  int emitting = 0;

  // The live window of the form with this design name, if it is loaded.
  FakeWindow* Window(const std::string& form_name) const;
  int LiveWindows() const { return static_cast<int>(windows_.size()); }

  Single screen_width = 19200;
  Single screen_height = 15360;
  bool quit = false;
  Journal journal;
  std::vector<MsgBoxCall> msgboxes;
  // Answers for the message boxes to come; each may do something first
  // (what the user does while the box is open).
  std::deque<std::pair<int, std::function<void()>>> answers;
  // What the user does while a modal window is shown, one step per turn of
  // its message loop.
  std::deque<std::function<void()>> modal_steps;
  std::deque<std::function<void()>> posted;
  int window_count = 0;
  // Called for every browser the forms create, before their load goes on.
  std::function<void(FakeBrowser&)> on_new_browser;

 private:
  friend class FakeWindow;
  std::vector<FakeWindow*> windows_;
};

// Forwards to an in-memory registry and notes every key opened.
class RecordingRegistry final : public reg::Registry {
 public:
  explicit RecordingRegistry(reg::MemoryRegistry& inner) : inner_(inner) {}
  reg::LONG OpenKeyEx(reg::HKEY root, const std::string& sub_key, reg::DWORD options,
                      reg::REGSAM desired, reg::HKEY* result) override {
    opened.push_back(sub_key);
    access.push_back(desired);
    return inner_.OpenKeyEx(root, sub_key, options, desired, result);
  }
  reg::LONG QueryValueEx(reg::HKEY key, const std::string& name, reg::DWORD* reserved,
                         reg::DWORD* type, reg::BYTE* data, reg::DWORD* size) override {
    return inner_.QueryValueEx(key, name, reserved, type, data, size);
  }
  reg::LONG CloseKey(reg::HKEY key) override {
    ++closes;
    return inner_.CloseKey(key);
  }
  std::vector<std::string> opened;
  std::vector<reg::REGSAM> access;
  int closes = 0;

 private:
  reg::MemoryRegistry& inner_;
};

class FakeSystem final : public platform::System {
 public:
  platform::ProcessHandle GetCurrentProcess() override { return -1; }
  bool SetProcessWorkingSetSize(platform::ProcessHandle process, std::size_t minimum,
                                std::size_t maximum) override;
  reg::Registry& Registry() override { return recording; }
  bool FileExists(const std::string& path) override;
  double Shell(const std::string& path, int window_style) override;

  reg::MemoryRegistry registry;
  RecordingRegistry recording{registry};
  int trims = 0;
  std::set<std::string> files;
  std::vector<std::string> file_checks;
  std::vector<std::pair<std::string, int>> started;
  std::set<std::string> unstartable;  // Shell raises an error for these
  Journal* journal = nullptr;
};

}  // namespace fake
