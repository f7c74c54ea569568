// The About box: its texts, its modality over the main window, the ways to
// close it, and the system information button.
#include <glib.h>
#include <unistd.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "client_fixture.h"

namespace varnock_gui {
namespace {

const std::string kAboutTitle = "关于 Varnock";
const MenuPath kAboutCommand{"alt+s", {"系统(S)", "关于"}, "", 3};
const std::string kDescriptionStart = "和中国移动、电信、联通等运营商合作打造的专业信息通信平台";

// Where the client looks for a system information tool, in order.
const std::vector<std::string> kToolCandidates{
    "/usr/bin/hardinfo",         "/usr/bin/gnome-system-monitor", "/usr/bin/kinfocenter",
    "/usr/bin/mate-system-monitor", "/usr/bin/xfce4-taskmanager",  "/usr/local/bin/hardinfo",
};

// The first candidate present on this machine, if any.
std::optional<std::string> InstalledTool() {
  for (const std::string& path : kToolCandidates) {
    if (::access(path.c_str(), F_OK) == 0) return path;
  }
  return std::nullopt;
}

class AboutTest : public ClientTest {
 protected:
  Window OpenAbout(const Window& main) {
    ChooseMenuItem(main, kAboutCommand);
    return WaitForWindow(kAboutTitle);
  }

  // Every label of the box, in tree order.
  std::vector<std::string> Labels(const Window& about) const {
    std::vector<std::string> out;
    for (const auto& label : a11y_->FindAll(about.node, gui::Query{.role = ATSPI_ROLE_LABEL})) {
      out.push_back(label.Name());
    }
    return out;
  }

  gui::Accessible Button(const Window& about, const std::string& caption) const {
    return a11y_->WaitFor(about.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = caption});
  }

  void ExpectTexts(const Window& about) const {
    const auto labels = Labels(about);
    const auto has = [&](const auto& predicate) { return std::any_of(labels.begin(), labels.end(), predicate); };
    std::string all;
    for (const auto& label : labels) all += "  [" + label + "]\n";
    EXPECT_TRUE(has([](const std::string& l) { return l == "Varnock"; })) << all;
    EXPECT_TRUE(has([](const std::string& l) { return l == std::string("版本 ") + VARNOCK_VERSION_TEXT; })) << all;
    EXPECT_TRUE(has([](const std::string& l) { return l.rfind(kDescriptionStart, 0) == 0; })) << all;
    // Read out as shown: the description, an empty line, the slogan, with
    // no raw CR; the logo by its name.
    EXPECT_TRUE(has([](const std::string& l) {
      return l.rfind(kDescriptionStart + "\n\n", 0) == 0 && l.size() > kDescriptionStart.size() + 2 &&
             l.find('\r') == std::string::npos;
    })) << all;
    const auto logo = a11y_->Find(about.node, gui::Query{.role = ATSPI_ROLE_IMAGE});
    ASSERT_TRUE(logo.has_value()) << a11y_->Dump(about.node);
    EXPECT_NE(logo->Name().find("Varnock"), std::string::npos) << logo->Describe();
    // A rights notice with a year no later than this one.
    const std::regex notice(R"(.*©\s*((19|20)\d\d).*保留所有权利.*)");
    const std::time_t now = std::time(nullptr);
    const int this_year = std::localtime(&now)->tm_year + 1900;
    EXPECT_TRUE(has([&](const std::string& l) {
      std::smatch m;
      return std::regex_match(l, m, notice) && std::stoi(m[1]) <= this_year;
    })) << all;
  }

  void ExpectModalOver(const Window& about, const Window& main) const {
    EXPECT_TRUE(about.node.Has(ATSPI_STATE_MODAL));
    EXPECT_EQ(about.node.Role(), ATSPI_ROLE_DIALOG) << about.node.Describe();
    const auto states = xdo_->WindowStates(about.xid);
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_MODAL"), states.end());
    // xprop writes the owner as "window id # 0x…".
    std::ostringstream owner;
    owner << "0x" << std::hex << main.xid;
    const std::string transient = xdo_->Property(about.xid, "WM_TRANSIENT_FOR");
    EXPECT_NE(transient.find(owner.str()), std::string::npos) << transient << " instead of " << owner.str();
  }

