#include "protocol/irc/send_pacer.h"

#include "protocol/irc/text_util.h"

#include <algorithm>

std::uint64_t SendPacer::Enqueue(std::string bytes, std::string target, Priority priority)
{
    Line line{nextId_++, std::move(bytes), std::move(target)};
    const std::uint64_t id = line.id;
    (priority == Priority::Immediate ? immediate_ : paced_).push_back(std::move(line));
    return id;
}

SendPacer::Ms SendPacer::CostOf(std::size_t bytes) const
{
    if (bytes <= limits_.costBytes || limits_.costBytes == 0)
        return limits_.spacing;
    return Ms(limits_.spacing.count() * static_cast<long long>(bytes) / static_cast<long long>(limits_.costBytes));
}

void SendPacer::Charge(std::size_t bytes, TimePoint now)
{
    const TimePoint from = sentUntil_ && *sentUntil_ > now ? *sentUntil_ : now;
    sentUntil_ = from + CostOf(bytes + 2);
}

bool SendPacer::MayGo(TimePoint now) const
{
    return !sentUntil_ || *sentUntil_ <= now + limits_.spacing * limits_.burstLines - limits_.spacing;
}

std::vector<SendPacer::Line> SendPacer::TakeDue(TimePoint now)
{
    std::vector<Line> due;
    while (!immediate_.empty()) {
        Charge(immediate_.front().bytes.size(), now);
        due.push_back(std::move(immediate_.front()));
        immediate_.pop_front();
    }
    while (!paced_.empty() && MayGo(now)) {
        Charge(paced_.front().bytes.size(), now);
        due.push_back(std::move(paced_.front()));
        paced_.pop_front();
    }
    return due;
}

std::optional<SendPacer::TimePoint> SendPacer::NextDue(TimePoint now) const
{
    if (!immediate_.empty())
        return now;
    if (paced_.empty())
        return std::nullopt;
    if (MayGo(now))
        return now;
    return *sentUntil_ - (limits_.spacing * limits_.burstLines - limits_.spacing);
}

std::vector<SendPacer::Line> SendPacer::DropTarget(const std::string& target)
{
    std::vector<Line> dropped;
    const std::string wanted = text::LowerAscii(target);
    for (std::deque<Line>* queue : {&immediate_, &paced_}) {
        auto keep = std::stable_partition(queue->begin(), queue->end(), [&](const Line& line) {
            return line.target.empty() || text::LowerAscii(line.target) != wanted;
        });
        std::move(keep, queue->end(), std::back_inserter(dropped));
        queue->erase(keep, queue->end());
    }
    return dropped;
}

std::vector<SendPacer::Line> SendPacer::DropAll()
{
    std::vector<Line> dropped(std::make_move_iterator(immediate_.begin()), std::make_move_iterator(immediate_.end()));
    dropped.insert(dropped.end(), std::make_move_iterator(paced_.begin()), std::make_move_iterator(paced_.end()));
    immediate_.clear();
    paced_.clear();
    sentUntil_.reset();
    return dropped;
}

SendPacer::Ms SendPacer::TimeToSend(const std::vector<std::size_t>& sizes) const
{
    SendPacer probe(limits_);
    for (std::size_t size : sizes)
        probe.Enqueue(std::string(size > 2 ? size - 2 : 0, 'x'), {}, Priority::Paced);
    const TimePoint start{};
    TimePoint now = start;
    while (probe.Waiting() > 0) {
        probe.TakeDue(now);
        if (const auto next = probe.NextDue(now); next && probe.Waiting() > 0)
            now = *next;
    }
    return std::chrono::duration_cast<Ms>(now - start);
}
