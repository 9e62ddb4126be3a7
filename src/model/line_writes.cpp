#include "model/line_writes.h"

#include "model/chat_frame.h"
#include "common/line_sender.h"
#include "common/prompts.h"

#include <QWidget>

bool SendOrTell(LineSender* sender, const std::vector<std::string>& lines, const QString& target, QWidget* asker,
                std::function<void()> onSent)
{
    const LineSender::Outcome outcome =
        sender ? sender->Send(lines, target, LineSender::Pace::Paced, asker, std::move(onSent))
               : LineSender::Outcome{false, QStringLiteral("You are not connected to a server: nothing was sent")};
    if (outcome.accepted) return true;
    const QString& note = outcome.refusal;
    if (auto* notes = dynamic_cast<SendNoteTaker*>(asker))
        notes->WriteSendNote(note);
    else
        prompts().Error(asker, note);
    return false;
}

bool SendOrLog(ChatFrame& frame, const std::vector<std::string>& lines, const QString& target, bool immediate)
{
    const LineSender::Outcome outcome = frame.Sender().Send(
        lines, target, immediate ? LineSender::Pace::Immediate : LineSender::Pace::Paced);
    if (!outcome.accepted) frame.AppendLog(outcome.refusal);
    return outcome.accepted;
}
