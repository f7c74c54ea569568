#include "net.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "error.h"
#include "unique_fd.h"

namespace gui {

bool UsePrivateNetwork() {
  static const bool isolated = [] {
    if (::unshare(CLONE_NEWNET) != 0) return false;
    // A new network starts with its loopback interface down.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    struct ifreq request {};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP | IFF_RUNNING;
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    ::close(fd);
    return up;
  }();
  return isolated;
}
namespace {

struct AddrInfoFree {
  void operator()(addrinfo* a) const { freeaddrinfo(a); }
};

bool ConnectWithin(const addrinfo& address, std::chrono::milliseconds timeout) {
  UniqueFd sock(socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol));
  if (sock.get() < 0) return false;
  if (connect(sock.get(), address.ai_addr, address.ai_addrlen) == 0) return true;
  if (errno != EINPROGRESS) return false;
  pollfd p{sock.get(), POLLOUT, 0};
  if (poll(&p, 1, static_cast<int>(timeout.count())) != 1) return false;
  int error = 0;
  socklen_t length = sizeof error;
  getsockopt(sock.get(), SOL_SOCKET, SO_ERROR, &error, &length);
  return error == 0;
}

}  // namespace

std::uint16_t FreePort() {
  UniqueFd sock(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (sock.get() < 0) throw Error(std::string("FreePort: socket: ") + std::strerror(errno));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (bind(sock.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    throw Error(std::string("FreePort: bind: ") + std::strerror(errno));
  }
  socklen_t length = sizeof address;
  getsockname(sock.get(), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

bool PortOpen(const std::string& host, std::uint16_t port, std::chrono::milliseconds connect_timeout) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* raw = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &raw) != 0) return false;
  std::unique_ptr<addrinfo, AddrInfoFree> list(raw);
  // "localhost" may resolve to ::1 and 127.0.0.1; any that answers counts.
  for (const addrinfo* a = list.get(); a != nullptr; a = a->ai_next) {
    if (ConnectWithin(*a, connect_timeout)) return true;
  }
  return false;
}

}  // namespace gui
