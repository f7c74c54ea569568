#include "server_setup.hpp"

#include "pages/pages.hpp"
#include "request_log.hpp"

#include <sys/socket.h>

#include <exception>
#include <iostream>

namespace varnock::demo {
namespace {

constexpr const char* html_type = "text/html; charset=utf-8";

// httplib's default socket option is SO_REUSEPORT, which would let a second
// instance share the port silently; plain SO_REUSEADDR makes it fail instead.
void socket_options(socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

std::string describe(std::exception_ptr error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "未知异常";
}

} // namespace

void configure_server(httplib::Server& server, Site& site, RequestLog* log) {
    server.set_socket_options(socket_options);
    server.set_payload_max_length(max_body_bytes);

    server.set_pre_routing_handler([&site, log](const httplib::Request& request, httplib::Response&) {
        if (log)
            log->write(request.method, request.target, site.session_label(request));
        return httplib::Server::HandlerResponse::Unhandled;
    });

    const httplib::Server::Handler handler = [&site](const httplib::Request& request, httplib::Response& response) {
        site.handle(request, response);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.Put(".*", handler);
    server.Patch(".*", handler);
    server.Delete(".*", handler);
    server.Options(".*", handler);

    // Pages the site rendered itself keep their body; httplib's own errors
    // (oversized or malformed requests) get the Chinese page here.
    const httplib::Server::Handler on_error = [](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty())
            response.set_content(error_page(response.status), html_type);
    };
    server.set_error_handler(on_error);

    server.set_exception_handler([](const httplib::Request& request, httplib::Response& response,
                                    std::exception_ptr error) {
        std::cerr << "处理请求 " << request.method << ' ' << request.target << " 时出错: " << describe(error)
                  << std::endl;
        response.headers.clear();
        response.status = 500;
        response.set_content(error_page(500), html_type);
    });
}

} // namespace varnock::demo
