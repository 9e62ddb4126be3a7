#pragma once
// The outgoing side of a connection: a bounded buffer of whole lines that a
// writer thread hands to the stream as the server takes them, giving up on
// the connection when the server has taken nothing for the stall limit while
// something waits.
#include "protocol/stream/byte_stream.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// How much may wait to be sent, and how long the server may take nothing
// while something waits.
struct SendLimits {
    std::chrono::milliseconds stall{30000};
    std::size_t buffer = std::size_t{1} << 20;
};

class OutgoingBuffer {
public:
    explicit OutgoingBuffer(SendLimits limits) : limits_(limits) {}
    ~OutgoingBuffer() { Stop(); }
    OutgoingBuffer(const OutgoingBuffer&) = delete;
    OutgoingBuffer& operator=(const OutgoingBuffer&) = delete;

    // Starts the writer thread on the opened stream; wakeFd is woken when the
    // writer gives up on the connection.
    void Start(ByteStream& stream, int wakeFd);

    // Appends the first count lines, each with CR LF, as one piece: waits a
    // moment for room, then throws TransportError (nothing appended).
    void Write(const std::vector<std::string>& lines, std::size_t count);
    // Appends when less than half the buffer is taken, asking keepWaiting
    // every 50 ms while waiting; false (nothing appended) when it says no.
    bool WriteWhenRoom(const std::vector<std::string>& lines, std::size_t count,
                       const std::function<bool()>& keepWaiting);
    // Waits until everything appended was handed to the stream.
    bool WaitUntilSent(std::chrono::milliseconds timeout);
    std::size_t Unsent();

    // Ends the writing: what the stream takes at once of the waiting bytes is
    // handed on first. True when bytes are left or the writer had given up,
    // so a polite close would wait behind them.
    bool Finish();
    // Joins the writer thread (after Finish, or on its own to end it).
    void Stop();

    bool Failed() const { return failed_; }
    bool Stalled() const { return stalled_; }
    // Why the writer gave up; read only once Failed() is true.
    const std::string& Failure() const { return failure_; }
    // Finished or given up: nothing more goes out.
    bool Ended() const { return closing_ || failed_; }

private:
    using Clock = std::chrono::steady_clock;

    std::size_t Pending() const { return outbox_.size() - outStart_; }
    void NoteAcknowledged(std::size_t unacknowledged);
    void Consume(std::size_t n);
    bool SendWithoutWaiting();
    void Append(const std::vector<std::string>& lines, std::size_t count);
    void Fail(std::string why, bool stall);
    void WriterLoop();

    const SendLimits limits_;
    ByteStream* stream_ = nullptr;
    int wakeFd_ = -1;

    std::mutex mutex_;
    std::condition_variable dataWaiting_;  // the writer thread waits for lines or the close
    std::condition_variable progress_;     // bytes went out, or the writing ended
    std::string outbox_;
    std::size_t outStart_ = 0;             // first byte of outbox_ not yet sent
    std::uint64_t acknowledged_ = 0;       // bytes on the wire the server's side has taken
    bool idle_ = true;                     // nothing waits, neither here nor in the system
    Clock::time_point lastProgress_;       // the server last took bytes, or something started waiting
    std::atomic<bool> closing_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> stalled_{false};
    std::string failure_;  // written once, before failed_ is set
    std::thread writer_;
};
