// The client against the floor (one bare WebKitGTK view) and Chromium's app
// window, on the same machine, the same pages and the same clock.
//
//   varnock_bench --client PATH --floor PATH [--runs N] [--only client,floor,chromium]
//                 [--presses N] [--alt LABEL=PATH]... [--verbose]
//
// Every figure is the median over the runs; the subjects take turns within a
// round so that drifts of the machine fall on all of them alike.
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "harness/error.h"
#include "harness/net.h"
#include "harness/process.h"
#include "harness/proc_table.h"
#include "harness/session.h"
#include "harness/temp_dir.h"
#include "harness/wait.h"
#include "keyboard.h"
#include "memory.h"
#include "page_server.h"

namespace bench {
namespace {

using namespace std::chrono_literals;

constexpr int kPort = 8010;
constexpr const char* kLoginAddress = "http://localhost:8010/?fun=login";
constexpr const char* kWorkAddress = "http://localhost:8010/?ac=send";
constexpr auto kIdle = 5s;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
// KiB to MB; a reading that could not be taken (-1) stays out of the medians.
double Mb(long kib) { return kib < 0 ? NAN : kib / 1024.0; }

enum class Kind { Client, Floor, Chromium };

struct Subject {
  std::string name;
  Kind kind;
  std::string program;
  // The floor opening the landed page in a second window, as the client
  // does: the engine's own cost of that, for the hand-over only.
  bool second_window = false;
};

// What one subject gave over all runs.
struct Figures {
  std::vector<double> cold_ms;
  std::vector<double> cold_cpu_ms;  // CPU time the whole tree used for it
  std::vector<double> handover_ms;
  std::vector<double> engine_ms;  // the engine's own load(s) within the hand-over
  std::vector<double> added_ms;   // the client's time between its two loads
  std::vector<double> menu_ms;
  std::vector<double> pss_idle_mb;
  std::vector<double> pss_login_mb;
  std::vector<double> session_idle_mb;  // PSS within the bench's desktop only
  std::vector<double> session_login_mb;
  std::vector<double> trim_before_mb;
  std::vector<double> trim_after_mb;
  std::vector<double> relogin_mb;
};

double Median(std::vector<double> v) {
  v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return std::isnan(x); }), v.end());
  if (v.empty()) return std::nan("");
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Options {
  std::string client;
  std::string floor;
  std::string chromium = "chromium";
  int runs = 5;
  int presses = 5;
  std::vector<std::string> only;
  // Other builds of the client, measured alongside as "LABEL".
  std::vector<std::pair<std::string, std::string>> alts;  // label, program
  bool verbose = false;
  bool trace = false;
  bool idle_only = false;
  // Before each start, wait up to quiet_wait_s for the CPUs to be at most
  // quiet_share busy over half a second.
  int quiet_wait_s = 60;
  double quiet_share = 0.25;
  std::string dump;  // where to copy the tree's smaps and a screenshot at each memory reading
};

// The share of all CPUs busy over `window`, from /proc/stat.
double BusyShare(std::chrono::milliseconds window) {
  auto read = [] {
    std::ifstream stat("/proc/stat");
    std::string cpu;
    long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
    return std::make_pair(user + nice + system + irq + softirq + steal, idle + iowait);
  };
  const auto [busy0, idle0] = read();
  std::this_thread::sleep_for(window);
  const auto [busy1, idle1] = read();
  const double total = static_cast<double>((busy1 - busy0) + (idle1 - idle0));
  return total > 0 ? (busy1 - busy0) / total : 0;
}

// One start of one subject, stopped with everything it started.
class Launch {
 public:
  Launch(const gui::Session& session, const Subject& subject) {
    std::vector<std::string> argv;
    switch (subject.kind) {
      case Kind::Client:
        argv = {subject.program};
        break;
      case Kind::Floor:
        argv = {subject.program, kLoginAddress, kWorkAddress};
        if (subject.second_window) argv.push_back("--second-window");
        break;
      case Kind::Chromium:
        profile_.emplace("varnock-bench-chromium");
        argv = {subject.program,
                std::string("--app=") + kLoginAddress,
                "--no-sandbox",
                "--user-data-dir=" + profile_->path().string(),
                "--no-first-run",
                "--disable-background-networking",
                "--disable-component-update",
                "--disable-sync",
                "--disable-gpu"};
        break;
    }
    started_ = Clock::now();
    process_ = session.Start(argv);
  }

