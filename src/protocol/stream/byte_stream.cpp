#include "protocol/stream/byte_stream.h"

#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

std::string SystemText(int err) { return std::strerror(err); }

void Wake(int wakeFd)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd, &one, sizeof one);
}

ByteStream::~ByteStream()
{
    if (fd_ >= 0) ::close(fd_);
}

short ByteStream::SendWaitsFor() const { return POLLOUT; }
short ByteStream::ReceiveWaitsFor() const { return POLLIN; }
bool ByteStream::HoldsReceived() const { return false; }

void ByteStream::Shutdown() { ::shutdown(fd_, SHUT_RDWR); }

std::size_t ByteStream::Unacknowledged() const
{
    int queued = 0;
    if (::ioctl(fd_, SIOCOUTQ, &queued) < 0 || queued < 0) return 0;
    return static_cast<std::size_t>(queued);
}

bool ByteStream::PeerGone() const
{
    pollfd p{fd_, POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR));
}

void ByteStream::ResetOnClose()
{
    const linger abort{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

StreamStatus PlainStream::Send(const char* data, std::size_t size, std::size_t& n)
{
    for (;;) {
        const ssize_t sent = ::send(fd_, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            n = static_cast<std::size_t>(sent);
            sent_ += n;
            return StreamStatus::Done;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return StreamStatus::Wait;
        error_ = "Cannot send to the server: " + SystemText(sent < 0 ? errno : EPIPE);
        return StreamStatus::Failed;
    }
}

StreamStatus PlainStream::Receive(char* data, std::size_t size, std::size_t& n)
{
    for (;;) {
        const ssize_t got = ::recv(fd_, data, size, MSG_DONTWAIT);
        if (got > 0) {
            n = static_cast<std::size_t>(got);
            return StreamStatus::Done;
        }
        if (got == 0) return StreamStatus::Closed;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return StreamStatus::Wait;
        error_ = "Socket error: " + SystemText(errno);
        return StreamStatus::Failed;
    }
}
