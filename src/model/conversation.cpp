#include "model/conversation.h"

Conversation::Conversation(QString partner, QObject* parent) : QObject(parent), partner_(std::move(partner)) {}

void Conversation::FollowRename(const QString& newNick)
{
    if (newNick.isEmpty() || newNick == partner_)
        return;
    const QString old = partner_;
    partner_ = newNick;
    emit PartnerRenamed(old, newNick);
}

void Conversation::SetPartnerPresent(bool present)
{
    if (present_ == present)
        return;
    present_ = present;
    emit PartnerPresenceChanged(present);
}
