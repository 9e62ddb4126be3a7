#pragma once
// The network as data: the connection's state, the user's nick, the server's
// name, and the rooms and conversations with their members.

#include "model/conversation.h"
#include "model/room.h"

#include <QList>
#include <QObject>
#include <QString>

#include <string>

// The one network the program is connected to. The handlers change it; the
// windows observe it. It owns its rooms and conversations.
class Network : public QObject {
    Q_OBJECT

public:
    enum class State { Disconnected, Connecting, LoggingIn, Connected };
    Q_ENUM(State)

    explicit Network(QObject* parent = nullptr);

    State ConnectionState() const { return state_; }
    void SetConnectionState(State state);
    bool Connected() const { return state_ == State::Connected; }
    const QString& OwnNick() const { return ownNick_; }
    void SetOwnNick(const QString& nick);
    const QString& ServerName() const { return serverName_; }
    void SetServerName(const QString& name);

    const QList<Room*>& Rooms() const { return rooms_; }
    // The room a name denotes: with or without its "#", trimmed, letter case
    // aside; null when there is none.
    Room* FindRoom(const QString& name) const;
    // The room of that name, made when there is none yet.
    Room* AddRoom(const QString& shownName, const std::string& wireName);
    // A new room without a name yet, for a room window that is opening: one
    // per window, made even when another window shows a room of that name.
    Room* OpenRoom();
    // The room a server line names (its bytes, with the "#"): first a room
    // whose server spelling it is, then one whose shown name it is (control
    // characters and letter case aside), in the order the rooms were made.
    // A room the user left, and one without a name, take no lines.
    Room* RoomOfLine(const std::string& wireName) const;
    // The same for a name the user gave (with its "#").
    Room* RoomTakingLines(const QString& name) const;
    // The room goes (its window closed); it is deleted later.
    void RemoveRoom(Room* room);

    const QList<Conversation*>& Conversations() const { return conversations_; }
    Conversation* FindConversation(const QString& partner) const;
    Conversation* AddConversation(const QString& partner);
    void RemoveConversation(Conversation* conversation);

    // A user took another nick: every room lists them under it, their
    // conversation follows, and the user's own nick follows when it was theirs.
    void RenameUser(const QString& oldNick, const QString& newNick);
    // A user left the server: they leave every room that listed them (the
    // rooms are returned in the network's order) and their conversation
    // knows they are gone.
    QList<Room*> UserQuit(const QString& nick);
    // The connection ended: no room is joined and every member list is empty.
    void ConnectionEnded();

    // The handlers' bracket around the lines they handle in one go: a window
    // that shows a line meanwhile may hold its layout until LinesEnded.
    void BeginLines();
    void EndLines();
    bool InLines() const { return inLines_; }

    // The server's room list as its lines come (wireName: the name's bytes
    // as sent, for the join), and its totals of rooms and users.
    void ListRoom(const QString& name, const QString& topic, const QString& users, const std::string& wireName)
    {
        emit RoomListed(name, topic, users, wireName);
    }
    void SetRoomTotal(const QString& count) { emit RoomTotalKnown(count); }
    void SetUserTotal(const QString& count) { emit UserTotalKnown(count); }

signals:
    void ConnectionStateChanged(Network::State state);
    void OwnNickChanged(const QString& nick);
    void ServerNameChanged(const QString& name);
    void RoomAdded(Room* room);
    void RoomRemoved(Room* room);
    void ConversationAdded(Conversation* conversation);
    void ConversationRemoved(Conversation* conversation);
    void LinesBegun();
    void LinesEnded();
    void RoomListed(const QString& name, const QString& topic, const QString& users, const std::string& wireName);
    void RoomTotalKnown(const QString& count);
    void UserTotalKnown(const QString& count);

private:
    State state_ = State::Disconnected;
    QString ownNick_;
    QString serverName_;
    QList<Room*> rooms_;
    QList<Conversation*> conversations_;
    bool inLines_ = false;
};
