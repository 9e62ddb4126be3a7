#pragma once
// The one TCP connection to an IRC server, spoken in whole text lines.
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <cstdint>
#include <string>
#include <vector>

// Any failure of the connection: closed by either side, a socket error, an
// over-long line, or a line that would smuggle a second command onto the wire.
class TransportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// IPv4 line connection: LF-framed reads (one CR before the LF dropped) with an
// optional time-out, CR LF-terminated writes that never interleave between
// threads, and a Disconnect that wakes a read blocked on another thread.
class LineConnection {
public:
    static constexpr std::size_t kMaxLineLength = 16384;

    LineConnection();
    ~LineConnection();
    LineConnection(const LineConnection&) = delete;
    LineConnection& operator=(const LineConnection&) = delete;

    std::string Host() const;
    void SetHost(const std::string& host);
    int Port() const;
    void SetPort(int port);

    // Opens the connection to Host:Port; throws TransportError with the system's
    // text when the name cannot be resolved or the connect fails.
    void Connect();
    // True while the connection is open (neither side has closed it).
    bool Connected() const;
    // Closes the connection, telling the peer; wakes a read waiting on another
    // thread. Raises the disconnected notification when it closed an open one.
    void Disconnect();

    // Next line without its terminator. With timeoutMs >= 0, an empty text when
    // no whole line arrived in time. Throws TransportError on a closed
    // connection, a socket error or a line longer than kMaxLineLength.
    std::string ReadLine(int timeoutMs = -1);
    // Waits for the next line like ReadLine(), then also takes the whole lines
    // that already sit in the receive buffer, up to max in all. They land in
    // lines[0, n) (strings reused for their memory); returns n, at least 1.
    std::size_t ReadLines(std::vector<std::string>& lines, std::size_t max);
    // Writes the line and CR LF as one whole write. Refuses CR, LF and NUL inside.
    void WriteLine(const std::string& line);
    // Writes the first count lines (all by default), each with CR LF, as one whole write.
    void WriteLines(const std::vector<std::string>& lines, std::size_t count = SIZE_MAX);
    // False for a line that WriteLine would refuse.
    static bool Sendable(const std::string& line);

    // Plain callbacks, run on the thread that opened or closed the connection.
    std::function<void()> onConnected;
    std::function<void()> onDisconnected;

private:
    struct Session;
    std::shared_ptr<Session> CurrentSession() const;
    static bool TakeBufferedLine(Session& s, std::string& line);
    void Send(const std::string& bytes);

    mutable std::mutex mutex_;       // guards host_, port_, session_
    std::mutex writeMutex_;          // keeps each written line whole
    std::string host_;
    int port_ = 0;
    std::shared_ptr<Session> session_;
};
