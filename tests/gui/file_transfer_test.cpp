// Files between the pages and the disk: a download saved where the user
// says (or not at all), a download that breaks off, and a file handed to a
// page's upload field.
#include <httplib.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>

#include "client_fixture.h"
#include "page_server.h"

namespace varnock_gui {
namespace {

const std::string kSaveTitle = "保存文件";
const MenuPath kExportCommand{"alt+c", {"客户管理(C)", "客户资料备份"}, "", 1};
const MenuPath kImportCommand{"alt+m", {"短信管理(M)", "导入发送(I)"}, "i"};
const std::string kExportTarget = "/?ac=card_io&fun=export";
const std::string kImportTarget = "/?ac=sends&fun=import";
// GTK's file chooser for a page's file field, untranslated or translated.
const std::set<std::string> kChooserTitles{"Select File", "选择文件"};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Names of the entries in a folder, hidden ones included.
std::set<std::string> Entries(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

std::string Join(const std::set<std::string>& names) {
  std::string out;
  for (const auto& name : names) out += (out.empty() ? "" : ", ") + name;
  return out.empty() ? "(nothing)" : out;
}

// The file name a Content-Disposition header suggests.
std::string SuggestedName(const std::string& disposition) {
  std::smatch match;
  const std::regex filename(R"rx(filename="([^"]+)")rx");
  return std::regex_search(disposition, match, filename) ? match[1].str() : std::string();
}

class FileTransferTest : public ClientTest {
 protected:
  // The save dialog over `owner`, modal, offering `name`; returns its name field.
  gui::Accessible ExpectSaveDialog(const Window& dialog, const Window& owner, const std::string& name) {
    EXPECT_TRUE(dialog.node.Has(ATSPI_STATE_MODAL));
    std::ostringstream owner_id;
    owner_id << "0x" << std::hex << owner.xid;
    EXPECT_NE(xdo_->Property(dialog.xid, "WM_TRANSIENT_FOR").find(owner_id.str()), std::string::npos)
        << "the save dialog does not belong to the window whose page asked for it";
    a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "取消"});
    a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "保存"});
    return a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_TEXT, .text = name});
  }

  // Types the whole destination into the dialog's name field and presses Enter.
  void SaveAs(const Window& dialog, const gui::Accessible& name_field, const std::filesystem::path& path) {
    gui::FocusByClick(*xdo_, name_field);
    xdo_->Key("ctrl+a");
    xdo_->Type(path.string());
    a11y_->WaitForText(name_field, path.string());
    xdo_->KeyToWindow(dialog.xid, "Return");
    WaitWindowGone(kSaveTitle);
  }

  // Regular files below HOME (GTK's dialog makes empty folders of its own there).
  std::set<std::string> FilesUnderHome() const {
    std::set<std::string> files;
    for (const auto& path : session_->FilesUnderHome()) {
      if (!std::filesystem::is_directory(session_->Home() / path)) files.insert(path.string());
    }
    return files;
  }
  // Those files with what they hold, for a failure message.
  std::string WrittenUnderHome() const {
    std::string out;
    for (const auto& file : FilesUnderHome()) out += "--- ~/" + file + ":\n" + ReadFile(session_->Home() / file) + "\n";
    return out;
  }
};

TEST_F(FileTransferTest, ExportIsSavedAsSentAndCancellingLeavesNothing) {
  const Window main = StartLoggedIn();
  const std::string page = WaitForDocument(main).Name();

  // What the service gives this session for the export, fetched beside the client.
  httplib::Client service("localhost", kServicePort);
  const auto expected = service.Get(kExportTarget, httplib::Headers{{"Cookie", SessionCookie()}});
  ASSERT_TRUE(expected) << "the export could not be fetched from the service";
  ASSERT_EQ(expected->status, 200);
  const std::string name = SuggestedName(expected->get_header_value("Content-Disposition"));
  ASSERT_FALSE(name.empty()) << "the service no longer offers the export as a file";
  ASSERT_FALSE(expected->body.empty());

  // Cancelled: the page stays, nothing is written.
  std::size_t mark = Mark();
  ChooseMenuItem(main, kExportCommand);
  WaitForExactRequest("GET", kExportTarget, Sid(), mark);
  Window dialog = WaitForWindow(kSaveTitle);
  ExpectSaveDialog(dialog, main, name);
  gui::ClickCenter(*xdo_, a11y_->WaitFor(dialog.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "取消"}));
  WaitWindowGone(kSaveTitle);
  EXPECT_EQ(WaitForDocument(main).Name(), page) << "the download replaced the page";
  EXPECT_TRUE(FilesUnderHome().empty()) << "written after cancelling:\n" << WrittenUnderHome();

  // Saved into a folder of the user's choice under the suggested name.
  gui::TempDir folder("varnock-saved");
  mark = Mark();
  ChooseMenuItem(main, kExportCommand);
  WaitForExactRequest("GET", kExportTarget, Sid(), mark);
  dialog = WaitForWindow(kSaveTitle);
  const gui::Accessible name_field = ExpectSaveDialog(dialog, main, name);
  const auto destination = folder.path() / name;
  SaveAs(dialog, name_field, destination);
  gui::WaitUntil([&] { return std::filesystem::exists(destination); }, gui::kDefaultTimeout,
                 "the export to be saved as " + destination.string(),
                 [&] { return "the folder holds: " + Join(Entries(folder.path())); });
  // It takes its name only once complete: no temporary file beside it.
  EXPECT_EQ(Entries(folder.path()), std::set<std::string>{name});
  EXPECT_EQ(ReadFile(destination), expected->body) << "the saved file differs from what the service sent";
  EXPECT_EQ(WaitForDocument(main).Name(), page);
  // Nothing of the cancelled download turned up later either.
  EXPECT_TRUE(FilesUnderHome().empty()) << "the client wrote under HOME:\n" << WrittenUnderHome();
  EXPECT_FALSE(HasWindow(kMessageBoxTitle)) << "a message box came up for a download that worked";
  EXPECT_EQ(WaitClientExit(0ms), std::nullopt);
}

