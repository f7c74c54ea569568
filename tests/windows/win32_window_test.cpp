// Form windows on Win32, read back through the API as a user's tools see
// them: client rectangles, styles, the owner's input, keys and menus.
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/dpi.h"
#include "platform/win32/utf16.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_window.h"
#include "tests/windows/check.h"
#include "tests/windows/fake_browser.h"
#include "tests/windows/ui_driver.h"

namespace {

using platform::BorderStyle;

platform::FormDesign Design(BorderStyle border = BorderStyle::Sizable, bool min_button = true,
                            bool max_button = true) {
  platform::FormDesign d;
  d.name = "frmTest";
  d.caption = "测试窗口";
  d.border = border;
  d.min_button = min_button;
  d.max_button = max_button;
  d.client_width = 5295;
  d.client_height = 3825;
  d.startup = platform::StartUpPosition::CenterScreen;
  return d;
}

HWND HandleOf(platform::NativeWindow& window) {
  return dynamic_cast<platform::win32::Win32NativeWindow&>(window).Handle();
}

RECT ClientOf(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  return r;
}

// Pixels of `twips` at `dpi`: 1440 / dpi twips a pixel.
int Pixels(double twips, UINT dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

TEST_CASE(window_client_area_is_the_design_in_twips_at_the_window_dpi) {
  platform::Win32Toolkit toolkit;
  auto window = toolkit.OpenWindow(Design(), {});
  const HWND handle = HandleOf(*window);
  const UINT dpi = platform::win32::DpiOfWindow(handle);
  CHECK_EQ(dpi, 96u);  // Wine's default, as a Windows at 100 %
  const RECT client = ClientOf(handle);
  CHECK_EQ(client.right, Pixels(5295, dpi));   // 353
  CHECK_EQ(client.bottom, Pixels(3825, dpi));  // 255
  CHECK_EQ(window->ScaleWidth(), 353.0f * 15);
  CHECK_EQ(window->ScaleHeight(), 255.0f * 15);
  CHECK_EQ(wintest::TextOf(handle), std::wstring(L"测试窗口"));
  CHECK_EQ(window->Caption(), std::string("测试窗口"));
  // Outer geometry in twips, the frame included.
  RECT outer{};
  ::GetWindowRect(handle, &outer);
  CHECK_EQ(window->Width(), static_cast<float>((outer.right - outer.left) * 15));
  CHECK(window->Width() > window->ScaleWidth());
  window->SetWidth(6000);
  window->SetHeight(4500);
  window->SetLeft(1500);
  window->SetTop(750);
  ::GetWindowRect(handle, &outer);
  CHECK_EQ(outer.right - outer.left, 400);
  CHECK_EQ(outer.bottom - outer.top, 300);
  CHECK_EQ(outer.left, 100);
  CHECK_EQ(outer.top, 50);
  CHECK_EQ(window->Left(), 1500.0f);
  // The screen in twips at the system's DPI.
  CHECK_EQ(toolkit.ScreenWidth(), static_cast<float>(::GetSystemMetrics(SM_CXSCREEN) * 15));
}

TEST_CASE(window_follows_a_change_of_dpi_with_its_controls) {
  // Wine 8 gives every window the system's DPI and moves none to another:
  // the change comes here as Windows sends it, with its suggested rectangle.
  wintest::FakeBrowsers browsers;
  platform::Win32Toolkit toolkit(browsers.Factory());
  auto window = toolkit.OpenWindow(Design(), {});
  const HWND handle = HandleOf(*window);
  auto button = window->AddButton({{1500, 300, 1200, 450}, "确定", true, true, "cmdOK"}, {});
  auto browser = window->AddBrowser({platform::Rect{0, 0, 1000, 1000}}, {});
  REQUIRE(browsers.made.size() == 1u);
  CHECK_EQ(browsers.made[0]->parent, handle);
  CHECK_EQ(browsers.made[0]->created_dpi, 96u);
  HWND button_window = ::FindWindowExW(handle, nullptr, L"Button", nullptr);
  REQUIRE(button_window != nullptr);
  RECT r = wintest::RectInParent(button_window);
  CHECK_EQ(r.left, 100);
  CHECK_EQ(r.top, 20);
  CHECK_EQ(r.right - r.left, 80);
  CHECK_EQ(r.bottom - r.top, 30);

  RECT suggested{200, 100, 200 + 600, 100 + 450};
  ::SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT outer{};
  ::GetWindowRect(handle, &outer);
  CHECK_EQ(outer.left, suggested.left);
  CHECK_EQ(outer.right - outer.left, 600);
  CHECK_EQ(outer.bottom - outer.top, 450);
  r = wintest::RectInParent(button_window);
  CHECK_EQ(r.left, 150);
  CHECK_EQ(r.top, 30);
  CHECK_EQ(r.right - r.left, 120);
  CHECK_EQ(r.bottom - r.top, 45);
  // 10 twips a pixel now.
  CHECK_EQ(window->ScaleWidth(), static_cast<float>(ClientOf(handle).right * 10));
  CHECK_EQ(button->Left(), 1500.0f);
  CHECK(browsers.made[0]->dpis == std::vector<UINT>{144});
}

struct StyleCase {
  BorderStyle border;
  bool min_button;
  bool max_button;
  DWORD present;
  DWORD absent;
  DWORD ex_present;
};

TEST_CASE(window_styles_follow_border_style_and_buttons) {
  const StyleCase cases[] = {
      {BorderStyle::None, true, true, WS_POPUP, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, 0},
      {BorderStyle::FixedSingle, true, false, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
       WS_THICKFRAME | WS_MAXIMIZEBOX, 0},
      {BorderStyle::FixedSingle, false, true, WS_CAPTION | WS_MAXIMIZEBOX,
       WS_THICKFRAME | WS_MINIMIZEBOX, 0},
      {BorderStyle::Sizable, true, false, WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX, WS_MAXIMIZEBOX, 0},
      {BorderStyle::Sizable, true, true, WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 0},
      {BorderStyle::FixedDialog, true, true, WS_CAPTION | WS_SYSMENU,
       WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_EX_DLGMODALFRAME},
  };
  platform::Win32Toolkit toolkit;
  for (const StyleCase& c : cases) {
    auto window = toolkit.OpenWindow(Design(c.border, c.min_button, c.max_button), {});
    const HWND handle = HandleOf(*window);
    const auto style = static_cast<DWORD>(::GetWindowLongW(handle, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(::GetWindowLongW(handle, GWL_EXSTYLE));
    CHECK_EQ(style & c.present, c.present);
    CHECK_EQ(style & c.absent, 0ul);
    CHECK_EQ(ex_style & c.ex_present, c.ex_present);
    // The client area is the design's whatever the frame.
    CHECK_EQ(ClientOf(handle).right, 353);
    CHECK_EQ(ClientOf(handle).bottom, 255);
  }
}

TEST_CASE(window_modal_show_disables_the_owner_until_it_hides_or_goes) {
  platform::Win32Toolkit toolkit;
  auto owner = toolkit.OpenWindow(Design(), {});
  owner->Show(nullptr, false);
  const HWND owner_handle = HandleOf(*owner);
  CHECK(::IsWindowEnabled(owner_handle));

  auto design = Design(BorderStyle::FixedDialog, false, false);
  design.startup = platform::StartUpPosition::CenterOwner;
  auto modal = toolkit.OpenWindow(design, {});
  modal->Show(owner.get(), true);
  CHECK(modal->Visible());
  CHECK(!::IsWindowEnabled(owner_handle));
  CHECK_EQ(::GetWindow(HandleOf(*modal), GW_OWNER), owner_handle);
  // Centred on its owner.
  RECT o{}, m{};
  ::GetWindowRect(owner_handle, &o);
  ::GetWindowRect(HandleOf(*modal), &m);
  CHECK(std::abs((o.left + o.right) - (m.left + m.right)) <= 1);
  CHECK(std::abs((o.top + o.bottom) - (m.top + m.bottom)) <= 1);
  modal->Hide();
  CHECK(!modal->Visible());
  CHECK(::IsWindowEnabled(owner_handle));

  modal->Show(owner.get(), true);
  CHECK(!::IsWindowEnabled(owner_handle));
  modal->Detach();
  CHECK(!modal->Visible());
  CHECK(::IsWindowEnabled(owner_handle));

  auto again = toolkit.OpenWindow(design, {});
  again->Show(owner.get(), true);
  CHECK(!::IsWindowEnabled(owner_handle));
  const HWND gone = HandleOf(*again);
  again.reset();
  CHECK(!::IsWindow(gone));
  CHECK(::IsWindowEnabled(owner_handle));
}

TEST_CASE(window_close_box_asks_the_form_and_the_window_stays) {
  platform::Win32Toolkit toolkit;
  int asked = 0;
  int resized = 0;
  platform::WindowCallbacks callbacks;
  callbacks.close_requested = [&] { ++asked; };
  callbacks.resized = [&] { ++resized; };
  auto window = toolkit.OpenWindow(Design(), std::move(callbacks));
  window->Show(nullptr, false);
  CHECK(resized >= 1);
  const HWND handle = HandleOf(*window);
  ::SendMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
  CHECK_EQ(asked, 1);
  CHECK(::IsWindow(handle));
  CHECK(window->Visible());
  const int before = resized;
  window->SetState(platform::WindowState::Minimized);
  CHECK(window->State() == platform::WindowState::Minimized);
  CHECK_EQ(window->ScaleWidth(), 0.0f);
  CHECK(resized > before);
  window->SetState(platform::WindowState::Normal);
  CHECK_EQ(window->ScaleWidth(), 5295.0f);
  // Detached: no further event reaches the form.
  window->Detach();
  CHECK(!window->Visible());
  ::SendMessageW(handle, WM_CLOSE, 0, 0);
  CHECK_EQ(asked, 1);
}

struct KeyWindow {
  wintest::FakeBrowsers browsers;
  platform::Win32Toolkit toolkit{browsers.Factory()};
  std::unique_ptr<platform::NativeWindow> window = toolkit.OpenWindow(Design(), {});
  std::vector<std::string> clicks;
  std::shared_ptr<platform::CommandButton> ok;
  std::shared_ptr<platform::CommandButton> sysinfo;
  HWND handle = HandleOf(*window);

  KeyWindow() {
    ok = window->AddButton({{100, 100, 1200, 345}, "确定", true, true, "cmdOK"},
                           {[this] { clicks.push_back("ok"); }});
    sysinfo = window->AddButton({{100, 600, 1200, 345}, "系统信息(&S)...", false, false, "cmdSysInfo"},
                                {[this] { clicks.push_back("sysinfo"); }});
    window->AddBrowser({platform::Rect{1500, 100, 1000, 1000}}, {});
    window->Show(nullptr, false);
  }
  HWND Button(const wchar_t* text) const { return ::FindWindowExW(handle, nullptr, L"Button", text); }
  bool Clicked(std::size_t count) {
    return wintest::RunUntil(toolkit, [&] { return clicks.size() >= count; });
  }
};

TEST_CASE(window_keys_press_the_buttons_and_tab_moves_between_controls) {
  KeyWindow w;
  REQUIRE(w.Button(L"确定") != nullptr);
  // Shown: the first control in tab order has the focus.
  CHECK_EQ(::GetFocus(), w.Button(L"确定"));
  CHECK_EQ(::GetWindowTextLengthW(w.Button(L"系统信息(&S)...")) > 0, true);

  wintest::PressAlt(L's');
  REQUIRE(w.Clicked(1));
  CHECK_EQ(w.clicks.back(), std::string("sysinfo"));
  CHECK_EQ(::GetFocus(), w.Button(L"系统信息(&S)..."));

  // Enter presses the button with the focus, else the default one.
  wintest::PressKey(VK_RETURN);
  REQUIRE(w.Clicked(2));
  CHECK_EQ(w.clicks.back(), std::string("sysinfo"));
  wintest::PressKey(VK_ESCAPE);
  REQUIRE(w.Clicked(3));
  CHECK_EQ(w.clicks.back(), std::string("ok"));

  // Tab: the browser after the buttons, then round to the first.
  wintest::PressKey(VK_TAB);
  CHECK(wintest::RunUntil(w.toolkit, [&] { return w.browsers.made[0]->focuses == 1; }));
  CHECK_EQ(::GetFocus(), w.browsers.made[0]->child);
  ::SetFocus(w.Button(L"系统信息(&S)..."));
  w.sysinfo->SetFocus();
  wintest::PressKey(VK_TAB);
  CHECK(wintest::RunUntil(w.toolkit, [&] { return w.browsers.made[0]->focuses == 2; }));
  w.ok->SetFocus();
  wintest::PressKey(VK_RETURN);
  REQUIRE(w.Clicked(4));
  CHECK_EQ(w.clicks.back(), std::string("ok"));
  // Detached: the browsers hear of it, and keys press nothing.
  w.window->Detach();
  CHECK_EQ(w.browsers.made[0]->detaches, 1);
}

const std::vector<platform::MenuItemDesign> kMenu = {
    {"mnFile", "文件(&F)", ""},
    {"mnOpen", "打开(&O)", "mnFile"},
    {"mnSep", "-", "mnFile"},
    {"mnExit", "退出(&X)", "mnFile"},
    {"mnHelp", "帮助(&H)", ""},
    {"mnAbout", "关于(&A)", "mnHelp"},
};

// Whether a drop-down menu shows, seen from the menu's own loop.
bool menu_seen = false;
void CALLBACK LookForMenu(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND window : wintest::ThreadWindows(true)) {
    if (wintest::ClassOf(window) == L"#32768") {
      menu_seen = true;
      ::EndMenu();
    }
  }
}

TEST_CASE(window_menu_bar_with_access_keys_and_posted_clicks) {
  platform::Win32Toolkit toolkit;
  auto window = toolkit.OpenWindow(Design(), {});
  std::vector<std::string> clicks;
  window->SetMenu(kMenu, [&](const std::string& name) { clicks.push_back(name); });
  window->Show(nullptr, false);
  const HWND handle = HandleOf(*window);
  // The client area keeps its size under the menu bar.
  CHECK_EQ(ClientOf(handle).bottom, 255);
  HMENU bar = ::GetMenu(handle);
  REQUIRE(bar != nullptr);
  CHECK_EQ(::GetMenuItemCount(bar), 2);
  wchar_t text[64] = {};
  ::GetMenuStringW(bar, 0, text, 64, MF_BYPOSITION);
  CHECK_EQ(std::wstring(text), std::wstring(L"文件(&F)"));
  HMENU file = ::GetSubMenu(bar, 0);
  REQUIRE(file != nullptr);
  CHECK_EQ(::GetMenuItemCount(file), 3);
  CHECK((::GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR) != 0);
  ::GetMenuStringW(file, 2, text, 64, MF_BYPOSITION);
  CHECK_EQ(std::wstring(text), std::wstring(L"退出(&X)"));

  // A command reaches the form from the loop, not inside WM_COMMAND.
  const UINT exit_id = ::GetMenuItemID(file, 2);
  ::SendMessageW(handle, WM_COMMAND, MAKEWPARAM(exit_id, 0), 0);
  CHECK(clicks.empty());
  CHECK(wintest::RunUntil(toolkit, [&] { return !clicks.empty(); }));
  CHECK(clicks == std::vector<std::string>{"mnExit"});

  // Alt and a title's access key open its drop-down.
  menu_seen = false;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, LookForMenu);
  wintest::PressAlt(L'f');
  CHECK(wintest::RunUntil(toolkit, [&] { return menu_seen; }));
  ::KillTimer(nullptr, timer);
}

TEST_CASE(window_status_bar_label_and_picture) {
  platform::Win32Toolkit toolkit;
  auto window = toolkit.OpenWindow(Design(), {});
  const HWND handle = HandleOf(*window);
  auto bar = window->AddStatusBar({255, "StatusBar1"});
  bar->SetHeight(300);
  bar->SetSimpleText("欢迎使用");
  HWND bar_window = ::FindWindowExW(handle, nullptr, STATUSCLASSNAMEW, nullptr);
  REQUIRE(bar_window != nullptr);
  RECT r = wintest::RectInParent(bar_window);
  const RECT client = ClientOf(handle);
  CHECK_EQ(r.bottom, client.bottom);
  CHECK_EQ(r.bottom - r.top, 20);
  CHECK_EQ(r.left, 0);
  CHECK_EQ(r.right, client.right);
  wchar_t text[64] = {};
  // Read as a screen reader does: in simple mode the one part is the simple text.
  CHECK(::SendMessageW(bar_window, SB_ISSIMPLE, 0, 0) != 0);
  ::SendMessageW(bar_window, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  CHECK_EQ(std::wstring(text), std::wstring(L"欢迎使用"));
  CHECK_EQ(wintest::TextOf(bar_window), std::wstring(L"欢迎使用"));
  CHECK_EQ(bar->SimpleText(), std::string("欢迎使用"));
  // The client area holds the bar, as on GTK.
  CHECK_EQ(window->ScaleHeight(), 3825.0f);
  CHECK_EQ(bar->Top(), 3825.0f - 300);
  window->SetHeight(window->Height() + 600);
  CHECK_EQ(wintest::RectInParent(bar_window).bottom, ClientOf(handle).bottom);

  auto label = window->AddLabel({{240, 1680, 3000, 570}, "第一行\r\n第二行 & 更多", true, "lblDescription"});
  HWND label_window = ::FindWindowExW(handle, nullptr, L"Static", nullptr);
  REQUIRE(label_window != nullptr);
  CHECK_EQ(wintest::TextOf(label_window), std::wstring(L"第一行\r\n第二行 & 更多"));
  CHECK((::GetWindowLongW(label_window, GWL_STYLE) & SS_NOPREFIX) != 0);
  label->SetCaption("版本 2.8.34");
  CHECK_EQ(wintest::TextOf(label_window), std::wstring(L"版本 2.8.34"));

  auto picture = window->AddPicture({{120, 120, 1815, 1395}, platform::ImageId::Logo, true, "picIcon", "标志"});
  HWND picture_window = ::FindWindowExW(handle, nullptr, nullptr, L"标志");
  REQUIRE(picture_window != nullptr);
  r = wintest::RectInParent(picture_window);
  CHECK_EQ(r.left, 8);
  CHECK_EQ(r.right - r.left, 121);
  CHECK_EQ(r.bottom - r.top, 93);
}

// The rows of a label's picture that hold ink, drawn into a bitmap of its
// size as the system prints a window (WM_PRINTCLIENT).
std::vector<int> InkedLineTops(HWND label) {
  RECT r{};
  ::GetClientRect(label, &r);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC memory = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::SendMessageW(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  const auto* pixels = static_cast<const DWORD*>(bits);
  const DWORD background = pixels[0];
  std::vector<int> tops;  // the first row of each run of inked rows
  bool inked_before = false;
  for (int y = 0; y < r.bottom; ++y) {
    bool inked = false;
    for (int x = 0; x < r.right && !inked; ++x) inked = (pixels[y * r.right + x] & 0xFFFFFF) != (background & 0xFFFFFF);
    if (inked && !inked_before) tops.push_back(y);
    inked_before = inked;
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  return tops;
}

// A label's lines 12 pixels apart at 96 DPI, as the forms were laid out:
// all three lines of the About box's description fit its 38 pixels. Long
// lines wrap at the label's width.
TEST_CASE(window_label_lines_are_set_as_designed_and_wrap) {
  platform::Win32Toolkit toolkit;
  auto window = toolkit.OpenWindow(Design(), {});
  const HWND handle = HandleOf(*window);
  struct Row {
    const char* caption;
    platform::Single width;  // twips
    std::size_t lines;
  };
  for (const Row& row : {Row{"HHH\r\nHHH\r\nHHH", 3000, 3}, Row{"HHH\r\n\r\nHHH", 3000, 2},
                         Row{"HHHH HHHH HHHH HHHH", 900, 3}}) {
    auto label = window->AddLabel({{240, 1680, row.width, 570}, row.caption, true, "lbl"});
    HWND label_window = ::FindWindowExW(handle, nullptr, L"Static", nullptr);
    REQUIRE(label_window != nullptr);
    const std::vector<int> tops = InkedLineTops(label_window);
    CHECK_EQ(tops.size(), row.lines);
    for (std::size_t i = 1; i < tops.size(); ++i) {
      const int apart = (tops[i] - tops[i - 1]) % 12;
      CHECK_EQ(apart, 0);  // a whole number of 12-pixel lines
    }
    if (tops.size() == 2) CHECK_EQ(tops[1] - tops[0], 24);  // the empty line keeps its place
    ::DestroyWindow(label_window);
  }
}

TEST_CASE(window_controls_reject_a_negative_size_and_keep_theirs) {
  platform::Win32Toolkit toolkit;
  auto window = toolkit.OpenWindow(Design(), {});
  auto label = window->AddLabel({{150, 150, 1500, 300}, "x", false, "lbl"});
  auto bar = window->AddStatusBar({255, "bar"});
  for (platform::Control* control : {static_cast<platform::Control*>(label.get()),
                                     static_cast<platform::Control*>(bar.get())}) {
    const float width = control->Width(), height = control->Height();
    for (int side = 0; side < 2; ++side) {
      try {
        side == 0 ? control->SetWidth(-15) : control->SetHeight(-15);
        CHECK(false);
      } catch (const platform::RuntimeError& error) {
        CHECK_EQ(error.Number(), platform::kErrInvalidPropertyValue);
      }
    }
    CHECK_EQ(control->Width(), width);
    CHECK_EQ(control->Height(), height);
  }
  HWND label_window = ::FindWindowExW(HandleOf(*window), nullptr, L"Static", nullptr);
  CHECK_EQ(wintest::RectInParent(label_window).right - wintest::RectInParent(label_window).left, 100);
}

}  // namespace
