#include "tests/support/fake_toolkit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/errors.h"

namespace fake {

std::string Num(Single value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

void FakeControl::CheckSize(Single twips) {
  if (!(twips >= 0)) throw platform::RuntimeError(platform::kErrInvalidPropertyValue, "无效的属性值");
}

// ---------------------------------------------------------------- browser

FakeBrowser::FakeBrowser(FakeToolkit& toolkit, std::string name, const platform::BrowserDesign& design,
                         platform::BrowserEvents events)
    : FakeControl(toolkit.journal, std::move(name), design.rect),
      toolkit_(toolkit),
      events_(std::move(events)) {}

FakeBrowser::~FakeBrowser() {
  // The form runtime must keep a window alive while one of its handlers runs.
  if (raising_) ADD_FAILURE() << "browser destroyed while its own event was running";
}

void FakeBrowser::SetSilent(bool silent) {
  Note(std::string("Silent ") + (silent ? "True" : "False"));
  silent_ = silent;
}

void FakeBrowser::Navigate(const std::string& url) {
  if (fail_navigate) throw platform::RuntimeError(platform::kErrInvalidProcedureCall, "navigation failed");
  Note("Navigate " + url);
  navigations.push_back(url);
}

std::string FakeBrowser::LocationURL() const {
  if (fail_location) throw platform::RuntimeError(platform::kErrInvalidProcedureCall, "no location");
  return location;
}

void FakeBrowser::CompleteTopLevel(const std::string& url) {
  location = url;
  RaiseComplete(true, url);
}

void FakeBrowser::CompleteFrame(const std::string& frame_url) { RaiseComplete(false, frame_url); }

void FakeBrowser::RaiseComplete(bool top_level, const platform::Variant& url) {
  if (!events_.DocumentComplete) return;
  auto handler = events_.DocumentComplete;  // the handler may detach this browser
  raising_ = true;
  // The engine's own signal: what it delivers waits for the loop.
  ++toolkit_.emitting;
  handler(platform::BrowserFrame{top_level}, url);
  --toolkit_.emitting;
  raising_ = false;
  // Touch the object after the handler, as the engine's own code would.
  location.push_back('#');
  location.pop_back();
}

// ---------------------------------------------------------------- window

FakeWindow::FakeWindow(FakeToolkit& toolkit, const platform::FormDesign& d, platform::WindowCallbacks callbacks)
    : design(d),
      toolkit_(toolkit),
      callbacks_(std::move(callbacks)),
      caption_(d.caption),
      client_w_(d.client_width),
      client_h_(d.client_height) {
  toolkit_.windows_.push_back(this);
  ++toolkit_.window_count;
  Note("Create");
}

FakeWindow::~FakeWindow() {
  auto& w = toolkit_.windows_;
  w.erase(std::remove(w.begin(), w.end(), this), w.end());
}

void FakeWindow::Note(const std::string& what) { toolkit_.journal.push_back(design.name + "." + what); }

void FakeWindow::SetCaption(const std::string& caption) {
  Note("Caption " + caption);
  caption_ = caption;
}

void FakeWindow::SetState(platform::WindowState state) {
  Note("WindowState " + std::to_string(static_cast<int>(state)));
  state_ = state;
}

void FakeWindow::SetLeft(Single v) {
  Note("Left " + Num(v));
  left_ = v;
}
void FakeWindow::SetTop(Single v) {
  Note("Top " + Num(v));
  top_ = v;
}
void FakeWindow::SetWidth(Single v) {
  Note("Width " + Num(v));
  client_w_ = v - 2 * kFrameSide;
}
void FakeWindow::SetHeight(Single v) {
  Note("Height " + Num(v));
  client_h_ = v - kFrameTop - kFrameSide;
}

void FakeWindow::Show(platform::NativeWindow* o, bool m) {
  Note(m ? "ShowModal" : "Show");
  owner = dynamic_cast<FakeWindow*>(o);
  modal = m;
  ++shows;
  const bool first = !visible_ && shows == 1;
  visible_ = true;
  if (first && callbacks_.resized) callbacks_.resized();
}

void FakeWindow::Hide() {
  Note("Hide");
  visible_ = false;
}

void FakeWindow::Detach() {
  Note("Unload");
  detached = true;
  visible_ = false;
  callbacks_ = {};
  menu_click_ = nullptr;
  if (browser) browser->Detach();
  for (FakeButton* b : buttons) b->Detach();
}

std::shared_ptr<platform::Browser> FakeWindow::AddBrowser(const platform::BrowserDesign& d,
                                                    platform::BrowserEvents events) {
  auto b = std::make_shared<FakeBrowser>(toolkit_, design.name + ".WebBrowser1", d, std::move(events));
  browser = b.get();
  controls_.push_back(b);
  if (toolkit_.on_new_browser) toolkit_.on_new_browser(*b);
  return b;
}

std::shared_ptr<platform::StatusBar> FakeWindow::AddStatusBar(const platform::StatusBarDesign& d) {
  auto s = std::make_shared<FakeStatusBar>(toolkit_.journal, d);
  status_bar = s.get();
  controls_.push_back(s);
  return s;
}

std::shared_ptr<platform::Label> FakeWindow::AddLabel(const platform::LabelDesign& d) {
  auto l = std::make_shared<FakeLabel>(toolkit_.journal, d.name, d);
  l->design = d;
  labels.push_back(l.get());
  controls_.push_back(l);
  return l;
}

std::shared_ptr<platform::CommandButton> FakeWindow::AddButton(const platform::ButtonDesign& d,
                                                         platform::ButtonEvents events) {
  auto b = std::make_shared<FakeButton>(toolkit_, toolkit_.journal, d, std::move(events));
  buttons.push_back(b.get());
  controls_.push_back(b);
  return b;
}

std::shared_ptr<platform::PictureBox> FakeWindow::AddPicture(const platform::PictureDesign& d) {
  auto p = std::make_shared<FakePicture>(toolkit_.journal, d);
  pictures.push_back(p.get());
  controls_.push_back(p);
  return p;
}

void FakeWindow::AddLine(const platform::LineDesign& line) { lines.push_back(line); }

void FakeWindow::SetMenu(const std::vector<platform::MenuItemDesign>& items,
                         std::function<void(const std::string& name)> click) {
  menu = items;
  menu_click_ = std::move(click);
}

void FakeWindow::ResizeClient(Single width, Single height) {
  client_w_ = width;
  client_h_ = height;
  if (callbacks_.resized) callbacks_.resized();
}

void FakeWindow::Minimize() {
  state_ = platform::WindowState::Minimized;
  if (callbacks_.resized) callbacks_.resized();
}

void FakeWindow::Restore() {
  state_ = platform::WindowState::Normal;
  if (callbacks_.resized) callbacks_.resized();
}

void FakeWindow::CloseFromFrame() {
  auto close = callbacks_.close_requested;
  if (close) toolkit_.Emit(close);
}

void FakeWindow::ChooseMenu(const std::string& name) {
  auto click = menu_click_;
  if (!click) {
    ADD_FAILURE() << "menu chosen on a window without a menu: " << name;
    return;
  }
  // Titles and the separator open nothing and run nothing.
  for (const auto& item : menu) {
    if (item.name == name && (item.parent.empty() || item.caption == "-")) return;
  }
  toolkit_.Emit([&] { click(name); });
}

void FakeButton::Click() {
  auto click = events_.Click;
  if (click) toolkit_.Emit(click);
}

FakeButton* FakeWindow::Button(const std::string& caption) const {
  for (FakeButton* b : buttons) {
    if (b->design.caption == caption || b->design.name == caption) return b;
  }
  return nullptr;
}

FakeLabel* FakeWindow::Label(const std::string& name) const {
  for (FakeLabel* l : labels) {
    if (l->design.name == name) return l;
  }
  return nullptr;
}

// ---------------------------------------------------------------- toolkit

FakeToolkit::FakeToolkit() = default;
FakeToolkit::~FakeToolkit() = default;

std::unique_ptr<platform::NativeWindow> FakeToolkit::OpenWindow(const platform::FormDesign& design,
                                                            platform::WindowCallbacks callbacks) {
  return std::make_unique<FakeWindow>(*this, design, std::move(callbacks));
}

int FakeToolkit::MsgBox(const std::string& prompt, int buttons, const std::string& title,
                        const std::function<bool()>& withdrawn) {
  msgboxes.push_back({prompt, buttons, title});
  journal.push_back("MsgBox " + prompt);
  if (quit) return platform::vbCancel;
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected message box: " << prompt;
    return platform::vbCancel;
  }
  auto [answer, meanwhile] = std::move(answers.front());
  answers.pop_front();
  if (meanwhile) {
    meanwhile();
    RunPending();
  }
  if (withdrawn && withdrawn()) {
    journal.push_back("MsgBox withdrawn");
    return platform::vbCancel;
  }
  return answer;
}

void FakeToolkit::LogMisplacedWait(const std::string& what) {
  misplaced_waits.push_back(what);
  if (!misplaced_wait_expected) {
    ADD_FAILURE() << "misplaced wait: " << what << ". Post a command and wait there.";
  }
}

void FakeToolkit::RunPending() {
  while (!posted.empty()) {
    auto task = std::move(posted.front());
    posted.pop_front();
    task();
  }
}

void FakeToolkit::Emit(const std::function<void()>& delivery) {
  ++emitting;
  delivery();
  --emitting;
  if (emitting == 0) RunPending();
}

void FakeToolkit::Run() {
  RunPending();
  while (!quit && !modal_steps.empty()) {
    auto step = std::move(modal_steps.front());
    modal_steps.pop_front();
    step();
    RunPending();
  }
}

void FakeToolkit::RunUntil(const std::function<bool()>& done) {
  while (!quit && !done()) {
    if (modal_steps.empty()) {
      ADD_FAILURE() << "a modal window waits for the user, and the test has nothing more to do";
      return;
    }
    auto step = std::move(modal_steps.front());
    modal_steps.pop_front();
    step();
    RunPending();
  }
}

FakeWindow* FakeToolkit::Window(const std::string& form_name) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->design.name == form_name && !(*it)->detached) return *it;
  }
  return nullptr;
}

// ---------------------------------------------------------------- system

bool FakeSystem::SetProcessWorkingSetSize(platform::ProcessHandle process, std::size_t minimum,
                                          std::size_t maximum) {
  if (process == -1 && minimum == platform::kTrimWorkingSet && maximum == platform::kTrimWorkingSet) {
    ++trims;
    if (journal) journal->push_back("Trim");
  }
  return true;
}

bool FakeSystem::FileExists(const std::string& path) {
  file_checks.push_back(path);
  return files.count(path) != 0;
}

double FakeSystem::Shell(const std::string& path, int window_style) {
  if (path.empty() || unstartable.count(path) != 0) {
    throw platform::RuntimeError(platform::kErrFileNotFound, "文件未找到");
  }
  started.emplace_back(path, window_style);
  return 4242;
}

}  // namespace fake
