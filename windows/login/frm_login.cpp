#include "windows/login/frm_login.h"

#include "app/app_info.h"
#include "app/public.h"
#include "app/service_address.h"
#include "platform/errors.h"

namespace windows {

using platform::ResumeNext;
using platform::ResumeNextIf;

namespace {

// A service that sends every login straight back to its login page, with a
// login page that submits itself, would swap the two windows for ever: the
// fourth login in a row that the user had no hand in, each within ten
// seconds of the last, is not taken.
constexpr int kAutomaticLoginsInARow = 3;
constexpr auto kLoginLoopGap = std::chrono::seconds(10);
constexpr const char* kLoginLoopStopped = "登录后服务立即返回了登录页面，已停止自动登录。请稍后再试。";

platform::FormDesign Design() {
  platform::FormDesign d;
  d.name = "frmLogin";
  d.border = platform::BorderStyle::Sizable;
  d.min_button = true;
  d.max_button = false;
  d.client_width = 5295;
  d.client_height = 3825;
  // Centred on the owner; the login window never has one, so on the screen.
  d.startup = platform::StartUpPosition::CenterOwner;
  return d;
}

}  // namespace

frmLogin::frmLogin(platform::FormRuntime& runtime, app::Forms& forms)
    : platform::Form(runtime, Design()), forms_(forms) {}

void frmLogin::CreateControls(platform::NativeWindow& window) {
  platform::BrowserEvents events;
  events.DocumentComplete = [this](const platform::BrowserFrame& pDisp, const platform::Variant& URL) {
    Raise([&] { WebBrowser1_DocumentComplete(pDisp, URL); });
  };
  // A frame of a landing page that never arrives whole is no login: its
  // completion waits for the page's.
  WebBrowser1 = window.AddBrowser(
      {platform::Rect{120, 120, 1815, 1095}, /*frames_wait_for_their_page=*/true, /*before_login=*/true}, std::move(events));
}

void frmLogin::Form_Load() {
  app::Public::LoggedIn = platform::False;
  SetCaption(std::string(app::kMainCaption) + " - 登录");
  SetWindowState(platform::WindowState::Normal);
  LoginAddress = app::BaseAddress() + std::string(app::kLoginPageKey);
  WebBrowser1->SetTop(0);
  WebBrowser1->SetLeft(0);
  WebBrowser1->SetSilent(true);
  WebBrowser1->Navigate(LoginAddress);
}

void frmLogin::Form_Resize() {
  if (ResumeNextIf([&] { return ScaleWidth() > 0; })) {
    ResumeNext([&] { WebBrowser1->SetWidth(ScaleWidth()); });
    ResumeNext([&] { WebBrowser1->SetHeight(ScaleHeight()); });
  }
}

void frmLogin::WebBrowser1_DocumentComplete(const platform::BrowserFrame&, const platform::Variant&) {
  // The top-level address decides, whichever document completed.
  std::string CurrentAddress;
  ResumeNext([&] { CurrentAddress = WebBrowser1->LocationURL(); });
  if (app::SameAddress(CurrentAddress, LoginAddress)) return;
  // A document that is not from the web (about:blank reached by a page's
  // script) is no page of the service the user could have logged in to.
  if (!CurrentAddress.empty() && !app::IsWebAddress(CurrentAddress)) return;
  if (LoginLoops()) {
    // The login page once more, waiting for the user this time.
    ResumeNext([&] { WebBrowser1->HoldAutomaticNavigation(); });
    ResumeNext([&] { WebBrowser1->Navigate(LoginAddress); });
    Command([this] { MsgBox(kLoginLoopStopped); });
    return;
  }

  app::Public::LoggedIn = platform::True;
  app::Public::SessionAddress = CurrentAddress;
  ResumeNext([&] { Hide(); });
  // The main window's load runs inside this call and unloads this window.
  ResumeNext([&] { forms_.varnock().Show(); });

  // Should the main window fail to come up, this window returns rather than
  // leave the program running with nothing on the screen.
  if (!forms_.varnock().Visible() && IsLoaded()) ResumeNext([&] { Show(); });
}

bool frmLogin::LoginLoops() {
  bool by_user = false;
  ResumeNext([&] { by_user = WebBrowser1->NavigatedByUser(); });
  const auto now = std::chrono::steady_clock::now();
  if (by_user || AutomaticLogins == 0 || now - LastAutomaticLogin > kLoginLoopGap) {
    AutomaticLogins = 0;
  }
  LastAutomaticLogin = now;
  if (by_user) return false;
  if (++AutomaticLogins <= kAutomaticLoginsInARow) return false;
  AutomaticLogins = 0;
  return true;
}

}  // namespace windows
