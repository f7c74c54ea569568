// The WebView2 control (platform/win32/webview2/) on test doubles of
// WebView2 (fake_webview2.h): the events a page's load raises, in WebView2's
// documented orders, and what the control makes of them.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/texts.h"
#include "platform/win32/utf16.h"
#include "platform/win32/win32_toolkit.h"
#include "tests/windows/box_responder.h"
#include "tests/windows/check.h"
#include "tests/windows/fake_webview2.h"
#include "tests/windows/temp_dir.h"
#include "tests/windows/ui_driver.h"

namespace {

using platform::win32::WebView2Browser;
using wintest::FakeWebView2;
using Completion = std::pair<bool, std::string>;  // top level, address

const std::string kPage = "http://localhost:8010/login.aspx";
const std::string kOther = "http://localhost:8010/main.aspx";
const std::string kFrame1 = "http://localhost:8010/top.aspx";
const std::string kFrame2 = "http://localhost:8010/menu.aspx";

// Runs the thread's messages until `done` or a generous time has passed.
template <class Done>
bool PumpUntil(Done done) {
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (!done()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (done()) break;
    if (GetTickCount64() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return true;
}

// A control on the doubles, its completions noted.
struct Control {
  explicit Control(bool frames_wait = false, UINT dpi = 96,
                   platform::Rect rect = platform::Rect{150, 300, 1500, 750}, HWND parent = nullptr) {
    platform::BrowserDesign design;
    design.rect = rect;
    design.frames_wait_for_their_page = frames_wait;
    platform::BrowserEvents events;
    events.DocumentComplete = [this](const platform::BrowserFrame& frame, const platform::Variant& url) {
      completions.emplace_back(frame.top_level, url.value_or(""));
    };
    browser = std::make_unique<WebView2Browser>(parent, dpi, design, std::move(events), fake.Setup());
  }
  void Create() {
    fake.CompleteEnvironment();
    fake.CompleteController();
  }
  // The page the control shows in place of a failed one, if it asked for one.
  bool Shows(const char* text) const {
    const std::wstring wide = win32::Widen(text);
    for (const std::wstring& html : fake.webview->shown) {
      if (html.find(wide) != std::wstring::npos) return true;
    }
    return false;
  }

  FakeWebView2 fake;
  std::vector<Completion> completions;
  std::unique_ptr<WebView2Browser> browser;
};

std::wstring W(const std::string& text) { return win32::Widen(text); }

}  // namespace

// A load, step by step, as WebView2 raises it after Navigate(kPage).
TEST_CASE(webview2_page_loads) {
  enum class Step { Starting, Content, Completed, Failed, Frame };
  struct Event {
    Step step;
    UINT64 id;
    std::string uri;
    COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
  };
  struct Row {
    const char* name;
    bool frames_wait;  // the login window's control
    std::vector<Event> events;
    std::vector<Completion> completions;
    const char* error_text;  // in the page shown in its place; null: none
    std::string location;
  };
  const std::vector<Row> rows = {
      {"plain load", false,
       {{Step::Starting, 1, kPage}, {Step::Content, 1, kPage}, {Step::Completed, 1, ""}},
       {{true, kPage}}, nullptr, kPage},
      {"unreachable before content", false,
       {{Step::Starting, 1, kPage}, {Step::Failed, 1, "", COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED}},
       {}, platform::texts::kUnreachable, ""},
      {"bad certificate", false,
       {{Step::Starting, 1, kPage}, {Step::Failed, 1, "", COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_EXPIRED}},
       {}, platform::texts::kBadCertificate, ""},
      {"frames complete before their page", true,
       {{Step::Starting, 1, kPage},
        {Step::Content, 1, kPage},
        {Step::Frame, 11, kFrame1},
        {Step::Frame, 12, kFrame2},
        {Step::Completed, 1, ""}},
       {{false, kFrame1}, {false, kFrame2}, {true, kPage}}, nullptr, kPage},
      {"frames dropped when their page fails", true,
       {{Step::Starting, 1, kPage},
        {Step::Content, 1, kPage},
        {Step::Frame, 11, kFrame1},
        {Step::Failed, 1, "", COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED}},
       {}, platform::texts::kUnreachable, kPage},
      // Starting(1), Starting(2), Completed(1), then the rest of 2.
      {"a navigation overlapping another", false,
       {{Step::Starting, 1, kPage},
        {Step::Starting, 2, kOther},
        {Step::Failed, 1, "", COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED},
        {Step::Content, 2, kOther},
        {Step::Completed, 2, ""}},
       {{true, kOther}}, nullptr, kOther},
  };
  for (const Row& row : rows) {
    Control control(row.frames_wait);
    control.Create();
    control.browser->Navigate(kPage);
    auto& webview = *control.fake.webview;
    CHECK_EQ(webview.navigated.size(), std::size_t{1});
    for (const Event& event : row.events) {
      switch (event.step) {
        case Step::Starting: CHECK(webview.RaiseStarting(event.id, W(event.uri))); break;
        case Step::Content:
          webview.source = W(event.uri);
          webview.RaiseContentLoading(event.id);
          break;
        case Step::Completed: webview.RaiseCompleted(event.id, true); break;
        case Step::Failed: webview.RaiseCompleted(event.id, false, event.status); break;
        case Step::Frame: CHECK(webview.RaiseFrameCreated()->Load(event.id, W(event.uri))); break;
      }
    }
    if (!CHECK_EQ(control.completions.size(), row.completions.size())) std::printf("  in: %s\n", row.name);
    for (std::size_t i = 0; i < row.completions.size() && i < control.completions.size(); ++i) {
      CHECK_EQ(control.completions[i].first, row.completions[i].first);
      CHECK_EQ(control.completions[i].second, row.completions[i].second);
    }
    if (row.error_text == nullptr) {
      CHECK_EQ(webview.shown.size(), std::size_t{0});
    } else {
      REQUIRE(webview.shown.size() == 1);
      CHECK(control.Shows(row.error_text));
      // The error page loads in turn, raising nothing, and stands for the
      // address that failed.
      webview.Load(99, L"");
      CHECK_EQ(control.completions.size(), std::size_t{0});
      CHECK_EQ(control.browser->LocationURL(), kPage);
      continue;
    }
    CHECK_EQ(control.browser->LocationURL(), row.location);
  }
}

// Creation is asynchronous: what is asked before it completes is carried
// out after; the control is placed in pixels of its window's DPI.
TEST_CASE(webview2_creation) {
  struct Row {
    UINT dpi;
    RECT bounds;  // pixels = twips × DPI / 1440
  };
  const Row rows[] = {{96, {10, 20, 110, 70}}, {144, {15, 30, 165, 105}}, {192, {20, 40, 220, 140}}};
  for (const Row& row : rows) {
    Control control(false, row.dpi);
    control.browser->Navigate(kPage);
    CHECK(!control.browser->Ready());
    CHECK_EQ(control.fake.user_data_folder, std::wstring(L"C:\\profile"));
    control.fake.CompleteEnvironment();
    CHECK_EQ(control.fake.webview->navigated.size(), std::size_t{0});
    control.fake.CompleteController();
    CHECK(control.browser->Ready());
    // The program waits for that process before it removes the profile.
    CHECK(control.fake.browser_processes == std::vector<UINT32>{control.fake.webview->browser_process});
    REQUIRE(control.fake.webview->navigated.size() == 1);
    CHECK_EQ(control.fake.webview->navigated[0], W(kPage));
    CHECK(control.fake.webview->Listened());
    control.fake.webview->Load(1, W(kPage));
    REQUIRE(control.completions.size() == 1);
    CHECK_EQ(control.completions[0].second, kPage);
    const RECT& bounds = control.fake.controller->bounds;
    CHECK_EQ(bounds.left, row.bounds.left);
    CHECK_EQ(bounds.top, row.bounds.top);
    CHECK_EQ(bounds.right, row.bounds.right);
    CHECK_EQ(bounds.bottom, row.bounds.bottom);
    CHECK(control.fake.controller->visible);
    const auto& settings = *control.fake.webview->settings;
    CHECK(!settings.dev_tools);
    CHECK(!settings.accelerator_keys);
    CHECK(!settings.password_autosave);
    CHECK(!settings.script_dialogs);
  }
  // Another monitor's DPI: the same place in twips.
  Control control(false, 96);
  control.Create();
  control.browser->SetDpi(192);
  CHECK_EQ(control.browser->Left(), 150.0f);
  CHECK_EQ(control.fake.controller->bounds.left, 20L);
  CHECK_EQ(control.fake.controller->bounds.bottom, 140L);
  control.browser.reset();
  CHECK(control.fake.controller->closed);
}

// The navigation policy decides in NavigationStarting: what it refuses is
// cancelled there, without an error page.
TEST_CASE(webview2_refused_navigation) {
  struct Row {
    std::string uri;
    bool followed;
    bool offered;  // to the desktop's program
  };
  const Row rows[] = {
      {"file:///C:/Windows/win.ini", false, false},
      {"mailto:sales@example.com", false, true},
      {kOther, true, false},
  };
  for (const Row& row : rows) {
    Control control;
    control.Create();
    auto& webview = *control.fake.webview;
    webview.Load(1, W(kPage));
    CHECK_EQ(webview.RaiseStarting(2, W(row.uri)), row.followed);
    if (!row.followed) webview.RaiseCompleted(2, false, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED);
    CHECK_EQ(webview.shown.size(), std::size_t{0});
    CHECK_EQ(control.completions.size(), std::size_t{1});
    if (row.offered) {
      CHECK(PumpUntil([&] { return !control.fake.offered.empty(); }));
      CHECK_EQ(control.fake.offered.size() == 1 ? control.fake.offered[0] : "", row.uri);
    } else {
      PumpUntil([] { return true; });
      CHECK_EQ(control.fake.offered.size(), std::size_t{0});
    }
  }
}

// The page's process ends: the crash page takes its place.
TEST_CASE(webview2_process_failed) {
  Control control;
  control.Create();
  auto& webview = *control.fake.webview;
  webview.Load(1, W(kPage));
  webview.RaiseProcessFailed(COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED);
  REQUIRE(webview.shown.size() == 1);
  CHECK(control.Shows(platform::texts::kCrashed));
  webview.Load(2, L"");
  CHECK_EQ(control.completions.size(), std::size_t{1});
  CHECK_EQ(control.browser->LocationURL(), kPage);
}

// A page's dialogs, answered in boxes of ours from the message loop: the
// engine's event returns at once and the page's script waits in the
// deferral until the user has answered.
TEST_CASE(webview2_script_dialogs) {
  struct Row {
    COREWEBVIEW2_SCRIPT_DIALOG_KIND kind;
    wintest::Answer answer;
    std::string box_text;  // empty: no box
    bool cancel_shown;
    bool accepted;
  };
  const std::string message = "Saved: 3 messages";
  const Row rows[] = {
      {COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT, wintest::Answer::Ok, message, false, true},
      {COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM, wintest::Answer::Ok, message, true, true},
      {COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM, wintest::Answer::Cancel, message, true, false},
      {COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD, wintest::Answer::Ok, platform::texts::kLeavePage, true, true},
      {COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD, wintest::Answer::Cancel, platform::texts::kLeavePage, true,
       false},
  };
  for (const Row& row : rows) {
    wintest::BoxResponder responder(row.answer);
    Control control;
    control.Create();
    control.fake.webview->Load(1, W(kPage));
    auto dialog = control.fake.webview->RaiseScriptDialog(row.kind, W(message));
    if (!row.box_text.empty()) {
      CHECK(!dialog->Answered());
      CHECK_EQ(responder.Seen().size(), std::size_t{0});
    }
    CHECK(PumpUntil([&] { return dialog->Answered(); }));
    const auto seen = responder.Seen();
    if (row.box_text.empty()) {
      CHECK_EQ(seen.size(), std::size_t{0});
    } else if (CHECK_EQ(seen.size(), std::size_t{1})) {
      CHECK_EQ(seen[0].caption, W(platform::texts::kPageDialogTitle));
      CHECK_EQ(seen[0].text, W(row.box_text));
      CHECK_EQ(seen[0].cancel_shown, row.cancel_shown);
    }
    if (row.kind != COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT) CHECK_EQ(dialog->accepted, row.accepted);
    CHECK_EQ(control.fake.webview->shown.size(), std::size_t{0});
  }
}

// What a page's prompt box showed, read from the box's own loop, and what
// the user did there.
enum class PromptAction { TypeAndEnter, Enter, Escape, CloseBox, Quit };
struct SeenPrompt {
  PromptAction action = PromptAction::Enter;
  std::wstring typed;
  platform::Win32Toolkit* toolkit = nullptr;
  HWND owner = nullptr;
  HWND box = nullptr;
  std::wstring caption, message, field, ok, cancel;
  DWORD selection_start = 1, selection_end = 0;
  bool focus_on_field = false;
  bool message_names_field = false;  // the label just before the field
  bool ok_default = false;
  bool owner_enabled = true;
  bool message_whole = false;  // the label is tall enough for its wrapped text
  int message_lines = 0;
  LOGFONTW font{};
  ULONGLONG acted_at = 0;
  bool left_open = false;  // still open long after the user's answer
};
SeenPrompt* seen_prompt = nullptr;

void TypeText(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (wchar_t letter : text) {
    for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = letter;
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(input);
    }
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void CALLBACK ActOnPrompt(HWND, UINT, UINT_PTR, DWORD) {
  SeenPrompt* seen = seen_prompt;
  if (seen == nullptr) return;
  if (seen->box != nullptr) {
    // This runs in the box's own loop, which nothing outside it can end:
    // a box that stays open is cancelled here, so that the case goes on.
    if (::IsWindow(seen->box) && !seen->left_open && ::GetTickCount64() - seen->acted_at > 5000) {
      seen->left_open = true;
      ::PostMessageW(seen->box, WM_COMMAND, IDCANCEL, 0);
    }
    return;
  }
  HWND box = nullptr;
  for (HWND window : wintest::ThreadWindows(true)) {
    if (wintest::ClassOf(window) == L"#32770") box = window;
  }
  if (box == nullptr) return;
  seen->box = box;
  seen->caption = wintest::TextOf(box);
  HWND label = ::FindWindowExW(box, nullptr, L"Static", nullptr);
  HWND field = ::FindWindowExW(box, nullptr, L"Edit", nullptr);
  if (label == nullptr || field == nullptr) return;
  seen->message = wintest::TextOf(label);
  seen->field = wintest::TextOf(field);
  seen->ok = wintest::TextOf(::GetDlgItem(box, IDOK));
  seen->cancel = wintest::TextOf(::GetDlgItem(box, IDCANCEL));
  ::SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&seen->selection_start),
                 reinterpret_cast<LPARAM>(&seen->selection_end));
  seen->focus_on_field = ::GetFocus() == field;
  seen->message_names_field = ::GetWindow(field, GW_HWNDPREV) == label;
  const LRESULT default_id = ::SendMessageW(box, DM_GETDEFID, 0, 0);
  seen->ok_default = HIWORD(default_id) == DC_HASDEFID && LOWORD(default_id) == IDOK;
  seen->owner_enabled = ::IsWindowEnabled(seen->owner) != FALSE;
  auto font = reinterpret_cast<HFONT>(::SendMessageW(field, WM_GETFONT, 0, 0));
  ::GetObjectW(font, sizeof seen->font, &seen->font);
  // The whole message in the label, wrapped at its width.
  RECT shown{};
  ::GetClientRect(label, &shown);
  RECT needed{0, 0, shown.right, 0};
  HDC dc = ::GetDC(label);
  HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::DrawTextW(dc, seen->message.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  ::SelectObject(dc, previous);
  ::ReleaseDC(label, dc);
  seen->message_whole = needed.bottom <= shown.bottom && needed.right <= shown.right;
  seen->message_lines = metrics.tmHeight > 0 ? static_cast<int>(needed.bottom / metrics.tmHeight) : 0;

  ::SetForegroundWindow(box);
  seen->acted_at = ::GetTickCount64();
  switch (seen->action) {
    case PromptAction::TypeAndEnter:
      TypeText(seen->typed);
      wintest::PressKey(VK_RETURN);
      break;
    case PromptAction::Enter: wintest::PressKey(VK_RETURN); break;
    case PromptAction::Escape: wintest::PressKey(VK_ESCAPE); break;
    case PromptAction::CloseBox: ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case PromptAction::Quit: seen->toolkit->Quit(); break;
  }
}

// A page's prompt(): a box of ours over the control's window with the
// page's message, a field holding the default text all selected, OK and
// Cancel. OK gives the page the text in the field; Esc, the close box and
// the program's end give it null.
TEST_CASE(webview2_script_prompt) {
  struct Row {
    const char* name;
    std::wstring message;
    std::wstring default_text;
    PromptAction action;
    std::wstring typed;
    bool accepted;
    std::wstring result;
  };
  const std::wstring question = L"\u8BF7\u8F93\u5165\u6536\u4EF6\u4EBA\u59D3\u540D\uFF1A";  // 请输入收件人姓名：
  // Far wider than any box: it has to wrap.
  std::wstring long_message;
  for (int i = 0; i < 12; ++i) long_message += L"\u8FD9\u662F\u4E00\u6BB5\u5F88\u957F\u7684\u8BF4\u660E ";  // 这是一段很长的说明
  const Row rows[] = {
      {"typed over the default, Enter", question, L"13800138000", PromptAction::TypeAndEnter,
       L"\u5F20\u4E09 Zhang", true, L"\u5F20\u4E09 Zhang"},
      {"default kept, Enter", question, L"\u9ED8\u8BA4", PromptAction::Enter, L"", true, L"\u9ED8\u8BA4"},
      {"empty field, Enter", long_message, L"", PromptAction::Enter, L"", true, L""},
      {"Esc", question, L"13800138000", PromptAction::Escape, L"", false, L""},
      {"close box", question, L"13800138000", PromptAction::CloseBox, L"", false, L""},
      {"the program quits", question, L"13800138000", PromptAction::Quit, L"", false, L""},
  };
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600, 400, nullptr,
                                  nullptr, nullptr, nullptr);
  REQUIRE(parent != nullptr);
  for (const Row& row : rows) {
    platform::Win32Toolkit toolkit;
    SeenPrompt seen;
    seen.action = row.action;
    seen.typed = row.typed;
    seen.toolkit = &toolkit;
    seen.owner = parent;
    seen_prompt = &seen;
    Control control(false, 96, platform::Rect{150, 300, 1500, 750}, parent);
    control.Create();
    control.fake.webview->Load(1, W(kPage));
    auto dialog = control.fake.webview->RaiseScriptDialog(COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT, row.message,
                                                          row.default_text);
    CHECK(!dialog->Answered());
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ActOnPrompt);
    const bool answered = PumpUntil([&] { return dialog->Answered(); });
    ::KillTimer(nullptr, timer);
    seen_prompt = nullptr;
    if (!answered || seen.left_open) std::printf("  not answered by the user's action: %s\n", row.name);
    CHECK(answered);
    CHECK(!seen.left_open);
    REQUIRE(seen.box != nullptr);
    CHECK_EQ(seen.caption, W(platform::texts::kPageDialogTitle));
    CHECK(seen.message == row.message);
    CHECK(seen.field == row.default_text);
    CHECK_EQ(seen.selection_start, DWORD{0});
    CHECK_EQ(seen.selection_end, static_cast<DWORD>(row.default_text.size()));
    CHECK(seen.focus_on_field);
    CHECK(seen.message_names_field);
    CHECK_EQ(seen.ok, W(platform::texts::kOk));
    CHECK_EQ(seen.cancel, W(platform::texts::kCancel));
    CHECK(seen.ok_default);
    CHECK(!seen.owner_enabled);
    CHECK(seen.message_whole);
    if (row.message == long_message) CHECK(seen.message_lines > 1);
    // The message box font, at the window's 96 DPI.
    CHECK_EQ(std::wstring(seen.font.lfFaceName), std::wstring(metrics.lfMessageFont.lfFaceName));
    CHECK_EQ(seen.font.lfHeight, metrics.lfMessageFont.lfHeight);
    if (!CHECK_EQ(dialog->accepted, row.accepted)) std::printf("  in: %s\n", row.name);
    if (dialog->result_text != row.result) std::printf("  result differs: %s\n", row.name);
    CHECK(dialog->result_text == row.result);
    CHECK(!::IsWindow(seen.box));
    CHECK(::IsWindowEnabled(parent));
  }
  ::DestroyWindow(parent);
}

