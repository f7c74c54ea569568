#include "listeners.hpp"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <stdexcept>

namespace varnock::demo {

Listener::Listener(Site& site, RequestLog* log, const std::string& host, int port, std::function<void()> on_failure) {
    configure_server(server_, site, log);
    port_ = port == 0 ? server_.bind_to_any_port(host) : (server_.bind_to_port(host, port) ? port : -1);
    if (port_ <= 0)
        throw std::runtime_error("无法监听 " + host + " 端口 " + std::to_string(port) + "（端口可能已被占用）");
    thread_ = std::thread([this, on_failure = std::move(on_failure)] {
        server_.listen_after_bind();
        ended_ = true;
        if (!stopping_ && on_failure)
            on_failure();
    });
    // httplib's stop() is a no-op until the server runs, so wait for that;
    // otherwise an early stop() would leave the thread serving forever.
    while (!server_.is_running() && !ended_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

Listener::~Listener() {
    stop();
}

void Listener::stop() {
    stopping_ = true;
    server_.stop();
    if (thread_.joinable())
        thread_.join();
}

Listeners::Listeners(Site& site, RequestLog* log, int port, std::function<void()> on_failure) {
    const bool with_ipv6 = ipv6_loopback_available();
    if (!with_ipv6)
        std::cerr << "警告: 本机不支持 IPv6 回环地址，仅监听 127.0.0.1" << std::endl;
    // With a picked port the IPv6 side may find it taken; then pick again.
    for (int attempt = 0;; ++attempt) {
        ipv4_ = std::make_unique<Listener>(site, log, "127.0.0.1", port, on_failure);
        port_ = ipv4_->port();
        if (!with_ipv6)
            return;
        try {
            ipv6_ = std::make_unique<Listener>(site, log, "::1", port_, on_failure);
            return;
        } catch (const std::runtime_error&) {
            ipv4_.reset();
            if (port != 0 || attempt >= 20)
                throw;
        }
    }
}

Listeners::~Listeners() {
    stop();
}

void Listeners::stop() {
    if (ipv6_)
        ipv6_->stop();
    if (ipv4_)
        ipv4_->stop();
}

bool ipv6_loopback_available() {
    const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    address.sin6_port = 0;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace varnock::demo
