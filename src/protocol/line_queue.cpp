#include "protocol/line_queue.h"

#include <chrono>

LineQueue::LineQueue(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

LineQueue::PushResult LineQueue::Push(ircmessageencoder&& line, const std::function<bool()>& keepWaiting)
{
    std::unique_lock lock(mutex_);
    while (!closed_ && lines_.size() >= capacity_) {
        spaceFreed_.wait_for(lock, std::chrono::milliseconds(100));
        if (closed_ || lines_.size() < capacity_) break;
        if (keepWaiting && !keepWaiting()) return PushResult::Closed;
    }
    if (closed_) return PushResult::Closed;
    const bool wasEmpty = lines_.empty();
    lines_.push_back(std::move(line));
    return wasEmpty ? PushResult::AddedToEmpty : PushResult::Added;
}

std::size_t LineQueue::TakeBatch(std::vector<ircmessageencoder>& out, std::size_t max)
{
    std::size_t n = 0;
    {
        std::lock_guard lock(mutex_);
        while (n < max && !lines_.empty()) {
            out.push_back(std::move(lines_.front()));
            lines_.pop_front();
            ++n;
        }
    }
    if (n > 0) spaceFreed_.notify_all();
    return n;
}

std::size_t LineQueue::Size() const
{
    std::lock_guard lock(mutex_);
    return lines_.size();
}

void LineQueue::Close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    spaceFreed_.notify_all();
}

void LineQueue::Wake() { spaceFreed_.notify_all(); }
