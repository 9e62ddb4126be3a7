#pragma once
// Which room a server line concerns.
#include "protocol/irc/irc_message.h"

#include <QString>

class Network;
class Room;

// The room a line names, as received (with its "#"), trimmed and without a
// leading ":"; empty for lines that name no room:
//   JOIN, PART, PRIVMSG, KICK, MODE: the first parameter;
//   474, 477, 485: from the first "#" of the parameters up to the first ":";
//   353, 332: from the first "#" of the parameters up to the next space.
QString RoomNameOf(const IrcMessage& line);

// The room the line names: see Network::RoomOfLine.
Room* RoomOfLine(Network& network, const IrcMessage& line);
