#include "protocol/line_connection.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

// One opened socket. A read in progress holds a reference, so the descriptor is
// closed (and its number free for reuse) only after the last user let go.
struct LineConnection::Session {
    int fd = -1;
    int wakeFd = -1;
    std::atomic<bool> closedByUs{false};
    std::atomic<bool> peerClosed{false};
    std::string buffer;      // bytes received but not yet returned; touched by the one reader
    std::size_t start = 0;   // first unread byte in buffer

    ~Session()
    {
        if (fd >= 0) ::close(fd);
        if (wakeFd >= 0) ::close(wakeFd);
    }
};

namespace {

std::string SystemText(int err) { return std::strerror(err); }

void Wake(int wakeFd)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd, &one, sizeof one);
}

}  // namespace

LineConnection::LineConnection() = default;

LineConnection::~LineConnection()
{
    std::shared_ptr<Session> s;
    {
        std::lock_guard lock(mutex_);
        s.swap(session_);
    }
    if (s) {
        s->closedByUs = true;
        ::shutdown(s->fd, SHUT_RDWR);
        Wake(s->wakeFd);
    }
}

std::string LineConnection::Host() const
{
    std::lock_guard lock(mutex_);
    return host_;
}

void LineConnection::SetHost(const std::string& host)
{
    std::lock_guard lock(mutex_);
    host_ = host;
}

int LineConnection::Port() const
{
    std::lock_guard lock(mutex_);
    return port_;
}

void LineConnection::SetPort(int port)
{
    std::lock_guard lock(mutex_);
    port_ = port;
}

std::shared_ptr<LineConnection::Session> LineConnection::CurrentSession() const
{
    std::lock_guard lock(mutex_);
    return session_;
}

void LineConnection::Connect()
{
    if (Connected()) throw TransportError("Already connected.");
    const std::string host = Host();
    const int port = Port();
    if (host.empty()) throw TransportError("No host name was given.");

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        const std::string why = rc == EAI_SYSTEM ? SystemText(errno) : ::gai_strerror(rc);
        throw TransportError("Cannot resolve host " + host + ": " + why);
    }

    auto s = std::make_shared<Session>();
    int lastError = ECONNREFUSED;
    for (addrinfo* ai = found; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int rc;
        do {
            rc = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0) {
            s->fd = fd;
            break;
        }
        lastError = errno;
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (s->fd < 0)
        throw TransportError("Cannot connect to " + host + " at port " + service + ": " + SystemText(lastError));

    const int one = 1;
    ::setsockopt(s->fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    s->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s->wakeFd < 0) throw TransportError("Cannot create the wake-up descriptor: " + SystemText(errno));

    {
        std::lock_guard lock(mutex_);
        session_ = s;
    }
    if (onConnected) onConnected();
}

bool LineConnection::Connected() const
{
    const auto s = CurrentSession();
    if (!s || s->closedByUs || s->peerClosed) return false;
    pollfd p{s->fd, POLLRDHUP, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR))) {
        // The peer has gone; lines it sent before going may still wait in the
        // buffers, but the connection no longer counts as open.
        return false;
    }
    return true;
}

void LineConnection::Disconnect()
{
    std::shared_ptr<Session> s;
    {
        std::lock_guard lock(mutex_);
        s.swap(session_);
    }
    if (!s) return;
    const bool wasOpen = !s->closedByUs.exchange(true) && !s->peerClosed;
    ::shutdown(s->fd, SHUT_RDWR);
    Wake(s->wakeFd);
    s.reset();  // a read still running keeps its own reference until it returns
    if (wasOpen && onDisconnected) onDisconnected();
}

