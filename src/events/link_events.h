#pragma once
// What the server's word on the link does: the answer to the program's own
// PING, the reason of an ERROR, and the refusals of a line the user sent.
#include "protocol/irc/irc_message.h"

#include <QString>

class ChatSession;

// PONG: the answer to the program's own PING is taken by the frame and never
// shown; any other goes nowhere either.
void HandlePong(ChatSession& session, const IrcMessage& line);
// ERROR: the server closes the link; its reason goes to the log now and to
// every window's note of the ending.
void HandleServerError(ChatSession& session, const IrcMessage& line);
// 401, 404, 442, 482: a note in the window the refused line came from (the
// private window of the nick, the room's window), else a line in the log.
void HandleSendError(ChatSession& session, const IrcMessage& line);
// The note for a refusal: "robert is not on the server: your message was not
// delivered."
QString SendErrorNote(int code, const QString& about, const QString& serverText);
