#include "options.hpp"

#include <charconv>
#include <optional>

namespace varnock::demo {
namespace {

std::optional<long long> parse_whole(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end)
        return std::nullopt;
    return value;
}

ParsedOptions fail(std::string message) {
    ParsedOptions parsed;
    parsed.action = ParsedOptions::Action::Fail;
    parsed.error = std::move(message);
    return parsed;
}

} // namespace

ParsedOptions parse_options(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        // Accept both "--port 8010" and "--port=8010".
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") {
            if (value)
                return fail("选项 --help 不接受参数");
            parsed.action = ParsedOptions::Action::Help;
            continue;
        }
        if (name != "--port" && name != "--session-idle" && name != "--request-log")
            return fail("未知选项: " + args[i]);
        if (!value) {
            if (i + 1 >= args.size())
                return fail("选项 " + name + " 缺少参数");
            value = args[++i];
        }
        if (name == "--port") {
            const auto port = parse_whole(*value);
            if (!port || *port < 0 || *port > 65535)
                return fail("端口无效: " + *value);
            parsed.options.port = static_cast<int>(*port);
        } else if (name == "--session-idle") {
            const auto seconds = parse_whole(*value);
            if (!seconds || *seconds < 1 || *seconds > 7 * 24 * 3600)
                return fail("会话空闲时间无效: " + *value);
            parsed.options.session_idle = std::chrono::seconds(*seconds);
        } else {
            if (value->empty())
                return fail("请求日志路径不能为空");
            parsed.options.request_log = *value;
        }
    }
    return parsed;
}

std::string usage_text(const std::string& program) {
    return "用法: " + program + " [选项]\n"
           "Varnock短信平台演示服务，仅监听 127.0.0.1 与 ::1。\n\n"
           "  --port N                监听端口（默认 8010，0 表示任选空闲端口）\n"
           "  --session-idle SECONDS  会话空闲多少秒后失效（默认 1800）\n"
           "  --request-log PATH      每个请求追加一行到此文件\n"
           "  --help                  显示本帮助\n\n"
           "演示账户: demo  密码: demo123\n";
}

} // namespace varnock::demo