// Once its window has let go of the control (it is being unloaded), a
// page's dialog shows nothing, and a controller that comes after is closed.
TEST_CASE(webview2_detached_control_shows_nothing) {
  wintest::BoxResponder responder(wintest::Answer::Ok);
  Control control;
  control.Create();
  control.fake.webview->Load(1, W(kPage));
  control.browser->Detach();
  auto dialog = control.fake.webview->RaiseScriptDialog(COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM, L"Leave?");
  const ULONGLONG end = GetTickCount64() + 500;
  PumpUntil([&] { return GetTickCount64() > end || !responder.Seen().empty(); });
  CHECK_EQ(responder.Seen().size(), std::size_t{0});
  CHECK(!dialog->deferral);  // nobody took the dialog up

  Control late;
  late.browser->Detach();
  late.Create();
  CHECK(late.fake.controller->closed);
}

// A page that opens a dialog the moment the last one is answered: the
// tenth in a row is not shown, its script is held, and the page is stopped.
TEST_CASE(webview2_script_dialog_flood) {
  wintest::BoxResponder responder(wintest::Answer::Ok);
  Control control;
  control.Create();
  control.fake.webview->Load(1, W(kPage));
  for (int i = 1; i <= 9; ++i) {
    auto dialog = control.fake.webview->RaiseScriptDialog(COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM, L"Again?");
    REQUIRE(PumpUntil([&] { return dialog->Answered(); }));
    CHECK(dialog->accepted);
  }
  CHECK_EQ(responder.Seen().size(), std::size_t{9});
  auto tenth = control.fake.webview->RaiseScriptDialog(COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM, L"Again?");
  CHECK(PumpUntil([&] { return control.Shows(platform::texts::kStoppedDialogs); }));
  CHECK(!tenth->Answered());
  CHECK_EQ(responder.Seen().size(), std::size_t{9});
  // The control goes: the held script is let go.
  control.browser.reset();
  CHECK(tenth->Answered());
  CHECK(!tenth->accepted);
}

