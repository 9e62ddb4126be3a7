#include "model/network.h"

#include "common/wire_text.h"
#include "protocol/irc/text_util.h"

#include <utility>

namespace {

// A room name as the lookups compare it: trimmed, without its "#".
QString BareRoomName(const QString& name)
{
    QString bare = name.trimmed();
    if (bare.startsWith(u'#'))
        bare.remove(0, 1);
    return bare.trimmed();
}

}  // namespace

Network::Network(QObject* parent) : QObject(parent) {}

void Network::SetConnectionState(State state)
{
    if (state_ == state)
        return;
    state_ = state;
    emit ConnectionStateChanged(state);
}

void Network::SetOwnNick(const QString& nick)
{
    if (ownNick_ == nick)
        return;
    ownNick_ = nick;
    emit OwnNickChanged(nick);
}

void Network::SetServerName(const QString& name)
{
    if (serverName_ == name)
        return;
    serverName_ = name;
    emit ServerNameChanged(name);
}

Room* Network::FindRoom(const QString& name) const
{
    const QString bare = BareRoomName(name);
    if (bare.isEmpty())
        return nullptr;
    for (Room* room : rooms_) {
        if (BareRoomName(room->ShownName()).compare(bare, Qt::CaseInsensitive) == 0)
            return room;
    }
    return nullptr;
}

Room* Network::AddRoom(const QString& shownName, const std::string& wireName)
{
    if (Room* known = FindRoom(shownName))
        return known;
    auto* room = new Room(shownName, wireName, this);
    rooms_.append(room);
    emit RoomAdded(room);
    return room;
}

Room* Network::OpenRoom()
{
    auto* room = new Room(QString(), std::string(), this);
    rooms_.append(room);
    emit RoomAdded(room);
    return room;
}

Room* Network::RoomTakingLines(const QString& name) const
{
    const QString wanted = TrimControls(name);
    if (wanted.isEmpty())
        return nullptr;
    for (Room* room : rooms_) {
        // An empty name stands for no room, not for "#".
        const QString shown = TrimControls(room->ShownName());
        if (room->Left() || shown.isEmpty())
            continue;
        if (QString::compare(u'#' + shown, wanted, Qt::CaseInsensitive) == 0)
            return room;
    }
    return nullptr;
}

Room* Network::RoomOfLine(const std::string& wireName) const
{
    // A room joined from the room list knows itself by the server's bytes,
    // which its cleaned shown name may no longer spell.
    if (wireName.size() > 1) {
        const std::string wanted = text::LowerAscii(wireName);
        for (Room* room : rooms_) {
            if (room->Left() || room->WireName().empty())
                continue;
            if (text::LowerAscii(text::Trim('#' + room->WireName())) == wanted)
                return room;
        }
    }
    return RoomTakingLines(FromWire(wireName));
}

void Network::BeginLines()
{
    if (std::exchange(inLines_, true))
        return;
    emit LinesBegun();
}

void Network::EndLines()
{
    if (!std::exchange(inLines_, false))
        return;
    emit LinesEnded();
}

void Network::RemoveRoom(Room* room)
{
    if (!rooms_.removeOne(room))
        return;
    emit RoomRemoved(room);
    room->deleteLater();
}

Conversation* Network::FindConversation(const QString& partner) const
{
    const QString wanted = partner.trimmed();
    for (Conversation* conversation : conversations_) {
        if (conversation->Partner().compare(wanted, Qt::CaseInsensitive) == 0)
            return conversation;
    }
    return nullptr;
}

Conversation* Network::AddConversation(const QString& partner)
{
    if (Conversation* known = FindConversation(partner))
        return known;
    auto* conversation = new Conversation(partner.trimmed(), this);
    conversations_.append(conversation);
    emit ConversationAdded(conversation);
    return conversation;
}

void Network::RemoveConversation(Conversation* conversation)
{
    if (!conversations_.removeOne(conversation))
        return;
    emit ConversationRemoved(conversation);
    conversation->deleteLater();
}

void Network::RenameUser(const QString& oldNick, const QString& newNick)
{
    if (oldNick.isEmpty() || newNick.isEmpty())
        return;
    for (Room* room : rooms_)
        room->RenameMember(oldNick, newNick);
    // A conversation with the new nick open already stays as it is: the
    // renamed partner's one joins it only when none is there.
    if (Conversation* conversation = FindConversation(oldNick);
        conversation && (!FindConversation(newNick) || oldNick.compare(newNick, Qt::CaseInsensitive) == 0))
        conversation->FollowRename(newNick);
    if (ownNick_.compare(oldNick, Qt::CaseInsensitive) == 0)
        SetOwnNick(newNick);
}

QList<Room*> Network::UserQuit(const QString& nick)
{
    QList<Room*> left;
    for (Room* room : rooms_) {
        if (room->RemoveMember(nick))
            left.append(room);
    }
    if (Conversation* conversation = FindConversation(nick))
        conversation->SetPartnerPresent(false);
    return left;
}

void Network::ConnectionEnded()
{
    for (Room* room : rooms_) {
        room->SetJoined(false);
        room->ClearMembers();
    }
    SetConnectionState(State::Disconnected);
}