// A download whose connection is dropped halfway through its body.
class BrokenDownload {
 public:
  static constexpr std::size_t kHalf = 64 * 1024;

  explicit BrokenDownload(PageServer& server, const std::string& path, const std::string& name) {
    server.Routes().Get(path, [this, name](const httplib::Request&, httplib::Response& response) {
      response.set_header("Content-Disposition", "attachment; filename=\"" + name + "\"");
      response.set_header("Cache-Control", "no-store");
      response.set_content_provider(
          2 * kHalf, "text/csv",
          [this](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (offset == 0) {
              const std::string half(kHalf, '8');
              sink.write(half.data(), half.size());
              return true;
            }
            // The rest never comes: hold on until the test lets go, then give up.
            std::unique_lock lock(mutex_);
            cut_.wait_for(lock, std::chrono::seconds(60), [this] { return released_; });
            return false;
          });
    });
  }
  ~BrokenDownload() { Cut(); }

  void Cut() {
    std::lock_guard lock(mutex_);
    released_ = true;
    cut_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cut_;
  bool released_ = false;
};

TEST_F(FileTransferTest, BrokenDownloadIsReportedAndLeavesNoFile) {
  EnsurePortFree();
  const std::string name = "report.csv";
  PageServer server;
  BrokenDownload download(server, "/report", name);
  server.Page("/" + kLoginKey, HtmlPage("登录", "<p><a href=\"/report\">下载报表</a></p>"));
  server.Start(kServicePort);
  StartClient();
  const Window login = WaitForLoginWindow();
  const gui::Accessible link = WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "下载报表"});

  gui::ClickCenter(*xdo_, link);
  server.WaitForTarget("/report");
  const Window dialog = WaitForWindow(kSaveTitle);
  const gui::Accessible name_field = ExpectSaveDialog(dialog, login, name);
  gui::TempDir folder("varnock-saved");
  const auto destination = folder.path() / name;
  SaveAs(dialog, name_field, destination);

  // Half of it has arrived: kept under a hidden temporary name, never the chosen one.
  const std::string temporary_prefix = "." + name + ".part";
  gui::WaitUntil(
      [&] {
        const auto names = Entries(folder.path());
        return !names.empty() && std::all_of(names.begin(), names.end(), [&](const std::string& n) {
          return n.rfind(temporary_prefix, 0) == 0;
        });
      },
      gui::kDefaultTimeout, "the first half to be written under a temporary name",
      [&] { return "the folder holds: " + Join(Entries(folder.path())); });
  EXPECT_FALSE(std::filesystem::exists(destination)) << "an unfinished download already has the chosen name";

  download.Cut();
  const Window box = WaitForWindow(kMessageBoxTitle);
  const gui::Accessible message =
      a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name_contains = "下载失败"});
  EXPECT_EQ(message.Name().rfind("下载失败", 0), 0u) << message.Name();
  xdo_->KeyToWindow(box.xid, "Return");
  WaitWindowGone(kMessageBoxTitle);

  EXPECT_EQ(Entries(folder.path()), std::set<std::string>{}) << "a failed download left files behind";
  EXPECT_TRUE(login.node.Showing());
  EXPECT_TRUE(link.Showing()) << "the page with the link went away";
  EXPECT_FALSE(HasWindow(kMainTitle));
  EXPECT_EQ(WaitClientExit(0ms), std::nullopt);
}

