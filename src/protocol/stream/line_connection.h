#pragma once
// The one TCP connection to an IRC server, spoken in whole text lines.
#include "protocol/stream/line_framing.h"
#include "protocol/stream/outgoing_buffer.h"
#include "protocol/stream/tls_stream.h"
#include "protocol/stream/transport_error.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// IPv6 or IPv4 line connection: LF-framed reads (one CR before the LF dropped) with an
// optional time-out, and CR LF-terminated writes that never interleave between
// threads and never wait on the server. A write only appends to a bounded
// outgoing buffer; a writer thread of the connection hands the buffer to the
// stream as the server takes it, and closes the connection when the server has
// taken nothing for the stall limit while lines wait. Disconnect wakes a read,
// a write waiting for room and a connect in progress on other threads.
//
// The pieces: the stream of bytes (ByteStream), the framing of lines
// (LineFraming) and the outgoing buffer with its writer (OutgoingBuffer);
// this class opens them together and ends them together.
class LineConnection {
public:
    static constexpr std::size_t kMaxLineLength = LineFraming::kMaxLineLength;

    // How much may wait to be sent, and how long the server may take nothing
    // while something waits. Read at each Connect.
    using SendLimits = ::SendLimits;

    LineConnection();
    ~LineConnection();
    LineConnection(const LineConnection&) = delete;
    LineConnection& operator=(const LineConnection&) = delete;

    std::string Host() const;
    void SetHost(const std::string& host);
    int Port() const;
    void SetPort(int port);
    SendLimits Limits() const;
    void SetLimits(const SendLimits& limits);
    // Whether the next Connect speaks TLS, and the certificates the user
    // trusts for the host. Read at each Connect.
    TlsSettings Tls() const;
    void SetTls(const TlsSettings& tls);
    // True while the current connection is a TLS one.
    bool Secure() const;

    // Opens the connection to Host:Port (with the TLS handshake when Tls()
    // says so); throws TransportError with the system's text when the name
    // cannot be resolved or the connect fails, CertificateError when the
    // server's certificate is not trusted (nothing was sent then), and
    // TransportError when Disconnect on another thread called the attempt
    // off, during the name lookup as well as later.
    void Connect();
    // The address in numbers ("::1", "192.0.2.1") the open connection
    // reached; empty without one.
    std::string PeerAddress() const;
    // True while the connection is open (neither side has closed it, and the
    // program's side has not given up on it).
    bool Connected() const;
    // True from a successful Connect until Disconnect, also once the peer has
    // gone: the program has not closed this connection yet.
    bool Opened() const;
    // Hands what the system takes at once of the lines still waiting, then
    // closes the connection, telling the peer; wakes every wait on other
    // threads. Raises the disconnected notification when it closed an open one.
    void Disconnect();
    // Like Disconnect, without telling the listener: for a caller that reports
    // the end itself once the lines that came before it have been handled.
    void DisconnectQuietly();
    // Why the program gave up on the connection by itself: the server took
    // nothing for the stall limit while lines waited to be sent, or sent a
    // line longer than kMaxLineLength. Empty when neither happened (until
    // Disconnect).
    std::string StallText() const;

    // Next line without its terminator. With timeoutMs >= 0, an empty text when
    // no whole line arrived in time. Throws TransportError on a closed
    // connection, a socket error or a line longer than kMaxLineLength.
    std::string ReadLine(int timeoutMs = -1);
    // Waits for the next line like ReadLine(), then also takes the whole lines
    // that already sit in the receive buffer, up to max in all. They land in
    // lines[0, n) (strings reused for their memory); returns n, at least 1.
    std::size_t ReadLines(std::vector<std::string>& lines, std::size_t max);

    // Appends the line and CR LF to the outgoing buffer as one whole piece and
    // returns. Throws TransportError for a line holding CR, LF or NUL, for a
    // closed connection, and when the buffer stays full for a moment (the
    // server has stopped taking lines): nothing is sent then.
    void WriteLine(const std::string& line);
    // The first count lines (all by default), each with CR LF, as one piece.
    void WriteLines(const std::vector<std::string>& lines, std::size_t count = SIZE_MAX);
    // Like WriteLines, but for a bulk writer on its own thread: waits while
    // the outgoing buffer is half full, asking keepWaiting every 50 ms; false
    // (nothing appended) when it says no. The other half is kept for the
    // writers that must not wait.
    bool WriteLinesWhenRoom(const std::vector<std::string>& lines, std::size_t count,
                            const std::function<bool()>& keepWaiting);
    // Waits until every appended line has been handed to the system; false
    // when the time ran out first or the connection closed.
    bool WaitUntilSent(std::chrono::milliseconds timeout);
    // Bytes written but not yet handed to the system (0 without a connection).
    std::size_t Unsent() const;
    // False for a line that WriteLine would refuse.
    static bool Sendable(const std::string& line);

    // Told of each opening and closing, on the thread that opened or closed
    // the connection; none by default. Set it before connecting.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void ConnectionOpened() = 0;
        virtual void ConnectionClosed() = 0;
    };
    void SetListener(Listener* listener) { listener_ = listener; }

private:
    struct Session;
    std::shared_ptr<Session> CurrentSession() const;
    // Closes s: what it had not sent goes to the system if it takes it at
    // once, every wait on it ends, its writer thread is joined. True when s
    // was open and neither side had closed it before.
    static bool Close(Session& s);
    void CloseSession(bool tellListener);

    mutable std::mutex mutex_;  // guards host_, port_, limits_, tls_, session_
    std::string host_;
    int port_ = 0;
    SendLimits limits_;
    TlsSettings tls_;
    std::shared_ptr<Session> session_;
    std::atomic<Listener*> listener_{nullptr};
};
