#pragma once
// Hands one parsed server line to the handler that its code or command names.
#include "protocol/irc/irc_message.h"

class ChatSession;

// UI thread, with the session of the connection the line came from.
void RouteLine(ChatSession& session, const IrcMessage& line);
