#pragma once
// The reader thread: reads, decodes and routes every server line while logged in.
#include "protocol/stream/line_connection.h"
#include "protocol/irc/line_queue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// Where the reader's lines go. Both calls come from the reader thread and must
// not block: typically they post a request to the UI thread.
class LineConsumer {
public:
    virtual ~LineConsumer() = default;
    // The queue went from empty to holding lines: one drain request is due.
    virtual void LinesReady() = 0;
    // The reader ended on its own (told once, never for a stop request): on a
    // transport error, or, with unexpected set, on any other failure (error
    // then says what it was).
    virtual void ReaderEnded(const std::string& error, bool unexpected) = 0;
};

// Reads lines from the connection on its own thread, answers PING itself, drops
// lines that no handler takes, and queues the rest with their route (a line
// that cannot be decoded routed to the server log), by value and in arrival
// order, for the consumer. While logging in it drops nothing: the login reads
// every line, the keep-alives too (answered all the same).
class ReaderThread {
public:
    // The thread starts only once every field is set (the last act of
    // construction). loggingIn: from the first byte, until EndLogin.
    ReaderThread(LineConnection& connection, std::string ownnick, LineQueue& queue, LineConsumer& consumer,
                 bool loggingIn = false);
    // Requests a stop and waits for the thread. The owner normally closes the
    // connection first; if the thread is still reading, the connection is closed here.
    ~ReaderThread();
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // Sets the stop flag; the loop tests it between lines. Also ends a wait on a full queue.
    void Terminate();
    bool Terminated() const { return stop_; }
    bool Finished() const { return finished_; }
    // The login is over: from the next line on, only what a handler takes is queued.
    void EndLogin() { loggingIn_ = false; }
    bool LoggingIn() const { return loggingIn_; }
    // Waits until the thread has ended; false when the time ran out first.
    bool WaitFor(std::chrono::milliseconds timeout);
    const std::string& ownnick() const { return ownnick_; }
    // When the last bytes came from the server (the start, before any).
    std::chrono::steady_clock::time_point LastHeard() const
    {
        return std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(lastHeard_.load(std::memory_order_relaxed)));
    }

private:
    void Execute();
    void End(const std::string* error, bool unexpected = false);

    LineConnection& connection_;
    const std::string ownnick_;
    LineQueue& queue_;
    LineConsumer& consumer_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> loggingIn_;
    std::atomic<std::chrono::steady_clock::rep> lastHeard_{std::chrono::steady_clock::now().time_since_epoch().count()};
    std::mutex endMutex_;
    std::condition_variable ended_;
    std::thread thread_;
};
