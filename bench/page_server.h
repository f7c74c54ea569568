// The bench's stand-in for the service: a login page, the landed page and a
// few work pages on port 8010, each page reporting its load event back here.
// Every request is timestamped on arrival, so one clock serves every figure.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

struct Hit {
  Clock::time_point at;
  std::string method;
  std::string target;  // path and query as sent, e.g. "/?ac=home"
  std::string loaded;  // for a load report: the page key it names ("login", "home", "send")
};

using HitMatch = std::function<bool(const Hit&)>;
HitMatch Request(std::string method, std::string target);
HitMatch Loaded(std::string page);

class PageServer {
 public:
  // Listens on 127.0.0.1 and, where the machine has it, ::1. Throws when the
  // port is taken.
  explicit PageServer(int port);
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  // The login page submits its own form right after its load event.
  void SetSubmitOnLoad(bool on);
  // The next work page served logs out (GET /?fun=logout) after its load event.
  void LogOutAfterNextWorkPage();

  // The index the next hit will get.
  std::size_t Mark() const;
  // The first hit at or after `from` that matches, with its index.
  std::optional<std::pair<std::size_t, Hit>> WaitFor(std::size_t from, const HitMatch& match,
                                                      std::chrono::milliseconds timeout) const;
  // Like WaitFor, but throws naming `what` and listing the hits seen.
  std::pair<std::size_t, Hit> Expect(std::size_t from, const HitMatch& match, const std::string& what,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
  // The hits from `from` on, timed from the first of them or, with
  // `absolute`, in seconds of the monotonic clock (to line up with a
  // subject's own log).
  std::string Describe(std::size_t from, bool absolute = false) const;

 private:
  void Record(const httplib::Request& request, std::string loaded);
  void Handle(const httplib::Request& request, httplib::Response& response);

  struct Listener {
    httplib::Server server;
    std::thread thread;
  };
  std::vector<std::unique_ptr<Listener>> listeners_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<Hit> hits_;
  bool submit_on_load_ = false;
  bool logout_next_ = false;
  unsigned next_session_ = 1;
};

}  // namespace bench
