// What the form runtime needs from a window system: top-level windows with
// their controls, message boxes, the screen, and the message loop. One
// implementation drives GTK and WebKitGTK; tests use a double.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/vb_types.h"

namespace platform {

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };
enum class BorderStyle { None = 0, FixedSingle = 1, Sizable = 2, FixedDialog = 3 };
enum class StartUpPosition { Manual = 0, CenterOwner = 1, CenterScreen = 2, WindowsDefault = 3 };

// A window as defined before any code runs.
struct FormDesign {
  std::string name;
  std::string caption;
  BorderStyle border = BorderStyle::Sizable;
  bool min_button = true;
  bool max_button = true;
  Single client_width = 0;   // twips
  Single client_height = 0;  // twips
  StartUpPosition startup = StartUpPosition::WindowsDefault;
};

// Events a native window reports to the form runtime.
struct WindowCallbacks {
  std::function<void()> resized;          // size or state changed, or first shown
  std::function<void()> close_requested;  // close box, system menu, Alt+F4
};

// One loaded form's window with its controls. Destroying it destroys them.
class NativeWindow {
 public:
  virtual ~NativeWindow() = default;

  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual WindowState State() const = 0;
  virtual void SetState(WindowState state) = 0;

  // Outer geometry in twips, the frame included where the window manager
  // draws one.
  virtual Single Left() const = 0;
  virtual Single Top() const = 0;
  virtual Single Width() const = 0;
  virtual Single Height() const = 0;
  virtual void SetLeft(Single) = 0;
  virtual void SetTop(Single) = 0;
  virtual void SetWidth(Single) = 0;
  virtual void SetHeight(Single) = 0;
  // Client area in twips: 0 wide while minimised.
  virtual Single ScaleWidth() const = 0;
  virtual Single ScaleHeight() const = 0;

  // Maps the window; modal windows stay above the owner, which takes no input.
  virtual void Show(NativeWindow* owner, bool modal) = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  // Unloaded: hidden at once, and no further event reaches the form.
  virtual void Detach() = 0;

  virtual std::shared_ptr<Browser> AddBrowser(const BrowserDesign&, BrowserEvents) = 0;
  virtual std::shared_ptr<StatusBar> AddStatusBar(const StatusBarDesign&) = 0;
  virtual std::shared_ptr<Label> AddLabel(const LabelDesign&) = 0;
  virtual std::shared_ptr<CommandButton> AddButton(const ButtonDesign&, ButtonEvents) = 0;
  virtual std::shared_ptr<PictureBox> AddPicture(const PictureDesign&) = 0;
  virtual void AddLine(const LineDesign&) = 0;
  virtual void SetMenu(const std::vector<MenuItemDesign>& items,
                       std::function<void(const std::string& name)> click) = 0;
};

using Integer = std::int16_t;

// Why a form unloads, as Form_QueryUnload is told.
inline constexpr Integer vbFormControlMenu = 0;  // close box, system menu, Alt+F4
inline constexpr Integer vbFormCode = 1;         // the program's own Unload
inline constexpr Integer vbAppWindows = 2;       // the desktop session ends
inline constexpr Integer vbAppTaskManager = 3;   // a task manager closes the program
inline constexpr Integer vbFormMDIForm = 4;
inline constexpr Integer vbFormOwner = 5;

// Message box buttons and answers.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  virtual std::unique_ptr<NativeWindow> OpenWindow(const FormDesign& design,
                                                     WindowCallbacks callbacks) = 0;
  virtual Single ScreenWidth() const = 0;
  virtual Single ScreenHeight() const = 0;

  // A modal message box with the given title, no icon, OK (default) and
  // maybe Cancel; Esc and the box's close give Cancel (OK when it has only
  // OK). Returns early, with vbCancel, once Quit has been called or once
  // `withdrawn` holds (the window that asked has gone).
  virtual int MsgBox(const std::string& prompt, int buttons, const std::string& title,
                     const std::function<bool()>& withdrawn) = 0;

  // Runs the message loop until Quit; nested, until `done` holds or Quit.
  virtual void Run() = 0;
  virtual void RunUntil(const std::function<bool()>& done) = 0;
  virtual void Quit() = 0;

  // Runs `task` from the message loop once the current event is done.
  virtual void Post(std::function<void()> task) = 0;

  // Downloads being written now: they end with the program.
  virtual int DownloadsUnderWay() const = 0;

  // The program asked to wait for the user inside an event, which the form
  // runtime refuses (form_runtime.h): logged where the program's developers
  // look. The user sees it reported as a run-time error.
  virtual void LogMisplacedWait(const std::string& what) = 0;

  // Unloads the system asks for: the end of the desktop session (2) or a
  // task manager closing the program (3).
  std::function<void(int unload_mode)> system_unload;
};

}  // namespace platform