// The page's keys as in the Linux client: the chords the client knows are
// kept from the page and the engine, and carried out from the message loop.
TEST_CASE(webview2_page_keys) {
  struct Row {
    const char* name;
    UINT key;
    std::vector<int> held;  // modifiers down as the key comes
    COREWEBVIEW2_KEY_EVENT_KIND kind;
    bool handled;
    int reloads;
    double zoom_before, zoom_after;  // the engine's zoom factor
    bool printed;
    int went_back;
  };
  constexpr auto kDown = COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN;
  constexpr auto kSystemDown = COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN;
  const std::vector<Row> rows = {
      {"F5", VK_F5, {}, kDown, true, 1, 1.0, 1.0, false, 0},
      {"F5 let go", VK_F5, {}, COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP, false, 0, 1.0, 1.0, false, 0},
      {"Ctrl+R", 'R', {VK_CONTROL}, kDown, true, 1, 1.0, 1.0, false, 0},
      {"R typed", 'R', {}, kDown, false, 0, 1.0, 1.0, false, 0},
      // A browser's zoom steps: 100 %, 110 %, 90 %.
      {"Ctrl+=", VK_OEM_PLUS, {VK_CONTROL}, kDown, true, 0, 1.0, 1.1, false, 0},
      {"Ctrl++ (shifted)", VK_OEM_PLUS, {VK_CONTROL, VK_SHIFT}, kDown, true, 0, 1.0, 1.1, false, 0},
      {"Ctrl+keypad +", VK_ADD, {VK_CONTROL}, kDown, true, 0, 1.0, 1.1, false, 0},
      {"Ctrl+-", VK_OEM_MINUS, {VK_CONTROL}, kDown, true, 0, 1.0, 0.9, false, 0},
      {"Ctrl+0", '0', {VK_CONTROL}, kDown, true, 0, 1.5, 1.0, false, 0},
      // Without ICoreWebView2_16 (these doubles), the page's own print.
      {"Ctrl+P", 'P', {VK_CONTROL}, kDown, true, 0, 1.0, 1.0, true, 0},
      {"Alt+Left", VK_LEFT, {VK_MENU}, kSystemDown, true, 0, 1.0, 1.0, false, 1},
      // Without ICoreWebView2_28 (these doubles) there is no find bar: the page's key.
      {"Ctrl+F", 'F', {VK_CONTROL}, kDown, false, 0, 1.0, 1.0, false, 0},
  };
  for (const Row& row : rows) {
    Control control;
    control.Create();
    auto& webview = *control.fake.webview;
    auto& controller = *control.fake.controller;
    webview.Load(1, W(kPage));
    controller.zoom = row.zoom_before;
    BYTE keys[256] = {};
    for (int held : row.held) keys[held] = 0x80;
    SetKeyboardState(keys);
    const bool handled = controller.RaiseKey(row.key, row.kind);
    BYTE none[256] = {};
    SetKeyboardState(none);
    if (!CHECK_EQ(handled, row.handled)) std::printf("  in: %s\n", row.name);
    // Nothing is carried out inside the engine's event.
    CHECK_EQ(webview.reloads, 0);
    CHECK_EQ(controller.zoom, row.zoom_before);
    const auto print = std::wstring(L"window.print()");
    auto printed = [&] { return std::find(webview.scripts.begin(), webview.scripts.end(), print) != webview.scripts.end(); };
    if (row.reloads > 0 || row.zoom_after != row.zoom_before || row.printed || row.went_back > 0) {
      CHECK(PumpUntil([&] {
        return webview.reloads > 0 || controller.zoom != row.zoom_before || printed() || webview.went_back > 0;
      }));
    }
    PumpUntil([] { return true; });
    if (!CHECK_EQ(webview.reloads, row.reloads)) std::printf("  in: %s\n", row.name);
    if (!CHECK_EQ(controller.zoom, row.zoom_after)) std::printf("  in: %s\n", row.name);
    CHECK_EQ(printed(), row.printed);
    CHECK_EQ(webview.went_back, row.went_back);
  }
}