  ~Launch() {
    // Everything it started goes too, so the next start has the machine to itself.
    std::vector<pid_t> tree = gui::DescendantsOf(process_->pid());
    process_->Stop();
    gui::PollUntil(
        [&] { return std::none_of(tree.begin(), tree.end(), gui::PidAlive); }, 10s, 20ms);
    for (pid_t p : tree) {
      if (gui::PidAlive(p)) kill(p, SIGKILL);
    }
    gui::ReapAdoptedChildren();
  }

  Clock::time_point Started() const { return started_; }
  pid_t Pid() const { return process_->pid(); }
  std::string Log() const {
    const std::string err = process_->Stderr();
    return err.size() > 2000 ? err.substr(err.size() - 2000) : err;
  }

 private:
  std::optional<gui::TempDir> profile_;
  Clock::time_point started_;
  std::unique_ptr<gui::Process> process_;
};

class Bench {
 public:
  Bench(const Options& options, PageServer& server, gui::Session& session)
      : options_(options), server_(server), session_(session), keyboard_(session.Display()) {}

  int Starts() const { return starts_; }
  int BusyStarts() const { return busy_starts_; }

  // The login page, then nothing: start-up time and memory at rest.
  void IdleRun(const Subject& s, Figures& f) {
    server_.SetSubmitOnLoad(false);
    WaitForQuiet();
    const std::size_t mark = server_.Mark();
    Launch launch(session_, s);
    Guard(launch, [&] {
      const auto loaded = server_.Expect(mark, Loaded("login"), s.name + "'s login page load").second;
      f.cold_cpu_ms.push_back(TreeCpuMs(launch.Pid()));
      f.cold_ms.push_back(Ms(loaded.at - launch.Started()));
      if (options_.trace) {
        std::cerr << std::fixed << std::setprecision(6) << "  "
                  << std::chrono::duration<double>(launch.Started().time_since_epoch()).count() << " started\n"
                  << server_.Describe(mark, true) << launch.Log() << '\n';
      }
      std::this_thread::sleep_until(loaded.at + kIdle);
      const auto tree = TreeMemory(launch.Pid());
      f.pss_idle_mb.push_back(TotalPss(tree) / 1024.0);
      f.session_idle_mb.push_back(Mb(SessionPssKib(tree, session_.Processes())));
      Dump(tree, s.name + "-idle");
      Note(s.name + " idle: cold " + Fixed(f.cold_ms.back()) + " ms (CPU " + Fixed(f.cold_cpu_ms.back()) +
           " ms), PSS " + Fixed(f.pss_idle_mb.back()) +
           " MB, in the session " + Fixed(f.session_idle_mb.back()) + " MB (" + DescribeTree(tree) + ")");
    });
  }

