#include "request_log.hpp"

#include <cstdio>
#include <stdexcept>

namespace varnock::demo {

RequestLog::RequestLog(const std::string& path) : out_(path, std::ios::app | std::ios::binary) {
    if (!out_)
        throw std::runtime_error("无法打开请求日志文件: " + path);
}

void RequestLog::write(std::string_view method, std::string_view target, std::string_view session) {
    const std::string line = log_safe(method) + " " + log_safe(target) + " sid=" + log_safe(session) + "\n";
    std::lock_guard lock(mutex_);
    out_ << line;
    out_.flush();
}

std::string log_safe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == ' ') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out.empty() ? "-" : out;
}

} // namespace varnock::demo
