#include "test_service.h"

#include <sys/socket.h>

#include <fstream>

#include "client_fixture.h"

namespace varnock_gui {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kCookie = "tsid";

// The targets of the menu's page commands and the names of their pages.
const std::map<std::string, std::string> kPageNames{
    {"/?ac=home", "工作台"},       {"/?ac=send", "名片发送"},       {"/?ac=sends&fun=import", "导入发送"},
    {"/?ac=history", "发送记录"},  {"/?ac=time", "定时短信"},       {"/?ac=receive", "短信互动"},
    {"/?ac=state", "短信状态"},    {"/?ac=card", "名片管理"},       {"/?ac=card_io&fun=export", "客户资料备份"},
    {"/?info", "账户信息"},        {"/?ac=pay", "在线充值"},        {"/?ac=voucher", "充值记录查询"},
    {"/?ac=consume", "消费记录查询"}, {"/?fun=edit", "修改密码"},   {"/?ac=setting", "系统设置"},
};

std::optional<std::string> CookieValue(const std::string& header, const std::string& name) {
  std::size_t at = 0;
  while (at < header.size()) {
    std::size_t end = header.find(';', at);
    if (end == std::string::npos) end = header.size();
    std::string pair = header.substr(at, end - at);
    at = end + 1;
    const std::size_t first = pair.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    pair = pair.substr(first);
    const std::size_t eq = pair.find('=');
    if (eq != std::string::npos && pair.substr(0, eq) == name) return pair.substr(eq + 1);
  }
  return std::nullopt;
}

// A megabyte of address would make every failure message unreadable.
std::string LoggedTarget(const std::string& target) {
  constexpr std::size_t kMax = 2000;
  std::string out = target.size() <= kMax ? target
                                          : target.substr(0, 200) + "...[" + std::to_string(target.size()) + "]";
  for (char& c : out) {
    if (static_cast<unsigned char>(c) <= ' ') c = '_';
  }
  return out;
}

}  // namespace

TestService::TestService(std::filesystem::path request_log) : request_log_(std::move(request_log)) {}

TestService::~TestService() { Stop(); }

