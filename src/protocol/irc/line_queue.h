#pragma once
// The bounded hand-over of decoded lines from the reader thread to the UI thread.
#include "protocol/irc/dispatch.h"
#include "protocol/irc/irc_message.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

// One received line on its way to the UI thread: the decoded message and the
// handler the reader chose for it, so the UI side never decides again.
struct RoutedLine {
    IrcMessage message;
    LineRoute route;
};

// Decoded lines in arrival order, handed over in whole batches. The queue is
// bounded both in lines and in the bytes its records hold, so a flood of
// long lines holds no more memory than a flood of short ones. The reader
// waits while the queue is full; the wait ends when space frees up or the
// reader no longer wants to wait. Spent batches come back for reuse, so that
// a flood does not allocate every field of every line anew.
class LineQueue {
public:
    using Batch = std::vector<RoutedLine>;

    static constexpr std::size_t kDefaultBytes = std::size_t{4} << 20;
    // Spent records kept for reuse, at most this much memory in all; a record
    // that grew larger than kSpareRecordBytes (a long line) is freed instead.
    static constexpr std::size_t kSpareBytes = std::size_t{1} << 20;
    static constexpr std::size_t kSpareRecordBytes = 2048;

    explicit LineQueue(std::size_t capacity, std::size_t byteCapacity = kDefaultBytes);

    enum class PushResult { AddedToEmpty, Added };
    // Adds the batch (left empty), waiting first while the queue is full; a
    // batch is never split, so the queue may hold one batch more than either
    // bound. keepWaiting is asked before the wait and every 100 ms during it;
    // when it says no (the reader is ending: a stop, a close, the server's
    // hang-up), the batch is added at once all the same, so that nothing the
    // reader has already read is lost.
    PushResult PushBatch(Batch& lines, const std::function<bool()>& keepWaiting);

    // Replaces out with the oldest batch; false when the queue is empty.
    bool TakeBatch(Batch& out);

    // A spent batch back for reuse (left empty); and a batch of spent records
    // (fields not yet emptied) for the reader, or an empty one.
    void Recycle(Batch& spent);
    Batch TakeSpares();

    std::size_t Size() const;   // lines waiting
    std::size_t Bytes() const;  // memory the waiting lines hold
    // Wakes a waiting push so that it asks keepWaiting again at once.
    void Wake();

    // The memory one record holds: the record and its fields' heap storage.
    static std::size_t Cost(const RoutedLine& line);
    static std::size_t Cost(const Batch& lines);

private:
    bool Full() const { return lines_ >= capacity_ || bytes_ >= byteCapacity_; }

    struct Queued {
        Batch lines;
        std::size_t bytes;
    };

    const std::size_t capacity_;
    const std::size_t byteCapacity_;
    mutable std::mutex mutex_;
    std::condition_variable spaceFreed_;
    std::deque<Queued> batches_;
    std::size_t lines_ = 0;
    std::size_t bytes_ = 0;
    std::vector<Batch> spares_;
    std::size_t spareBytes_ = 0;
};
