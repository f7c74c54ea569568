#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace gui {

// A TCP port on 127.0.0.1 that nothing listened on a moment ago.
std::uint16_t FreePort();

// Whether a TCP connection to host:port succeeds right now.
bool PortOpen(const std::string& host, std::uint16_t port,
              std::chrono::milliseconds connect_timeout = std::chrono::milliseconds(500));

}  // namespace gui
