#include "protocol/stream/line_connection.h"

#include "protocol/stream/byte_stream.h"
#include "protocol/stream/socket_opener.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

const char* const kCalledOff = "The connection attempt was called off.";

}  // namespace

// One opened connection. A read in progress holds a reference, so the
// descriptor is closed (and its number free for reuse) only after the last
// user let go. The writer thread holds none: it is joined when the session is
// closed.
struct LineConnection::Session {
    explicit Session(const SendLimits& limits) : out(limits) {}
    ~Session()
    {
        out.Stop();
        stream.reset();
        if (wakeFd >= 0) ::close(wakeFd);
    }

    int wakeFd = -1;  // readable once the session is closed or failed: ends every poll on it

    std::mutex stateMutex;  // guards stream while the connection opens, and the close
    std::unique_ptr<ByteStream> stream;
    std::atomic<bool> open{false};
    std::atomic<bool> closedByUs{false};
    std::atomic<bool> peerClosed{false};
    bool secure = false;
    std::string peerAddress;  // the server's address in numbers, written before open
    std::atomic<bool> tooLong{false};  // the server sent an over-long line

    LineFraming framing;  // touched by the one reader
    OutgoingBuffer out;

    bool Ended() const { return closedByUs || out.Failed(); }
    std::string EndText() const { return out.Failed() ? out.Failure() : std::string("Connection closed."); }
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

TlsSettings LineConnection::Tls() const
{
    std::lock_guard lock(mutex_);
    return tls_;
}

void LineConnection::SetTls(const TlsSettings& tls)
{
    std::lock_guard lock(mutex_);
    tls_ = tls;
}

bool LineConnection::Secure() const
{
    const auto s = CurrentSession();
    return s && s->open && s->secure;
}

std::shared_ptr<LineConnection::Session> LineConnection::CurrentSession() const
{
    std::lock_guard lock(mutex_);
    return session_;
}

void LineConnection::Connect()
{
    if (Connected()) throw TransportError("Already connected.");
    std::string host;
    int port;
    SendLimits limits;
    TlsSettings tls;
    {
        std::lock_guard lock(mutex_);
        host = host_;
        port = port_;
        limits = limits_;
        tls = tls_;
    }
    if (host.empty()) throw TransportError("No host name was given.");

    auto s = std::make_shared<Session>(limits);
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

    // The lookup runs under the same wake-up as the connect: Disconnect
    // calls off either.
    SocketOpener opener(host, port);
    int fd = -1;
    try {
        fd = opener.Connect(s->wakeFd);
    } catch (const TransportError&) {
        forget();
        throw;
    }
    if (fd < 0 || s->closedByUs) {
        if (fd >= 0) ::close(fd);
        forget();
        throw TransportError(kCalledOff);
    }
    std::unique_ptr<ByteStream> stream;
    if (tls.enabled) {
        try {
            stream = TlsStream::Open(fd, host, tls, s->wakeFd);
        } catch (const TransportError&) {
            forget();
            throw;
        }
        if (!stream) {
            forget();
            throw TransportError(kCalledOff);
        }
    } else {
        stream = std::make_unique<PlainStream>(fd);
    }

    {
        std::lock_guard lock(s->stateMutex);
        if (s->closedByUs) throw TransportError(kCalledOff);
        s->stream = std::move(stream);
        s->secure = tls.enabled;
        s->peerAddress = opener.Reached() ? opener.Reached()->Text() : std::string();
        s->open = true;
        s->out.Start(*s->stream, s->wakeFd);
    }
    if (Listener* listener = listener_.load()) listener->ConnectionOpened();
}

std::string LineConnection::PeerAddress() const
{
    const auto s = CurrentSession();
    return s && s->open ? s->peerAddress : std::string();
}

bool LineConnection::Connected() const
{
    const auto s = CurrentSession();
    if (!s || !s->open || s->closedByUs || s->peerClosed || s->out.Failed()) return false;
    // The peer may have gone; lines it sent before going may still wait in
    // the buffers, but the connection no longer counts as open.
    return !s->stream->PeerGone();
}

bool LineConnection::Opened() const
{
    const auto s = CurrentSession();
    return s && s->open && !s->closedByUs;
}

std::string LineConnection::StallText() const
{
    const auto s = CurrentSession();
    if (!s) return {};
    if (s->out.Stalled()) return s->out.Failure();
    return s->tooLong ? LineFraming::DroppedForLengthText() : std::string();
}

bool LineConnection::Close(Session& s)
{
    bool wasOpen;
    {
        std::lock_guard state(s.stateMutex);
        wasOpen = s.open && !s.closedByUs && !s.peerClosed;
        if (s.open && s.out.Finish()) {
            // The server is not taking what it is sent: a polite close would
            // wait behind those bytes for ever. It is reset instead, when the
            // descriptor is closed, and the server hears of it at once.
            s.stream->ResetOnClose();
        }
        s.closedByUs = true;
        if (s.open) s.stream->Shutdown();
    }
    Wake(s.wakeFd);
    s.out.Stop();
    return wasOpen;
}

void LineConnection::Disconnect() { CloseSession(true); }

void LineConnection::DisconnectQuietly() { CloseSession(false); }

void LineConnection::CloseSession(bool tellListener)
{
    std::shared_ptr<Session> s;
    {
        std::lock_guard lock(mutex_);
        s.swap(session_);
    }
    if (!s) return;
    const bool wasOpen = Close(*s);
    s.reset();  // a read still running keeps its own reference until it returns
    if (!wasOpen || !tellListener) return;
    if (Listener* listener = listener_.load()) listener->ConnectionClosed();
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
            if (!s->framing.TakeLine(lines[n])) break;
        } catch (const TransportError& e) {
            // The lines before the over-long one are handed out; the failure
            // comes with the next read.
            s->tooLong = true;
            s->framing.KeepFailure(e.what());
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
    std::string line;

    if (std::string kept = s->framing.TakeFailure(); !kept.empty()) throw TransportError(kept);
    ByteStream& stream = *s->stream;
    for (;;) {
        if (s->Ended()) throw TransportError(s->EndText());

        try {
            if (s->framing.TakeLine(line)) return line;
        } catch (const TransportError&) {
            s->tooLong = true;
            throw;
        }
        if (s->peerClosed) {
            if (!s->secure && s->framing.HoldsTlsRecord())
                throw TransportError(
                    "The server at this port speaks TLS: connect with ircs://" + HostAndPort(Host(), Port()) +
                    " or with the TLS button.");
            throw TransportError("Connection closed gracefully.");
        }

        if (!stream.HoldsReceived()) {
            int wait = -1;
            if (timeoutMs >= 0) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0) return {};
                wait = static_cast<int>(left);
            }
            pollfd fds[2] = {{stream.Descriptor(), stream.ReceiveWaitsFor(), 0}, {s->wakeFd, POLLIN, 0}};
            const int rc = ::poll(fds, 2, wait);
            if (rc < 0) {
                if (errno == EINTR) continue;
                throw TransportError("Socket error: " + SystemText(errno));
            }
            if (rc == 0) return {};
            if (fds[1].revents || s->Ended()) throw TransportError(s->EndText());
        }

        switch (s->framing.ReceiveFrom(stream)) {
        case StreamStatus::Done:
        case StreamStatus::Wait:
            break;
        case StreamStatus::Closed:
            s->peerClosed = true;  // hand out the lines received before the close, then fail
            break;
        case StreamStatus::Failed:
            s->peerClosed = true;
            throw TransportError(stream.ErrorText());
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
    s->out.Write(lines, count);
}

bool LineConnection::WriteLinesWhenRoom(const std::vector<std::string>& lines, std::size_t count,
                                        const std::function<bool()>& keepWaiting)
{
    RefuseUnsendable(lines, count);
    const auto s = CurrentSession();
    if (!s || !s->open || s->closedByUs || s->peerClosed) throw TransportError("Not connected.");
    return s->out.WriteWhenRoom(lines, count, keepWaiting);
}

bool LineConnection::WaitUntilSent(std::chrono::milliseconds timeout)
{
    const auto s = CurrentSession();
    if (!s || !s->open) return false;
    return s->out.WaitUntilSent(timeout);
}

std::size_t LineConnection::Unsent() const
{
    const auto s = CurrentSession();
    if (!s || !s->open) return 0;
    return s->out.Unsent();
}
