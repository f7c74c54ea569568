#pragma once

#include "account_store.hpp"
#include "clock.hpp"
#include "page_key.hpp"
#include "server_setup.hpp"
#include "session_store.hpp"

#include <chrono>
#include <optional>
#include <string>

namespace varnock::demo {

struct ServiceConfig {
    std::chrono::seconds session_idle{1800};
    SteadyClock steady_clock = [] { return std::chrono::steady_clock::now(); };
    WallClock wall_clock = [] { return std::chrono::system_clock::now(); };
};

// The demo web application: sessions, the demo account and every page.
class Service final : public Site {
public:
    explicit Service(ServiceConfig config);

    void handle(const httplib::Request& request, httplib::Response& response) override;
    std::string session_label(const httplib::Request& request) override;

private:
    struct Session {
        std::string id;
        std::string account;
    };

    std::optional<Session> current_session(const httplib::Request& request);
    void show_login(const httplib::Request& request, httplib::Response& response);
    void log_in(const httplib::Request& request, httplib::Response& response);
    void log_out(const httplib::Request& request, httplib::Response& response);
    void show_work_page(PageId page, const Account& account, httplib::Response& response);
    void submit_work_form(PageId page, const Account& account, const httplib::Request& request,
                          httplib::Response& response);
    void import_numbers(const Account& account, const httplib::Request& request, httplib::Response& response);
    // Form handlers: each answers the page to show after the submission.
    std::string submit_send(const Account& account, const Params& form);
    std::string submit_timed(const Account& account, const Params& form);
    std::string submit_contact(const Account& account, const Params& form);
    std::string submit_checkout(const Account& account, const Params& form);
    std::string submit_password(const Account& account, const Params& form);
    std::string submit_settings(const Account& account, const Params& form);
    Account reload(const std::string& name);

    const ServiceConfig config_;
    SessionStore sessions_;
    AccountStore accounts_;
};

} // namespace varnock::demo
