#pragma once
// What received chat lines do: room messages and actions, private messages,
// private notices, away replies and MemoServ notices.
#include "protocol/irc/irc_message.h"

#include <QString>

class PrivateWindow;
class ChatSession;

// PRIVMSG, NOTICE and the away reply 301. A room line goes to its open room
// window (a room NOTICE, or a room without a window, changes nothing);
// anything else goes to the partner's private window, made when missing.
// An inactive room window starts flashing; the private window comes to the
// front.
void HandleMessage(ChatSession& session, const IrcMessage& line);

// A NOTICE from MemoServ: shown in the server log, except the lines of a memo
// listing (from "listing memos for" to "end of list"), which are kept out.
// The listing state belongs to the session, so a listing cut off by a
// disconnect does not keep the next connection's notices out of the log.
void HandleMemoServNotice(ChatSession& session, const IrcMessage& line);

// The private window a private message, notice or away reply (301) goes to.
// An ignored sender gets one server-log line and no window. The partner is
// the sender, or for a 301 the away user named in the reply; the lookup
// ignores case and surrounding blanks. A missing window is made by the frame.
// The window comes to the front as the active child once the lines at hand
// are handled. Null when the line names no partner (the raw line then goes to
// the server log).
PrivateWindow* FindPrivateWindow(ChatSession& session, const IrcMessage& line);

// The private side of QUIT: every private window titled exactly with the
// quitting nick gets the partner-quit note and a read-only input line.
void HandlePrivatePartnerQuit(ChatSession& session, const IrcMessage& line);

// Pieces of a received chat line, shared with the invitation handler.
// The target: the first word of params (a room with its "#", or a nick).
QString MessageTarget(const IrcMessage& line);
// The text: the last parameter (after the first ":" that starts a word, or
// after the target when there is none), blanks trimmed from both ends;
// formatting and CTCP marker bytes at its ends are kept.
QString MessageText(const IrcMessage& line);
// The sender as shown: the nick field with surrounding blanks and, for a
// server prefix, its leading ":" removed.
QString SenderName(const IrcMessage& line);