  // Escape to the box itself: it closes unless something else is in the way.
  void CloseWithEscape(const Window& about) {
    xdo_->KeyToWindow(about.xid, "Escape");
    WaitWindowGone(kAboutTitle);
  }
};

TEST_F(AboutTest, TextsModalityAndTheWaysToClose) {
  const Window main = StartLoggedIn();
  const std::size_t mark = Mark();

  Window about = OpenAbout(main);
  ExpectModalOver(about, main);
  ExpectTexts(about);
  const std::vector<std::string> first_texts = Labels(about);
  const gui::Accessible ok = Button(about, "确定");
  EXPECT_TRUE(ok.Has(ATSPI_STATE_IS_DEFAULT));
  gui::WaitUntil([&] { return ok.Focused(); }, gui::kDefaultTimeout, "the focus on 确定");
  Button(about, "系统信息(S)...");

  // The main window's menus ignore the keyboard and the pointer meanwhile.
  const gui::Accessible send_item = a11y_->MenuItem(main.node, {"短信管理(M)", "名片发送(S)"});
  xdo_->Key("alt+m");  // where the focus is: the box
  // Straight to the main window, past the window manager, which keeps
  // activating the box instead.
  xdo_->Run({"windowfocus", "--sync", std::to_string(main.xid)});
  xdo_->Key("alt+m");
  gui::ClickCenter(*xdo_, a11y_->Find(main.node, gui::Query{.role = ATSPI_ROLE_MENU, .name = "短信管理(M)"}).value());
  // Had a menu opened, it would hold the keyboard and swallow this Escape.
  CloseWithEscape(about);
  EXPECT_FALSE(send_item.Showing()) << "a menu opened while the About box was up";
  EXPECT_EQ(Mark(), mark) << LogFrom(mark);

  // Enter: 确定 has the focus again on a new opening, with the same texts.
  about = OpenAbout(main);
  EXPECT_EQ(Labels(about), first_texts);
  gui::WaitUntil([&] { return Button(about, "确定").Focused(); }, gui::kDefaultTimeout, "the focus on 确定");
  xdo_->Key("Return");
  WaitWindowGone(kAboutTitle);

  // The close box.
  about = OpenAbout(main);
  EXPECT_EQ(Labels(about), first_texts);
  xdo_->CloseWindow(about.xid);
  WaitWindowGone(kAboutTitle);

  EXPECT_TRUE(Client().Running());
  EXPECT_FALSE(HasWindow(kMessageBoxTitle));
  EXPECT_EQ(Mark(), mark) << LogFrom(mark);
  // The main window's menus work again.
  const std::size_t before = Mark();
  ChooseMenuItem(main, {"alt+m", {"短信管理(M)", "名片发送(S)"}, "s"});
  EXPECT_EQ(WaitForRequest(".*", before).line, "GET /?ac=send sid=" + Sid());
}

TEST_F(AboutTest, SystemInformationUnavailable) {
  if (const auto tool = InstalledTool()) {
    GTEST_SKIP() << tool.value() << " is installed here, so the client finds a system information tool";
  }
  const Window main = StartLoggedIn();
  const Window about = OpenAbout(main);
  xdo_->Key("alt+s");
  const Window box = WaitForWindow(kMessageBoxTitle);
  ExpectMessageBox(box, "此时系统信息不可用");
  std::vector<std::string> buttons;
  for (const auto& b : a11y_->FindAll(box.node, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON})) buttons.push_back(b.Name());
  EXPECT_EQ(buttons, std::vector<std::string>{"确定"});
  xdo_->Key("Return");
  WaitWindowGone(kMessageBoxTitle);

  EXPECT_TRUE(about.node.Showing()) << "the About box went away with the message";
  ExpectTexts(about);
  CloseWithEscape(about);
  EXPECT_TRUE(Client().Running());
}