  // The login page submits itself; then memory after login, page commands
  // and, for the client, the trim on the way back to the login window.
  void LoginRun(const Subject& s, Figures& f) {
    server_.SetSubmitOnLoad(true);
    WaitForQuiet();
    const std::size_t mark = server_.Mark();
    Launch launch(session_, s);
    Guard(launch, [&] {
      const auto login = server_.Expect(mark, Loaded("login"), s.name + "'s login page load").second;
      f.cold_ms.push_back(Ms(login.at - launch.Started()));
      const auto [post_i, post] = server_.Expect(mark, Request("POST", "/?fun=login"), "the login form's POST");
      server_.SetSubmitOnLoad(false);
      const auto [b1_i, b1] = server_.Expect(post_i, Loaded("home"), "the landed page's load");
      Hit last = b1;
      const bool two_loads = s.kind == Kind::Client || s.second_window;
      if (two_loads) {
        // The landed page again, now in the main window's own browser.
        const auto [g1_i, g1] = server_.Expect(post_i, Request("GET", "/?ac=home"), "the landed page's request");
        const auto [g2_i, g2] =
            server_.Expect(g1_i + 1, Request("GET", "/?ac=home"), "the main window's request of the landed page");
        const auto b2 = server_.Expect(std::max(g2_i, b1_i + 1), Loaded("home"), "the main window's load").second;
        f.handover_ms.push_back(Ms(b2.at - post.at));
        f.engine_ms.push_back(Ms(b1.at - post.at) + Ms(b2.at - g2.at));
        f.added_ms.push_back(Ms(g2.at - b1.at));
        last = b2;
      } else {
        f.handover_ms.push_back(Ms(b1.at - post.at));
        f.engine_ms.push_back(Ms(b1.at - post.at));
      }
      if (options_.trace) std::cerr << server_.Describe(post_i, true) << launch.Log() << '\n';
      if (s.second_window) {
        Note(s.name + " hand-over: added " + Fixed(f.added_ms.back()) + " ms");
        return;
      }
      std::this_thread::sleep_until(last.at + kIdle);
      const auto tree = TreeMemory(launch.Pid());
      f.pss_login_mb.push_back(TotalPss(tree) / 1024.0);
      f.session_login_mb.push_back(Mb(SessionPssKib(tree, session_.Processes())));
      Dump(tree, s.name + "-login");
      Note(s.name + " login: hand-over " + Fixed(f.handover_ms.back()) + " ms (engine " +
           Fixed(f.engine_ms.back()) + ")" +
           (two_loads ? ", added " + Fixed(f.added_ms.back()) + " ms" : std::string()) + ", PSS " +
           Fixed(f.pss_login_mb.back()) + " MB, in the session " + Fixed(f.session_login_mb.back()) + " MB (" +
           DescribeTree(tree) + ")");
      if (s.kind == Kind::Chromium) return;  // no page command of its own

      WaitUntilOnlyWindowActive(launch.Pid());
      for (int i = 0; i < options_.presses; ++i) {
        const std::size_t m = server_.Mark();
        const auto pressed = PageCommand(s);
        const auto request = server_.Expect(m, Request("GET", "/?ac=send"), "the page command's request").second;
        f.menu_ms.push_back(Ms(request.at - pressed));
        server_.Expect(m, Loaded("send"), "the work page's load");
        std::this_thread::sleep_for(300ms);
      }
      Note(s.name + " page command: " +
           Fixed(Median(std::vector<double>(f.menu_ms.end() - options_.presses, f.menu_ms.end()))) + " ms");
      if (s.kind == Kind::Client) TrimRun(launch, f);
    });
  }

  void Run(const std::vector<Subject>& subjects, std::map<std::string, Figures>& figures) {
    // One unrecorded round first: file caches warm, fontconfig and shader
    // caches written, for everyone alike.
    for (const auto& s : subjects) {
      Figures scratch;
      if (!s.second_window) IdleRun(s, scratch);
    }
    for (int round = 0; round < options_.runs; ++round) {
      std::cerr << "round " << round + 1 << " of " << options_.runs << '\n';
      for (std::size_t k = 0; k < subjects.size(); ++k) {
        const Subject& s = subjects[(k + round) % subjects.size()];
        if (!s.second_window) IdleRun(s, figures[s.name]);
      }
      if (options_.idle_only) continue;
      for (std::size_t k = 0; k < subjects.size(); ++k) {
        const Subject& s = subjects[(k + round) % subjects.size()];
        LoginRun(s, figures[s.name]);
      }
    }
  }

 private:
  // Other programs on a shared machine slow whichever subject they meet:
  // each start waits (a while) for the machine to be mostly idle.
  void WaitForQuiet() {
    const auto deadline = Clock::now() + std::chrono::seconds(options_.quiet_wait_s);
    ++starts_;
    while (BusyShare(500ms) > options_.quiet_share) {
      if (Clock::now() >= deadline) {
        ++busy_starts_;
        return;
      }
    }
  }

  template <typename F>
  void Guard(const Launch& launch, F&& body) {
    try {
      body();
    } catch (const std::exception& e) {
      throw std::runtime_error(std::string(e.what()) + "\nits stderr (end):\n" + launch.Log());
    }
  }

  void Dump(const std::vector<ProcessMemory>& tree, const std::string& label) {
    if (options_.dump.empty()) return;
    const int n = ++dumps_;
    // What was on the screen, to check that the subject really drew the page.
    session_.Screenshot(options_.dump + "/" + std::to_string(n) + "-" + label + ".png");
    for (const auto& p : tree) {
      std::ifstream in("/proc/" + std::to_string(p.pid) + "/smaps");
      std::ofstream out(options_.dump + "/" + std::to_string(n) + "-" + label + "-" + p.name + "-" +
                        std::to_string(p.pid) + ".smaps");
      out << in.rdbuf();
    }
  }

