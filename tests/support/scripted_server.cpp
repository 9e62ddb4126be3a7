#include "support/scripted_server.h"

#include "support/loopback_listener.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;      // bulk output is written in pieces this big
constexpr std::size_t kReadBudget = 1 << 20;      // bytes read from one client per pass
constexpr int kPollTickMs = 100;
constexpr int kLingerMs = 2000;                   // how long a closed client may still send
constexpr std::size_t kLinesInErrors = 10;

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string SystemError(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

std::string Quoted(const std::string& text)
{
    constexpr std::size_t kMax = 200;
    std::string shown(1, '"');
    shown.append(text, 0, std::min(text.size(), kMax));
    if (text.size() > kMax) shown += "...";
    shown += '"';
    return shown;
}

}  // namespace

// One step of the script, with the progress of its output while it runs.
struct ScriptedServer::Step {
    enum class Kind { Send, Expect, ExpectPrefix, Pause, Close, AwaitClose, StopReading };
    Kind kind = Kind::Send;
    std::string text;         // the line, prefix or block to send
    std::size_t times = 1;    // Send: repeats of `text` still to queue
    int timeoutMs = kDefaultTimeoutMs;
    std::size_t number = 0;   // 1-based position in the script
    std::size_t totalBytes = 0;
    std::size_t sentBytes = 0;
    std::string chunk;        // Send: repeats of a small `text` gathered for one write
    const std::string* out = nullptr;  // Send: what is being written, `text` or `chunk`
    std::size_t outPos = 0;            // bytes of *out already written
};

// One accepted client as the server thread sees it.
struct ScriptedServer::Connection {
    enum class State { Open, Closing, Closed };
    int fd = -1;
    int index = 0;
    State state = State::Open;
    bool reading = true;
    std::string closeReason;
    std::string partial;              // bytes after the last LF
    std::vector<std::string> lines;   // lines of this client, for Expect
    std::size_t cursor = 0;           // first line Expect has not passed yet
    long long lingerUntil = 0;
};

ScriptedServer::ScriptedServer(Loopback family)
{
    listenFd_ = ListenOnLoopback(family, 16, SOCK_NONBLOCK, port_);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) < 0) {
        std::string error = SystemError("pipe2");
        ::close(listenFd_);
        throw std::runtime_error(error);
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread([this] { Run(); });
}

ScriptedServer::~ScriptedServer()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    Wake();
    thread_.join();
    for (auto& conn : conns_)
        CloseSocket(*conn);
    ::close(listenFd_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

int ScriptedServer::Port() const { return port_; }

ScriptedServer& ScriptedServer::SetTimeout(int ms)
{
    std::lock_guard lock(mutex_);
    timeoutMs_ = ms;
    return *this;
}

// --- Building the script ---

ScriptedServer& ScriptedServer::Send(const std::string& line) { return SendRaw(line + "\r\n"); }

ScriptedServer& ScriptedServer::SendRaw(const std::string& bytes) { return SendBulk(bytes, 1); }

ScriptedServer& ScriptedServer::SendBulk(const std::string& block, std::size_t times)
{
    Step step;
    step.kind = Step::Kind::Send;
    step.text = block;
    step.times = times;
    step.totalBytes = block.size() * times;
    return Add(std::move(step));
}

ScriptedServer& ScriptedServer::SendMany(const std::vector<std::string>& lines, std::size_t repeat)
{
    std::string block;
    for (const auto& line : lines)
        block += line + "\r\n";
    return SendBulk(block, repeat);
}

ScriptedServer& ScriptedServer::Expect(const std::string& line)
{
    Step step;
    step.kind = Step::Kind::Expect;
    step.text = line;
    return Add(std::move(step));
}

ScriptedServer& ScriptedServer::ExpectPrefix(const std::string& prefix)
{
    Step step;
    step.kind = Step::Kind::ExpectPrefix;
    step.text = prefix;
    return Add(std::move(step));
}

ScriptedServer& ScriptedServer::Pause(int ms)
{
    Step step;
    step.kind = Step::Kind::Pause;
    step.timeoutMs = ms;
    return Add(std::move(step));
}

ScriptedServer& ScriptedServer::Close()
{
    Step step;
    step.kind = Step::Kind::Close;
    return Add(std::move(step));
}

ScriptedServer& ScriptedServer::StopReading()
{
    Step step;
    step.kind = Step::Kind::StopReading;
    return Add(std::move(step));
}

ScriptedServer& ScriptedServer::AwaitClientClose()
{
    Step step;
    step.kind = Step::Kind::AwaitClose;
    return Add(std::move(step));
}

ScriptedServer& ScriptedServer::Add(Step step)
{
    {
        std::lock_guard lock(mutex_);
        if (step.kind != Step::Kind::Pause)
            step.timeoutMs = timeoutMs_;
        step.number = ++stepsAdded_;
        if (!failed_)
            pending_.push_back(std::make_unique<Step>(std::move(step)));
    }
    Wake();
    return *this;
}

void ScriptedServer::Wake()
{
    const char byte = 1;
    if (::write(wakeWrite_, &byte, 1) < 0) {
        // The pipe is full: the server thread is already due to wake up.
    }
}

// --- Queries from the test ---

bool ScriptedServer::Done() const
{
    std::lock_guard lock(mutex_);
    return stepsDone_ == stepsAdded_;
}

bool ScriptedServer::Failed() const
{
    std::lock_guard lock(mutex_);
    return failed_;
}

bool ScriptedServer::WaitDone(int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    const std::size_t target = stepsAdded_;
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [&] { return failed_ || stepsDone_ >= target; });
    return stepsDone_ >= target;
}

