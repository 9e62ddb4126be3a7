#pragma once
// Client-to-client requests in private messages and notices: answered (a few
// in a spell), logged in one line, never a window.
#include "protocol/irc/irc_message.h"

#include <QString>

class ChatSession;

// True when line's text is a client-to-client request or answer other than
// an action: it is answered and logged here, and shown nowhere else.
bool HandleCtcp(ChatSession& session, const IrcMessage& line);
// The log's line: "bob asked for VERSION", "bob answered VERSION: ...".
QString CtcpLogLine(const QString& nick, const QString& command, const QString& argument, bool answer);
