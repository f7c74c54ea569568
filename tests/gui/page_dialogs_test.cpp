// Questions from pages: alert, confirm and prompt as dialogs of the client
// whose answers reach the page, the question before a form is sent again by
// reloading its answer, and the page's own "leave this page?", whose answer
// is final.
#include <mutex>
#include <sstream>
#include <thread>

#include "page_server.h"
#include "stand_in_fixture.h"

namespace varnock_gui {
namespace {

const std::string kPageDialogTitle = "来自网页的消息";
const std::string kSendTarget = "/?ac=send";

class PageDialogTest : public ClientTest {
 protected:
  // A page's dialog over `owner`: modal, belonging to it, with the page's
  // text and these buttons in this order.
  Window ExpectPageDialog(const Window& owner, const std::string& text, const std::vector<std::string>& buttons) {
    const Window dialog = WaitForWindow(kPageDialogTitle);
    EXPECT_TRUE(dialog.node.Has(ATSPI_STATE_MODAL));
    std::ostringstream owner_id;
    owner_id << "0x" << std::hex << owner.xid;
    EXPECT_NE(xdo_->Property(dialog.xid, "WM_TRANSIENT_FOR").find(owner_id.str()), std::string::npos)
        << "the dialog does not belong to the page's window";
    ExpectMessageBox(dialog, text);
    std::vector<std::string> captions;
    for (const auto& button : a11y_->FindAll(dialog.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON})) {
      captions.push_back(button.Name());
    }
    EXPECT_EQ(captions, buttons) << "for \"" << text << "\"";
    return dialog;
  }

  void Press(const Window& dialog, const std::string& caption) {
    gui::ClickCenter(*xdo_,
                     a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = caption}));
    WaitWindowGone(kPageDialogTitle);
  }

  // The resubmission question over the main window.
  Window ExpectResubmitQuestion(const Window& main) {
    const Window box = WaitForWindow(kMessageBoxTitle);
    EXPECT_TRUE(box.node.Has(ATSPI_STATE_MODAL));
    EXPECT_EQ(box.node.RoleName(), "alert") << "not read out as a message box";
    const gui::Accessible question =
        a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name_contains = "此页面是提交表单的结果"});
    EXPECT_NE(question.Name().find("确定要再次提交吗？"), std::string::npos) << question.Name();
    std::vector<std::string> captions;
    for (const auto& button : a11y_->FindAll(box.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON})) {
      captions.push_back(button.Name());
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"确定", "取消"}));
    EXPECT_TRUE(main.node.Showing());
    return box;
  }

  std::size_t CountRequests(const std::string& method, const std::string& target, std::size_t from) const {
    std::size_t count = 0;
    for (const auto& request : Requests()) {
      if (request.index >= from && request.method == method && request.target == target) ++count;
    }
    return count;
  }
};

