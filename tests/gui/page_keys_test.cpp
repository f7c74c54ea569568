// Keys and the context menu in a page: reload, back and forward, print,
// find, zoom; a right click offers the page's commands in Chinese and
// nothing for developers.
#include <httplib.h>

#include <algorithm>
#include <random>
#include <regex>

#include "client_fixture.h"

namespace varnock_gui {
namespace {

const MenuPath kHistoryCommand{"alt+m", {"短信管理(M)", "发送记录(H)"}, "h"};
const MenuPath kInfoCommand{"alt+u", {"账户管理(U)", "账户信息(U)"}, "u"};
const MenuPath kSendCommand{"alt+m", {"短信管理(M)", "名片发送(S)"}, "s"};
const std::string kHomeTarget = "/?ac=home";
const std::string kHistoryTarget = "/?ac=history";
const std::string kInfoTarget = "/?info";
// GTK's print dialog, untranslated or translated.
const std::vector<std::string> kPrintTitles{"Print", "打印"};

// What a person reads on a page: the body's text without tags, scripts and
// styles, entities decoded.
std::string VisibleText(const std::string& html) {
  std::string text = html;
  for (const char* element : {"head", "script", "style"}) {
    const std::regex block(std::string("<") + element + "[^>]*>[\\s\\S]*?</" + element + ">",
                           std::regex::icase);
    text = std::regex_replace(text, block, " ");
  }
  text = std::regex_replace(text, std::regex("<[^>]*>"), " ");
  const std::vector<std::pair<std::string, std::string>> entities{
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, character] : entities) {
    for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
      text.replace(at, entity.size(), character);
    }
  }
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::size_t Occurrences(const std::string& text, const std::string& word) {
  std::size_t count = 0;
  for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + word.size())) ++count;
  return count;
}

// Whether the text has a Latin letter: the menu is meant to be all Chinese.
bool HasLatinLetter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](unsigned char c) { return std::isalpha(c); });
}

class PageKeysTest : public ClientTest {
 protected:
  // Runs a page command and waits for its page; returns the page's title.
  std::string OpenPage(const Window& main, const MenuPath& command, const std::string& target) {
    const std::string before = PageTitle(main);
    const std::size_t mark = Mark();
    ChooseMenuItem(main, command);
    WaitForExactRequest("GET", target, Sid(), mark);
    gui::WaitUntil([&] { return !PageTitle(main).empty() && PageTitle(main) != before; }, gui::kDefaultTimeout,
                   "the page for " + target + " to show");
    return PageTitle(main);
  }

  // Opens the page's context menu at a point; returns its items (separators left out).
  std::vector<gui::Accessible> ContextMenuAt(int x, int y) {
    xdo_->Click(x, y, 3);
    std::vector<gui::Accessible> items;
    gui::WaitUntil(
        [&] {
          items.clear();
          for (const auto& window : ClientWindows()) {
            if (window.role != ATSPI_ROLE_WINDOW) continue;
            for (const auto& item : a11y_->FindAll(window.node, gui::Query{.role = ATSPI_ROLE_MENU_ITEM})) {
              if (item.Showing()) items.push_back(item);
            }
          }
          return !items.empty();
        },
        gui::kDefaultTimeout, "a context menu", [&] { return a11y_->DumpApplications(); });
    return items;
  }

  void CloseContextMenu() {
    xdo_->Key("Escape");
    gui::WaitUntil(
        [&] {
          const auto windows = ClientWindows();
          return std::none_of(windows.begin(), windows.end(),
                              [](const gui::WindowInfo& w) { return w.role == ATSPI_ROLE_WINDOW; });
        },
        gui::kDefaultTimeout, "the context menu to close");
  }

  static std::vector<std::string> Names(const std::vector<gui::Accessible>& items) {
    std::vector<std::string> names;
    for (const auto& item : items) names.push_back(item.Name());
    return names;
  }

  static std::string Describe(const std::vector<gui::Accessible>& items) {
    std::string out;
    for (const auto& item : items) out += "  " + item.Describe() + "\n";
    return out;
  }

