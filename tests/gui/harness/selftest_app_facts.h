#pragma once

// What selftest_app shows and does, shared by the program and its tests.
namespace selftest {

inline constexpr const char* kMainTitle = "界面自检";
inline constexpr const char* kDialogTitle = "自检对话框";
inline constexpr const char* kGreeting = "你好，世界";
// Exit status after the window manager asked the main window to close.
inline constexpr int kClosedByRequest = 7;

}  // namespace selftest
