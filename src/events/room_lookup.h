#pragma once
// Which room window a server line concerns, and which nick-list entry a nick denotes.
#include "protocol/irc/irc_message.h"

#include <QString>

class QTreeWidgetItem;
class RoomWindow;
class ChatFrame;
class NickListView;

// The room a line names, as received (with its "#"), trimmed and without a
// leading ":"; empty for lines that name no room:
//   JOIN, PART, PRIVMSG, KICK, MODE: the first parameter;
//   474, 477, 485: from the first "#" of the parameters up to the first ":";
//   353, 332: from the first "#" of the parameters up to the next space.
QString RoomNameOf(const IrcMessage& line);

// The first room window, in the frame's order, whose "#" + title equals the
// room the line names, both trimmed and without regard to case; nullptr when
// there is none. Other kinds of child windows, and room windows without a
// title (they have left their room), are never returned.
RoomWindow* FindRoomWindow(ChatFrame& frame, const IrcMessage& line);
RoomWindow* FindRoomWindowByName(ChatFrame& frame, const QString& room);

// The first entry, in list order, whose nick begins with text, ignoring case
// (bob finds bobby when no bob comes before it).
QTreeWidgetItem* FindNickEntry(const NickListView& list, const QString& text);
// The first entry, in list order, whose whole nick equals text, ignoring case.
QTreeWidgetItem* FindNickEntryExact(const NickListView& list, const QString& text);
