#include "protocol/stream/socket_opener.h"

#include "protocol/stream/byte_stream.h"
#include "protocol/stream/transport_error.h"

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// connect() on a non-blocking socket, waiting until it is done, limit has
// passed (ETIMEDOUT; a negative limit never passes) or wakeFd is woken
// (cancelled is then set). 0 or the error number.
int ConnectSocket(int fd, const SocketAddress& address, std::chrono::milliseconds limit, int wakeFd,
                  bool& cancelled)
{
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0) return 0;
    if (errno != EINPROGRESS && errno != EINTR) return errno;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        int wait = -1;
        if (limit.count() >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return ETIMEDOUT;
            wait = static_cast<int>(left);
        }
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
        const int rc = ::poll(fds, 2, wait);
        if (rc < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (fds[1].revents) {
            cancelled = true;
            return ECANCELED;
        }
        if (fds[0].revents) break;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0) return errno;
    return err;
}

}  // namespace

SocketOpener::SocketOpener(std::string host, int port) : host_(std::move(host)), port_(port) {}

SocketOpener::SocketOpener(std::string host, int port, std::vector<SocketAddress> addresses)
    : host_(std::move(host)), port_(port), addresses_(std::move(addresses))
{
}

int SocketOpener::Connect(int wakeFd)
{
    reached_.reset();
    if (!addresses_) {
        addresses_ = LookUpHost(host_, port_, wakeFd);
        if (!addresses_) return -1;
    }
    const std::vector<SocketAddress>& addresses = *addresses_;
    int lastError = ECONNREFUSED;
    bool cancelled = false;
    for (std::size_t i = 0; i < addresses.size() && !cancelled; ++i) {
        const SocketAddress& address = addresses[i];
        const int fd = ::socket(address.Family(), SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const bool last = i + 1 == addresses.size();
        const int err = ConnectSocket(fd, address, last ? std::chrono::milliseconds(-1) : addressLimit_, wakeFd,
                                      cancelled);
        if (err == 0 && !cancelled) {
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            reached_ = address;
            return fd;
        }
        lastError = err;
        ::close(fd);
    }
    if (cancelled) return -1;
    const std::string tried =
        addresses.size() > 1 ? " (" + std::to_string(addresses.size()) + " addresses tried)" : std::string();
    throw TransportError("Cannot connect to " + host_ + " at port " + std::to_string(port_) + tried + ": " +
                         SystemText(lastError));
}