  // Chinese captions only, nothing for developers.
  static void ExpectOnlyChineseAndNoDeveloperTools(const std::vector<gui::Accessible>& items) {
    for (const auto& item : items) {
      const std::string name = item.Name();
      EXPECT_FALSE(name.empty()) << "an item without a caption:\n" << Describe(items);
      EXPECT_FALSE(HasLatinLetter(name)) << "not in Chinese: " << name;
      for (const char* developer : {"Inspect", "inspect", "检查", "审查", "开发"}) {
        EXPECT_EQ(name.find(developer), std::string::npos) << "a developer tool in the menu: " << name;
      }
    }
  }

  static std::optional<gui::Accessible> Item(const std::vector<gui::Accessible>& items, const std::string& name) {
    for (const auto& item : items) {
      if (item.Name() == name) return item;
    }
    return std::nullopt;
  }

  // The window's find bar: its search field, once it shows (a page may have
  // text objects of its own).
  gui::Accessible FindField(const Window& main) {
    return a11y_->WaitFor(main.node, gui::Query{.role = ATSPI_ROLE_TEXT, .name = "搜索", .showing_only = true});
  }
};

TEST_F(PageKeysTest, ReloadBackAndForward) {
  const Window main = StartLoggedIn();
  const std::string home = PageTitle(main);

  // F5 and Ctrl+R: the service sees the page asked for again.
  for (const std::string key : {"F5", "ctrl+r"}) {
    SCOPED_TRACE(key);
    const std::size_t mark = Mark();
    FocusPage(main);
    xdo_->Key(key);
    WaitForExactRequest("GET", kHomeTarget, Sid(), mark);
    WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"});
    EXPECT_EQ(PageTitle(main), home);
  }

  const std::string history = OpenPage(main, kHistoryCommand, kHistoryTarget);
  const std::string info = OpenPage(main, kInfoCommand, kInfoTarget);

  // Alt+Left twice, Alt+Right twice: through the pages in order.
  const std::vector<std::pair<std::string, std::string>> steps{
      {"alt+Left", history}, {"alt+Left", home}, {"alt+Right", history}, {"alt+Right", info}};
  for (const auto& [key, title] : steps) {
    SCOPED_TRACE(key + " to " + title);
    FocusPage(main);
    xdo_->Key(key);
    WaitForPageTitle(main, title);
  }
  EXPECT_FALSE(HasWindow(kLoginTitle));
  EXPECT_TRUE(Client().Running());
}

TEST_F(PageKeysTest, PrintDialogFromCtrlPAndFromThePage) {
  const Window main = StartLoggedIn();
  const std::string history = OpenPage(main, kHistoryCommand, kHistoryTarget);
  const gui::Accessible print_button =
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "打印"});

  const auto expect_print_dialog = [&](const std::string& how) {
    std::string title;
    gui::WaitUntil(
        [&] {
          for (const auto& window : ClientWindows()) {
            if (std::find(kPrintTitles.begin(), kPrintTitles.end(), window.title) != kPrintTitles.end()) {
              title = window.title;
            }
          }
          return !title.empty();
        },
        gui::kDefaultTimeout, "the print dialog after " + how, [&] { return a11y_->DumpApplications(); });
    const Window dialog = WaitForWindow(title);
    EXPECT_TRUE(dialog.node.Has(ATSPI_STATE_MODAL)) << how;
    xdo_->KeyToWindow(dialog.xid, "Escape");
    WaitWindowGone(title);
  };

  const std::size_t mark = Mark();
  FocusPage(main);
  xdo_->Key("ctrl+p");
  expect_print_dialog("Ctrl+P");
  gui::ClickCenter(*xdo_, print_button);
  expect_print_dialog("the page's 打印 button");

  // Printing is no reload, and the page is still there.
  EXPECT_EQ(Mark(), mark) << LogFrom(mark);
  EXPECT_EQ(PageTitle(main), history);
  EXPECT_TRUE(print_button.Showing());
  EXPECT_TRUE(Client().Running());
}