// What a context menu showed, seen from the menu's own loop, and the
// user's choice there: the first item (Down, Enter) or none (Escape).
struct SeenMenu {
  std::vector<std::wstring> labels;
  std::vector<bool> greyed;
  RECT at{};
  bool choose = false;
};
SeenMenu* seen_menu = nullptr;
void CALLBACK ReadMenu(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND window : wintest::ThreadWindows(true)) {
    if (wintest::ClassOf(window) != L"#32768" || seen_menu == nullptr || !seen_menu->labels.empty()) continue;
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      const UINT state = ::GetMenuState(menu, i, MF_BYPOSITION);
      ::GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
      seen_menu->labels.push_back((state & MF_SEPARATOR) ? L"-" : text);
      seen_menu->greyed.push_back((state & (MF_SEPARATOR | MF_GRAYED)) == MF_GRAYED);
    }
    ::GetWindowRect(window, &seen_menu->at);
    if (seen_menu->choose) {
      ::PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
      ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    } else {
      ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    }
  }
}

// The page's context menu: the engine's items under the Linux client's
// labels, developer tools left out, no separator left dangling; shown from
// the loop at the place clicked, the choice handed back through the deferral.
TEST_CASE(webview2_context_menu) {
  using wintest::MenuEntry;
  const std::vector<MenuEntry> engine = {
      {L"copy", L"Copy", 11},
      {L"paste", L"Paste", 12, false},
      {L"", L"", 0},
      {L"back", L"Back", 13},
      {L"forward", L"Forward", 14},
      {L"reload", L"Reload", 15},
      {L"", L"", 0},
      {L"inspectElement", L"Inspect", 16},
  };
  const std::vector<std::wstring> labels = {W(platform::texts::kCopy),    W(platform::texts::kPaste), L"-",
                                            W(platform::texts::kBack),    W(platform::texts::kForward),
                                            W(platform::texts::kReload)};
  // Paste not possible; nowhere to go forward.
  const std::vector<bool> greyed = {false, true, false, false, true, false};
  struct Row {
    bool choose;
    INT32 selected;  // -1: none, the engine's own starting value
  };
  const Row rows[] = {{true, 11}, {false, -1}};
  HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600, 400, nullptr,
                                  nullptr, nullptr, nullptr);
  REQUIRE(parent != nullptr);
  for (const Row& row : rows) {
    SeenMenu seen;
    seen.choose = row.choose;
    seen_menu = &seen;
    {
      Control control(false, 96, platform::Rect{150, 300, 1500, 750}, parent);
      control.Create();
      control.fake.webview->Load(1, W(kPage));
      auto request = control.fake.webview->RaiseContextMenu(engine, POINT{30, 40});
      CHECK(request->handled);
      CHECK(!request->Answered());
      const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ReadMenu);
      CHECK(PumpUntil([&] { return request->Answered(); }));
      ::KillTimer(nullptr, timer);
      CHECK_EQ(request->selected, row.selected);
    }
    seen_menu = nullptr;
    CHECK(seen.labels == labels);
    CHECK(seen.greyed == greyed);
    // Where the page was clicked: its control at (10, 20) in the window's
    // client area, (30, 40) into the page.
    POINT client{0, 0};
    ::ClientToScreen(parent, &client);
    CHECK_EQ(seen.at.left, client.x + 10 + 30);
    CHECK_EQ(seen.at.top, client.y + 20 + 40);
  }
  ::DestroyWindow(parent);
}