TEST_F(FileTransferTest, StalledDownloadShowsItsProgressCanBeCancelledAndIsNamedOnExit) {
  EnsurePortFree();
  const std::string name = "report.csv";
  PageServer server;
  BrokenDownload download(server, "/report", name);
  server.Page("/" + kLoginKey, HtmlPage("登录", "<p><a href=\"/?ac=home\">进入</a></p>"));
  server.Page("/?ac=home", HtmlPage("首页", "<p><a href=\"/report\">下载报表</a></p>"));
  server.Start(kServicePort);
  StartClient();
  const Window login = WaitForLoginWindow();
  gui::ClickCenter(*xdo_, WaitInPage(login, gui::Query{.role = ATSPI_ROLE_LINK, .name = "进入"}));
  const Window main = WaitForMainWindow();
  gui::ClickCenter(*xdo_, WaitInPage(main, gui::Query{.role = ATSPI_ROLE_LINK, .name = "下载报表"}));
  const Window dialog = WaitForWindow(kSaveTitle);
  gui::TempDir folder("varnock-saved");
  SaveAs(dialog, ExpectSaveDialog(dialog, main, name), folder.path() / name);

  // Half of it has come: the list of downloads says so, with a way out.
  const Window list = WaitForWindow("下载");
  a11y_->WaitFor(list.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name = name});
  const gui::Accessible progress = a11y_->WaitFor(list.node, gui::Query{.role = ATSPI_ROLE_PROGRESS_BAR});
  gui::WaitUntil([&] { return progress.Name().find("50%") != std::string::npos; }, gui::kDefaultTimeout,
                 "the progress to read 50%", [&] { return progress.Describe(); });

  // Leaving now would drop it: the exit question says so; Esc stays.
  xdo_->CloseWindow(main.xid);
  Window box = WaitForWindow(kMessageBoxTitle);
  a11y_->WaitFor(box.node, gui::Query{.role = ATSPI_ROLE_LABEL,
                                      .name = "确定要退出吗？\n\n有 1 个下载尚未完成，退出后将被取消。"});
  xdo_->KeyToWindow(box.xid, "Escape");
  WaitWindowGone(kMessageBoxTitle);

  // Cancelled: nothing left of it, nothing reported, and the question is
  // the plain one again.
  gui::ClickCenter(*xdo_, a11y_->WaitFor(list.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "取消"}));
  WaitWindowGone("下载");
  gui::WaitUntil([&] { return Entries(folder.path()).empty(); }, gui::kDefaultTimeout,
                 "the cancelled download's partial file to go", [&] { return Join(Entries(folder.path())); });
  EXPECT_FALSE(HasWindow(kMessageBoxTitle)) << "a cancelled download was reported";
  EXPECT_EQ(ExitThroughCloseBox(main), 0);
}

