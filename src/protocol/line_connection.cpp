#include "protocol/line_connection.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <linux/sockios.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// How long a write that must not wait may still wait for room in a full
// outgoing buffer: long enough for a burst to drain, short enough not to be felt.
constexpr std::chrono::milliseconds kRoomWait{100};
// How often a bulk writer waiting for room asks whether to go on waiting.
constexpr std::chrono::milliseconds kRoomPoll{50};
// How often the writer looks whether the server took what the system holds for it.
constexpr std::chrono::milliseconds kAckPoll{250};

const char* const kCalledOff = "The connection attempt was called off.";

std::string SystemText(int err) { return std::strerror(err); }

void Wake(int wakeFd)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd, &one, sizeof one);
}

std::string Duration(std::chrono::milliseconds ms)
{
    const auto n = ms.count();
    if (n >= 1000 && n % 1000 == 0) return std::to_string(n / 1000) + " s";
    return std::to_string(n) + " ms";
}

std::string StallMessage(std::chrono::milliseconds stall)
{
    return "The server stopped taking what is sent to it: nothing went out for " + Duration(stall) +
           ", so the connection was closed.";
}

}  // namespace

// One opened socket. A read in progress holds a reference, so the descriptor is
// closed (and its number free for reuse) only after the last user let go. The
// writer thread holds none: it is joined when the session is closed.
struct LineConnection::Session {
    SendLimits limits;
    int wakeFd = -1;  // readable once the session is closed or failed: ends every poll on it

    std::mutex stateMutex;  // guards fd while the connection opens, and the close
    int fd = -1;
    std::atomic<bool> open{false};
    std::atomic<bool> closedByUs{false};
    std::atomic<bool> peerClosed{false};
    std::atomic<bool> failed{false};   // the program's side gave up: a stall or a send error
    std::atomic<bool> stalled{false};
    std::string failure;               // why it failed; written once, before failed is set

    // Receive side, touched by the one reader.
    std::string buffer;      // bytes received but not yet returned
    std::string readFailure;  // met after lines already handed out; the next read throws it
    std::size_t start = 0;   // first unread byte in buffer

    // Send side, behind outMutex.
    std::mutex outMutex;
    std::condition_variable dataWaiting;  // the writer thread waits for lines or the close
    std::condition_variable progress;     // bytes went out, or the session ended
    std::string outbox;
    std::size_t outStart = 0;             // first byte of outbox not yet sent
    std::uint64_t handed = 0;             // bytes handed to the system in all
    std::uint64_t acknowledged = 0;       // of those, bytes the server's side has taken
    bool idle = true;                     // nothing waits, neither here nor in the system
    Clock::time_point lastProgress;       // the server last took bytes, or something started waiting
    std::thread writer;

    std::size_t Pending() const { return outbox.size() - outStart; }

    // Bytes handed to the system that the server's side has not taken yet.
    std::size_t Unacknowledged() const
    {
        int queued = 0;
        if (::ioctl(fd, SIOCOUTQ, &queued) < 0 || queued < 0) return 0;
        return static_cast<std::size_t>(queued);
    }

    // Counts what the server's side took since the last look as progress.
    void NoteAcknowledged(std::size_t unacknowledged)
    {
        const std::uint64_t taken = handed - std::min<std::uint64_t>(handed, unacknowledged);
        if (taken > acknowledged) {
            acknowledged = taken;
            lastProgress = Clock::now();
        }
    }
    bool Ended() const { return closedByUs || failed; }
    std::string EndText() const { return failed ? failure : std::string("Connection closed."); }

    void Consume(std::size_t n)
    {
        outStart += n;
        if (outStart == outbox.size()) {
            outbox.clear();
            outStart = 0;
        } else if (outStart > (std::size_t{1} << 16) && outStart * 2 > outbox.size()) {
            outbox.erase(0, outStart);
            outStart = 0;
        }
    }

