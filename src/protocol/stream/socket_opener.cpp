#include "protocol/stream/socket_opener.h"

#include "protocol/stream/byte_stream.h"
#include "protocol/stream/transport_error.h"

#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// connect() on a non-blocking socket, waiting until it is done or wakeFd is
// woken (cancelled is then set). 0 or the error number.
int ConnectSocket(int fd, const addrinfo& ai, int wakeFd, bool& cancelled)
{
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) == 0) return 0;
    if (errno != EINPROGRESS && errno != EINTR) return errno;
    for (;;) {
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
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

SocketOpener::SocketOpener(std::string host, int port)
    : host_(std::move(host)), port_(port), addresses_(nullptr, &::freeaddrinfo)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port_);
    if (const int rc = ::getaddrinfo(host_.c_str(), service.c_str(), &hints, &found); rc != 0) {
        const std::string why = rc == EAI_SYSTEM ? SystemText(errno) : ::gai_strerror(rc);
        throw TransportError("Cannot resolve host " + host_ + ": " + why);
    }
    addresses_.reset(found);
}

SocketOpener::~SocketOpener() = default;

int SocketOpener::Connect(int wakeFd)
{
    int lastError = ECONNREFUSED;
    bool cancelled = false;
    for (addrinfo* ai = addresses_.get(); ai && !cancelled; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const int err = ConnectSocket(fd, *ai, wakeFd, cancelled);
        if (err == 0 && !cancelled) {
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return fd;
        }
        lastError = err;
        ::close(fd);
    }
    if (cancelled) return -1;
    throw TransportError("Cannot connect to " + host_ + " at port " + std::to_string(port_) + ": " +
                         SystemText(lastError));
}
