#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace gui {

// Moves this process, and every process it starts from then on, into a
// network of its own with only the loopback interface up, so that servers
// on fixed ports (the client's 8010) never meet another test's. Done once;
// returns whether the process has a private network (false where the
// system does not allow it: then ports are shared).
bool UsePrivateNetwork();

// A TCP port on 127.0.0.1 that nothing listened on a moment ago.
std::uint16_t FreePort();

// Whether a TCP connection to host:port succeeds right now.
bool PortOpen(const std::string& host, std::uint16_t port,
              std::chrono::milliseconds connect_timeout = std::chrono::milliseconds(500));

}  // namespace gui
