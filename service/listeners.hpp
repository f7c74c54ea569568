#pragma once

#include "server_setup.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace varnock::demo {

// One bound socket served by its own httplib server and thread.
class Listener {
public:
    // Throws std::runtime_error if the address cannot be bound; port 0 picks one.
    Listener(Site& site, RequestLog* log, const std::string& host, int port, std::function<void()> on_failure);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int port() const { return port_; }
    void stop();

private:
    httplib::Server server_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

// The service's two sockets, 127.0.0.1 and ::1, on one port and one Site.
// Construction returns once both accept connections; destruction stops them.
class Listeners {
public:
    // on_failure runs (on a listener thread) if a socket stops serving by itself.
    Listeners(Site& site, RequestLog* log, int port, std::function<void()> on_failure = {});
    ~Listeners();

    int port() const { return port_; }
    bool serves_ipv6() const { return ipv6_ != nullptr; }
    void stop();

private:
    std::unique_ptr<Listener> ipv4_;
    std::unique_ptr<Listener> ipv6_;
    int port_ = 0;
};

// Whether this host can bind the IPv6 loopback address at all.
bool ipv6_loopback_available();

} // namespace varnock::demo
