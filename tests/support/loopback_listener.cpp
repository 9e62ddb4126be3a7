#include "support/loopback_listener.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

const char* LoopbackAddress(Loopback family) { return family == Loopback::Ipv6 ? "::1" : "127.0.0.1"; }

int ListenOnLoopback(Loopback family, int backlog, int flags, int& port)
{
    const bool ipv6 = family == Loopback::Ipv6;
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
    if (fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_storage storage{};
    socklen_t len;
    if (ipv6) {
        auto* addr = reinterpret_cast<sockaddr_in6*>(&storage);
        addr->sin6_family = AF_INET6;
        addr->sin6_addr = in6addr_loopback;
        len = sizeof *addr;
    } else {
        auto* addr = reinterpret_cast<sockaddr_in*>(&storage);
        addr->sin_family = AF_INET;
        addr->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        len = sizeof *addr;
    }
    auto* addr = reinterpret_cast<sockaddr*>(&storage);
    if (::bind(fd, addr, len) < 0 || ::listen(fd, backlog) < 0 || ::getsockname(fd, addr, &len) < 0) {
        const std::string error = std::string("listen on ") + LoopbackAddress(family) + ": " + std::strerror(errno);
        ::close(fd);
        throw std::runtime_error(error);
    }
    port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                      : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    return fd;
}
