#pragma once
// What a nick change does to the windows: ":old!user@host NICK :new".
#include "protocol/irc/irc_message.h"

class ChatSession;

// UI thread. The user old now goes by new: every room window that lists old
// lists new in its place (same mark, same icon, at its sorted place) and says
// so; a private window with old keeps its title and says so too (lines from
// new open a window of their own). When old is the user's own nick, the
// session's and the frame's nick become new. An ignored user stays ignored.
void HandleNick(ChatSession& session, const IrcMessage& line);
