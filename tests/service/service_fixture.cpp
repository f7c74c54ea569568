#include "service_fixture.hpp"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace varnock::demo::testing {

void ServiceFixture::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    log_path = std::filesystem::temp_directory_path() /
               ("varnock-service-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                std::to_string(::getpid()) + ".log");
    std::filesystem::remove(log_path);
    log = std::make_unique<RequestLog>(log_path.string());
    ServiceConfig config;
    config.session_idle = idle;
    config.steady_clock = [this] { return clock.now(); };
    service = std::make_unique<Service>(config);
    listeners = std::make_unique<Listeners>(*service, log.get(), 0);
}

void ServiceFixture::TearDown() {
    listeners.reset();
    service.reset();
    log.reset();
    std::filesystem::remove(log_path);
}

httplib::Client ServiceFixture::client(const std::string& host) const {
    httplib::Client c(host, listeners->port());
    c.set_url_encode(false); // targets are sent exactly as written
    return c;
}

httplib::Result ServiceFixture::get(const std::string& target, const std::string& sid) {
    return client().Get(target.c_str(), with_session(sid));
}

httplib::Result ServiceFixture::post_form(const std::string& target, const std::string& body, const std::string& sid) {
    return client().Post(target.c_str(), with_session(sid), body, "application/x-www-form-urlencoded");
}

std::string ServiceFixture::login() {
    const auto res = post_form("/?fun=login", "user=demo&password=demo123");
    EXPECT_TRUE(res);
    if (!res)
        return {};
    EXPECT_EQ(res->status, 303);
    return set_cookie_value(*res, "VARNOCKSID");
}

std::string ServiceFixture::read_log() const {
    std::ifstream in(log_path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

httplib::Headers with_session(const std::string& sid) {
    if (sid.empty())
        return {};
    return {{"Cookie", "VARNOCKSID=" + sid}};
}

std::string set_cookie_header(const httplib::Response& response, const std::string& name) {
    const std::size_t count = response.get_header_value_count("Set-Cookie");
    for (std::size_t i = 0; i < count; ++i) {
        const std::string header = response.get_header_value("Set-Cookie", i);
        if (header.starts_with(name + "="))
            return header;
    }
    return {};
}

std::string set_cookie_value(const httplib::Response& response, const std::string& name) {
    const std::string header = set_cookie_header(response, name);
    if (header.empty())
        return {};
    return header.substr(name.size() + 1, header.find(';') - name.size() - 1);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace varnock::demo::testing
