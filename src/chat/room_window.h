#pragma once

#include "chat/chat_window.h"
#include "model/room.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class ChatFrame;
class CustomActionPanel;
class NickListActions;
class NickListView;
class QFrame;

class RoomLines;
class QStatusBar;
class RoomToolBar;
class RoomTools;
struct TypedLine;

// The room window: one IRC channel ("room"), its transcript, its nick list,
// the input line and the tool bar to pick, join and leave a room.
//
// The window shows one Room of the frame's network, its identity: the
// handlers change the room, the window follows (RoomLines). The title is the
// room's name without "#". The connection and the own nick are the frame's,
// shared by every room window.
class RoomWindow : public ChatWindow {
    Q_OBJECT

public:
    // The size of a room window that is neither maximised nor minimised.
    static constexpr int kWidth = 541;
    static constexpr int kHeight = 388;

    // The window is not placed anywhere yet; the frame's openers put it into
    // the frame and then call PlaceInFrame().
    explicit RoomWindow(ChatFrame* frame, QWidget* parent = nullptr);
    ~RoomWindow() override;

    // The room this window shows.
    Room& Model() const { return *room_; }

    // A new title forgets the server's spelling of the old one.
    void SetTitle(const QString& title);
    // The room's name as the server sent it (from the room list), for a
    // title that shows it cleaned: lines about the room carry these bytes.
    void SetRoomOnWire(std::string bytes);
    bool HasRoomOnWire() const;
    // room as wire bytes: the server's own spelling when room is the title
    // it stands behind, else room as UTF-8.
    std::string WireNameFor(const QString& room) const;
    std::string RoomOnWire() const { return WireNameFor(Title()); }
    // The room as the road knows the lines about it ("#" and the wire name).
    QString RoomTarget() const;
    // True between a join and the next leave.
    bool InRoom() const;
    // True after the user left the room, until the next join: the window
    // keeps the room's name, but the room's lines are no longer its own.
    bool LeftRoom() const;
    // The nicks banned from this room since it was last joined.
    const QStringList& BanList() const;
    // The nick list, for the handlers that keep it.
    NickListView& NickList() const { return *nickList_; }

    // Places the window at its own size once it sits in the frame.
    void PlaceInFrame();

    // The connection ended: the note, and the not-in-a-room look with the
    // room name kept in the selector. A window that was in a room remembers
    // to rejoin it.
    void ConnectionLost(bool byUser = false) override;
    // After a new login: on the same server a remembered room is joined
    // again, as the Join button does; on another one it is forgotten.
    void Rejoin(bool sameServer);

    // The host-only controls (the host entries of the nick-list menu and the
    // ban list), switched by the user's own host status in this room.
    void SetHostControlsEnabled(bool enabled);

    // Puts room into the selector and joins it, key (when given) on the join line.
    void Join(const QString& room, const QString& key = QString());
    // Leaves the room as the Leave button does, with reason on the part line
    // when there is one: the window keeps the room's name and says it left,
    // so a later join of the room comes back to it.
    void Leave(const QString& reason);
    // A command typed into the input line, the parser's usage checks passed
    // (room_commands.cpp).
    void RunTypedCommand(const TypedLine& line);
    // Sends line to the room as it stands and echoes it as the own line; a
    // closed connection gets a note, and false.
    bool SendMessage(const QString& line);
    // Sends an action to this window's room and shows it as the own action
    // line. A closed connection is reported with an error box; false then.
    bool SendAction(const QString& action);
    // A line about the room (moderation, invitations, advertising): a line
    // the connection would refuse (a line break or NUL in what the user
    // typed) gets a note and is not sent; a closed connection gets the error
    // report. True when they went out.
    bool SendRoomLines(const std::vector<std::string>& lines);
    // The Action menu's entry index (CannedActions()); -1 opens the custom
    // action panel.
    void RunAction(int index);

public slots:
    // Join with the room in the selector.
    void onJoinClicked();
    // The window became the active child: nicks on the ignore list are
    // marked ignored in the nick list.
    void onActivated();

protected:
    void onInputEntered() override;
    void onLinesPasted(const QStringList& lines) override;
    void closeEvent(QCloseEvent* event) override;
    // Keeps the window's rows apart at any height: below its natural height
    // it hides the status bar, then the gap above the transcript, then the
    // style bar, while the transcript and nick list shrink.
    void resizeEvent(QResizeEvent* event) override;

private:
    RoomToolBar* toolBar_;
    QFrame* topGap_;
    NickListView* nickList_;
    QStatusBar* statusBar_;
    CustomActionPanel* customActionPanel_;
    RoomTools* tools_;
    NickListActions* nickActions_;
    QPointer<Room> room_;  // the network's; gone only when the network went first
    RoomLines* lines_;
    QString key_;  // the key the last join went with, for a rejoin
    bool rejoinPending_ = false;

    // In the room or not: the room's state, and the tool bar's look with it.
    void SetInRoom(bool in);
};
