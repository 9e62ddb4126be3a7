#pragma once
// Looking a server's name up for every address family, on a thread of its
// own so that a wake-up descriptor calls the wait off at once (the lookup
// itself then runs to its end unseen).
#include <sys/socket.h>

#include <optional>
#include <string>
#include <vector>

// One address of a server, ready for connect().
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int Family() const { return storage.ss_family; }
    // The address in numbers: "192.0.2.1", "2001:db8::1" (a scope kept: "fe80::1%eth0").
    std::string Text() const;
    int Port() const;

    // A numeric IPv4 or IPv6 address (no name lookup); nothing for other text.
    static std::optional<SocketAddress> FromNumbers(const std::string& address, int port);
};

// The addresses of host at port, in the order the system prefers them (IPv6
// and IPv4 alike). Nothing when wakeFd was woken first; throws TransportError
// ("Cannot resolve host ...") when the name has no address.
std::optional<std::vector<SocketAddress>> LookUpHost(const std::string& host, int port, int wakeFd);

// "host:port", with an IPv6 address in brackets ("[::1]:6697").
std::string HostAndPort(const std::string& host, int port);