TEST_F(PageDialogTest, AlertAfterSendingAndReloadingAsksBeforeSendingAgain) {
  const Window main = StartLoggedIn();
  std::size_t mark = Mark();
  ChooseMenuItem(main, kSendCommand);
  WaitForExactRequest("GET", kSendTarget, Sid(), mark);
  const gui::Accessible numbers =
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_ENTRY, .name_contains = "接收号码"});
  const gui::Accessible message = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "短信内容"});
  const std::string number = "13800138000";
  const std::string text = "周五例会改到三点";
  gui::FocusByClick(*xdo_, numbers);
  TypeIntoFocused(numbers, number);
  gui::FocusByClick(*xdo_, message);
  TypeIntoFocused(message, text);

  // The answer page says so with alert() once loaded.
  mark = Mark();
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "发送"}));
  const Request sent = WaitForExactRequest("POST", kSendTarget, Sid(), mark);
  Window alert = ExpectPageDialog(main, "发送成功", {"确定"});
  xdo_->KeyToWindow(alert.xid, "Return");
  WaitWindowGone(kPageDialogTitle);
  const gui::Accessible done = WaitInPage(main, gui::Query{.text_contains = "发送成功："});
  const std::string answer_page = WaitForDocument(main).Name();

  // F5 on that answer: asked first; 取消 keeps the page (and its web
  // process) and sends nothing, however long after.
  const std::vector<pid_t> processes = WebProcesses();
  FocusPage(main);
  xdo_->Key("F5");
  Window box = ExpectResubmitQuestion(main);
  gui::ClickCenter(*xdo_, a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "取消"}));
  WaitWindowGone(kMessageBoxTitle);
  EXPECT_FALSE(gui::PollUntil([&] { return HasWindow(kMessageBoxTitle); }, 8s)) << "asked again after 取消";
  EXPECT_EQ(WebProcesses(), processes) << "the page's web process was ended after 取消";
  EXPECT_EQ(WaitForDocument(main).Name(), answer_page);
  EXPECT_TRUE(done.Showing()) << "the answer page went away after 取消";

  // Asked again, 确定 this time: the form is sent a second time, and only
  // that once since the first.
  FocusPage(main);
  xdo_->Key("F5");
  box = ExpectResubmitQuestion(main);
  xdo_->KeyToWindow(box.xid, "Return");
  WaitWindowGone(kMessageBoxTitle);
  WaitForExactRequest("POST", kSendTarget, Sid(), sent.index + 1);
  alert = ExpectPageDialog(main, "发送成功", {"确定"});
  xdo_->KeyToWindow(alert.xid, "Return");
  WaitWindowGone(kPageDialogTitle);
  EXPECT_EQ(CountRequests("POST", kSendTarget, sent.index + 1), 1u) << LogFrom(sent.index);
  EXPECT_EQ(Mark(), sent.index + 2) << "more than the one request again:\n" << LogFrom(sent.index);
  WaitInPage(main, gui::Query{.text_contains = "发送成功："});
  EXPECT_TRUE(Client().Running());
}

// A page that asks with confirm() and prompt() and shows the answers, and
// also sends them back to the server.
class AskingPage {
 public:
  explicit AskingPage(PageServer& server) {
    server.Page("/" + kLoginKey,
                HtmlPage("登录",
                         "<p><button type=\"button\" id=\"ask\">确认</button> "
                         "<button type=\"button\" id=\"name\">输入</button></p><p id=\"out\">尚无回答</p>"
                         "<script>"
                         "function report(text) {"
                         "  document.getElementById('out').textContent = text;"
                         "  fetch('/answer?text=' + encodeURIComponent(text));"
                         "}"
                         "document.getElementById('ask').addEventListener('click', function () {"
                         "  report('confirm:' + confirm('要继续吗？'));"
                         "});"
                         "document.getElementById('name').addEventListener('click', function () {"
                         "  var name = prompt('您的名字？', '无名氏');"
                         "  report('prompt:' + (name === null ? 'null' : name));"
                         "});"
                         "</script>"));
    server.Routes().Get("/answer", [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      answers_.push_back(request.get_param_value("text"));
      response.set_content("", "text/plain");
    });
  }