TEST_F(PageKeysTest, FindBarCountsMatchesAndCloses) {
  const Window main = StartLoggedIn();
  OpenPage(main, kHistoryCommand, kHistoryTarget);

  // How often a word occurs on the page as the service sent it (the search
  // ignores case).
  httplib::Client service("localhost", kServicePort);
  const auto page = service.Get(kHistoryTarget, httplib::Headers{{"Cookie", SessionCookie()}});
  ASSERT_TRUE(page && page->status == 200);
  const std::string text = Lower(VisibleText(page->body));
  const std::string word = "Varnock";
  const std::size_t matches = Occurrences(text, Lower(word));
  ASSERT_GT(matches, 1u) << "the page no longer shows \"" << word << "\" more than once";
  // A word the page does not have.
  std::string absent;
  std::mt19937 random(std::random_device{}());
  do absent = "没有的词" + std::to_string(random() % 100000);
  while (text.find(absent) != std::string::npos);

  const std::size_t mark = Mark();
  EXPECT_FALSE(a11y_->Find(main.node, gui::Query{.role = ATSPI_ROLE_TEXT, .showing_only = true}))
      << "a find bar shows before Ctrl+F";
  FocusPage(main);
  xdo_->Key("ctrl+f");
  const gui::Accessible field = FindField(main);
  gui::WaitUntil([&] { return field.Focused(); }, gui::kDefaultTimeout, "the focus in the find field");
  // The bar: field, 上一个, 下一个, its result, 关闭.
  const gui::Accessible bar = field.Parent();
  std::vector<std::string> buttons;
  for (const auto& button : a11y_->FindAll(bar, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON})) {
    buttons.push_back(button.Name());
  }
  EXPECT_EQ(buttons, (std::vector<std::string>{"上一个", "下一个", "关闭"}));
  // Its result is announced as a page's polite live region is.
  const gui::Accessible result = a11y_->WaitFor(bar, gui::Query{.role = ATSPI_ROLE_STATUS_BAR});
  const auto attributes = result.Attributes();
  EXPECT_EQ(attributes.count("container-live") ? attributes.at("container-live") : "", "polite");

  xdo_->Type(word);
  a11y_->WaitForText(field, word);
  const std::string found = std::to_string(matches) + " 个匹配";
  a11y_->WaitForText(result, found);
  // Spoken while typing: the field the user types in describes it.
  gui::WaitUntil([&] { return field.Description() == found; }, gui::kDefaultTimeout,
                 "the field to describe the result", [&] { return field.Describe(); });

  // Enter goes on to the next match; the bar stays open and keeps telling
  // how many there are. Nothing in the page tells which match is current,
  // so a changed count is looked for as long as the answer takes at most.
  xdo_->Key("Return");
  const bool changed = gui::PollUntil([&] { return result.Text() != found; }, 3s);
  EXPECT_FALSE(changed) << "after Enter the bar reads \"" << result.Text() << "\" instead of \"" << found << "\"";
  EXPECT_TRUE(field.Showing());
  EXPECT_TRUE(field.Focused());
  // The buttons move through the matches as well, and leave the bar open.
  for (const char* button : {"下一个", "上一个"}) {
    gui::ClickCenter(*xdo_, a11y_->WaitFor(bar, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = button}));
    EXPECT_FALSE(gui::PollUntil([&] { return result.Text() != found; }, 3s))
        << "after " << button << " the bar reads \"" << result.Text() << "\" instead of \"" << found << "\"";
    EXPECT_TRUE(field.Showing()) << button << " closed the bar";
  }

  gui::FocusByClick(*xdo_, field);
  TypeIntoFocused(field, absent);
  a11y_->WaitForText(result, "未找到");
  gui::WaitUntil([&] { return field.Description() == "未找到"; }, gui::kDefaultTimeout,
                 "the field to describe the result", [&] { return field.Describe(); });

  // Escape closes it; Ctrl+F brings it back, 关闭 closes it too.
  xdo_->Key("Escape");
  gui::WaitUntil([&] { return !field.Showing(); }, gui::kDefaultTimeout, "Escape to close the find bar");
  FocusPage(main);
  xdo_->Key("ctrl+f");
  gui::WaitUntil([&] { return field.Showing() && field.Focused(); }, gui::kDefaultTimeout,
                 "Ctrl+F to open the find bar again");
  gui::ClickCenter(*xdo_, a11y_->WaitFor(bar, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "关闭"}));
  gui::WaitUntil([&] { return !field.Showing(); }, gui::kDefaultTimeout, "关闭 to close the find bar");
  // Escape with the keyboard on one of its buttons closes it as well.
  FocusPage(main);
  xdo_->Key("ctrl+f");
  gui::WaitUntil([&] { return field.Showing() && field.Focused(); }, gui::kDefaultTimeout,
                 "Ctrl+F to open the find bar again");
  xdo_->Key("Tab");
  const gui::Accessible previous = a11y_->WaitFor(bar, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "上一个"});
  gui::WaitUntil([&] { return previous.Focused(); }, gui::kDefaultTimeout, "Tab to reach 上一个");
  xdo_->Key("Escape");
  gui::WaitUntil([&] { return !field.Showing(); }, gui::kDefaultTimeout, "Escape on 上一个 to close the find bar");

  EXPECT_EQ(Mark(), mark) << "finding asked the service for something:\n" << LogFrom(mark);
  EXPECT_FALSE(HasWindow(kLoginTitle));
}

