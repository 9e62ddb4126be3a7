#include "model/room.h"

Room::Room(QString shownName, std::string wireName, QObject* parent)
    : QObject(parent), shownName_(std::move(shownName)), wireName_(std::move(wireName))
{
}

void Room::SetJoined(bool joined)
{
    if (joined_ == joined)
        return;
    joined_ = joined;
    emit JoinedChanged(joined);
}

void Room::SetShownName(const QString& name)
{
    if (name != shownName_)
        wireName_.clear();
    shownName_ = name;
}

void Room::SetOwnHost(bool host)
{
    if (ownHost_ == host)
        return;
    ownHost_ = host;
    emit OwnHostChanged(host);
}

void Room::SetTopic(const QString& topic)
{
    if (topic_ == topic)
        return;
    topic_ = topic;
    emit TopicChanged(topic);
}

int Room::IndexOf(const QString& nick) const
{
    for (int i = 0; i < members_.size(); ++i) {
        if (members_[i].nick.compare(nick, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool Room::IsOperator(const QString& nick) const
{
    const int at = IndexOf(nick);
    return at >= 0 && members_[at].modes.contains(u'o');
}

const RoomMember* Room::Member(const QString& nick) const
{
    const int at = IndexOf(nick);
    return at < 0 ? nullptr : &members_[at];
}

bool Room::AddMember(const QString& nick, const QString& modes) { return AddMember(RoomMember{nick, modes, {}, false}); }

bool Room::AddMember(const RoomMember& member)
{
    if (member.nick.isEmpty() || HasMember(member.nick))
        return false;
    members_.append(member);
    emit MemberAdded(member.nick);
    return true;
}

bool Room::RemoveMember(const QString& nick)
{
    const int at = IndexOf(nick);
    if (at < 0)
        return false;
    const QString listed = members_.takeAt(at).nick;
    emit MemberRemoved(listed);
    return true;
}

bool Room::RenameMember(const QString& oldNick, const QString& newNick, bool markIgnored)
{
    const int at = IndexOf(oldNick);
    if (at < 0 || newNick.isEmpty())
        return false;
    // A rename onto a nick listed already (a stale entry) keeps one entry.
    const int clash = IndexOf(newNick);
    if (clash >= 0 && clash != at) {
        members_.removeAt(clash);
        emit MemberRemoved(newNick);
        return RenameMember(oldNick, newNick, markIgnored);
    }
    const QString listed = members_[at].nick;
    members_[at].nick = newNick;
    if (markIgnored)
        members_[at].ignored = true;
    emit MemberRenamed(listed, newNick);
    return true;
}

bool Room::SetMemberMode(const QString& nick, QChar mode, bool on)
{
    const int at = IndexOf(nick);
    if (at < 0)
        return false;
    QString& modes = members_[at].modes;
    if (modes.contains(mode) == on)
        return false;
    if (on)
        modes.append(mode);
    else
        modes.remove(mode);
    emit MemberModesChanged(members_[at].nick, modes);
    return true;
}

void Room::ClearMembers()
{
    if (members_.isEmpty())
        return;
    members_.clear();
    emit MembersCleared();
}

bool Room::AddBan(const QString& mask)
{
    if (mask.isEmpty() || bans_.contains(mask, Qt::CaseInsensitive))
        return false;
    bans_.append(mask);
    emit BansChanged();
    return true;
}

bool Room::RemoveBan(const QString& mask)
{
    for (int i = 0; i < bans_.size(); ++i) {
        if (bans_[i].compare(mask, Qt::CaseInsensitive) == 0) {
            bans_.removeAt(i);
            emit BansChanged();
            return true;
        }
    }
    return false;
}
