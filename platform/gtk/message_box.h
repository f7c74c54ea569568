// The program's message box: a title, one or two lines of plain text, and
// 确定 (the default) with or without 取消, over the program's active window.
#pragma once

#include <gtkmm/window.h>

#include <functional>
#include <optional>
#include <string>

namespace vb::gtk {

// Shows the box and runs `loop` until the user has answered; returns the
// answer, or nothing if the loop stopped first.
std::optional<bool> RunMessageBox(const std::string& prompt, bool with_cancel,
                                  const std::string& title, Gtk::Window* parent,
                                  const std::function<void(const std::function<bool()>&)>& loop);

}  // namespace vb::gtk