// In the narrow login window the bar fits: its field keeps room to type in.
TEST_F(PageKeysTest, FindBarFitsTheLoginWindow) {
  StartService();
  StartClient();
  const Window login = WaitForLoginWindow();
  WaitInPage(login, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "用户名"});
  FocusPage(login);
  xdo_->Key("ctrl+f");
  const gui::Accessible field = FindField(login);
  gui::WaitUntil([&] { return field.Focused(); }, gui::kDefaultTimeout, "the focus in the find field");
  const gui::Extents page = WaitForDocument(login).Parent().ScreenExtents();  // the viewport
  const gui::Extents box = field.ScreenExtents();
  EXPECT_GE(box.width, 120) << "the find field is " << box.width << " pixels wide";
  EXPECT_GE(box.x, page.x) << "the find field starts left of the page";
  for (const auto& button : a11y_->FindAll(field.Parent(), gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON})) {
    const gui::Extents b = button.ScreenExtents();
    EXPECT_TRUE(b.x >= page.x && b.x + b.width <= page.x + page.width) << button.Name() << " is cut off";
  }
  xdo_->Type("登录");
  a11y_->WaitForText(field, "登录");
  const auto shot = scratch_->path() / "find-login.png";
  session_->Screenshot(shot);
  xdo_->Key("Escape");
  gui::WaitUntil([&] { return !field.Showing(); }, gui::kDefaultTimeout, "Escape to close the find bar");
}

TEST_F(PageKeysTest, ZoomInOutAndBack) {
  const Window main = StartLoggedIn();
  const std::string home = PageTitle(main);
  // The page's heading: its box grows and shrinks with the page's zoom.
  const gui::Accessible heading = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "工作台"});
  const gui::Extents normal = heading.ScreenExtents();
  ASSERT_GT(normal.height, 0);
  const auto height = [&] { return heading.ScreenExtents().height; };
  const auto wait_height = [&](const std::function<bool(int)>& ok, const std::string& what) {
    gui::WaitUntil([&] { return ok(height()); }, gui::kDefaultTimeout, what,
                   [&] { return "the heading is " + std::to_string(height()) + " high, at first " +
                                std::to_string(normal.height); });
  };

  const std::size_t mark = Mark();
  FocusPage(main);
  xdo_->Key("ctrl+plus");
  wait_height([&](int h) { return h > normal.height; }, "Ctrl+plus to make the page bigger");
  const int bigger = height();
  xdo_->Key("ctrl+plus");
  wait_height([&](int h) { return h > bigger; }, "a second Ctrl+plus to make it bigger still");
  xdo_->Key("ctrl+0");
  wait_height([&](int h) { return h == normal.height; }, "Ctrl+0 to bring back the normal size");
  xdo_->Key("ctrl+minus");
  wait_height([&](int h) { return h < normal.height; }, "Ctrl+minus to make the page smaller");
  xdo_->Key("ctrl+plus");
  wait_height([&](int h) { return h == normal.height; }, "Ctrl+plus after Ctrl+minus to come back");

  // Zooming is no reload and no menu command.
  EXPECT_EQ(Mark(), mark) << LogFrom(mark);
  EXPECT_EQ(PageTitle(main), home);
  for (const auto& menu : a11y_->MenuItems(main.node)) {
    for (const auto& item : menu.children) EXPECT_FALSE(item.showing) << menu.caption << " is open";
  }
}

