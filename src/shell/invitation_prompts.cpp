#include "shell/invitation_prompts.h"

#include "model/chat_frame.h"
#include "common/shown_text.h"
#include "side/invitation_prompt.h"

InvitationPrompts::InvitationPrompts(ChatFrame& frame, QWidget* owner) : QObject(owner), frame_(frame), owner_(owner)
{
}

InvitationPrompt* InvitationPrompts::Show(const QString& inviter, const QString& channel)
{
    open_.removeIf([](const QPointer<InvitationPrompt>& prompt) { return !prompt || !prompt->isVisible(); });
    if (open_.size() >= kMostOpen) {
        frame_.AppendLog(ShownText(inviter) + QStringLiteral(" invites you to ") + ShownText(channel));
        return nullptr;
    }
    // Each prompt opens a little below and right of the ones still open, so
    // a second invitation does not hide the first.
    constexpr int kStep = 24;
    const int shift = static_cast<int>(open_.size()) * kStep;
    auto* prompt = new InvitationPrompt(&frame_, owner_);
    prompt->SetInvitation(inviter, channel);
    prompt->show();
    prompt->move(prompt->pos() + QPoint(shift, shift));
    open_ << prompt;
    return prompt;
}

void InvitationPrompts::ShowSoon(const QString& inviter, const QString& channel)
{
    // Queued: the handler that got the line goes on at once.
    QMetaObject::invokeMethod(
        this, [this, inviter, channel] { Show(inviter, channel); }, Qt::QueuedConnection);
}
