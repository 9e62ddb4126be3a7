#include "protocol/irc/reader_thread.h"

#include "protocol/irc/dispatch.h"
#include "protocol/irc/sent_lines.h"

#include <optional>

ReaderThread::ReaderThread(LineConnection& connection, std::string ownnick, LineQueue& queue, LineConsumer& consumer,
                           bool loggingIn)
    : connection_(connection), ownnick_(std::move(ownnick)), queue_(queue), consumer_(consumer), loggingIn_(loggingIn)
{
    thread_ = std::thread([this] { Execute(); });
}

ReaderThread::~ReaderThread()
{
    Terminate();
    // A read waiting on an open connection would never return: an owner that
    // disposes of a running reader gets its connection closed rather than a hang.
    if (!finished_) connection_.Disconnect();
    if (thread_.joinable()) thread_.join();
}

void ReaderThread::Terminate()
{
    stop_ = true;
    queue_.Wake();
}

bool ReaderThread::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(endMutex_);
    return ended_.wait_for(lock, timeout, [this] { return finished_.load(); });
}

void ReaderThread::End(const std::string* error, bool unexpected)
{
    // Told before the thread counts as finished, so an owner that waited for the
    // end never disposes of the consumer while it is still being called.
    if (error) {
        try {
            consumer_.ReaderEnded(*error, unexpected);
        } catch (...) {
            // Nothing may cross the thread boundary, not even from the report.
        }
    }
    {
        std::lock_guard lock(endMutex_);
        finished_ = true;
    }
    ended_.notify_all();
}

void ReaderThread::Execute()
{
    // Lines already in the receive buffer are handed over together (at most
    // kBatch at a time), and the keep-alive answers of one batch go out in one
    // write, so a flood costs one queue hand-over per batch rather than per
    // line. Records come back from the consumer and are refilled in place.
    constexpr std::size_t kBatch = 256;
    const auto keepWaiting = [this] { return !stop_ && connection_.Connected(); };
    std::vector<std::string> lines;
    LineQueue::Batch batch;    // records [0, used) hold this batch's lines
    LineQueue::Batch reserve;  // spare records not needed by the last batch
    std::size_t used = 0;
    std::vector<std::string> pongs;  // [0, pongCount) answer this batch's keep-alives
    std::size_t pongCount = 0;
    std::size_t pongBytes = 0;
    // Answers go out in pieces of about this size, so that a flood of long
    // keep-alives never holds more than a little of the outgoing buffer.
    constexpr std::size_t kPongPiece = 64 * 1024;

    const auto nextRecord = [&]() -> RoutedLine& {
        if (used == 0 && batch.empty()) batch = queue_.TakeSpares();
        if (used == batch.size()) {
            if (reserve.empty()) {
                batch.emplace_back();
            } else {
                batch.push_back(std::move(reserve.back()));
                reserve.pop_back();
            }
        }
        RoutedLine& record = batch[used];
        record.message.Reset();
        return record;
    };
    const auto take = [&](const std::string& line) {
        if (line.empty()) return;
        RoutedLine& record = nextRecord();
        // A line that cannot be decoded goes to the server log as it came.
        record.route = record.message.Decode(line) ? DispatchRoute(record.message) : LineRoute{Handler::Log};
        const bool loggingIn = loggingIn_.load(std::memory_order_relaxed);
        if (record.route.handler == Handler::Drop && !loggingIn) return;
        if (record.route.handler == Handler::Pong) {
            // A keep-alive whose token holds a bare CR gets no answer: echoing
            // it would put a second command on the wire.
            if (pongCount == pongs.size()) pongs.emplace_back();
            PongLineFor(record.message, pongs[pongCount]);
            if (LineConnection::Sendable(pongs[pongCount])) pongBytes += pongs[pongCount++].size() + 2;
            if (loggingIn) ++used;  // the login shows it
            return;
        }
        ++used;
    };
    // Sends the answers gathered so far; the failure, if any. A server that
    // does not take them holds the reader here (it reads nothing meanwhile)
    // until it does, the stop request comes, or the connection gives up on it.
    const auto answer = [&]() -> std::optional<std::string> {
        if (pongCount == 0) return std::nullopt;
        try {
            connection_.WriteLinesWhenRoom(pongs, pongCount, keepWaiting);
        } catch (const TransportError& e) {
            return e.what();
        }
        pongCount = 0;
        pongBytes = 0;
        return std::nullopt;
    };
    // Sends the batch's answers and queues its lines (also when the answers
    // could not go out: the lines were received); the failure, if any.
    const auto flush = [&]() -> std::optional<std::string> {
        auto failure = answer();
        if (used == 0) return failure;
        while (batch.size() > used && reserve.size() < kBatch) {
            reserve.push_back(std::move(batch.back()));
            batch.pop_back();
        }
        batch.resize(used);
        used = 0;
        // A stop, a close or the server's hang-up ends a wait on a full queue,
        // but the batch is queued all the same: the lines were received.
        if (queue_.PushBatch(batch, keepWaiting) == LineQueue::PushResult::AddedToEmpty) consumer_.LinesReady();
        return failure;
    };

    try {
        while (!stop_) {
            std::optional<std::string> failure;
            try {
                const std::size_t n = connection_.ReadLines(lines, kBatch);
                if (n > 0)
                    lastHeard_.store(std::chrono::steady_clock::now().time_since_epoch().count(),
                                     std::memory_order_relaxed);
                for (std::size_t i = 0; i < n; ++i) {
                    take(lines[i]);
                    if (pongBytes >= kPongPiece && !failure) failure = answer();
                }
                const auto flushed = flush();
                if (!failure) failure = flushed;
            } catch (const TransportError& e) {
                flush();  // what arrived before the failure is still shown
                failure = e.what();
            }
            if (failure) {
                End(&*failure);
                return;
            }
        }
    } catch (const std::exception& e) {
        // Nothing may cross the thread boundary. Any other failure (memory
        // exhaustion, a consumer that threw) ends the reader too, and the
        // owner hears of it like of a closed connection, with what it was.
        const std::string what = e.what();
        End(&what, true);
        return;
    } catch (...) {
        const std::string what = "An unknown error occurred.";
        End(&what, true);
        return;
    }
    End(nullptr);
}
