// The controls the windows place on their forms. The windows see only these
// interfaces; the toolkit behind the form runtime provides them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/images.h"
#include "platform/vb_types.h"

namespace platform {

// A control's place within its form's client area, in twips.
struct Rect {
  Single left = 0;
  Single top = 0;
  Single width = 0;
  Single height = 0;
};

// Geometry every placed control has. A negative width or height is rejected
// with a run-time error and leaves the control as it was.
class Control {
 public:
  virtual ~Control() = default;
  virtual Single Left() const = 0;
  virtual Single Top() const = 0;
  virtual Single Width() const = 0;
  virtual Single Height() const = 0;
  virtual void SetLeft(Single) = 0;
  virtual void SetTop(Single) = 0;
  virtual void SetWidth(Single) = 0;
  virtual void SetHeight(Single) = 0;
};

// The embedded web browser.
class Browser : public Control {
 public:
  // True: the engine raises no dialogs of its own.
  virtual bool Silent() const = 0;
  virtual void SetSilent(bool silent) = 0;
  // Starts loading the page into this browser and returns at once.
  virtual void Navigate(const std::string& url) = 0;
  // The address of the page shown at the top level, as the engine reports it.
  virtual std::string LocationURL() const = 0;
  // Whether the page shown was loaded because of the user's own click or key
  // in a page, rather than by a page's script, a refresh or Navigate.
  virtual bool NavigatedByUser() const = 0;
  // From the next page on, the page cannot leave by itself (a script, a
  // refresh): only the user's click or key, F5, and Navigate load another.
  virtual void HoldAutomaticNavigation() = 0;
};

// The document a DocumentComplete is about: the top-level page or a frame.
struct BrowserFrame {
  bool top_level = true;
};

struct BrowserEvents {
  // Raised for every frame that finished loading, then for the top-level
  // document; never for a load that failed.
  std::function<void(const BrowserFrame& pDisp, const Variant& URL)> DocumentComplete;
};

struct BrowserDesign {
  Rect rect;
  // A frame's completion is raised only once the document that holds it has
  // finished loading, just before the document's own (in their order), and
  // dropped if the document fails; otherwise at once.
  bool frames_wait_for_their_page = false;
  // The browser of the login window: nobody is logged in while it shows,
  // so nothing it says speaks of a login state.
  bool before_login = false;
};

// A status bar docked to the bottom edge, showing one line of text.
class StatusBar : public Control {
 public:
  virtual std::string SimpleText() const = 0;
  virtual void SetSimpleText(const std::string& text) = 0;
};

struct StatusBarDesign {
  Single height = 255;
  std::string name;
};

// Text on a form; CR LF in a caption breaks the line.
class Label : public Control {
 public:
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
};

struct LabelDesign {
  Rect rect;
  std::string caption;
  bool black_text = false;  // otherwise the default text colour
  std::string name;
};

class CommandButton : public Control {
 public:
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetFocus() = 0;
};

struct ButtonDesign {
  Rect rect;
  std::string caption;  // "&" marks the access key
  bool is_default = false;  // Enter presses it unless another button has the focus
  bool is_cancel = false;   // Esc presses it
  std::string name;
};

struct ButtonEvents {
  std::function<void()> Click;
};

// A picture box showing one of the program's images.
class PictureBox : public Control {};

struct PictureDesign {
  Rect rect;
  ImageId image = ImageId::Logo;  // one of the program's own images
  bool border = true;    // a frame one pixel wide around the picture
  std::string name;
  std::string description;  // what a screen reader says of it
};

// A graphic line drawn on the form; no code refers to it.
struct LineDesign {
  Single x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::uint8_t red = 0, green = 0, blue = 0;
  int width = 1;  // pixels
};

// One entry of a menu bar: a title (parent empty), an item, or a separator
// (caption "-"). "&" in a caption marks the access key.
struct MenuItemDesign {
  std::string name;
  std::string caption;
  std::string parent;
};

}  // namespace platform
