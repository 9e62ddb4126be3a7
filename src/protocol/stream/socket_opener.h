#pragma once
// Opening a TCP socket to a host and port over IPv6 or IPv4: the name looked
// up for every family, then its addresses tried in the order the system
// prefers them. An address that does not answer gets a few seconds before
// the next one is tried; the last one gets as long as the system gives it.
// A wake-up descriptor calls off the lookup and the connects alike.
#include "protocol/stream/host_lookup.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class SocketOpener {
public:
    static constexpr std::chrono::milliseconds kAddressLimit{3000};

    // Looks host up when Connect runs.
    SocketOpener(std::string host, int port);
    // Tries exactly these addresses of host, in this order, without a lookup.
    SocketOpener(std::string host, int port, std::vector<SocketAddress> addresses);

    // How long an address that does not answer holds up the next one.
    void SetAddressLimit(std::chrono::milliseconds limit) { addressLimit_ = limit; }

    // Connects to the first address that takes it: a connected non-blocking
    // descriptor (TCP_NODELAY set), or -1 when wakeFd was woken first. Throws
    // TransportError ("Cannot resolve host ..." or "Cannot connect to ...")
    // when the name has no address or no address took the connection.
    int Connect(int wakeFd);

    // The address the last Connect reached; nothing before one did.
    const std::optional<SocketAddress>& Reached() const { return reached_; }

private:
    std::string host_;
    int port_;
    std::optional<std::vector<SocketAddress>> addresses_;
    std::optional<SocketAddress> reached_;
    std::chrono::milliseconds addressLimit_ = kAddressLimit;
};