  void Note(const std::string& text) const {
    if (options_.verbose) std::cerr << "  " << text << '\n';
  }

  static std::string Fixed(double v) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(1) << v;
    return out.str();
  }

  // Keys go to the active window: wait until it is the subject's only one.
  void WaitUntilOnlyWindowActive(pid_t pid) {
    const auto env = session_.Env();
    gui::WaitUntil(
        [&] {
          const auto visible =
              gui::RunCommand({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)}, env);
          const auto active = gui::RunCommand({"xdotool", "getactivewindow", "getwindowpid"}, env);
          const auto lines = std::count(visible.out.begin(), visible.out.end(), '\n');
          return lines == 1 && active.status == 0 && std::stol(active.out) == pid;
        },
        15s, "the subject's one window to be active");
    std::this_thread::sleep_for(300ms);
  }

  Clock::time_point PageCommand(const Subject& s) {
    if (s.kind == Kind::Client) {
      // 短信管理(M) opens; 名片发送(S) is the command timed.
      keyboard_.Tap("m", "Alt_L");
      std::this_thread::sleep_for(400ms);
    }
    return keyboard_.Tap("s");
  }

  // Log out from the page; the main window unloads (and trims) on the way
  // back to the login window. The UI process's RSS is read throughout.
  void TrimRun(const Launch& launch, Figures& f) {
    RssRecorder recorder(launch.Pid(), std::chrono::microseconds(200));
    std::this_thread::sleep_for(300ms);
    const std::size_t m = server_.Mark();
    server_.LogOutAfterNextWorkPage();
    PageCommand({"client", Kind::Client, "", false});
    const auto logout = server_.Expect(m, Request("GET", "/?fun=logout"), "the logout request").second;
    const auto relogin = server_.Expect(m, Loaded("login"), "the login page after logging out").second;
    std::this_thread::sleep_for(1500ms);
    const auto samples = recorder.Finish();
    // The trim is the steepest fall within 300 ms after the logout.
    double before = 0, after = 0, best = -1;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (samples[i].at < logout.at - 50ms) continue;
      for (std::size_t j = i + 1; j < samples.size() && samples[j].at - samples[i].at < 300ms; ++j) {
        const double fall = samples[i].rss_kib - samples[j].rss_kib;
        if (fall > best) {
          best = fall;
          before = samples[i].rss_kib / 1024.0;
          after = samples[j].rss_kib / 1024.0;
        }
      }
    }
    if (best < 0 || samples.empty()) throw std::runtime_error("no RSS samples around the logout");
    f.trim_before_mb.push_back(before);
    f.trim_after_mb.push_back(after);
    f.relogin_mb.push_back(samples.back().rss_kib / 1024.0);
    Note("client trim: " + Fixed(before) + " -> " + Fixed(after) + " MB, " + Fixed(samples.back().rss_kib / 1024.0) +
         " MB with the login window back (" + std::to_string(samples.size()) + " samples, login page +" +
         Fixed(Ms(relogin.at - logout.at)) + " ms)");
  }

  const Options& options_;
  PageServer& server_;
  gui::Session& session_;
  Keyboard keyboard_;
  int dumps_ = 0;
  int starts_ = 0;
  int busy_starts_ = 0;
};

// ------------------------------------------------------------- the report

std::string CommandOutput(const std::string& command) {
  std::string out;
  if (std::FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p) != nullptr) out += buffer;
    ::pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

void PrintMachine() {
  std::string cpu;
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("model name", 0) == 0) {
      cpu = line.substr(line.find(':') + 2);
      break;
    }
  }
  long ram_kib = 0;
  std::ifstream meminfo("/proc/meminfo");
  for (std::string line; std::getline(meminfo, line);) {
    if (line.rfind("MemTotal:", 0) == 0) ram_kib = std::strtol(line.c_str() + 9, nullptr, 10);
  }
  utsname u{};
  ::uname(&u);
  std::cout << "Machine: " << cpu << ", " << ::sysconf(_SC_NPROCESSORS_ONLN) << " cores, "
            << std::lround(ram_kib / 1048576.0) << " GB RAM, kernel " << u.release << '\n'
            << "Packages: libwebkit2gtk-4.1-0 "
            << CommandOutput("dpkg-query -W -f='${Version}' libwebkit2gtk-4.1-0 2>/dev/null") << ", chromium "
            << CommandOutput("dpkg-query -W -f='${Version}' chromium 2>/dev/null") << "\n\n";
}

