#pragma once
// The lines of room and private windows handed to the history: which buffer
// a window is, and the one call each place that writes a line makes.
#include "model/history_store.h"

#include <QString>

#include <optional>
#include <string>

class QWidget;
class RoomWindow;
class PrivateWindow;

// The name a window's lines are kept under: the room as its bytes came from
// the server, the private partner's nick; none for another window or a room
// window that has no room yet.
std::optional<QByteArray> HistoryNameOf(const QWidget* window);

// A line shown in the room window, with its text and nick as bytes (the
// formatting bytes included).
void KeepRoomLine(const RoomWindow& room, const std::string& nick, HistoryKind kind, const std::string& text);
// The same for text the program has as shown text (the user's own lines,
// status lines).
void KeepRoomLine(const RoomWindow& room, const QString& nick, HistoryKind kind, const QString& text);
void KeepPrivateLine(const PrivateWindow& window, const QString& nick, HistoryKind kind, const QString& text);
void KeepPrivateLine(const PrivateWindow& window, const std::string& nick, HistoryKind kind, const std::string& text);