std::vector<std::string> ScriptedServer::Errors() const
{
    std::lock_guard lock(mutex_);
    return errors_;
}

std::vector<std::string> ScriptedServer::Received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

std::string ScriptedServer::ReceivedBytes() const
{
    std::lock_guard lock(mutex_);
    return receivedBytes_;
}

bool ScriptedServer::HasReceived(const std::string& line) const
{
    std::lock_guard lock(mutex_);
    return std::find(received_.begin(), received_.end(), line) != received_.end();
}

bool ScriptedServer::HasReceivedPrefix(const std::string& prefix) const
{
    std::lock_guard lock(mutex_);
    return std::any_of(received_.begin(), received_.end(),
                       [&](const std::string& l) { return l.starts_with(prefix); });
}

bool ScriptedServer::WaitForReceived(const std::string& line, int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    std::size_t checked = 0;
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (; checked < received_.size(); ++checked)
            if (received_[checked] == line)
                return true;
        return false;
    });
}

int ScriptedServer::Connections() const
{
    std::lock_guard lock(mutex_);
    return accepted_;
}

bool ScriptedServer::ClientConnected() const
{
    std::lock_guard lock(mutex_);
    return openClients_ > 0;
}

// --- The server thread ---

void ScriptedServer::Run()
{
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                return;
        }
        PollOnce();
    }
}

void ScriptedServer::PollOnce()
{
    const long long now = NowMs();
    long long wakeAt = now + kPollTickMs;
    if (active_)
        wakeAt = std::min(wakeAt, deadline_);

    std::vector<pollfd> fds{{wakeRead_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
    std::vector<Connection*> polled;
    const bool sending = active_ && active_->kind == Step::Kind::Send;
    for (auto& conn : conns_) {
        if (conn->fd < 0)
            continue;
        // A client that is not read is still watched for its closing.
        short events = conn->reading ? POLLIN : POLLRDHUP;
        if (sending && conn->index == current_)
            events |= POLLOUT;
        fds.push_back({conn->fd, events, 0});
        polled.push_back(conn.get());
        if (conn->state == Connection::State::Closing)
            wakeAt = std::min(wakeAt, conn->lingerUntil);
    }

    const int waitMs = static_cast<int>(std::max(0LL, wakeAt - now));
    if (::poll(fds.data(), fds.size(), waitMs) < 0 && errno != EINTR)
        return;

    if (fds[0].revents) {
        char drain[256];
        while (::read(wakeRead_, drain, sizeof drain) > 0) {
        }
    }
    if (fds[1].revents)
        AcceptClients();
    for (std::size_t i = 0; i < polled.size(); ++i) {
        Connection& conn = *polled[i];
        const short revents = fds[i + 2].revents;
        if (!conn.reading && (revents & (POLLRDHUP | POLLHUP | POLLERR))) {
            conn.closeReason = "the client closed the connection";
            PeerClosed(conn);
        } else if (conn.reading && (revents & (POLLIN | POLLHUP | POLLERR))) {
            ReadFrom(conn);
        }
    }

    const long long after = NowMs();
    for (auto& conn : conns_)
        if (conn->state == Connection::State::Closing && after >= conn->lingerUntil)
            PeerClosed(*conn);
    AdvanceScript();
}

void ScriptedServer::AcceptClients()
{
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        auto conn = std::make_unique<Connection>();
        conn->fd = fd;
        conn->index = static_cast<int>(conns_.size());
        conns_.push_back(std::move(conn));
        std::lock_guard lock(mutex_);
        ++accepted_;
        ++openClients_;
        changed_.notify_all();
    }
}

void ScriptedServer::ReadFrom(Connection& conn)
{
    char buffer[64 * 1024];
    std::size_t total = 0;
    while (conn.fd >= 0 && total < kReadBudget) {
        const ssize_t n = ::recv(conn.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            RecordBytes(conn, buffer, static_cast<std::size_t>(n));
            total += static_cast<std::size_t>(n);
        } else if (n == 0) {
            conn.closeReason = "the client closed the connection";
            PeerClosed(conn);
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        } else {
            conn.closeReason = SystemError("the connection failed: recv");
            PeerClosed(conn);
        }
    }
}

void ScriptedServer::RecordBytes(Connection& conn, const char* data, std::size_t size)
{
    std::lock_guard lock(mutex_);
    receivedBytes_.append(data, size);
    const char* end = data + size;
    for (const char* p = data; p < end;) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        if (!lf) {
            conn.partial.append(p, end);
            break;
        }
        conn.partial.append(p, lf);
        if (!conn.partial.empty() && conn.partial.back() == '\r')
            conn.partial.pop_back();
        RecordLine(conn, std::move(conn.partial));
        conn.partial.clear();
        p = lf + 1;
    }
    changed_.notify_all();
}