// A page's downloads: the save dialog, shown from the loop, one at a time,
// with the engine's choice of folder and name; the answer given through the
// deferral. No to one of a batch is no to the batch; a fourth download in
// a row is refused without a dialog.
TEST_CASE(webview2_downloads) {
  struct Row {
    const char* name;
    int at_once;  // downloads the page starts together
    wintest::Answer answer;
    std::size_t dialogs;
    std::vector<bool> saved;  // each download: saved where suggested, or cancelled
  };
  const Row rows[] = {
      {"one, saved", 1, wintest::Answer::Ok, 1, {true}},
      {"one, cancelled", 1, wintest::Answer::Cancel, 1, {false}},
      {"three, each asked in turn", 3, wintest::Answer::Ok, 3, {true, true, true}},
      {"three, no to the batch", 3, wintest::Answer::Cancel, 1, {false, false, false}},
      {"four in a row", 4, wintest::Answer::Ok, 3, {true, true, true, false}},
  };
  for (const Row& row : rows) {
    wintest::TempDir folder(L"downloads");
    wintest::BoxResponder responder(row.answer);
    Control control;
    control.Create();
    control.fake.webview->Load(1, W(kPage));
    std::vector<wintest::ComPtr<wintest::FakeDownload>> downloads;
    std::vector<std::wstring> suggested;
    for (int i = 0; i < row.at_once; ++i) {
      suggested.push_back((folder.path() / (L"report" + std::to_wstring(i + 1) + L".csv")).wstring());
      downloads.push_back(control.fake.webview->RaiseDownload(suggested.back()));
      // The first waits for the dialog, which the event does not wait for.
      if (i == 0) CHECK(!downloads[0]->Answered());
    }
    CHECK(PumpUntil([&] {
      return std::all_of(downloads.begin(), downloads.end(), [](const auto& d) { return d->Answered(); });
    }));
    const auto seen = responder.Seen();
    if (!CHECK_EQ(seen.size(), row.dialogs)) std::printf("  in: %s\n", row.name);
    for (const auto& box : seen) CHECK_EQ(box.caption, W(platform::texts::kSaveFile));
    for (std::size_t i = 0; i < downloads.size(); ++i) {
      if (!CHECK_EQ(downloads[i]->cancel == FALSE, row.saved[i])) std::printf("  in: %s\n", row.name);
      if (row.saved[i] && ::lstrcmpiW(downloads[i]->path.c_str(), suggested[i].c_str()) != 0) {
        CHECK_EQ(downloads[i]->path, suggested[i]);
      }
    }
  }
}

