// What GTK is told before it starts, and its start. The run keeps nothing:
// the toolkit's settings (the file chooser's window size, sort order and
// location mode) stay in memory, not in the desktop's settings database; a
// run without a session bus starts none (GLib would launch one that stays
// after the program). The interface is Simplified Chinese whatever the
// locale: the text layout is told so (else Han characters take the forms of
// the first CJK font, Japanese ones), and the toolkit's own texts (the file
// chooser's) are translated wherever the system has its Chinese
// translations.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/texts.h"

namespace platform::gtk {

// There is no display to open: neither X11 nor Wayland.
class NoDisplay : public std::runtime_error {
 public:
  NoDisplay() : std::runtime_error(texts::kNoDisplay) {}
};

class ToolkitStart {
 public:
  // Before any other thread starts. Throws NoDisplay.
  ToolkitStart();
  ~ToolkitStart() { LeaveHomeAsFound(); }
  ToolkitStart(const ToolkitStart&) = delete;
  ToolkitStart& operator=(const ToolkitStart&) = delete;

  // GTK's file chooser makes the folders it would keep recent files and
  // bookmarks in (~/.local/share, ~/.config/gtk-3.0) as it starts, though
  // nothing is written into them: those the run made and left empty go.
  // Also for ways out that skip destructors.
  void LeaveHomeAsFound() noexcept;

 private:
  // Folders that did not exist at the start, deepest first.
  std::vector<std::string> absent_;
};

}  // namespace platform::gtk
