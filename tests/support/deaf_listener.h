#pragma once
// A listening socket on loopback that answers no connect: its queue of
// waiting connections is full, so the system drops the next one's requests
// and a connect to it waits for as long as the caller lets it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

class DeafListener {
public:
    DeafListener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || ::listen(fd_, 0) < 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) < 0)
            return;
        // Connections that nobody accepts, until one is left unanswered.
        for (int i = 0; i < 8; ++i) {
            const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            queued_.push_back(c);
            ::connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
            pollfd p{c, POLLOUT, 0};
            if (::poll(&p, 1, 300) == 0) {
                port_ = ntohs(addr.sin_port);
                return;
            }
        }
    }
    ~DeafListener()
    {
        for (int c : queued_) ::close(c);
        if (fd_ >= 0) ::close(fd_);
    }
    DeafListener(const DeafListener&) = delete;
    DeafListener& operator=(const DeafListener&) = delete;

    // The port a connect to waits on; 0 when the system answered every one.
    int Port() const { return port_; }

private:
    int fd_ = -1;
    std::vector<int> queued_;
    int port_ = 0;
};
