#include "protocol/line_queue.h"

#include <chrono>

namespace {
constexpr std::size_t kMaxSpareBatches = 64;
}

LineQueue::LineQueue(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

LineQueue::PushResult LineQueue::PushBatch(Batch& lines, const std::function<bool()>& keepWaiting)
{
    if (lines.empty()) return PushResult::Added;
    std::unique_lock lock(mutex_);
    while (lines_ >= capacity_) {
        spaceFreed_.wait_for(lock, std::chrono::milliseconds(100));
        if (lines_ < capacity_) break;
        if (keepWaiting && !keepWaiting()) return PushResult::GaveUp;
    }
    const bool wasEmpty = lines_ == 0;
    lines_ += lines.size();
    batches_.push_back(std::move(lines));
    lines = Batch();
    return wasEmpty ? PushResult::AddedToEmpty : PushResult::Added;
}

bool LineQueue::TakeBatch(Batch& out)
{
    {
        std::lock_guard lock(mutex_);
        if (batches_.empty()) return false;
        out.swap(batches_.front());
        batches_.pop_front();
        lines_ -= out.size();
    }
    spaceFreed_.notify_all();
    return true;
}

void LineQueue::Recycle(Batch& spent)
{
    std::lock_guard lock(mutex_);
    if (spares_.size() < kMaxSpareBatches && !spent.empty()) spares_.push_back(std::move(spent));
    spent = Batch();
}

LineQueue::Batch LineQueue::TakeSpares()
{
    std::lock_guard lock(mutex_);
    if (spares_.empty()) return {};
    Batch b = std::move(spares_.back());
    spares_.pop_back();
    return b;
}

std::size_t LineQueue::Size() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}

void LineQueue::Wake() { spaceFreed_.notify_all(); }