  std::vector<std::string> Answers() const {
    std::lock_guard lock(mutex_);
    return answers_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> answers_;
};

TEST_F(PageDialogTest, ConfirmAndPromptAnswersReachThePage) {
  EnsurePortFree();
  PageServer server;
  AskingPage page(server);
  server.Start(kServicePort);
  StartClient();
  const Window login = WaitForLoginWindow();
  const gui::Accessible ask = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "确认"});
  const gui::Accessible name = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "输入"});
  const gui::Accessible out = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PARAGRAPH, .text = "尚无回答"});

  std::vector<std::string> expected;
  const auto expect_answer = [&](const std::string& answer) {
    expected.push_back(answer);
    a11y_->WaitForText(out, answer);
    gui::WaitUntil([&] { return page.Answers().size() >= expected.size(); }, gui::kDefaultTimeout,
                   "the page to send its answer back", [&] { return server.Describe(); });
    EXPECT_EQ(page.Answers(), expected);
  };

  // confirm(): 确定 is true; the page waits for it meanwhile.
  gui::ClickCenter(*xdo_, ask);
  Window dialog = ExpectPageDialog(login, "要继续吗？", {"确定", "取消"});
  // Only the server can tell: the page's own process is busy waiting and
  // does not answer accessibility questions until then.
  EXPECT_TRUE(page.Answers().empty()) << "the page went on before the question was answered";
  Press(dialog, "确定");
  expect_answer("confirm:true");

  // 取消 is false, and so is Escape.
  gui::ClickCenter(*xdo_, ask);
  Press(ExpectPageDialog(login, "要继续吗？", {"确定", "取消"}), "取消");
  expect_answer("confirm:false");
  gui::ClickCenter(*xdo_, ask);
  dialog = ExpectPageDialog(login, "要继续吗？", {"确定", "取消"});
  xdo_->KeyToWindow(dialog.xid, "Escape");
  WaitWindowGone(kPageDialogTitle);
  expect_answer("confirm:false");

  // prompt(): the page's default text in a field; what is typed there comes back.
  gui::ClickCenter(*xdo_, name);
  dialog = ExpectPageDialog(login, "您的名字？", {"确定", "取消"});
  const gui::Accessible field = a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_TEXT});
  EXPECT_EQ(field.Text(), "无名氏");
  gui::WaitUntil([&] { return field.Focused(); }, gui::kDefaultTimeout, "the focus in the prompt's field");
  TypeIntoFocused(field, "张三");
  xdo_->Key("Return");  // the dialog's default: 确定
  WaitWindowGone(kPageDialogTitle);
  expect_answer("prompt:张三");

  // 取消 gives the page null, whatever was typed.
  gui::ClickCenter(*xdo_, name);
  dialog = ExpectPageDialog(login, "您的名字？", {"确定", "取消"});
  const gui::Accessible second_field = a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_TEXT});
  gui::WaitUntil([&] { return second_field.Focused(); }, gui::kDefaultTimeout, "the focus in the prompt's field");
  xdo_->Type("李四");
  Press(dialog, "取消");
  expect_answer("prompt:null");

  EXPECT_TRUE(login.node.Showing());
  EXPECT_FALSE(HasWindow(kMainTitle));
}

// A page that guards unsent text with a beforeunload handler: a menu
// command asks "确实要离开此页吗？"; 取消 or Esc keeps the page, its text and
// its web process for good, 确定 leaves.
using LeavePageTest = StandInTest;

TEST_F(LeavePageTest, DeclinedKeepsThePage) {
  stand_in_->ServeHtml("/?ac=send", TestService::Page("未发送", "<p><textarea aria-label=\"短信内容\"></textarea></p>",
                                                      "window.addEventListener('beforeunload', function (e) {"
                                                      "  e.preventDefault(); e.returnValue = '';"
                                                      "});"));
  const Window main = LogInAtStandIn();
  ExpectPageCommand(main, kSendCommand, kSendTarget, TestService::TitleOf("未发送"));
  // WebKit asks only once the user has done something in the page.
  const std::string text = "周五例会改到三点";
  const gui::Accessible field = TypeMessage(main, text);
  const std::vector<pid_t> processes = WebProcesses();
  ASSERT_FALSE(processes.empty());
  const std::string leave = "确实要离开此页吗？";

  ChooseMenuItem(main, kInfoCommand);
  Window dialog = WaitForWindow(kPageDialogTitle);
  a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name = leave});
  xdo_->KeyToWindow(dialog.xid, "Escape");
  WaitWindowGone(kPageDialogTitle);
  ChooseMenuItem(main, kInfoCommand);
  dialog = WaitForWindow(kPageDialogTitle);
  gui::ClickCenter(*xdo_, a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "取消"}));
  WaitWindowGone(kPageDialogTitle);

  // Long after any watch or retry would have run.
  std::this_thread::sleep_for(10s);
  EXPECT_EQ(PageTitle(main), TestService::TitleOf("未发送"));
  EXPECT_EQ(field.Text(), text) << "the typed text is gone";
  EXPECT_EQ(WebProcesses(), processes) << "the page's web process was ended";
  EXPECT_FALSE(HasWindow(kPageDialogTitle));

  // 确定 leaves.
  ChooseMenuItem(main, kInfoCommand);
  dialog = WaitForWindow(kPageDialogTitle);
  a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name = leave});
  xdo_->KeyToWindow(dialog.xid, "Return");
  WaitForPageTitle(main, TestService::TitleOf("账户信息"));
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

}  // namespace
}  // namespace varnock_gui
