#pragma once
// Hands one decoded server line to the handler that the reader chose for it.
#include "protocol/irc/dispatch.h"
#include "protocol/irc/irc_message.h"

class ChatSession;

// UI thread, with the session of the connection the line came from and the
// route the reader gave the line.
void RouteLine(ChatSession& session, const IrcMessage& line, const LineRoute& route);
// The same for a line that did not come through the reader: its route is
// decided here.
void RouteLine(ChatSession& session, const IrcMessage& line);