TEST_F(PageKeysTest, ContextMenuInChineseWithoutDeveloperTools) {
  const Window main = StartLoggedIn();

  // On the page itself: its navigation; 重新加载 does reload.
  const gui::Extents heading =
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "工作台"}).ScreenExtents();
  auto items = ContextMenuAt(heading.x + heading.width / 2, heading.y + heading.height / 2);
  ExpectOnlyChineseAndNoDeveloperTools(items);
  for (const char* expected : {"后退", "前进", "重新加载"}) {
    EXPECT_TRUE(Item(items, expected)) << expected << " missing:\n" << Describe(items);
  }
  std::size_t mark = Mark();
  gui::ClickCenter(*xdo_, *Item(items, "重新加载"));
  WaitForExactRequest("GET", kHomeTarget, Sid(), mark);

  // In a text field with text: editing commands.
  OpenPage(main, kSendCommand, "/?ac=send");
  const gui::Accessible message = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_ENTRY, .name = "短信内容"});
  gui::FocusByClick(*xdo_, message);
  TypeIntoFocused(message, "会议通知");
  xdo_->Key("ctrl+a");
  const gui::Extents field = message.ScreenExtents();
  items = ContextMenuAt(field.x + field.width / 4, field.y + field.height / 2);
  ExpectOnlyChineseAndNoDeveloperTools(items);
  for (const char* expected : {"剪切", "复制", "粘贴", "全选"}) {
    EXPECT_TRUE(Item(items, expected)) << expected << " missing:\n" << Describe(items);
  }
  // 全选 then 复制 from the menu, 粘贴 at the end: the text twice.
  gui::ClickCenter(*xdo_, *Item(items, "复制"));
  CloseContextMenu();
  xdo_->Key("End");
  items = ContextMenuAt(field.x + field.width / 4, field.y + field.height / 2);
  gui::ClickCenter(*xdo_, *Item(items, "粘贴"));
  a11y_->WaitForText(message, "会议通知会议通知");

  // On a link: the link's commands, still in Chinese.
  const gui::Extents link =
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "退出登录"}).ScreenExtents();
  mark = Mark();
  items = ContextMenuAt(link.x + link.width / 2, link.y + link.height / 2);
  ExpectOnlyChineseAndNoDeveloperTools(items);
  EXPECT_TRUE(Item(items, "复制链接地址")) << Describe(items);
  CloseContextMenu();
  EXPECT_EQ(Mark(), mark) << "the right click followed the link:\n" << LogFrom(mark);
  EXPECT_TRUE(Client().Running());
}

TEST_F(PageKeysTest, ContextMenuOffersOnlyWhatCanBeDone) {
  const Window main = StartLoggedIn();
  const auto state_of = [&](const std::string& name) {
    const gui::Extents heading = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_HEADING, .showing_only = true})
                                     .ScreenExtents();
    const auto items = ContextMenuAt(heading.x + 4, heading.y + heading.height / 2);
    const auto item = Item(items, name);
    const bool enabled = item && item->Sensitive();
    CloseContextMenu();
    return enabled;
  };

  // The first page of the window: nowhere to go back or forward to, nothing loading.
  EXPECT_FALSE(state_of("后退")) << "后退 offered on the window's first page";
  EXPECT_FALSE(state_of("前进")) << "前进 offered with nothing to go forward to";
  EXPECT_FALSE(state_of("停止")) << "停止 offered on a page that has finished loading";

  // One page further: back, not forward.
  OpenPage(main, kInfoCommand, kInfoTarget);
  EXPECT_TRUE(state_of("后退"));
  EXPECT_FALSE(state_of("前进")) << "前进 offered with nothing to go forward to";
}

}  // namespace
}  // namespace varnock_gui