// ------------------------------------------------------------- new windows

namespace {

// The page windows of ours on this thread that are showing: their captions
// begin "网页 - ".
std::vector<HWND> PageWindows() {
  std::vector<HWND> found;
  for (HWND window : wintest::ThreadWindows(true)) {
    if (wintest::TextOf(window).rfind(L"\u7F51\u9875 - ", 0) == 0) found.push_back(window);
  }
  return found;
}

// A control showing kPage, ready for the page's new windows.
struct Opener : Control {
  Opener() {
    browser->Navigate(kPage);
    Create();
    fake.webview->Load(1, W(kPage));
  }
  // A new window the user asked for on the page's own site, given its
  // control: the pop-up's web view.
  platform::win32::ComPtr<wintest::FakeWebView> Open(const std::string& uri = kOther) {
    auto args = fake.webview->RaiseNewWindow(W(uri), true);
    return args->handled ? platform::win32::ComPtr<wintest::FakeWebView>() : fake.CompleteAnotherController();
  }
};

}  // namespace

TEST_CASE(webview2_new_window_opens_in_a_window_of_ours_on_the_same_session) {
  Opener c;
  auto args = c.fake.webview->RaiseNewWindow(W(kOther), true);
  // A window of ours, whose control the engine waits for.
  const std::vector<HWND> windows = PageWindows();
  REQUIRE(windows.size() == 1u);
  CHECK(!args->handled);
  CHECK(!args->Answered());
  CHECK(c.fake.environment->pending_parent == windows.front());

  // Once made, the control takes the new page.
  auto popup = c.fake.CompleteAnotherController();
  REQUIRE(popup);
  CHECK(args->Answered());
  CHECK(args->new_window.get() == static_cast<ICoreWebView2*>(popup.get()));
  CHECK(!args->handled);

  // Its caption names the page and its site, and can never be one of the
  // client's own windows.
  popup->source = W(kOther);
  popup->RaiseTitle(L"\u53D1\u9001\u7ED3\u679C");  // 发送结果
  CHECK_EQ(wintest::TextOf(windows.front()), std::wstring(L"\u7F51\u9875 - \u53D1\u9001\u7ED3\u679C (localhost)"));

  // The page's window.close() closes it, from the message loop.
  popup->RaiseWindowCloseRequested();
  const HWND closed = windows.front();
  CHECK(PumpUntil([closed] { return !IsWindow(closed); }));
  CHECK(PageWindows().empty());
}

