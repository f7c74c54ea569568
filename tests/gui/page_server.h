// A small web server written in the test, for pages the demo service does
// not have (dialogs, broken downloads, links out of the web, certificates):
// it runs in a thread of the test process and remembers every request.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "harness/harness.h"

namespace varnock_gui {

// A whole HTML document in UTF-8.
std::string HtmlPage(const std::string& title, const std::string& body);

class PageServer {
 public:
  // A plain HTTP server; pass an httplib::SSLServer for HTTPS.
  explicit PageServer(std::unique_ptr<httplib::Server> server = std::make_unique<httplib::Server>());
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  // Routes are registered here, before Start.
  httplib::Server& Routes() { return *server_; }

  // Serves a text/html document for GET of exactly `target` (path and query)
  // under "/"; other targets there get 404.
  void Page(const std::string& target, const std::string& html);

  void Start(std::uint16_t port);
  void Stop();

  // Every request target seen so far, in order of arrival.
  std::vector<std::string> Targets() const;
  // Waits until `target` has been asked for at position >= from; returns that position.
  std::size_t WaitForTarget(const std::string& target, std::size_t from = 0,
                            std::chrono::milliseconds timeout = gui::kDefaultTimeout) const;
  std::string Describe() const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> targets_;
  std::map<std::string, std::string> pages_;
};

// A self-signed certificate for 127.0.0.1 made now with openssl: no client
// trusts it.
struct SelfSignedCertificate {
  std::filesystem::path certificate;
  std::filesystem::path key;
};
SelfSignedCertificate MakeSelfSignedCertificate(const std::filesystem::path& folder);

}  // namespace varnock_gui
