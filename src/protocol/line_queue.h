#pragma once
// The bounded hand-over of parsed lines from the reader thread to the UI thread.
#include "protocol/irc_message.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

// Parsed lines in arrival order. The reader waits while it is full, so a flood
// holds bounded memory; the wait ends when space frees up or the queue is closed.
class LineQueue {
public:
    explicit LineQueue(std::size_t capacity);

    enum class PushResult { AddedToEmpty, Added, Closed };
    // Adds the line, waiting while the queue is full. keepWaiting is asked every
    // 100 ms during such a wait; when it says no, the line is not added.
    PushResult Push(ircmessageencoder&& line, const std::function<bool()>& keepWaiting);

    // Moves up to max lines into out (appended), oldest first; returns how many.
    std::size_t TakeBatch(std::vector<ircmessageencoder>& out, std::size_t max);

    std::size_t Size() const;
    // Ends every wait; later pushes are refused. Lines already queued stay takeable.
    void Close();
    void Wake();

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable spaceFreed_;
    std::deque<ircmessageencoder> lines_;
    bool closed_ = false;
};
