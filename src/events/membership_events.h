#pragma once
// What room membership lines do to the rooms: joins, parts, quits,
// kicks, operator and ban modes, name lists and topics.
#include "protocol/irc/irc_message.h"

#include <QString>

class Room;
class ChatSession;

// Each handler runs on the UI thread with one parsed line and the session
// of the connection it came from (which knows the user's nick). A line for a room the
// network does not show changes nothing.
void HandleJoin(ChatSession& session, const IrcMessage& line);
void HandlePart(ChatSession& session, const IrcMessage& line);
void HandleQuit(ChatSession& session, const IrcMessage& line);
void HandleKick(ChatSession& session, const IrcMessage& line);
void HandleMode(ChatSession& session, const IrcMessage& line);
void HandleNames(ChatSession& session, const IrcMessage& line);   // 353
void HandleTopic(ChatSession& session, const IrcMessage& line);   // 332
// TOPIC: someone (the user too: the server echoes a /topic) set the topic.
void HandleTopicChange(ChatSession& session, const IrcMessage& line);

// The user's own host status in room, from a name-list text: "@" + own nick
// makes the user a host there, the bare own nick a normal member, anything
// else changes nothing. Comparisons are exact.
void UpdateOwnStatus(Room& room, const QString& entry, const QString& ownnick);
