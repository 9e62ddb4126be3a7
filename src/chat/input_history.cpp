#include "chat/input_history.h"

void InputHistory::Add(const SentInput& line)
{
    if (!line.text.isEmpty()) {
        lines_.append(line);
        if (lines_.size() > kLimit)
            lines_.removeFirst();
    }
    position_ = int(lines_.size());
    draft_ = SentInput();
}

std::optional<SentInput> InputHistory::Up(const SentInput& current)
{
    if (position_ == 0)
        return std::nullopt;
    if (position_ == lines_.size())
        draft_ = current;
    return lines_.at(--position_);
}

std::optional<SentInput> InputHistory::Down()
{
    if (position_ >= lines_.size())
        return std::nullopt;
    ++position_;
    return position_ == lines_.size() ? draft_ : lines_.at(position_);
}