// Called with mutex_ held.
void ScriptedServer::RecordLine(Connection& conn, std::string line)
{
    received_.push_back(line);
    conn.lines.push_back(std::move(line));
}

void ScriptedServer::PeerClosed(Connection& conn)
{
    if (conn.fd < 0)
        return;
    CloseSocket(conn);
    std::lock_guard lock(mutex_);
    if (!conn.partial.empty()) {
        RecordLine(conn, std::move(conn.partial));
        conn.partial.clear();
    }
    if (conn.state == Connection::State::Open)
        --openClients_;
    conn.state = Connection::State::Closed;
    changed_.notify_all();
}

void ScriptedServer::CloseSocket(Connection& conn)
{
    if (conn.fd >= 0)
        ::close(conn.fd);
    conn.fd = -1;
}

// --- Running the steps ---

void ScriptedServer::AdvanceScript()
{
    for (;;) {
        if (!active_) {
            std::lock_guard lock(mutex_);
            if (pending_.empty())
                return;
            active_ = std::move(pending_.front());
            pending_.pop_front();
            deadline_ = NowMs() + active_->timeoutMs;
        }
        if (!ProgressStep())
            return;
    }
}

ScriptedServer::Connection* ScriptedServer::ScriptConnection()
{
    if (current_ < 0 && nextConn_ < static_cast<int>(conns_.size()))
        current_ = nextConn_++;
    return current_ < 0 ? nullptr : conns_[current_].get();
}

// Moves the active step on; true when it has finished, well or badly.
bool ScriptedServer::ProgressStep()
{
    Step& step = *active_;
    const bool late = NowMs() >= deadline_;
    if (step.kind == Step::Kind::Pause) {
        if (!late)
            return false;
        CompleteStep();
        return true;
    }

    Connection* conn = ScriptConnection();
    if (!conn) {
        if (!late)
            return false;
        FailStep("no client connected within " + std::to_string(step.timeoutMs) + " ms");
        return true;
    }

    switch (step.kind) {
    case Step::Kind::Send:
        FlushOutput(*conn);
        return !active_;

    case Step::Kind::Expect:
    case Step::Kind::ExpectPrefix:
        for (std::size_t i = conn->cursor; i < conn->lines.size(); ++i) {
            const std::string& line = conn->lines[i];
            const bool match = step.kind == Step::Kind::Expect ? line == step.text
                                                               : line.starts_with(step.text);
            if (match) {
                conn->cursor = i + 1;
                CompleteStep();
                return true;
            }
        }
        if (conn->state == Connection::State::Closed)
            FailStep(conn->closeReason + " before sending it; it sent " + RecentLines(*conn));
        else if (late)
            FailStep("timed out after " + std::to_string(step.timeoutMs) + " ms; the client sent "
                     + RecentLines(*conn));
        else
            return false;
        return true;

    case Step::Kind::Close:
        if (conn->state == Connection::State::Open) {
            ::shutdown(conn->fd, SHUT_WR);
            conn->lingerUntil = NowMs() + kLingerMs;
            std::lock_guard lock(mutex_);
            conn->state = Connection::State::Closing;
            --openClients_;
        }
        current_ = -1;
        CompleteStep();
        return true;

    case Step::Kind::StopReading:
        conn->reading = false;
        CompleteStep();
        return true;

    case Step::Kind::AwaitClose:
        if (conn->state == Connection::State::Open) {
            if (!late)
                return false;
            FailStep("the client did not close the connection within "
                     + std::to_string(step.timeoutMs) + " ms");
            return true;
        }
        current_ = -1;
        CompleteStep();
        return true;

    case Step::Kind::Pause:
        break;
    }
    return true;
}

