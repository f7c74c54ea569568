// The program's message box: a title, one or two lines of plain text, and
// OK (the default) with or without Cancel, over the program's active window.
#pragma once

#include <gtkmm/dialog.h>
#include <gtkmm/window.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform::gtk {

// The box, not yet shown; its responses are Gtk::RESPONSE_OK and, when it
// has Cancel, Gtk::RESPONSE_CANCEL.
std::unique_ptr<Gtk::Dialog> BuildMessageBox(const std::string& prompt, bool with_cancel,
                                             const std::string& title, Gtk::Window* parent);

// Shows the box and runs `loop` until the user has answered; returns the
// answer, or nothing if the loop stopped first. For the form runtime's own
// waits, which start only where nothing of the toolkit runs beneath them.
std::optional<bool> RunMessageBox(const std::string& prompt, bool with_cancel,
                                  const std::string& title, Gtk::Window* parent,
                                  const std::function<void(const std::function<bool()>&)>& loop);

// A box the backend shows without waiting, captioned with the program's
// title: it answers through its response signal, so whatever asked (an
// engine signal) has long returned. `answered` gets true for OK, false for
// Cancel, Esc and the close box; it may drop this object. Dropping the object
// closes the box unanswered.
class MessageBoxLater {
 public:
  MessageBoxLater(const std::string& prompt, bool with_cancel, Gtk::Window* parent,
                  std::function<void(bool ok)> answered);
  ~MessageBoxLater();
  MessageBoxLater(const MessageBoxLater&) = delete;
  MessageBoxLater& operator=(const MessageBoxLater&) = delete;

 private:
  std::unique_ptr<Gtk::Dialog> dialog_;
  std::function<void(bool)> answered_;
  sigc::connection response_;
};

// The window a widget sits in, if it sits in one.
Gtk::Window* WindowOf(GtkWidget* widget);

}  // namespace platform::gtk
