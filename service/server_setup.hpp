#pragma once

#include <httplib.h>

#include <cstddef>
#include <string>

namespace varnock::demo {

class RequestLog;

// What a listening socket serves. The service implements it; tests can put
// something simpler behind the same server setup.
class Site {
public:
    virtual ~Site() = default;
    virtual void handle(const httplib::Request& request, httplib::Response& response) = 0;
    // For the request log: the live session the request carries, or "-".
    virtual std::string session_label(const httplib::Request& request) = 0;
};

inline constexpr std::size_t max_body_bytes = 1024 * 1024;

// Routes every request to the site, limits bodies, turns every error and
// exception into a Chinese error page, and logs requests when asked to.
void configure_server(httplib::Server& server, Site& site, RequestLog* log);

} // namespace varnock::demo
