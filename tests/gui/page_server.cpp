#include "page_server.h"

#include <sys/socket.h>

namespace varnock_gui {

std::string HtmlPage(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head><body>" + body + "</body></html>";
}

PageServer::PageServer(std::unique_ptr<httplib::Server> server) : server_(std::move(server)) {
  // Recorded on arrival, before any handler runs: a handler may take long.
  server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    std::lock_guard lock(mutex_);
    targets_.push_back(request.target);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  // As the demo service does: SO_REUSEPORT alone would leave TIME_WAIT
  // sockets that keep the next server of the test from binding.
  server_->set_socket_options([](socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  // Stop() waits for idle keep-alive connections to time out.
  server_->set_keep_alive_timeout(1);
}

PageServer::~PageServer() { Stop(); }

void PageServer::Page(const std::string& target, const std::string& html) {
  std::lock_guard lock(mutex_);
  if (pages_.empty()) {
    server_->Get("/", [this](const httplib::Request& request, httplib::Response& response) {
      std::string found;
      {
        std::lock_guard lock(mutex_);
        const auto page = pages_.find(request.target);
        if (page == pages_.end()) {
          response.status = 404;
          return;
        }
        found = page->second;
      }
      response.set_header("Cache-Control", "no-store");
      response.set_content(found, "text/html; charset=utf-8");
    });
  }
  pages_[target] = html;
}

void PageServer::Start(std::uint16_t port) {
  if (!server_->bind_to_port("127.0.0.1", port)) {
    throw gui::Error("the test's web server could not listen on port " + std::to_string(port));
  }
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // stop() does nothing before the server runs.
  gui::WaitUntil([&] { return server_->is_running(); }, gui::kDefaultTimeout, "the test's web server to run");
}

void PageServer::Stop() {
  if (!thread_.joinable()) return;
  server_->stop();
  thread_.join();
}

std::vector<std::string> PageServer::Targets() const {
  std::lock_guard lock(mutex_);
  return targets_;
}

std::size_t PageServer::WaitForTarget(const std::string& target, std::size_t from,
                                      std::chrono::milliseconds timeout) const {
  std::size_t found = 0;
  gui::WaitUntil(
      [&] {
        const auto seen = Targets();
        for (std::size_t i = from; i < seen.size(); ++i) {
          if (seen[i] == target) {
            found = i;
            return true;
          }
        }
        return false;
      },
      timeout, "the test's web server to be asked for " + target, [&] { return Describe(); });
  return found;
}

std::string PageServer::Describe() const {
  std::string out = "requests to the test's web server:\n";
  for (const auto& target : Targets()) out += "  " + target + "\n";
  return out;
}

SelfSignedCertificate MakeSelfSignedCertificate(const std::filesystem::path& folder) {
  SelfSignedCertificate made{folder / "certificate.pem", folder / "key.pem"};
  const gui::CommandResult result = gui::RunCommand(
      {"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-days", "1",
       "-keyout", made.key.string(), "-out", made.certificate.string()},
      gui::Environment::FromCurrentProcess(), std::chrono::seconds(30));
  if (result.status != 0) throw gui::Error("openssl could not make a certificate: " + result.err);
  return made;
}

}  // namespace varnock_gui
