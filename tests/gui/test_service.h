// A stand-in for the messaging service on the client's port, for what the
// demo service never does: hostile or broken pages, replies that are slow or
// cut off, an outage that keeps the sessions. It logs requests in the demo
// service's format ("METHOD TARGET sid=SID") to the fixture's request log, so
// WaitForRequest and friends work unchanged.
//
// Out of the box it behaves like the service as the client sees it: a login
// form at /?fun=login (demo/demo123, fields labelled 用户名 and 密码) that
// answers 303 to /?ac=home with a session cookie; every page of the menu for
// a session, 303 to the login page without one; /?fun=notice for anyone;
// /?fun=logout ends the session. Serve() replaces the reply for one exact target.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace varnock_gui {

class TestService {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

  explicit TestService(std::filesystem::path request_log);
  ~TestService();
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;

  // Listens on kServicePort (again, after Stop); sessions and pages stay.
  void Start();
  // Closes the port: connections are refused until Start. Handlers still
  // waiting (HoldFor) are released first.
  void Stop();
  bool Listening() const { return server_ != nullptr; }

  // The reply for exactly this request target ("/?ac=send"), any method.
  void Serve(const std::string& target, Handler handler);
  void ServeHtml(const std::string& target, const std::string& html);
  // The reply for every target starting with `prefix` that has no exact one.
  void ServePrefix(const std::string& prefix, Handler handler);

  // A page as the service draws one: "<name> - 测试服务" as its title, the
  // name as its heading, the 退出登录 link, then `body` and `script`.
  // What the service answers when no Serve() reply applies: custom replies
  // may hand a request back to it (e.g. the login form's POST).
  void Default(const httplib::Request& request, httplib::Response& response);

  static std::string Page(const std::string& name, const std::string& body = {},
                          const std::string& script = {});
  static std::string LoginPage(const std::string& extra_body = {}, const std::string& script = {});
  // The page each menu command's target shows by default, by its name.
  static std::string PageNameOf(const std::string& target);
  // The title the document of Page(name) reads out.
  static std::string TitleOf(const std::string& name) { return name + " - 测试服务"; }

  // Waits up to `duration`, or less when the service stops: for slow replies.
  // Returns false when cut short.
  bool HoldFor(std::chrono::milliseconds duration);
  // Replies being held right now.
  int Holding() const { return holding_; }
  // Replies that were held and have been released (finished or cut short).
  int Released() const { return released_; }

  // Requests refused before any handler saw them because their target was
  // too long for the server (414); logged as "GET (too-long) sid=-".
  static constexpr const char* kTooLongLine = "GET (too-long) sid=-";

  std::set<std::string> Sessions() const;
  // The session of a request (its cookie names a live one), or nullopt.
  std::optional<std::string> SessionOf(const httplib::Request& request) const;

 private:
  void Handle(const httplib::Request& request, httplib::Response& response);
  void Log(const httplib::Request& request, const std::string& sid);

  std::filesystem::path request_log_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;

  mutable std::mutex mutex_;
  std::map<std::string, Handler> pages_;
  std::map<std::string, Handler> prefixes_;
  std::set<std::string> sessions_;
  int next_session_ = 1;

  std::mutex hold_mutex_;
  std::condition_variable hold_cv_;
  bool stopping_ = false;
  std::atomic<int> holding_{0};
  std::atomic<int> released_{0};
};

}  // namespace varnock_gui