bool LineConnection::TakeBufferedLine(Session& s, std::string& line)
{
    std::string& buf = s.buffer;
    const auto avail = buf.size() - s.start;
    const char* base = buf.data() + s.start;
    const auto tooLong = [&] {
        buf.clear();
        s.start = 0;
        return TransportError("Received line is longer than " + std::to_string(kMaxLineLength) + " bytes.");
    };
    if (const void* lf = std::memchr(base, '\n', avail)) {
        std::size_t n = static_cast<const char*>(lf) - base;
        const std::size_t consumed = n + 1;
        if (n > 0 && base[n - 1] == '\r') --n;
        if (n > kMaxLineLength) throw tooLong();
        line.assign(base, n);
        s.start += consumed;
        if (s.start == buf.size()) {
            buf.clear();
            s.start = 0;
        }
        return true;
    }
    if (avail > kMaxLineLength + 1 || (avail == kMaxLineLength + 1 && base[avail - 1] != '\r')) throw tooLong();
    return false;
}

std::size_t LineConnection::ReadLines(std::vector<std::string>& lines, std::size_t max)
{
    if (lines.empty()) lines.emplace_back();
    lines[0] = ReadLine();
    const auto s = CurrentSession();
    std::size_t n = 1;
    while (s && !s->closedByUs && n < max) {
        if (n == lines.size()) lines.emplace_back();
        if (!TakeBufferedLine(*s, lines[n])) break;
        ++n;
    }
    return n;
}

std::string LineConnection::ReadLine(int timeoutMs)
{
    const auto s = CurrentSession();
    if (!s || s->closedByUs) throw TransportError("Not connected.");

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    std::string& buf = s->buffer;
    std::string line;

    for (;;) {
        if (s->closedByUs) throw TransportError("Connection closed.");

        if (TakeBufferedLine(*s, line)) return line;
        if (s->peerClosed) throw TransportError("Connection closed gracefully.");

        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return {};
            wait = static_cast<int>(left);
        }
        pollfd fds[2] = {{s->fd, POLLIN, 0}, {s->wakeFd, POLLIN, 0}};
        const int rc = ::poll(fds, 2, wait);
        if (rc < 0) {
            if (errno == EINTR) continue;
            throw TransportError("Socket error: " + SystemText(errno));
        }
        if (rc == 0) return {};
        if (fds[1].revents || s->closedByUs) throw TransportError("Connection closed.");

        if (s->start > 0) {
            buf.erase(0, s->start);
            s->start = 0;
        }
        const std::size_t old = buf.size();
        buf.resize(old + 65536);
        const ssize_t got = ::recv(s->fd, buf.data() + old, 65536, 0);
        buf.resize(old + (got > 0 ? static_cast<std::size_t>(got) : 0));
        if (got == 0) {
            s->peerClosed = true;
            continue;  // hand out the lines received before the close, then fail
        }
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            const int err = errno;
            s->peerClosed = true;
            throw TransportError("Socket error: " + SystemText(err));
        }
    }
}

bool LineConnection::Sendable(const std::string& line)
{
    // A plain pass: find_first_of with a set of three calls memchr once per byte.
    for (const char c : line)
        if (c == '\r' || c == '\n' || c == '\0') return false;
    return true;
}

void LineConnection::WriteLine(const std::string& line)
{
    WriteLines({line});
}

void LineConnection::WriteLines(const std::vector<std::string>& lines, std::size_t count)
{
    thread_local std::string out;  // kept between calls: the reader writes its answers in every batch
    out.clear();
    for (std::size_t i = 0; i < lines.size() && i < count; ++i) {
        const std::string& line = lines[i];
        if (!Sendable(line)) throw TransportError("Refused to send a line containing a line break or NUL byte.");
        out.append(line).append("\r\n");
    }
    Send(out);
}

void LineConnection::Send(const std::string& out)
{
    const auto s = CurrentSession();
    if (!s || s->closedByUs || s->peerClosed) throw TransportError("Not connected.");
    std::lock_guard lock(writeMutex_);
    std::size_t sent = 0;
    while (sent < out.size()) {
        const ssize_t n = ::send(s->fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw TransportError("Cannot send to the server: " + SystemText(errno));
        }
        sent += static_cast<std::size_t>(n);
    }
}
