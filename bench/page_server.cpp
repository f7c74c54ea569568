#include "page_server.h"

#include <iomanip>
#include <sstream>
#include <stdexcept>

namespace bench {
namespace {

constexpr const char* kStyle =
    "body{font:14px sans-serif;margin:0;color:#222;background:#f4f6f8}"
    "header{background:#2a5d9f;color:#fff;padding:8px 16px}"
    "header a{color:#fff;margin-left:12px}"
    "main{padding:12px 16px}"
    "table{border-collapse:collapse;width:100%;background:#fff}"
    "th,td{border:1px solid #ccd;padding:3px 6px;text-align:left}"
    "form.login{width:300px;margin:24px auto;background:#fff;padding:16px;border:1px solid #ccd}"
    "label{display:block;margin:6px 0 2px}input,textarea{width:95%}";

// Reports the load event to the bench; the report outlives the page, so a
// navigation started right after it does not cancel it.
std::string LoadScript(const std::string& page, const std::string& after) {
  return "<script>addEventListener('load',function(){"
         "navigator.sendBeacon('/__loaded?page=" +
         page + "');" + after + "});</script>";
}

std::string Head(const std::string& title) {
  return "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>" + title +
         "</title><style>" + kStyle + "</style>";
}

std::string LoginPage(bool submit) {
  std::string after = submit ? "setTimeout(function(){document.getElementById('login').submit();},0);" : "";
  return Head("用户登录") + LoadScript("login", after) +
         "</head><body><form class=\"login\" id=\"login\" method=\"post\" action=\"/?fun=login\">"
         "<h2>Varnock企业短信平台</h2>"
         "<label for=\"u\">用户名</label><input id=\"u\" name=\"username\" value=\"demo\">"
         "<label for=\"p\">密码</label><input id=\"p\" name=\"password\" type=\"password\" value=\"demo123\">"
         "<p><button type=\"submit\">登录</button></p>"
         "<p>忘记密码请联系客服。</p></form></body></html>";
}

std::string Rows(int count) {
  std::string rows;
  for (int i = 1; i <= count; ++i) {
    const std::string n = std::to_string(i);
    rows += "<tr><td>" + n + "</td><td>1380013" + std::to_string(1000 + i) +
            "</td><td>尊敬的客户，您的订单已发货，请注意查收。</td><td>2024-05-0" + std::to_string(1 + i % 9) +
            " 10:" + std::to_string(10 + i % 50) + "</td><td>" + (i % 7 ? "成功" : "失败") + "</td></tr>";
  }
  return rows;
}

std::string WorkPage(const std::string& key, const std::string& title, bool logout) {
  const std::string after = logout ? "setTimeout(function(){location.href='/?fun=logout';},0);" : "";
  std::string body = "</head><body><header>Varnock企业短信平台 · " + title +
                     "<a href=\"/?ac=home\">首页</a><a href=\"/?ac=send\">名片发送</a>"
                     "<a href=\"/?ac=history\">发送记录</a><a href=\"/?fun=logout\">退出登录</a></header><main>";
  if (key == "send") {
    body +=
        "<form method=\"post\" action=\"/?ac=send\"><label for=\"to\">接收号码</label>"
        "<textarea id=\"to\" name=\"to\" rows=\"4\"></textarea><label for=\"text\">短信内容</label>"
        "<textarea id=\"text\" name=\"text\" rows=\"6\"></textarea><p><button>发送</button></p></form>";
  } else {
    body += "<p>账户余额：1,234.50 元　本月已发送：8,765 条</p><table><tr><th>序号</th><th>号码</th>"
            "<th>内容</th><th>时间</th><th>状态</th></tr>" +
            Rows(key == "home" ? 10 : 40) + "</table>";
  }
  return Head(title) + LoadScript(key, after) + body + "</main></body></html>";
}

std::string PageTitle(const std::string& key) {
  if (key == "home") return "首页";
  if (key == "send") return "名片发送";
  if (key == "history") return "发送记录";
  return "短信管理";
}

}  // namespace

HitMatch Request(std::string method, std::string target) {
  return [method = std::move(method), target = std::move(target)](const Hit& hit) {
    return hit.loaded.empty() && hit.method == method && hit.target == target;
  };
}

HitMatch Loaded(std::string page) {
  return [page = std::move(page)](const Hit& hit) { return hit.loaded == page; };
}

PageServer::PageServer(int port) {
  for (const char* host : {"127.0.0.1", "::1"}) {
    auto listener = std::make_unique<Listener>();
    // Several subjects keep connections open; a roomy pool never queues.
    listener->server.new_task_queue = [] { return new httplib::ThreadPool(16); };
    listener->server.Get(".*", [this](const httplib::Request& q, httplib::Response& r) { Handle(q, r); });
    listener->server.Post(".*", [this](const httplib::Request& q, httplib::Response& r) { Handle(q, r); });
    if (!listener->server.bind_to_port(host, port)) {
      if (std::string(host) == "::1") break;  // a machine without IPv6 loopback
      throw std::runtime_error("port " + std::to_string(port) + " on " + host +
                               " is taken: the bench needs it for the client's fixed address");
    }
    auto* server = &listener->server;
    listener->thread = std::thread([server] { server->listen_after_bind(); });
    while (!server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    listeners_.push_back(std::move(listener));
  }
}

PageServer::~PageServer() {
  for (auto& l : listeners_) {
    l->server.stop();
    if (l->thread.joinable()) l->thread.join();
  }
}

void PageServer::SetSubmitOnLoad(bool on) {
  std::lock_guard lock(mutex_);
  submit_on_load_ = on;
}

void PageServer::LogOutAfterNextWorkPage() {
  std::lock_guard lock(mutex_);
  logout_next_ = true;
}

std::size_t PageServer::Mark() const {
  std::lock_guard lock(mutex_);
  return hits_.size();
}

void PageServer::Record(const httplib::Request& request, std::string loaded) {
  const auto now = Clock::now();
  {
    std::lock_guard lock(mutex_);
    hits_.push_back(Hit{now, request.method, request.target, std::move(loaded)});
  }
  changed_.notify_all();
}

void PageServer::Handle(const httplib::Request& q, httplib::Response& r) {
  r.set_header("Cache-Control", "no-store");
  if (q.path == "/__loaded") {
    Record(q, q.get_param_value("page"));
    r.status = 204;
    return;
  }
  Record(q, "");
  if (q.path != "/") {
    r.status = 404;
    r.set_content("not found", "text/plain");
    return;
  }
  const std::string fun = q.get_param_value("fun");
  const std::string ac = q.get_param_value("ac");
  const bool signed_in = q.get_header_value("Cookie").find("sid=") != std::string::npos;
  if (fun == "login" && q.method == "POST") {
    std::string sid;
    {
      std::lock_guard lock(mutex_);
      sid = std::to_string(next_session_++);
    }
    r.set_header("Set-Cookie", "sid=" + sid + "; Path=/; HttpOnly");
    r.set_redirect("/?ac=home", 303);
    return;
  }
  if (fun == "logout") {
    r.set_header("Set-Cookie", "sid=; Path=/; Max-Age=0");
    r.set_redirect("/?fun=login", 303);
    return;
  }
  if (fun == "login" || (fun.empty() && ac.empty())) {
    bool submit;
    {
      std::lock_guard lock(mutex_);
      submit = submit_on_load_;
    }
    r.set_content(LoginPage(submit), "text/html; charset=utf-8");
    return;
  }
  // Work pages hold the session: without it, back to the login page.
  if (!signed_in) {
    r.set_redirect("/?fun=login", 303);
    return;
  }
  const std::string key = ac.empty() ? "info" : ac;
  bool logout = false;
  if (key != "home") {
    std::lock_guard lock(mutex_);
    logout = logout_next_;
    logout_next_ = false;
  }
  r.set_content(WorkPage(key, PageTitle(key), logout), "text/html; charset=utf-8");
}

std::optional<std::pair<std::size_t, Hit>> PageServer::WaitFor(std::size_t from, const HitMatch& match,
                                                               std::chrono::milliseconds timeout) const {
  const auto deadline = Clock::now() + timeout;
  std::unique_lock lock(mutex_);
  std::size_t i = from;
  for (;;) {
    for (; i < hits_.size(); ++i) {
      if (match(hits_[i])) return std::make_pair(i, hits_[i]);
    }
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && i == hits_.size()) {
      return std::nullopt;
    }
  }
}

std::pair<std::size_t, Hit> PageServer::Expect(std::size_t from, const HitMatch& match, const std::string& what,
                                               std::chrono::milliseconds timeout) const {
  if (auto hit = WaitFor(from, match, timeout)) return *hit;
  throw std::runtime_error("timed out waiting for " + what + "; requests seen:\n" + Describe(from));
}

std::string PageServer::Describe(std::size_t from, bool absolute) const {
  std::lock_guard lock(mutex_);
  std::ostringstream out;
  out << std::fixed;
  const auto origin = from < hits_.size() ? hits_[from].at : Clock::now();
  for (std::size_t i = from; i < hits_.size(); ++i) {
    if (absolute) {
      out << "  " << std::setprecision(6) << std::chrono::duration<double>(hits_[i].at.time_since_epoch()).count();
    } else {
      out << "  +" << std::setprecision(1) << std::chrono::duration<double, std::milli>(hits_[i].at - origin).count()
          << " ms";
    }
    out << ' ' << hits_[i].method << ' ' << hits_[i].target << '\n';
  }
  return out.str();
}

}  // namespace bench