TEST_CASE(webview2_new_windows_at_most_five_until_one_closes) {
  Opener c;
  for (int i = 0; i < 5; ++i) CHECK(c.Open());
  CHECK_EQ(PageWindows().size(), 5u);
  // The sixth opens nowhere, not even in a window of the engine's own.
  auto refused = c.fake.webview->RaiseNewWindow(W(kOther), true);
  CHECK(refused->handled);
  CHECK(refused->Answered());
  CHECK_EQ(PageWindows().size(), 5u);

  // The user closes one: room for another.
  PostMessageW(PageWindows().front(), WM_CLOSE, 0, 0);
  CHECK(PumpUntil([] { return PageWindows().size() == 4u; }));
  CHECK(c.Open());
  CHECK_EQ(PageWindows().size(), 5u);
}

TEST_CASE(webview2_new_windows_close_with_the_control_that_opened_them) {
  Opener c;
  CHECK(c.Open());
  // One whose control is still being made.
  auto waiting = c.fake.webview->RaiseNewWindow(W(kOther), true);
  CHECK_EQ(PageWindows().size(), 2u);
  CHECK(!waiting->Answered());

  c.browser->Detach();
  CHECK(PumpUntil([] { return PageWindows().empty(); }));
  // The engine is told no window comes, and opens none of its own.
  CHECK(waiting->Answered());
  CHECK(waiting->handled);
}

