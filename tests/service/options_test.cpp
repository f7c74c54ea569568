#include "options.hpp"

#include <gtest/gtest.h>

namespace varnock::demo {
namespace {

using Action = ParsedOptions::Action;

TEST(Options, DefaultsWithoutArguments) {
    const auto parsed = parse_options({});
    EXPECT_EQ(parsed.action, Action::Run);
    EXPECT_EQ(parsed.options.port, 8010);
    EXPECT_EQ(parsed.options.session_idle, std::chrono::seconds(1800));
    EXPECT_TRUE(parsed.options.request_log.empty());
}

TEST(Options, ReadsValuesInBothSpellings) {
    const auto parsed = parse_options({"--port", "9000", "--session-idle=5", "--request-log", "/tmp/r.log"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.port, 9000);
    EXPECT_EQ(parsed.options.session_idle, std::chrono::seconds(5));
    EXPECT_EQ(parsed.options.request_log, "/tmp/r.log");
    EXPECT_EQ(parse_options({"--port=0"}).options.port, 0);
}

TEST(Options, HelpIsRecognised) {
    EXPECT_EQ(parse_options({"--help"}).action, Action::Help);
    EXPECT_NE(usage_text("svc").find("--session-idle"), std::string::npos);
}

TEST(Options, RejectsUnknownMissingAndInvalidValues) {
    const std::vector<std::vector<std::string>> bad{
        {"--verbose"}, {"8010"},          {"--port"},        {"--port", "x"},      {"--port", "65536"},
        {"--port=-1"}, {"--session-idle", "0"}, {"--session-idle", "1.5"}, {"--request-log="}, {"--help=1"},
    };
    for (const auto& args : bad) {
        const auto parsed = parse_options(args);
        EXPECT_EQ(parsed.action, Action::Fail) << args.front();
        EXPECT_FALSE(parsed.error.empty());
    }
}

} // namespace
} // namespace varnock::demo