    // What the system takes at once of the outbox; false on a socket error
    // (errno tells). Called with outMutex held.
    bool SendWithoutWaiting()
    {
        while (Pending() > 0) {
            const ssize_t n = ::send(fd, outbox.data() + outStart, Pending(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                Consume(static_cast<std::size_t>(n));
                handed += static_cast<std::uint64_t>(n);
                progress.notify_all();
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
        return true;
    }

    // Adds whole lines for the writer thread. Called with outMutex held.
    void Append(const std::vector<std::string>& lines, std::size_t count)
    {
        if (idle) {
            // The stall clock runs from here while something waits.
            idle = false;
            lastProgress = Clock::now();
        }
        for (std::size_t i = 0; i < lines.size() && i < count; ++i) outbox.append(lines[i]).append("\r\n");
        dataWaiting.notify_one();
    }

    // Gives up on the connection. Called by the writer with outMutex held.
    void Fail(std::string why, bool stall)
    {
        failure = std::move(why);
        stalled = stall;
        failed = true;
        ::shutdown(fd, SHUT_RDWR);
        Wake(wakeFd);
        progress.notify_all();
    }

    ~Session()
    {
        if (writer.joinable()) {
            {
                std::lock_guard lock(outMutex);
                closedByUs = true;
            }
            dataWaiting.notify_all();
            writer.join();
        }
        if (fd >= 0) ::close(fd);
        if (wakeFd >= 0) ::close(wakeFd);
    }
};

LineConnection::LineConnection() = default;

LineConnection::~LineConnection()
{
    std::shared_ptr<Session> s;
    {
        std::lock_guard lock(mutex_);
        s.swap(session_);
    }
    if (s) Close(*s);
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

LineConnection::SendLimits LineConnection::Limits() const
{
    std::lock_guard lock(mutex_);
    return limits_;
}

void LineConnection::SetLimits(const SendLimits& limits)
{
    std::lock_guard lock(mutex_);
    limits_ = limits;
}

std::shared_ptr<LineConnection::Session> LineConnection::CurrentSession() const
{
    std::lock_guard lock(mutex_);
    return session_;
}

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

void LineConnection::Connect()
{
    if (Connected()) throw TransportError("Already connected.");
    std::string host;
    int port;
    SendLimits limits;
    {
        std::lock_guard lock(mutex_);
        host = host_;
        port = port_;
        limits = limits_;
    }
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
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    auto s = std::make_shared<Session>();
    s->limits = limits;
    s->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s->wakeFd < 0) throw TransportError("Cannot create the wake-up descriptor: " + SystemText(errno));

    // Published before the attempt, so that Disconnect on another thread can
    // call it off; it counts as open only once connected.
    std::shared_ptr<Session> old;
    {
        std::lock_guard lock(mutex_);
        old = std::exchange(session_, s);
    }
    if (old) Close(*old);
    const auto forget = [&] {
        std::lock_guard lock(mutex_);
        if (session_ == s) session_.reset();
    };

    int fd = -1;
    int lastError = ECONNREFUSED;
    bool cancelled = false;
    for (addrinfo* ai = addresses.get(); ai && !cancelled; ai = ai->ai_next) {
        fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const int err = ConnectSocket(fd, *ai, s->wakeFd, cancelled);
        if (err == 0 && !cancelled) break;
        lastError = err;
        ::close(fd);
        fd = -1;
    }
    if (cancelled || s->closedByUs) {
        if (fd >= 0) ::close(fd);
        forget();
        throw TransportError(kCalledOff);
    }
    if (fd < 0) {
        forget();
        throw TransportError("Cannot connect to " + host + " at port " + service + ": " + SystemText(lastError));
    }

    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    {
        std::lock_guard lock(s->stateMutex);
        if (s->closedByUs) {
            ::close(fd);
            throw TransportError(kCalledOff);
        }
        s->fd = fd;
        s->lastProgress = Clock::now();
        s->open = true;
        s->writer = std::thread([raw = s.get()] { WriterLoop(*raw); });
    }
    if (onConnected) onConnected();
}

bool LineConnection::Connected() const
{
    const auto s = CurrentSession();
    if (!s || !s->open || s->closedByUs || s->peerClosed || s->failed) return false;
    pollfd p{s->fd, POLLRDHUP, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR))) {
        // The peer has gone; lines it sent before going may still wait in the
        // buffers, but the connection no longer counts as open.
        return false;
    }
    return true;
}

bool LineConnection::Opened() const
{
    const auto s = CurrentSession();
    return s && s->open && !s->closedByUs;
}

std::string LineConnection::StallText() const
{
    const auto s = CurrentSession();
    return s && s->stalled ? s->failure : std::string();
}

bool LineConnection::Close(Session& s)
{
    bool wasOpen;
    {
        std::lock_guard state(s.stateMutex);
        wasOpen = s.open && !s.closedByUs && !s.peerClosed;
        std::lock_guard out(s.outMutex);
        // Lines written just before the close still go out if the system
        // takes them at once; nothing waits for the server here.
        if (s.open && !s.closedByUs && !s.failed) s.SendWithoutWaiting();
        if (s.open && (s.failed || s.Pending() > 0)) {
            // The server is not taking what it is sent: a polite close would
            // wait behind those bytes for ever. It is reset instead, when the
            // descriptor is closed, and the server hears of it at once.
            const linger abort{1, 0};
            ::setsockopt(s.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        s.closedByUs = true;
        if (s.open) ::shutdown(s.fd, SHUT_RDWR);
    }
    Wake(s.wakeFd);
    s.dataWaiting.notify_all();
    s.progress.notify_all();
    if (s.writer.joinable() && s.writer.get_id() != std::this_thread::get_id()) s.writer.join();
    return wasOpen;
}

void LineConnection::Disconnect()
{
    std::shared_ptr<Session> s;
    {
        std::lock_guard lock(mutex_);
        s.swap(session_);
    }
    if (!s) return;
    const bool wasOpen = Close(*s);
    s.reset();  // a read still running keeps its own reference until it returns
    if (wasOpen && onDisconnected) onDisconnected();
}

void LineConnection::WriterLoop(Session& s)
{
    // What waits for the server is the outbox and what the system holds but
    // the server's side has not taken. The stall clock counts from the last
    // time the server's side took bytes (or something started waiting).
    std::unique_lock lock(s.outMutex);
    for (;;) {
        if (s.closedByUs) return;
        if (!s.SendWithoutWaiting()) {
            s.Fail("Cannot send to the server: " + SystemText(errno), false);
            return;
        }
        const std::size_t unacknowledged = s.Unacknowledged();
        s.NoteAcknowledged(unacknowledged);
        if (s.Pending() == 0 && unacknowledged == 0) {
            s.idle = true;
            s.dataWaiting.wait(lock, [&] { return s.closedByUs || s.Pending() > 0; });
            continue;
        }
        const auto deadline = s.lastProgress + s.limits.stall;
        const auto now = Clock::now();
        if (now >= deadline) {
            s.Fail(StallMessage(s.limits.stall), true);
            return;
        }
        const auto wait = std::min(std::chrono::ceil<std::chrono::milliseconds>(deadline - now), kAckPoll);
        if (s.Pending() > 0) {
            // The system's buffer is full: wait until it takes more.
            lock.unlock();
            pollfd fds[2] = {{s.fd, POLLOUT, 0}, {s.wakeFd, POLLIN, 0}};
            ::poll(fds, 2, static_cast<int>(wait.count()));
            lock.lock();
        } else {
            s.dataWaiting.wait_for(lock, wait);
        }
    }
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
        try {
            if (!TakeBufferedLine(*s, lines[n])) break;
        } catch (const TransportError& e) {
            // The lines before the over-long one are handed out; the failure
            // comes with the next read.
            s->readFailure = e.what();
            break;
        }
        ++n;
    }
    return n;
}

std::string LineConnection::ReadLine(int timeoutMs)
{
    const auto s = CurrentSession();
    if (!s || !s->open || s->closedByUs) throw TransportError("Not connected.");

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    std::string& buf = s->buffer;
    std::string line;

    if (!s->readFailure.empty()) throw TransportError(std::exchange(s->readFailure, std::string()));
    for (;;) {
        if (s->Ended()) throw TransportError(s->EndText());

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
        if (fds[1].revents || s->Ended()) throw TransportError(s->EndText());

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
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
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

namespace {

void RefuseUnsendable(const std::vector<std::string>& lines, std::size_t count)
{
    for (std::size_t i = 0; i < lines.size() && i < count; ++i)
        if (!LineConnection::Sendable(lines[i]))
            throw TransportError("Refused to send a line containing a line break or NUL byte.");
}

}  // namespace

void LineConnection::WriteLine(const std::string& line)
{
    WriteLines({line});
}

void LineConnection::WriteLines(const std::vector<std::string>& lines, std::size_t count)
{
    RefuseUnsendable(lines, count);
    const auto s = CurrentSession();
    if (!s || !s->open || s->closedByUs || s->peerClosed) throw TransportError("Not connected.");
    std::unique_lock lock(s->outMutex);
    const bool room = s->progress.wait_for(lock, kRoomWait, [&] {
        return s->Ended() || s->Pending() < s->limits.buffer;
    });
    if (s->Ended()) throw TransportError(s->closedByUs ? std::string("Not connected.") : s->failure);
    if (!room) throw TransportError("The server is not taking what is sent to it; nothing was sent.");
    s->Append(lines, count);
}

bool LineConnection::WriteLinesWhenRoom(const std::vector<std::string>& lines, std::size_t count,
                                        const std::function<bool()>& keepWaiting)
{
    RefuseUnsendable(lines, count);
    const auto s = CurrentSession();
    if (!s || !s->open || s->closedByUs || s->peerClosed) throw TransportError("Not connected.");
    std::unique_lock lock(s->outMutex);
    auto nextAsk = Clock::now() + kRoomPoll;
    for (;;) {
        if (s->Ended()) throw TransportError(s->EndText());
        if (s->Pending() < s->limits.buffer / 2) break;
        s->progress.wait_until(lock, nextAsk);
        if (Clock::now() >= nextAsk) {
            lock.unlock();
            const bool keep = keepWaiting();
            lock.lock();
            if (!keep) return false;
            nextAsk = Clock::now() + kRoomPoll;
        }
    }
    s->Append(lines, count);
    return true;
}

bool LineConnection::WaitUntilSent(std::chrono::milliseconds timeout)
{
    const auto s = CurrentSession();
    if (!s || !s->open) return false;
    std::unique_lock lock(s->outMutex);
    s->progress.wait_for(lock, timeout, [&] { return s->Ended() || s->Pending() == 0; });
    return !s->Ended() && s->Pending() == 0;
}

std::size_t LineConnection::Unsent() const
{
    const auto s = CurrentSession();
    if (!s) return 0;
    std::lock_guard lock(s->outMutex);
    return s->Pending();
}