std::string Cell(double v, int precision = 0) {
  if (std::isnan(v)) return "—";
  std::ostringstream out;
  out << std::fixed << std::setprecision(precision) << v;
  return out.str();
}

std::string Ratio(double a, double b) { return std::isnan(a) || std::isnan(b) || b == 0 ? "—" : Cell(a / b, 2); }

void PrintTable(std::map<std::string, Figures>& figures, const std::vector<std::string>& alts, int runs) {
  Figures& c = figures["client"];
  Figures& fl = figures["floor"];
  Figures& f2 = figures["floor-2w"];
  Figures& ch = figures["chromium"];
  // One row: a figure for the client, its variants, the floor and Chromium.
  struct Row {
    std::string name;
    std::function<double(Figures&)> value;
    bool ratios;
    std::string target;
    Figures* floor = nullptr;  // where the floor's value comes from, if not the floor
  };
  auto median = [](std::vector<double> Figures::*field) {
    return [field](Figures& f) { return Median(f.*field); };
  };
  const std::vector<Row> rows{
      {"Cold start to the login page's load (ms)", median(&Figures::cold_ms), true, "≤ 1.00 floor, ≤ 0.67 Chromium"},
      {"  CPU time all its processes used by then (ms)", median(&Figures::cold_cpu_ms), true, ""},
      {"Hand-over: form POST to landed page's load in the main window (ms)", median(&Figures::handover_ms), true, ""},
      {"  of which the engine's own load(s) (ms)", median(&Figures::engine_ms), false, ""},
      {"  added: 1st load event to the main window's request (ms; floor: same in a 2nd window †)",
       median(&Figures::added_ms), true, "≤ 10 ms", &f2},
      {"Menu latency: key press to the page's request (ms)", median(&Figures::menu_ms), true, ""},
      {"PSS, 5 s after the login page's load (MB)", median(&Figures::session_idle_mb), true, ""},
      {"PSS, 5 s after login (MB)", median(&Figures::session_login_mb), true, "≤ 0.80 floor, ≤ 0.50 Chromium"},
      {"  smaps_rollup PSS as the kernel reports it, login page (MB)", median(&Figures::pss_idle_mb), true, ""},
      {"  smaps_rollup PSS as the kernel reports it, after login (MB)", median(&Figures::pss_login_mb), true, ""},
      {"UI process RSS right before the trim (MB)", median(&Figures::trim_before_mb), false, ""},
      {"UI process RSS right after the trim (MB)", median(&Figures::trim_after_mb), false, ""},
      {"  fall (MB)",
       [](Figures& f) { return Median(f.trim_before_mb) - Median(f.trim_after_mb); }, false, "> 0"},
      {"UI process RSS 1.5 s later, login window back (MB)", median(&Figures::relogin_mb), false, ""},
  };
  std::cout << "Medians of " << runs << " runs (memory in MB of 2^20 bytes)\n\n| Figure | Client |";
  for (const auto& a : alts) std::cout << ' ' << a << " |";
  std::cout << " Floor | Chromium | Client/Floor | Client/Chromium | Target |\n|---|---:|";
  for (std::size_t i = 0; i < alts.size(); ++i) std::cout << "---:|";
  std::cout << "---:|---:|---:|---:|---|\n";
  for (const Row& r : rows) {
    const double client = r.value(c);
    const double floor = r.value(r.floor ? *r.floor : fl);
    const double chromium = r.value(ch);
    const int precision = r.name.find("(ms") != std::string::npos && client < 100 ? 1 : 0;
    std::cout << "| " << r.name << " | " << Cell(client, precision) << " |";
    for (const auto& a : alts) std::cout << ' ' << Cell(r.value(figures[a]), precision) << " |";
    std::cout << ' ' << Cell(floor, precision) << " | " << Cell(chromium, precision) << " | "
              << (r.ratios ? Ratio(client, floor) : "") << " | " << (r.ratios ? Ratio(client, chromium) : "") << " | "
              << r.target << " |\n";
  }
  const double menu_added = Median(c.menu_ms) - Median(fl.menu_ms);
  const double handover_added = Median(c.added_ms) - Median(f2.added_ms);
  std::cout << "\n† The floor with --second-window: the landed page opened again in a new window whose view\n"
               "  shares the first one's web process, with the client's rendering mode (no compositing).\n"
               "The client's time over the engine's own: hand-over "
            << Cell(handover_added, 1) << " ms (against †), menu command " << Cell(menu_added, 1)
            << " ms (against the floor's key).\n";
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, sep);) parts.push_back(part);
  return parts;
}

