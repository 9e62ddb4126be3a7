#pragma once
// The bounded hand-over of parsed lines from the reader thread to the UI thread.
#include "protocol/irc_message.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

// Parsed lines in arrival order, handed over in whole batches. The reader waits
// while the queue is full, so a flood holds bounded memory; the wait ends when
// space frees up or the reader no longer wants to wait. Spent batches come back for reuse, so
// that a flood does not allocate every field of every line anew.
class LineQueue {
public:
    using Batch = std::vector<ircmessageencoder>;

    explicit LineQueue(std::size_t capacity);

    enum class PushResult { AddedToEmpty, Added, GaveUp };
    // Adds the batch (left empty), waiting first while the queue is full; a
    // batch is never split, so the queue may hold one batch more than capacity.
    // keepWaiting is asked every 100 ms during such a wait; when it says no,
    // nothing is added.
    PushResult PushBatch(Batch& lines, const std::function<bool()>& keepWaiting);

    // Replaces out with the oldest batch; false when the queue is empty.
    bool TakeBatch(Batch& out);

    // A spent batch back for reuse (left empty); and a batch of spent records
    // (fields not yet emptied) for the reader, or an empty one.
    void Recycle(Batch& spent);
    Batch TakeSpares();

    std::size_t Size() const;  // lines waiting
    // Wakes a waiting push so that it asks keepWaiting again at once.
    void Wake();

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable spaceFreed_;
    std::deque<Batch> batches_;
    std::size_t lines_ = 0;
    std::vector<Batch> spares_;
};
