#include "protocol/irc/line_queue.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr std::size_t kMaxSpareBatches = 64;

std::size_t HeapBytes(const std::string& s)
{
    // A short text lives inside the string object itself.
    return s.capacity() > std::string().capacity() ? s.capacity() + 1 : 0;
}
}  // namespace

LineQueue::LineQueue(std::size_t capacity, std::size_t byteCapacity)
    : capacity_(capacity == 0 ? 1 : capacity), byteCapacity_(byteCapacity == 0 ? 1 : byteCapacity)
{
}

std::size_t LineQueue::Cost(const RoutedLine& line)
{
    const IrcMessage& m = line.message;
    std::size_t tagBytes = m.Tags().capacity() * sizeof(MessageTag);
    for (const MessageTag& tag : m.Tags()) tagBytes += HeapBytes(tag.key) + HeapBytes(tag.value);
    return sizeof(RoutedLine) + tagBytes + HeapBytes(m.prefixtoken) + HeapBytes(m.nick) + HeapBytes(m.userhost) +
           HeapBytes(m.kind) + HeapBytes(m.command) + HeapBytes(m.rawline) + HeapBytes(m.params) +
           HeapBytes(m.firstparam) + HeapBytes(m.host);
}

std::size_t LineQueue::Cost(const Batch& lines)
{
    std::size_t bytes = lines.capacity() * sizeof(RoutedLine);
    for (const auto& line : lines) bytes += Cost(line) - sizeof(RoutedLine);
    return bytes;
}

LineQueue::PushResult LineQueue::PushBatch(Batch& lines, const std::function<bool()>& keepWaiting)
{
    if (lines.empty()) return PushResult::Added;
    const std::size_t bytes = Cost(lines);
    std::unique_lock lock(mutex_);
    while (Full() && (!keepWaiting || keepWaiting())) spaceFreed_.wait_for(lock, std::chrono::milliseconds(100));
    const bool wasEmpty = lines_ == 0;
    lines_ += lines.size();
    bytes_ += bytes;
    batches_.push_back({std::move(lines), bytes});
    lines = Batch();
    return wasEmpty ? PushResult::AddedToEmpty : PushResult::Added;
}

bool LineQueue::TakeBatch(Batch& out)
{
    {
        std::lock_guard lock(mutex_);
        if (batches_.empty()) return false;
        out.swap(batches_.front().lines);
        lines_ -= out.size();
        bytes_ -= batches_.front().bytes;
        batches_.pop_front();
    }
    spaceFreed_.notify_all();
    return true;
}

void LineQueue::Recycle(Batch& spent)
{
    Batch batch = std::move(spent);
    spent = Batch();
    batch.erase(std::remove_if(batch.begin(), batch.end(),
                               [](const RoutedLine& line) { return Cost(line) > kSpareRecordBytes; }),
                batch.end());
    if (batch.empty()) return;
    const std::size_t bytes = Cost(batch);
    std::lock_guard lock(mutex_);
    if (spares_.size() >= kMaxSpareBatches || spareBytes_ + bytes > kSpareBytes) return;
    spareBytes_ += bytes;
    spares_.push_back(std::move(batch));
}

LineQueue::Batch LineQueue::TakeSpares()
{
    std::lock_guard lock(mutex_);
    if (spares_.empty()) return {};
    Batch b = std::move(spares_.back());
    spares_.pop_back();
    spareBytes_ -= Cost(b);
    return b;
}

std::size_t LineQueue::Size() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}

std::size_t LineQueue::Bytes() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

void LineQueue::Wake() { spaceFreed_.notify_all(); }