TEST_F(AboutTest, SystemInformationStartsTheTool) {
  if (const auto tool = InstalledTool()) {
    GTEST_SKIP() << tool.value() << " is installed here; a stand-in in /usr/local/bin/hardinfo would not be the "
                 << "one the client starts";
  }
  // A private mount namespace with an empty /usr/local/bin: needs root (or
  // user namespaces) and mount permission.
  const auto probe = gui::RunCommand({"unshare", "-m", "sh", "-c", "mount -t tmpfs none /usr/local/bin"},
                                     gui::Environment::FromCurrentProcess());
  if (probe.status != 0) {
    GTEST_SKIP() << "cannot mount over /usr/local/bin in a private mount namespace here (" << probe.err
                 << "), so there is no place for a stand-in tool";
  }

  // Tells the test it ran and with what environment, then stays, as a real
  // tool window would.
  const auto marker = scratch_->path() / "tool-started";
  const auto standin = scratch_->path() / "standin-tool";
  const auto environment = scratch_->path() / "tool-environment";
  {
    std::ofstream script(standin);
    script << "#!/bin/sh\n"
           << "env > '" << environment.string() << "'\n"
           << "echo $$ > '" << marker.string() << ".tmp'\n"
           << "mv '" << marker.string() << ".tmp' '" << marker.string() << "'\n"
           << "exec sleep 60\n";
  }
  StartService();
  StartClientWith({"unshare", "-m", "sh", "-c",
                   "mount -t tmpfs none /usr/local/bin && cp '" + standin.string() +
                       "' /usr/local/bin/hardinfo && chmod +x /usr/local/bin/hardinfo && exec '" VARNOCK_CLIENT "'"});
  WaitForLoginWindow();
  const Window main = LogInAsDemo();
  WaitForDocument(main);

  const Window about = OpenAbout(main);
  xdo_->Key("alt+s");
  gui::WaitUntil([&] { return std::filesystem::exists(marker); }, gui::kDefaultTimeout,
                 "the stand-in tool to start");
  pid_t tool_pid = 0;
  std::ifstream(marker) >> tool_pid;
  EXPECT_GT(tool_pid, 0);

  // Started and not waited for: the box stays, answers, and no message
  // came up (it would take this Escape for itself).
  // The user's own environment, as the client was started with it: none of
  // what the run sets for the libraries under it (its private cache, its
  // settings kept in memory, its language).
  std::map<std::string, std::string> tool_env;
  {
    std::ifstream in(environment);
    for (std::string line; std::getline(in, line);) {
      const auto eq = line.find('=');
      if (eq != std::string::npos) tool_env[line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  const gui::Environment started_with = session_->Env();
  for (const char* name : {"XDG_CACHE_HOME", "GSETTINGS_BACKEND", "LANGUAGE", "PANGO_LANGUAGE", "GDK_GL",
                           "DBUS_SESSION_BUS_ADDRESS", "HOME", "LANG"}) {
    const auto expected = started_with.Get(name);
    const auto found = tool_env.find(name);
    EXPECT_EQ(found == tool_env.end() ? std::optional<std::string>() : std::optional<std::string>(found->second),
              expected)
        << name;
  }

  EXPECT_TRUE(about.node.Showing());
  EXPECT_FALSE(HasWindow(kMessageBoxTitle)) << "a message came up although the tool started";
  CloseWithEscape(about);
  EXPECT_TRUE(gui::PidAlive(tool_pid)) << "the tool ended before the box was closed";
  EXPECT_TRUE(Client().Running());
}

// The motif hints' functions of a window (mutter and KWin offer what they
// list), as xprop reads them: "… = flags, functions, decorations, …".
unsigned MotifFunctions(const std::string& property) {
  const auto values = property.find('=');
  const auto second = property.find(',', values);
  if (values == std::string::npos || second == std::string::npos) return ~0u;  // none: everything
  return static_cast<unsigned>(std::stoul(property.substr(second + 1), nullptr, 16));
}

// What each window lets the user do with it, in every window manager's
// terms (the motif hints), and what openbox, here, offers: the login window
// no maximise (openbox offers it on any window it can resize), the About
// box neither minimise nor maximise.
TEST_F(AboutTest, WindowsOfferOnlyTheirButtons) {
  constexpr unsigned kAll = 1, kMinimise = 8, kMaximise = 16;
  const auto expect_offers = [&](const Window& window, bool minimise, bool maximise, bool resize) {
    const std::string motif = xdo_->Property(window.xid, "_MOTIF_WM_HINTS");
    const unsigned functions = MotifFunctions(motif);
    const std::string what = window.node.Name() + ": " + motif;
    EXPECT_EQ(functions & kAll, 0u) << what;
    EXPECT_EQ((functions & kMinimise) != 0, minimise) << what;
    EXPECT_EQ((functions & kMaximise) != 0, maximise) << what;
    std::string allowed;
    gui::WaitUntil([&] { return !(allowed = xdo_->Property(window.xid, "_NET_WM_ALLOWED_ACTIONS")).empty(); },
                   gui::kDefaultTimeout, "the window manager to tell what it allows");
    if (!(resize && !maximise)) {
      EXPECT_EQ(allowed.find("_NET_WM_ACTION_MAXIMIZE") != std::string::npos, maximise)
          << window.node.Name() << ": " << allowed;
    }
    EXPECT_EQ(allowed.find("_NET_WM_ACTION_RESIZE") != std::string::npos, resize)
        << window.node.Name() << ": " << allowed;
  };
  StartService();
  StartClient();
  const Window login = WaitForLoginWindow();
  xdo_->WaitForWindow(kLoginTitle);
  expect_offers(login, true, false, true);
  const Window main = LogInAsDemo();
  WaitForDocument(main);
  expect_offers(main, true, true, true);
  const Window about = OpenAbout(main);
  expect_offers(about, false, false, false);

  // Openbox offers minimise on any dialog all the same: minimised, the box
  // takes its owner along, and comes back with it, on top and answering
  // the keyboard. Never a main window left alone that refuses input.
  xdo_->Minimize(about.xid);
  if (gui::PollUntil([&] { return about.node.Has(ATSPI_STATE_ICONIFIED); }, 2s)) {
    gui::WaitUntil([&] { return main.node.Has(ATSPI_STATE_ICONIFIED); }, gui::kDefaultTimeout,
                   "the main window to go down with its About box");
    // Not --sync: openbox hands the activation on to the modal box, so the
    // main window itself may never be reported active.
    xdo_->Run({"windowactivate", std::to_string(main.xid)});
    gui::WaitUntil([&] { return !about.node.Has(ATSPI_STATE_ICONIFIED) && about.node.Showing(); },
                   gui::kDefaultTimeout, "the About box to come back with the main window");
  }
  gui::WaitUntil([&] { return about.node.Active(); }, gui::kDefaultTimeout, "the About box on top, active");
  CloseWithEscape(about);
  const std::size_t before = Mark();
  ChooseMenuItem(main, {"alt+m", {"短信管理(M)", "名片发送(S)"}, "s"});
  EXPECT_EQ(WaitForRequest(".*", before).line, "GET /?ac=send sid=" + Sid());
}

// The desktop's text scale (GDK_DPI_SCALE here; GNOME's Large Text and
// KDE's font dpi say the same through the desktop's settings): twips follow
// it, 1440 / (96 × scale) to the pixel, and every text keeps its room.
class TextScaleTest : public AboutTest, public ::testing::WithParamInterface<double> {
 protected:
  TextScaleTest() {
    // Room for the main window at twice the size.
    session_options_.width = 2200;
    session_options_.height = 1700;
  }

  static int Pixels(double twips) { return static_cast<int>(std::lround(twips * 96.0 * GetParam() / 1440.0)); }

  // The last character of `node`'s text is drawn inside it (across, and its
  // middle down: a glyph's box may reach into the line spacing): nothing
  // cut off.
  void ExpectWhole(const gui::Accessible& node, const std::string& what) const {
    const gui::Extents box = node.ScreenExtents();
    const long last = g_utf8_strlen(node.Text().c_str(), -1) - 1;
    ASSERT_GE(last, 0) << what << " is empty";
    const gui::Extents c = node.CharacterExtents(static_cast<int>(last));
    const int middle = c.y + c.height / 2;
    EXPECT_TRUE(c.width > 0 && c.x >= box.x && c.x + c.width <= box.x + box.width + 1 && middle >= box.y &&
                middle <= box.y + box.height)
        << what << " is cut off: its last character at " << c.x << "," << c.y << " " << c.width << "x" << c.height
        << ", the label at " << box.x << "," << box.y << " " << box.width << "x" << box.height;
  }
};

bool Overlap(const gui::Extents& a, const gui::Extents& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST_P(TextScaleTest, EveryTextKeepsItsRoom) {
  StartService();
  std::ostringstream scale;
  scale << GetParam();
  StartClientWith({"env", "GDK_DPI_SCALE=" + scale.str(), VARNOCK_CLIENT});

  // The login window: its twips at this scale, and its page whole in it.
  const Window login = WaitForLoginWindow();
  const gui::Geometry area = xdo_->WindowGeometry(login.xid);
  EXPECT_EQ(area.width, Pixels(5295));
  EXPECT_EQ(area.height, Pixels(3825));
  // The page's document may still be replaced by the one that loads
  // (its object goes): read it again until it holds still.
  gui::Extents view;
  gui::WaitUntil(
      [&] {
        try {
          view = WaitForDocument(login).Parent().ScreenExtents();
          return true;
        } catch (const std::exception&) {
          return false;
        }
      },
      gui::kDefaultTimeout, "the login page's view");
  const gui::Extents button =
      WaitInPage(login, gui::Query{.role = ATSPI_ROLE_PUSH_BUTTON, .name = "登录"}).ScreenExtents();
  EXPECT_LE(button.x + button.width, view.x + view.width) << "the login page does not fit across";
  EXPECT_LE(button.y + button.height, view.y + view.height) << "the login page does not fit down";

  // The main window's status line, whole.
  const Window main = LogInAsDemo();
  const gui::Accessible bar = a11y_->WaitFor(main.node, gui::Query{.role = ATSPI_ROLE_STATUS_BAR});
  ExpectWhole(a11y_->WaitFor(bar, gui::Query{.role = ATSPI_ROLE_LABEL}), "the status line");

  // The About box: its twips at this scale; every label inside it, whole,
  // and clear of the others.
  const Window about = OpenAbout(main);
  const gui::Geometry box = xdo_->WindowGeometry(about.xid);
  EXPECT_EQ(box.width, Pixels(5760));
  EXPECT_EQ(box.height, Pixels(3525));
  const auto labels = a11y_->FindAll(about.node, gui::Query{.role = ATSPI_ROLE_LABEL});
  ASSERT_EQ(labels.size(), 4u);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const gui::Extents e = labels[i].ScreenExtents();
    EXPECT_TRUE(e.x >= box.x && e.y >= box.y && e.x + e.width <= box.x + box.width &&
                e.y + e.height <= box.y + box.height)
        << "\"" << labels[i].Name() << "\" reaches out of the box";
    ExpectWhole(labels[i], "\"" + labels[i].Name() + "\"");
    for (std::size_t j = i + 1; j < labels.size(); ++j) {
      EXPECT_FALSE(Overlap(e, labels[j].ScreenExtents()))
          << "\"" << labels[i].Name() << "\" and \"" << labels[j].Name() << "\" overlap";
    }
  }
  // The description, one empty line, the slogan: the slogan starts two
  // lines below the description.
  const gui::Accessible description =
      a11y_->WaitFor(about.node, gui::Query{.role = ATSPI_ROLE_LABEL, .name_contains = kDescriptionStart});
  const gui::Extents first = description.CharacterExtents(0);
  const std::string text = description.Text();
  const int slogan_at = static_cast<int>(g_utf8_strlen(text.c_str(), static_cast<gssize>(text.rfind('\n') + 1)));
  const gui::Extents slogan = description.CharacterExtents(slogan_at);
  const double line = 12 * GetParam();  // the label's line height, 9 points at this scale
  EXPECT_GT(slogan.y - first.y, 1.5 * line) << "no empty line between the description and the slogan";
  EXPECT_LT(slogan.y - first.y, 2.5 * line) << "more than one empty line";

  // The etched separator as drawn: a grey row with a white row under it.
  const auto shot = scratch_->path() / "about.png";
  session_->Screenshot(shot);
  const gui::ImageCheck image(shot);
  const int x = box.x + Pixels(2000);
  const int grey = box.y + Pixels(2445);
  EXPECT_EQ(image.Pixel(x, grey), (gui::Rgb{128, 128, 128})) << "the separator's grey line";
  const gui::Rgb white{255, 255, 255};
  EXPECT_TRUE(image.Pixel(x, grey + 1) == white || image.Pixel(x, grey + 2) == white)
      << "no white line right under the grey one";
  // The logo drawn in its frame: a picture of many colours, not an empty box.
  const gui::Rect logo{box.x + Pixels(120), box.y + Pixels(120), Pixels(1815), Pixels(1395)};
  EXPECT_GT(image.InkFraction(logo), 0.2) << "no logo in the About box";
  EXPECT_GT(image.DistinctColors(logo), 20u) << "no logo in the About box";
  // The program's icon on its windows, in every size the window manager
  // is given (GDK 3 handed X11 none above 128 px here).
  const std::string icons = xdo_->Property(about.xid, "_NET_WM_ICON");
  for (int size : {16, 32, 48, 64, 128}) {
    const std::string icon = "Icon (" + std::to_string(size) + " x " + std::to_string(size) + ")";
    EXPECT_NE(icons.find(icon), std::string::npos) << "no " << icon << " on the About box";
  }
  CloseWithEscape(about);
}

// The theme's colours, light and dark: every text of the box stands out
// from what it is drawn on.
class ThemeTest : public AboutTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ThemeTest, TextsStandOut) {
  StartService();
  StartClientWith({"env", std::string("GTK_THEME=") + GetParam(), VARNOCK_CLIENT});
  WaitForLoginWindow();
  const Window main = LogInAsDemo();
  WaitForDocument(main);
  const Window about = OpenAbout(main);
  const auto labels = a11y_->FindAll(about.node, gui::Query{.role = ATSPI_ROLE_LABEL});
  ASSERT_EQ(labels.size(), 4u);
  const auto shot = scratch_->path() / "about.png";
  session_->Screenshot(shot);
  const gui::ImageCheck image(shot);
  for (const auto& label : labels) {
    const gui::Extents e = label.ScreenExtents();
    const gui::Rgb background = image.DominantColor({e.x, e.y, e.width, e.height});
    // The strongest difference of any pixel from the background, in its
    // most different channel: text drawn near the background's colour
    // stays far below half the range.
    int contrast = 0;
    for (int y = e.y; y < e.y + e.height; ++y) {
      for (int x = e.x; x < e.x + e.width; ++x) {
        const gui::Rgb p = image.Pixel(x, y);
        contrast = std::max({contrast, std::abs(p.r - background.r), std::abs(p.g - background.g),
                             std::abs(p.b - background.b)});
      }
    }
    EXPECT_GE(contrast, 160) << "\"" << label.Name() << "\" hardly stands out in " << GetParam();
  }
  // The etched separator (2445 and 2460 twips down): on a dark background
  // a separator, not a bright bar across the box.
  const gui::Geometry box = xdo_->WindowGeometry(about.xid);
  const gui::Rgb paper = image.DominantColor({box.x, box.y, box.width, box.height});
  if (paper.r + paper.g + paper.b < 3 * 128) {
    for (int row = 2445 / 15 - 1; row <= 2460 / 15 + 2; ++row) {
      const gui::Rgb p = image.Pixel(box.x + box.width / 2, box.y + row);
      EXPECT_LT(std::max({p.r, p.g, p.b}), 200) << "a bright line across the About box at row " << row << " in "
                                                 << GetParam();
    }
  }
  CloseWithEscape(about);
}

INSTANTIATE_TEST_SUITE_P(HighContrast, ThemeTest, ::testing::Values("HighContrast", "HighContrastInverse"));

INSTANTIATE_TEST_SUITE_P(AtScale, TextScaleTest, ::testing::Values(1.0, 1.25, 1.5, 2.0),
                         [](const auto& info) {
                           return "Percent" + std::to_string(static_cast<int>(std::lround(info.param * 100)));
                         });

}  // namespace
}  // namespace varnock_gui
