#include "chat/history_lines.h"

#include "chat/private_window.h"
#include "chat/room_window.h"
#include "common/wire_text.h"
#include "model/history_recorder.h"

namespace {

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
QByteArray Bytes(const QString& s) { return Bytes(ToWire(s)); }

QByteArray PrivateName(const PrivateWindow& window) { return Bytes(TrimControls(window.Title())); }

// A room window's title is the room without its "#", which the lines about
// it put in front; the history names the room as the server does.
QByteArray RoomName(const RoomWindow& room) { return '#' + Bytes(room.RoomOnWire()); }

}  // namespace

std::optional<QByteArray> HistoryNameOf(const QWidget* window)
{
    if (const auto* room = qobject_cast<const RoomWindow*>(window)) {
        const std::string name = room->RoomOnWire();
        if (name.empty() || name.find(' ') != std::string::npos) return std::nullopt;
        return RoomName(*room);
    }
    if (const auto* conversation = qobject_cast<const PrivateWindow*>(window)) {
        const QByteArray name = PrivateName(*conversation);
        if (!name.isEmpty()) return name;
    }
    return std::nullopt;
}

void KeepRoomLine(const RoomWindow& room, const std::string& nick, HistoryKind kind, const std::string& text)
{
    if (!HistoryRecorder::Current()) return;
    KeepHistoryLine(RoomName(room), Bytes(nick), kind, Bytes(text));
}

void KeepRoomLine(const RoomWindow& room, const QString& nick, HistoryKind kind, const QString& text)
{
    if (!HistoryRecorder::Current()) return;
    KeepHistoryLine(RoomName(room), Bytes(nick), kind, Bytes(text));
}

void KeepPrivateLine(const PrivateWindow& window, const QString& nick, HistoryKind kind, const QString& text)
{
    if (!HistoryRecorder::Current()) return;
    KeepHistoryLine(PrivateName(window), Bytes(nick), kind, Bytes(text));
}

void KeepPrivateLine(const PrivateWindow& window, const std::string& nick, HistoryKind kind, const std::string& text)
{
    if (!HistoryRecorder::Current()) return;
    KeepHistoryLine(PrivateName(window), Bytes(nick), kind, Bytes(text));
}