// A desktop with no session bus and no accessibility bus announced on its
// display: the libraries would launch a bus of their own to look for one
// (GLib's autolaunch), and it would stay after the program.
TEST_F(FileTransferTest, StartedWithoutASessionBusItLeavesNoneBehind) {
  EnsurePortFree();
  PageServer server;
  server.Routes().Get("/report", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Disposition", "attachment; filename=\"report.csv\"");
    response.set_content("a,b\n", "text/csv");
  });
  server.Page("/" + kLoginKey, HtmlPage("登录", "<script>location.href = '/report';</script>"));
  server.Start(kServicePort);
  gui::RunCommand({"xprop", "-root", "-remove", "AT_SPI_BUS"}, session_->Env());
  const auto before = session_->Processes();
  // A runtime folder of the session's (whose processes the session knows)
  // with no bus in it.
  const auto no_bus = session_->RuntimeDir() / "no-bus";
  std::filesystem::create_directories(no_bus);
  StartClientWith({"env", "-u", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR=" + no_bus.string(), VARNOCK_CLIENT});
  // No accessibility without a bus to find it on: windows by their titles.
  const gui::WindowId login = xdo_->WaitForWindow(kLoginTitle);
  xdo_->KeyToWindow(xdo_->WaitForWindow(kSaveTitle), "Escape");
  gui::WaitUntil([&] { return xdo_->FindWindowsByTitle(kSaveTitle).empty(); }, gui::kDefaultTimeout,
                 "Esc to close the save dialog");
  xdo_->CloseWindow(login);
  EXPECT_EQ(WaitClientExit(), std::optional<int>(0));
  // Whatever it started has gone with it: no bus daemon, no launcher.
  std::string left;
  const bool none = gui::PollUntil(
      [&] {
        left.clear();
        for (pid_t pid : session_->Processes()) {
          if (std::find(before.begin(), before.end(), pid) == before.end()) {
            left += "  " + std::to_string(pid) + " " + gui::CommandLineOf(pid) + "\n";
          }
        }
        return left.empty();
      },
      5s);
  EXPECT_TRUE(none) << "processes left behind:\n" << left;
}

TEST_F(FileTransferTest, UploadedListReachesTheService) {
  const Window main = StartLoggedIn();

  // A list as a user keeps one: a heading, good numbers, a bad one, a repeat.
  const std::vector<std::string> numbers{"13700001111", "15800002222", "18900003333"};
  const std::string bad = "1234567";
  const auto list = scratch_->path() / "numbers.csv";
  {
    std::ofstream out(list, std::ios::binary);
    out << "手机\r\n";
    for (const auto& number : numbers) out << number << "\r\n";
    out << bad << "\r\n" << numbers.front() << "\r\n";
  }
  const int refused_lines = 2;  // the bad one and the repeat

  std::size_t mark = Mark();
  ChooseMenuItem(main, kImportCommand);
  WaitForExactRequest("GET", kImportTarget, Sid(), mark);
  const gui::Accessible import = WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "导入"});
  // The file field reads out as a button named after its label.
  const gui::Accessible field =
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "号码文件（CSV）"});

  gui::ClickCenter(*xdo_, field);
  std::string chooser_title;
  gui::WaitUntil(
      [&] {
        for (const auto& window : ClientWindows()) {
          if (kChooserTitles.count(window.title)) chooser_title = window.title;
        }
        return !chooser_title.empty();
      },
      gui::kDefaultTimeout, "the file chooser", [&] { return a11y_->DumpApplications(); });
  const Window chooser = WaitForWindow(chooser_title);
  EXPECT_TRUE(chooser.node.Has(ATSPI_STATE_MODAL));
  // Typed as a user does: Ctrl+L for a location, the path, Enter.
  xdo_->KeyToWindow(chooser.xid, "ctrl+l");
  const gui::Accessible location = a11y_->WaitFor(
      chooser.node, gui::Query{.role = ATSPI_ROLE_TEXT, .showing_only = true});
  gui::WaitUntil([&] { return location.Focused(); }, gui::kDefaultTimeout, "the location field to take the focus");
  xdo_->Type(list.string());
  a11y_->WaitForText(location, list.string());
  xdo_->Key("Return");
  WaitWindowGone(chooser_title);
  gui::WaitUntil([&] { return field.Text().find(list.filename().string()) != std::string::npos; },
                 gui::kDefaultTimeout, "the field to show the chosen file",
                 [&] { return "the field reads \"" + field.Text() + "\""; });

  mark = Mark();
  gui::ClickCenter(*xdo_, import);
  WaitForExactRequest("POST", kImportTarget, Sid(), mark);
  // The answer lists what was taken and what was not.
  const gui::Accessible result =
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PARAGRAPH, .text_contains = "成功导入"});
  EXPECT_NE(result.Text().find("成功导入 " + std::to_string(numbers.size()) + " 个号码"), std::string::npos)
      << result.Text();
  EXPECT_NE(result.Text().find("未导入 " + std::to_string(refused_lines) + " 条"), std::string::npos) << result.Text();
  for (const auto& number : numbers) {
    EXPECT_TRUE(a11y_->Find(main.node, gui::Query{.role = ATSPI_ROLE_LIST_ITEM, .text_contains = number}))
        << number << " is not among the imported numbers:\n" << a11y_->Dump(WaitForDocument(main));
  }
  EXPECT_TRUE(a11y_->Find(main.node, gui::Query{.role = ATSPI_ROLE_TABLE_CELL, .text = bad}))
      << "the bad line is not among the rejected ones";

  // The service kept the list: the page asked for afresh shows it.
  mark = Mark();
  ChooseMenuItem(main, kImportCommand);
  WaitForExactRequest("GET", kImportTarget, Sid(), mark);
  const gui::Accessible kept = WaitInPage(
      main, gui::Query{.role = ATSPI_ROLE_HEADING, .name = "当前号码列表（" + std::to_string(numbers.size()) + " 个）"});
  EXPECT_TRUE(kept.Showing());
  const gui::Accessible kept_numbers =
      WaitInPage(main, gui::Query{.role = ATSPI_ROLE_PARAGRAPH, .text_contains = numbers.front()});
  for (const auto& number : numbers) {
    EXPECT_NE(kept_numbers.Text().find(number), std::string::npos) << kept_numbers.Text();
  }
  EXPECT_EQ(kept_numbers.Text().find(bad), std::string::npos) << kept_numbers.Text();
  EXPECT_TRUE(FilesUnderHome().empty()) << "the client wrote under HOME:\n" << WrittenUnderHome();
}

}  // namespace
}  // namespace varnock_gui
