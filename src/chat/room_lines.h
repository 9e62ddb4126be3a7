#pragma once
// What the room window shows of its room: the members in the nick list and
// the lines in the transcript, as the room changes.
#include <QObject>

class Room;
class RoomWindow;
struct ChatLine;

// Observes one Room for its window: every change of the room's members
// reaches the nick list, every line the transcript (in its look, kept in the
// history), and the user's host status the host-only controls.
class RoomLines : public QObject {
    Q_OBJECT

public:
    RoomLines(RoomWindow& window, Room& room);

private:
    void onMemberAdded(const QString& nick);
    void onMemberRemoved(const QString& nick);
    void onMemberRenamed(const QString& oldNick, const QString& newNick);
    void onMemberModesChanged(const QString& nick, const QString& modes);
    void onLineAdded(const ChatLine& line);
    void ShowMessage(const ChatLine& line);

    RoomWindow& window_;
    Room& room_;
};