// Writes as much of the active send step as the socket takes; finishes the step
// when every byte is out, fails it when the client is gone or stops reading.
void ScriptedServer::FlushOutput(Connection& conn)
{
    Step& step = *active_;
    for (;;) {
        if (conn.state != Connection::State::Open) {
            FailStep(conn.closeReason.empty() ? "the connection is closed" : conn.closeReason);
            return;
        }
        if (!step.out || step.outPos == step.out->size())
            RefillBulk();
        if (step.outPos == step.out->size()) {
            CompleteStep();
            return;
        }
        const ssize_t n = ::send(conn.fd, step.out->data() + step.outPos,
                                 step.out->size() - step.outPos, MSG_NOSIGNAL);
        if (n > 0) {
            step.outPos += static_cast<std::size_t>(n);
            step.sentBytes += static_cast<std::size_t>(n);
            deadline_ = NowMs() + step.timeoutMs;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (NowMs() >= deadline_)
                FailStep("the client read nothing for " + std::to_string(step.timeoutMs) + " ms");
            return;
        } else {
            conn.closeReason = SystemError("the connection failed: send");
            PeerClosed(conn);
        }
    }
}

void ScriptedServer::RefillBulk()
{
    Step& step = *active_;
    step.outPos = 0;
    if (step.times > 0 && step.text.size() >= kChunkBytes) {
        step.out = &step.text;  // big enough to write as it is
        --step.times;
        return;
    }
    step.chunk.clear();
    step.out = &step.chunk;
    while (step.times > 0 && (step.chunk.empty() || step.chunk.size() + step.text.size() <= kChunkBytes)) {
        step.chunk += step.text;
        --step.times;
    }
}

void ScriptedServer::CompleteStep()
{
    active_.reset();
    std::lock_guard lock(mutex_);
    ++stepsDone_;
    changed_.notify_all();
}

void ScriptedServer::FailStep(const std::string& why)
{
    std::string error = "step " + std::to_string(active_->number) + " (" + DescribeStep() + "): " + why;
    active_.reset();
    std::lock_guard lock(mutex_);
    failed_ = true;
    errors_.push_back(std::move(error));
    pending_.clear();
    changed_.notify_all();
}

std::string ScriptedServer::DescribeStep() const
{
    const Step& step = *active_;
    switch (step.kind) {
    case Step::Kind::Send:
        return "send " + std::to_string(step.totalBytes) + " bytes, " + std::to_string(step.sentBytes)
               + " sent";
    case Step::Kind::Expect:
        return "expect " + Quoted(step.text);
    case Step::Kind::ExpectPrefix:
        return "expect a line starting with " + Quoted(step.text);
    case Step::Kind::Pause:
        return "pause";
    case Step::Kind::Close:
        return "close";
    case Step::Kind::AwaitClose:
        return "await the client closing";
    case Step::Kind::StopReading:
        return "stop reading";
    }
    return {};
}

// The last lines the client sent that no Expect has passed yet.
std::string ScriptedServer::RecentLines(const Connection& conn) const
{
    const std::size_t count = conn.lines.size() - conn.cursor;
    if (count == 0 && conn.partial.empty())
        return "nothing";
    std::string text;
    const std::size_t first = count > kLinesInErrors ? conn.lines.size() - kLinesInErrors : conn.cursor;
    if (first > conn.cursor)
        text = "... ";
    for (std::size_t i = first; i < conn.lines.size(); ++i)
        text += (i > first ? ", " : "") + Quoted(conn.lines[i]);
    if (!conn.partial.empty())
        text += (count ? ", " : "") + Quoted(conn.partial) + " (no line end yet)";
    return text;
}
