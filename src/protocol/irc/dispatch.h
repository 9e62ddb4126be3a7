#pragma once
// Which handler a parsed server line goes to: one pure decision, no side effects.
#include "protocol/irc/irc_message.h"

enum class Handler {
    HandleJoin,
    HandlePart,
    HandleQuit,
    HandleKick,
    HandleMode,
    HandleNames,
    HandleTopic,
    HandleTopicChange,
    HandleMessage,
    HandleMemoServNotice,
    HandleInvite,
    HandleNick,
    HandleRoomListEntry,
    HandleWhoReply,
    HandleChannelCount,
    HandleUserCount,
    HandleLoginError,
    HandleJoinError,
    HandleSendError,    // 401, 404, 442, 482: a line the user sent was refused
    HandleServerError,  // ERROR: the server closes the link, saying why
    HandlePong,         // an answer to a PING (the program's own, or none)
    Pong,  // keep-alive: the reader answers it itself
    Log,   // numeric that no handler takes: its raw line goes to the server log
    Drop,  // command that no handler takes: dropped without trace
};

// Where one line goes: its handler, and for a join error the reply's code.
struct LineRoute {
    Handler handler = Handler::Drop;
    int joinErrorCode = 0;  // 471, 473, 474, 475, 477 or 485 for HandleJoinError
    bool operator==(const LineRoute&) const = default;
};

LineRoute DispatchRoute(const IrcMessage& line);

// True when the line is a keep-alive request: its command is PING in any case,
// whatever tags or source come before it.
bool IsPing(const IrcMessage& line);
// The same for a line not decoded yet (a reply read while logging in).
bool IsPing(const std::string& line);

const char* HandlerName(Handler h);
