// The frame's invitation notification: one prompt per invitation.
#include "shell/main_form.h"

#include "side/invitation_prompt.h"

TForm9* TMainForm::ShowInvitation(const QString& inviter, const QString& channel)
{
    // Each prompt opens a little below and right of the ones still open, so
    // a second invitation does not hide the first.
    constexpr int kStep = 24;
    const auto open = findChildren<TForm9*>(Qt::FindDirectChildrenOnly);
    qsizetype shown = 0;
    for (const TForm9* other : open) shown += other->isVisible() ? 1 : 0;
    auto* prompt = new TForm9(this, this);
    prompt->SetInvitation(inviter, channel);
    prompt->show();
    const int shift = static_cast<int>(shown % 8) * kStep;
    prompt->move(prompt->pos() + QPoint(shift, shift));
    return prompt;
}

void TMainForm::InvitationNotification(const QString& inviter, const QString& channel)
{
    // Queued: the handler that got the line goes on at once.
    QMetaObject::invokeMethod(
        this, [this, inviter, channel] { ShowInvitation(inviter, channel); }, Qt::QueuedConnection);
}
