#include "common/line_sender.h"

#include "common/timings.h"
#include "protocol/stream/line_connection.h"
#include "protocol/stream/transport_error.h"

LineSender::LineSender(LineConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection), pacer_(Limits())
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &LineSender::Flush);
}

SendPacer::Limits LineSender::Limits() const
{
    SendPacer::Limits limits;
    limits.burstLines = timing().sendBurstLines;
    limits.spacing = SendPacer::Ms(timing().sendSpacingMs);
    return limits;
}

LineSender::Outcome LineSender::Send(const std::vector<std::string>& lines, const QString& target, Pace pace,
                                     QObject* context, std::function<void()> onSent)
{
    if (!connection_.Connected())
        return {false, QStringLiteral("You are not connected to a server: nothing was sent")};
    for (const std::string& line : lines) {
        if (!LineConnection::Sendable(line))
            return {false, QStringLiteral("A line break or NUL character cannot be sent: nothing was sent")};
        if (line.size() + 2 > kLongestLine)
            return {false, QStringLiteral("A line of %1 bytes is longer than the server takes (%2): nothing was sent")
                               .arg(line.size() + 2)
                               .arg(kLongestLine)};
    }
    if (lines.empty()) {
        if (onSent) onSent();
        return {true, {}};
    }
    const std::string wireTarget = target.toStdString();
    const auto priority = pace == Pace::Immediate ? SendPacer::Priority::Immediate : SendPacer::Priority::Paced;
    quint64 last = 0;
    for (const std::string& line : lines)
        last = pacer_.Enqueue(line, wireTarget, priority);
    if (onSent)
        pending_.insert(last, {context, context != nullptr, std::move(onSent)});
    Flush();
    return {true, {}};
}

void LineSender::Flush()
{
    const std::vector<SendPacer::Line> due = pacer_.TakeDue(SendPacer::Clock::now());
    if (!due.empty()) {
        std::vector<std::string> bytes;
        bytes.reserve(due.size());
        for (const SendPacer::Line& line : due)
            bytes.push_back(line.bytes);
        try {
            connection_.WriteLines(bytes);
        } catch (const TransportError& error) {
            Forget(due);
            Forget(pacer_.DropAll());
            emit WriteFailed(QString::fromStdString(error.what()));
            Schedule();
            return;
        }
        for (const SendPacer::Line& line : due) {
            const auto found = pending_.find(line.id);
            if (found == pending_.end())
                continue;
            const Pending done = found.value();
            pending_.erase(found);
            if (done.onSent && (!done.hasContext || done.context))
                done.onSent();
        }
    }
    Schedule();
}

void LineSender::Schedule()
{
    const auto now = SendPacer::Clock::now();
    if (const auto next = pacer_.NextDue(now)) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*next - now).count();
        timer_.start(static_cast<int>(std::max<long long>(wait, 0)));
    } else {
        timer_.stop();
    }
    if (Waiting() != waitingTold_) {
        waitingTold_ = Waiting();
        emit WaitingChanged(waitingTold_);
    }
}

void LineSender::Forget(const std::vector<SendPacer::Line>& dropped)
{
    for (const SendPacer::Line& line : dropped)
        pending_.remove(line.id);
}

int LineSender::DropTarget(const QString& target)
{
    const std::vector<SendPacer::Line> dropped = pacer_.DropTarget(target.toStdString());
    Forget(dropped);
    Schedule();
    return static_cast<int>(dropped.size());
}

int LineSender::DropAll()
{
    const std::vector<SendPacer::Line> dropped = pacer_.DropAll();
    Forget(dropped);
    Schedule();
    return static_cast<int>(dropped.size());
}

int LineSender::MillisecondsToSend(const std::vector<std::size_t>& sizes) const
{
    return static_cast<int>(pacer_.TimeToSend(sizes).count());
}