// Downloads take turns across windows: a pop-up's wait behind its opener's,
// no to one is no to those waiting, and the limit counts them together.
TEST_CASE(webview2_downloads_take_turns_across_windows) {
  struct Row {
    const char* name;
    wintest::Answer answer;
    std::vector<bool> from_popup;  // each download in turn: the pop-up's or the opener's
    std::size_t dialogs;
    std::vector<bool> saved;
  };
  const Row rows[] = {
      {"no to the opener's is no to the pop-up's", wintest::Answer::Cancel, {false, true}, 1, {false, false}},
      {"four in a row from two windows", wintest::Answer::Ok, {false, true, false, true}, 3,
       {true, true, true, false}},
  };
  for (const Row& row : rows) {
    wintest::TempDir folder(L"downloads");
    wintest::BoxResponder responder(row.answer);
    Opener c;
    auto popup = c.Open();
    REQUIRE(popup);
    std::vector<wintest::ComPtr<wintest::FakeDownload>> downloads;
    for (std::size_t i = 0; i < row.from_popup.size(); ++i) {
      const auto file = (folder.path() / (L"report" + std::to_wstring(i + 1) + L".csv")).wstring();
      downloads.push_back((row.from_popup[i] ? popup : c.fake.webview)->RaiseDownload(file));
    }
    CHECK(PumpUntil([&] {
      return std::all_of(downloads.begin(), downloads.end(), [](const auto& d) { return d->Answered(); });
    }));
    if (!CHECK_EQ(responder.Seen().size(), row.dialogs)) std::printf("  in: %s\n", row.name);
    for (std::size_t i = 0; i < downloads.size(); ++i) {
      if (!CHECK_EQ(downloads[i]->cancel == FALSE, row.saved[i])) std::printf("  in: %s\n", row.name);
    }
  }
}

// A download given a destination is under way until it completes or stops:
// the exit question counts it. One cancelled at the dialog never is.
TEST_CASE(webview2_downloads_under_way_until_they_end) {
  struct Row {
    const char* name;
    wintest::Answer answer;
    COREWEBVIEW2_DOWNLOAD_STATE end;
    int under_way;  // while it runs
  };
  const Row rows[] = {
      {"saved, completes", wintest::Answer::Ok, COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED, 1},
      {"saved, interrupted", wintest::Answer::Ok, COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED, 1},
      {"cancelled at the dialog", wintest::Answer::Cancel, COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED, 0},
  };
  for (const Row& row : rows) {
    std::printf("    %s\n", row.name);
    wintest::TempDir folder(L"downloads");
    wintest::BoxResponder responder(row.answer);
    auto downloads = std::make_shared<platform::win32::Downloads>();
    Control control;
    control.browser.reset();
    auto setup = control.fake.Setup();
    setup.downloads = downloads;
    control.browser = std::make_unique<WebView2Browser>(nullptr, 96, platform::BrowserDesign{},
                                                        platform::BrowserEvents{}, setup);
    control.Create();
    control.fake.webview->Load(1, W(kPage));
    auto download = control.fake.webview->RaiseDownload((folder.path() / L"report.csv").wstring());
    CHECK(PumpUntil([&] { return download->Answered(); }));
    CHECK_EQ(downloads->UnderWay(), row.under_way);
    download->operation->RaiseState(COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS);
    CHECK_EQ(downloads->UnderWay(), row.under_way);
    download->operation->RaiseState(row.end);
    CHECK_EQ(downloads->UnderWay(), 0);
  }
}
