#pragma once
// Opening a TCP socket to a host and port (IPv4), in two steps: the name
// lookup, which cannot be called off, and the connect, which a wake-up
// descriptor calls off.
#include <memory>
#include <string>

struct addrinfo;

class SocketOpener {
public:
    // Looks the name up; throws TransportError ("Cannot resolve host ...").
    SocketOpener(std::string host, int port);
    ~SocketOpener();
    SocketOpener(const SocketOpener&) = delete;
    SocketOpener& operator=(const SocketOpener&) = delete;

    // Connects to the first address that takes it: a connected non-blocking
    // descriptor (TCP_NODELAY set), or -1 when wakeFd was woken first. Throws
    // TransportError ("Cannot connect to ...") when no address took it.
    int Connect(int wakeFd);

private:
    std::string host_;
    int port_;
    std::unique_ptr<addrinfo, void (*)(addrinfo*)> addresses_;
};
