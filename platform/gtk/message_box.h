// The program's message box: a title, one or two lines of plain text, and
// 确定 (the default) with or without 取消, over the program's active window.
#pragma once

#include <gtkmm/dialog.h>
#include <gtkmm/window.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vb::gtk {

// The box, not yet shown; its responses are Gtk::RESPONSE_OK and, when it
// has 取消, Gtk::RESPONSE_CANCEL.
std::unique_ptr<Gtk::Dialog> BuildMessageBox(const std::string& prompt, bool with_cancel,
                                             const std::string& title, Gtk::Window* parent);

// Shows the box and runs `loop` until the user has answered; returns the
// answer, or nothing if the loop stopped first.
std::optional<bool> RunMessageBox(const std::string& prompt, bool with_cancel,
                                  const std::string& title, Gtk::Window* parent,
                                  const std::function<void(const std::function<bool()>&)>& loop);

}  // namespace vb::gtk