void TestService::Start() {
  if (server_) return;
  {
    std::lock_guard lock(hold_mutex_);
    stopping_ = false;
  }
  auto server = std::make_unique<httplib::Server>();
  const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
    Handle(request, response);
  };
  server->Get(".*", handler);
  server->Post(".*", handler);
  // As the demo service does: without SO_REUSEADDR, TIME_WAIT sockets of the
  // last run keep the port from being bound again at once.
  // The server refuses targets over 8 KB before any handler: say so in the log.
  using HandlerResponse = httplib::Server::HandlerResponse;
  server->set_error_handler(httplib::Server::HandlerWithResponse([this](const httplib::Request&,
                                                                        httplib::Response& response) {
    if (response.status != 414) return HandlerResponse::Unhandled;
    {
      std::lock_guard lock(mutex_);
      std::ofstream(request_log_, std::ios::app | std::ios::binary) << kTooLongLine << "\n";
    }
    response.set_content(Page("地址过长"), kHtml);
    return HandlerResponse::Handled;
  }));
  server->set_socket_options([](socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  // stop() waits for idle keep-alive connections to time out.
  server->set_keep_alive_timeout(1);
  if (!server->bind_to_port("127.0.0.1", kServicePort)) {
    throw gui::Error("the test service could not listen on port " + std::to_string(kServicePort));
  }
  server_ = std::move(server);
  thread_ = std::thread([server = server_.get()] { server->listen_after_bind(); });
  // stop() does nothing before the server runs.
  gui::WaitUntil([&] { return server_->is_running(); }, gui::kDefaultTimeout, "the test service to run");
}

void TestService::Stop() {
  if (!server_) return;
  {
    std::lock_guard lock(hold_mutex_);
    stopping_ = true;
  }
  hold_cv_.notify_all();
  server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

void TestService::Serve(const std::string& target, Handler handler) {
  std::lock_guard lock(mutex_);
  pages_[target] = std::move(handler);
}

void TestService::ServePrefix(const std::string& prefix, Handler handler) {
  std::lock_guard lock(mutex_);
  prefixes_[prefix] = std::move(handler);
}

void TestService::ServeHtml(const std::string& target, const std::string& html) {
  // Only what the browser asks for with GET: a form's POST gets the usual answer.
  Serve(target, [this, html](const httplib::Request& request, httplib::Response& response) {
    if (request.method != "GET") return Default(request, response);
    response.set_content(html, kHtml);
  });
}

std::string TestService::Page(const std::string& name, const std::string& body, const std::string& script) {
  std::string html = "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>" + TitleOf(name) +
                     "</title></head><body><header><a href=\"/?fun=logout\">退出登录</a></header><h1>" + name +
                     "</h1>" + body;
  if (!script.empty()) html += "<script>" + script + "</script>";
  return html + "</body></html>";
}

std::string TestService::LoginPage(const std::string& extra_body, const std::string& script) {
  std::string html =
      "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>用户登录 - 测试服务</title></head>"
      "<body style=\"margin:4px;font-size:12px\"><h1 style=\"font-size:14px;margin:0\">用户登录</h1>"
      "<form method=\"post\" action=\"/?fun=login\">"
      "<label for=\"user\">用户名</label> <input id=\"user\" name=\"user\" size=\"12\"><br>"
      "<label for=\"password\">密码</label> <input id=\"password\" name=\"password\" type=\"password\" size=\"12\">"
      "<button type=\"submit\">登录</button></form>" +
      extra_body;
  if (!script.empty()) html += "<script>" + script + "</script>";
  return html + "</body></html>";
}

std::string TestService::PageNameOf(const std::string& target) {
  const auto it = kPageNames.find(target);
  return it == kPageNames.end() ? std::string() : it->second;
}

bool TestService::HoldFor(std::chrono::milliseconds duration) {
  ++holding_;
  std::unique_lock lock(hold_mutex_);
  const bool cut_short = hold_cv_.wait_for(lock, duration, [&] { return stopping_; });
  lock.unlock();
  --holding_;
  ++released_;
  return !cut_short;
}

std::set<std::string> TestService::Sessions() const {
  std::lock_guard lock(mutex_);
  return sessions_;
}

std::optional<std::string> TestService::SessionOf(const httplib::Request& request) const {
  for (std::size_t i = 0; i < request.get_header_value_count("Cookie"); ++i) {
    if (auto sid = CookieValue(request.get_header_value("Cookie", i), kCookie)) {
      std::lock_guard lock(mutex_);
      if (sessions_.count(*sid) != 0) return sid;
    }
  }
  return std::nullopt;
}

void TestService::Log(const httplib::Request& request, const std::string& sid) {
  std::lock_guard lock(mutex_);
  std::ofstream out(request_log_, std::ios::app | std::ios::binary);
  out << request.method << " " << LoggedTarget(request.target) << " sid=" << sid << "\n";
}

void TestService::Handle(const httplib::Request& request, httplib::Response& response) {
  response.set_header("Cache-Control", "no-store");
  const std::optional<std::string> sid = SessionOf(request);
  Log(request, sid.value_or("-"));

  Handler custom;
  {
    std::lock_guard lock(mutex_);
    const auto it = pages_.find(request.target);
    if (it != pages_.end()) {
      custom = it->second;
    } else {
      for (const auto& [prefix, handler] : prefixes_) {
        if (request.target.rfind(prefix, 0) == 0) custom = handler;
      }
    }
  }
  if (custom) return custom(request, response);
  Default(request, response);
}

void TestService::Default(const httplib::Request& request, httplib::Response& response) {
  const std::optional<std::string> sid = SessionOf(request);
  if (request.target == "/?fun=login") {
    if (request.method == "POST") {
      if (request.get_param_value("user") != kDemoUser || request.get_param_value("password") != kDemoPassword) {
        return response.set_redirect("/?fun=login", 303);
      }
      std::string id;
      {
        std::lock_guard lock(mutex_);
        id = "t" + std::to_string(next_session_++);
        sessions_.insert(id);
      }
      response.set_header("Set-Cookie", std::string(kCookie) + "=" + id + "; Path=/; HttpOnly");
      return response.set_redirect("/?ac=home", 303);
    }
    return response.set_content(LoginPage(), kHtml);
  }
  if (request.target == "/?fun=notice") return response.set_content(Page("平台公告"), kHtml);
  if (request.target == "/?fun=logout") {
    if (sid) {
      std::lock_guard lock(mutex_);
      sessions_.erase(*sid);
    }
    return response.set_redirect("/?fun=login", 303);
  }
  const std::string name = PageNameOf(request.target);
  if (name.empty()) {
    response.status = 404;
    return response.set_content(Page("未找到"), kHtml);
  }
  if (!sid) return response.set_redirect("/?fun=login", 303);
  response.set_content(Page(name), kHtml);
}

}  // namespace varnock_gui
