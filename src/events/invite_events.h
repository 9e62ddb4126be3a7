#pragma once
// What a received INVITE does: a prompt, or a log line for an ignored inviter.
#include "protocol/irc/irc_message.h"

#include <QString>

class ChatSession;

// INVITE. An ignored inviter (IsIgnored) gets one server-log line, the
// sender, " (Ignored): " and the line's parameters, and nothing else.
// Otherwise the frame is told of the invitation (inviter and the room as the
// line gives it) and shows a prompt once this handler has returned. A line
// that names no inviter or no room a join could go to (nothing left once
// every "#" is gone, or a comma or control character in it) opens no prompt:
// the raw line goes to the server log.
void HandleInvite(ChatSession& session, const IrcMessage& line);

// The room an INVITE's text names: its first word, as the line gives it
// ("#" included); empty when no join could go there.
QString InvitedChannel(const QString& text);
