// varnock-demo-service: a stand-in for the messaging service's web
// application, for trying the client and for its GUI tests.

#include "listeners.hpp"
#include "options.hpp"
#include "request_log.hpp"
#include "routes.hpp"

#include <atomic>
#include <csignal>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace varnock::demo;

    const std::string program = argc > 0 ? argv[0] : "varnock-demo-service";
    const auto parsed = parse_options(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (parsed.action == ParsedOptions::Action::Fail) {
        std::cerr << program << ": " << parsed.error << "\n请使用 --help 查看可用选项。\n";
        return 2;
    }
    if (parsed.action == ParsedOptions::Action::Help) {
        std::cout << usage_text(program);
        return 0;
    }
    const Options& options = parsed.options;

    // Block the stop signals before any thread starts, so every thread
    // inherits the mask and only sigwait() below ever receives them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        std::unique_ptr<RequestLog> log;
        if (!options.request_log.empty())
            log = std::make_unique<RequestLog>(options.request_log);

        Service service(ServiceConfig{options.session_idle});
        // A listener that dies on its own shuts the whole service down.
        const pid_t self = getpid();
        std::atomic<bool> listener_failed{false};
        Listeners listeners(service, log.get(), options.port, [self, &listener_failed] {
            listener_failed = true;
            kill(self, SIGTERM);
        });
        std::cout << "Varnock演示服务已启动: http://127.0.0.1:" << listeners.port() << "/?fun=login"
                  << (listeners.serves_ipv6() ? "（同时监听 [::1]）" : "") << std::endl;

        int signal_number = 0;
        sigwait(&stop_signals, &signal_number);
        listeners.stop();
        if (listener_failed) {
            std::cerr << "监听意外停止，服务退出。" << std::endl;
            return 1;
        }
        std::cout << "Varnock演示服务已停止。" << std::endl;
        return 0;
    } catch (const std::exception& e) {
        std::cerr << program << ": " << e.what() << std::endl;
        return 1;
    }
}
