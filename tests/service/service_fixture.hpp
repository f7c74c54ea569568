#pragma once

#include "listeners.hpp"
#include "request_log.hpp"
#include "routes.hpp"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace varnock::demo::testing {

// Steady time that only moves when a test says so; read from server threads.
class ManualClock {
public:
    std::chrono::steady_clock::time_point now() const {
        return std::chrono::steady_clock::time_point{} + std::chrono::hours(1000) +
               std::chrono::nanoseconds(offset_.load());
    }
    void advance(std::chrono::nanoseconds step) { offset_ += step.count(); }

private:
    std::atomic<std::int64_t> offset_{0};
};

// A service on a free port of 127.0.0.1 (and ::1), with a 60 s idle limit on
// the manual clock and a request log in a scratch file.
class ServiceFixture : public ::testing::Test {
protected:
    static constexpr auto idle = std::chrono::seconds(60);

    void SetUp() override;
    void TearDown() override;

    httplib::Client client(const std::string& host = "127.0.0.1") const;
    httplib::Result get(const std::string& target, const std::string& sid = {});
    httplib::Result post_form(const std::string& target, const std::string& body, const std::string& sid = {});
    // Logs in as the demo account and returns the session id.
    std::string login();
    std::string read_log() const;

    ManualClock clock;
    std::filesystem::path log_path;
    std::unique_ptr<RequestLog> log;
    std::unique_ptr<Service> service;
    std::unique_ptr<Listeners> listeners;
};

httplib::Headers with_session(const std::string& sid);
// The value part of the named cookie in a response's Set-Cookie headers.
std::string set_cookie_value(const httplib::Response& response, const std::string& name);
std::string set_cookie_header(const httplib::Response& response, const std::string& name);
bool contains(const std::string& text, const std::string& part);

} // namespace varnock::demo::testing
