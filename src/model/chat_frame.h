#pragma once
// What the child windows and the line handlers may ask of the frame window.
#include <QList>
#include <QString>
#include <QStringList>

#include "common/ignore_entries.h"
#include "common/user_profile.h"

#include <functional>
#include <string>

class LineConnection;
class Network;
class LineSender;
class QWidget;

// The frame as the windows and handlers see it: the connection, the user's
// nick, the ignore list, the server log, and the child windows. The frame
// window implements it; a window or handler never needs more of the frame
// than this, and what it needs anew becomes one more named operation here.
class ChatFrame {
public:
    virtual ~ChatFrame() = default;

    // The network as data: its rooms and conversations, which the handlers
    // change and the windows observe.
    virtual Network& NetworkModel() = 0;
    // The one server connection that every window writes its lines to.
    virtual LineConnection& Connection() = 0;
    // The one road of every line sent on that connection: paced, and a
    // refusal said once.
    virtual LineSender& Sender() = 0;
    // The user's nick on the current connection.
    virtual QString CurrentNick() const = 0;
    // A login succeeded with nick: it is the current nick, and the account
    // whose folder holds the user's lists and saved chats until the next login.
    virtual void SetCurrentNick(const QString& nick) = 0;
    // The server renamed the user: the nick follows everywhere the frame
    // shows or compares it, while the account stays the login's.
    virtual void FollowOwnRename(const QString& nick) = 0;

    // The ignore list: entries are nicks, "@nick" for one ignored while a
    // room operator. Read and changed under the frame's lock, so the reader
    // thread may ask IsIgnored at any time. IsIgnored(nick) holds for an
    // entry nick or "@" + nick, letter case counting.
    virtual bool IsIgnored(const QString& nick) const = 0;
    // A copy of the entries in order.
    virtual QStringList IgnoreList() const = 0;
    // The one way to change the list: runs change on it under the lock (an
    // empty list is made first when the program has none yet). change must
    // not call back into the frame.
    virtual void ChangeIgnoreList(const std::function<void(IgnoreEntries&)>& change) = 0;
    // Ignores nick for good: writes it to the account's "ignore.ini", then
    // adds it to the list in memory. A write that fails is reported in a
    // message box over asker and changes nothing; false then.
    virtual bool IgnoreForGood(const QString& nick, QWidget* asker) = 0;

    // The user data folder of the connection's host and the nick the login
    // used (not the current nick, which the server may have changed since),
    // where the account's list files live and Save Chat starts.
    virtual QString AccountFolder() const = 0;

    // The server log in the room list window.
    virtual void AppendLog(const QString& line) = 0;
    virtual void AppendLogLines(const QStringList& lines) = 0;
    // The room list window (a RoomListWindow), which lives as long as the frame.
    virtual QWidget* RoomListPane() const = 0;

    // Why the last WHO request was sent ("profile" for the nick list's
    // Profile entry), and where a WHO reply for that purpose goes.
    virtual QString WhoPurpose() const = 0;
    virtual void ShowUserProfile(const UserProfile& profile) = 0;
    // Profile: a new user information window becomes the current one, the
    // WHO purpose becomes "profile", "who nick" goes out, and the window is
    // shown modally (WHO replies fill it meanwhile) until the user closes
    // it. A write that fails is reported over asker, and no window shows.
    virtual void OpenUserProfile(const QString& nick, QWidget* asker) = 0;

    // The child windows' widgets in the frame's order (creation order).
    virtual QList<QWidget*> ChildWindows() const = 0;
    // The private windows (PrivateWindow) whose partner is partner: titles compared
    // without control characters and regardless of letter case; oldest first.
    // A hashed lookup, however many windows are open.
    virtual QList<QWidget*> PrivateWindowsNamed(const QString& partner) const = 0;
    // The widget of the frame's current child window (whether or not the
    // frame itself has the keyboard); null when there is none.
    virtual QWidget* CurrentChild() const = 0;
    // True when child is the current child and the frame is the active window.
    virtual bool IsActiveChild(const QWidget* child) const = 0;
    // Shows child (restored when minimised) as the current child, on top.
    virtual void BringToFront(QWidget* child) = 0;

    // A room window for room, joined at once (a RoomWindow). wireName, when
    // given, is the room's name as the server sent it, room its shown text.
    virtual QWidget* OpenRoomWindow(const QString& room, const std::string& wireName = {}) = 0;
    // A typed join: the open window of room (titles compared regardless of
    // letter case) comes to the front, joining again when it has left;
    // otherwise a new room window joins it. key, when not empty, goes with
    // the join line.
    virtual QWidget* JoinRoom(const QString& room, const QString& key) = 0;

    // The away panel's Ok with text as the away message ("Away" when text
    // is empty), and releasing the away button. A closed connection throws
    // TransportError.
    virtual void SetAway(const QString& text) = 0;
    virtual void SetBack() = 0;

    // A line that names the user (or a private message) arrived in child:
    // unless child is the active window of the active frame, the frame
    // marks it until it is activated and calls for the user's attention.
    virtual void NoteMention(QWidget* child, const QString& sender, const QString& text) = 0;
    // The room list, a favourite, an accepted invitation: the window of room
    // (found by its name without surrounding blanks, letter case aside) to
    // the front, joined through its join button when it is not in its room;
    // without one, a room window opened and joined. Null for a blank name.
    virtual QWidget* ShowRoom(const QString& room, const std::string& wireName = {}) = 0;
    // The open-private-window request for a line that came in: a private
    // window (a PrivateWindow) titled with the pending nick, made without taking the
    // front; null while no nick is pending.
    virtual void SetPendingPrivateNick(const QString& nick) = 0;
    virtual QWidget* OpenPrivateWindowRequest() = 0;
    // Whisper: the private window titled nick, found or made, in front.
    virtual QWidget* OpenPrivateWindowFromUser(const QString& nick) = 0;

    // The invitation notification: inviter asks the user into channel. The
    // frame shows a prompt for it once the caller has returned; the texts
    // travel as copies.
    virtual void InvitationNotification(const QString& inviter, const QString& channel) = 0;
    // A window changed "fav.ini" or "buddies.ini": the frame rebuilds that
    // menu once the caller has returned.
    virtual void ReloadFavoritesNotification() = 0;
    virtual void ReloadBuddiesNotification() = 0;

    // True while the user is typing: the current window's input line holds
    // text, or a key was pressed a moment ago. A received line then leaves
    // the keyboard and the active window where they are.
    virtual bool UserTyping() const = 0;
    // A PONG came with token: true when it answers the program's own PING
    // (the lag is then known; nothing is shown).
    virtual bool TakeOwnPong(const std::string& token) = 0;
    // The server said why it closes the link (ERROR): the reason goes with
    // every note of the ending.
    virtual void ServerClosingLink(const QString& reason) = 0;
    // "Talvessa 2.3 on Linux", for the answer to a VERSION request.
    virtual QString VersionText() const = 0;
};
