#pragma once
// What numeric server replies do: room list rows, the server's totals, WHO
// replies, login refusals after the login, and refused joins.
#include "common/user_profile.h"
#include "protocol/irc/irc_message.h"

class ChatSession;

// 322: one row of the room list.
void HandleRoomListEntry(ChatSession& session, const IrcMessage& line);
// 254: the number of rooms on the network.
void HandleChannelCount(ChatSession& session, const IrcMessage& line);
// 255: the number of users on the server, from its ":I have N clients" text;
// a reply in other words leaves the total as it was.
void HandleUserCount(ChatSession& session, const IrcMessage& line);
// 352: two "messagestring =" log lines, and the user's profile when the last
// WHO was asked for one.
void HandleWhoReply(ChatSession& session, const IrcMessage& line);
// 433, 464 after the login: the connection is closed.
void HandleLoginError(ChatSession& session, const IrcMessage& line);
// 474, 477, 485: a red note in the window of the room that refused the join.
void HandleJoinError(ChatSession& session, const IrcMessage& line, int code);

// The fields of a WHO reply by word position: after the own nick come the
// room, the user name, host, server, nick and flags, then ":" with the hop
// count and the full name. Missing words give empty fields.
UserProfile ParseWhoReply(const std::string& params);