int Main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw std::runtime_error(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--client") options.client = value();
    else if (arg == "--floor") options.floor = value();
    else if (arg == "--chromium") options.chromium = value();
    else if (arg == "--runs") options.runs = std::max(1, std::stoi(value()));
    else if (arg == "--presses") options.presses = std::max(1, std::stoi(value()));
    else if (arg == "--only") options.only = Split(value(), ',');
    else if (arg == "--verbose") options.verbose = true;
    else if (arg == "--dump") options.dump = value();
    else if (arg == "--trace") options.trace = true;
    else if (arg == "--idle-only") options.idle_only = true;
    else if (arg == "--quiet-wait") options.quiet_wait_s = std::max(0, std::stoi(value()));
    else if (arg == "--alt") {
      const std::string kv = value();
      const auto eq = kv.find('=');
      if (eq == std::string::npos) throw std::runtime_error("--alt wants LABEL=PATH");
      options.alts.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
    } else {
      throw std::runtime_error("unknown argument " + arg);
    }
  }
  if (options.client.empty() || options.floor.empty()) {
    throw std::runtime_error(
        "usage: varnock_bench --client PATH --floor PATH [--chromium PATH] [--runs N] [--presses N]\n"
        "         [--only client,floor,chromium] [--alt LABEL=PATH]...\n"
        "         [--idle-only] [--quiet-wait SECONDS] [--verbose] [--trace]\n"
        "         [--dump DIR]");
  }

  // Before any thread, and before the server: the desktop session and
  // everything started in it join the same private network.
  if (gui::UsePrivateNetwork()) {
    std::cerr << "varnock_bench: in a private network namespace (port 8010 is ours alone)\n";
  } else {
    std::cerr << "varnock_bench: no private network namespace (needs root); using this machine's port 8010\n";
  }
  PageServer server(kPort);
  {
    // The pages must be there before anything is timed against them.
    httplib::Client probe("127.0.0.1", kPort);
    auto reply = probe.Get("/?fun=login");
    if (!reply || reply->status != 200) {
      throw std::runtime_error("the bench's own server does not answer on 127.0.0.1:" + std::to_string(kPort));
    }
  }

  std::vector<Subject> subjects;
  auto wanted = [&](const std::string& name) {
    return options.only.empty() || std::find(options.only.begin(), options.only.end(), name) != options.only.end();
  };
  if (wanted("client")) subjects.push_back({"client", Kind::Client, options.client, false});
  std::vector<std::string> alt_labels;
  for (const auto& [label, program] : options.alts) {
    subjects.push_back({label, Kind::Client, program, false});
    alt_labels.push_back(label);
  }
  if (wanted("floor")) subjects.push_back({"floor", Kind::Floor, options.floor, false});
  if (wanted("floor")) subjects.push_back({"floor-2w", Kind::Floor, options.floor, true});
  if (wanted("chromium")) subjects.push_back({"chromium", Kind::Chromium, options.chromium, false});

  gui::Session session;
  std::map<std::string, Figures> figures;
  Bench bench(options, server, session);
  bench.Run(subjects, figures);

  PrintMachine();
  std::cout << bench.BusyStarts() << " of " << bench.Starts() << " starts found the machine busy (over "
            << std::lround(options.quiet_share * 100) << "% of its CPUs) after waiting " << options.quiet_wait_s
            << " s for it to calm down.\n\n";
  PrintTable(figures, alt_labels, options.runs);
  return 0;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  try {
    return bench::Main(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "varnock_bench: " << e.what() << '\n';
    return 1;
  }
}
