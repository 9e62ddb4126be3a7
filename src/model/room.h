#pragma once
// One IRC channel ("room") as data: its names, whether the user is in it,
// its topic, its members with their modes in the server's order, its bans.

#include "model/chat_line.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <string>

// A member of a room: the bare nick and the mode letters the server gave it
// ("o" for an operator, "v" for a voiced user), in the order they came.
struct RoomMember {
    QString nick;
    QString modes;
    QString host;          // user@host when the server told it (a join line)
    bool ignored = false;  // on the user's ignore list when listed: the list marks them
    bool operator==(const RoomMember&) const = default;
};

// The room: the handlers change it, the room window observes it.
class Room : public QObject {
    Q_OBJECT

public:
    // shownName: the name without "#" as the user sees it; wireName: the
    // name's bytes as the server sent it (from the room list), without the
    // "#" that lines put in front; empty when the shown name is all there is.
    Room(QString shownName, std::string wireName, QObject* parent = nullptr);

    const QString& ShownName() const { return shownName_; }
    // A new shown name forgets the server's spelling of the old one.
    void SetShownName(const QString& name);
    const std::string& WireName() const { return wireName_; }
    void SetWireName(std::string name) { wireName_ = std::move(name); }
    // True between the user's join and the next leave or lost connection.
    bool Joined() const { return joined_; }
    void SetJoined(bool joined);
    // True after the user left the room, until the next join: the room keeps
    // its name, but lines about it no longer reach it.
    bool Left() const { return left_; }
    void SetLeft(bool left) { left_ = left; }
    // True while the server lists the user as an operator of the room.
    bool OwnHost() const { return ownHost_; }
    void SetOwnHost(bool host);
    const QString& Topic() const { return topic_; }
    void SetTopic(const QString& topic);

    const QList<RoomMember>& Members() const { return members_; }
    // The member's place in the list, nicks compared regardless of letter
    // case; -1 when the nick is not listed.
    int IndexOf(const QString& nick) const;
    bool HasMember(const QString& nick) const { return IndexOf(nick) >= 0; }
    bool IsOperator(const QString& nick) const;
    // The listed member nick denotes (letter case aside); null when none.
    const RoomMember* Member(const QString& nick) const;
    // Adds nick at the end unless it is listed; false when it was.
    bool AddMember(const QString& nick, const QString& modes = QString());
    bool AddMember(const RoomMember& member);
    // False when nick was not listed.
    bool RemoveMember(const QString& nick);
    // Renames a listed member in place, modes kept (and marked ignored when
    // markIgnored); false when not listed.
    bool RenameMember(const QString& oldNick, const QString& newNick, bool markIgnored = false);
    // Gives or takes one mode letter; false when nick is not listed or the
    // letter was already so.
    bool SetMemberMode(const QString& nick, QChar mode, bool on);
    // Empties the member list (a new join, a lost connection).
    void ClearMembers();

    const QStringList& Bans() const { return bans_; }
    // Adds a ban unless it is there (letter case aside); false when it was.
    bool AddBan(const QString& mask);
    bool RemoveBan(const QString& mask);

    // A line for the room's transcript: observers show it.
    void AppendLine(const ChatLine& line) { emit LineAdded(line); }

signals:
    void JoinedChanged(bool joined);
    void OwnHostChanged(bool host);
    void TopicChanged(const QString& topic);
    void MemberAdded(const QString& nick);
    void MemberRemoved(const QString& nick);
    void MemberRenamed(const QString& oldNick, const QString& newNick);
    void MemberModesChanged(const QString& nick, const QString& modes);
    void MembersCleared();
    void BansChanged();
    void LineAdded(const ChatLine& line);

private:
    QString shownName_;
    std::string wireName_;
    bool joined_ = false;
    bool left_ = false;
    bool ownHost_ = false;
    QString topic_;
    QList<RoomMember> members_;
    QStringList bans_;
};
