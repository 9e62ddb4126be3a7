#include "protocol/irc/dispatch.h"

#include "protocol/irc/text_util.h"

bool IsPing(const IrcMessage& line)
{
    const std::string_view verb = line.Verb();
    return verb.size() == 4 && text::LowerAscii(verb) == "ping";
}

bool IsPing(const std::string& line)
{
    IrcMessage decoded;
    return decoded.Decode(line) && IsPing(decoded);
}

LineRoute DispatchRoute(const IrcMessage& line)
{
    // Before the numerics: a PING is answered whatever its parameters look like.
    if (IsPing(line)) return {Handler::Pong};
    if (line.kind == "code") {
        switch (line.code) {
        case 254: return {Handler::HandleChannelCount};
        case 255: return {Handler::HandleUserCount};
        case 301: return {Handler::HandleMessage};
        case 322: return {Handler::HandleRoomListEntry};
        case 332: return {Handler::HandleTopic};
        case 352: return {Handler::HandleWhoReply};
        case 353: return {Handler::HandleNames};
        // Once logged in, a nick in use answers a nick change the user typed:
        // the connection stays, and the log shows the server's words.
        case 464: return {Handler::HandleLoginError};
        case 401:
        case 404:
        case 442:
        case 482: return {Handler::HandleSendError};
        case 471:  // full
        case 473:  // invitation only
        case 474:
        case 475:  // wrong key
        case 477:
        case 485: return {Handler::HandleJoinError, line.code};
        default: return {Handler::Log};
        }
    }

    const std::string command = text::LowerAscii(line.command);
    if (command == "join") return {Handler::HandleJoin};
    if (command == "privmsg") return {Handler::HandleMessage};
    if (command == "notice")
        return {text::LowerAscii(line.nick) == "memoserv" ? Handler::HandleMemoServNotice : Handler::HandleMessage};
    if (command == "part") return {Handler::HandlePart};
    if (command == "quit") return {Handler::HandleQuit};
    if (command == "kick") return {Handler::HandleKick};
    if (command == "mode") return {Handler::HandleMode};
    if (command == "topic") return {Handler::HandleTopicChange};
    if (command == "invite") return {Handler::HandleInvite};
    if (command == "nick") return {Handler::HandleNick};
    // These two come without a source as often as with one.
    const std::string_view verb = line.Verb();
    if (verb.size() == 4 && text::LowerAscii(verb) == "pong") return {Handler::HandlePong};
    if (verb.size() == 5 && text::LowerAscii(verb) == "error") return {Handler::HandleServerError};
    return {Handler::Drop};
}

const char* HandlerName(Handler h)
{
    switch (h) {
    case Handler::HandleJoin: return "HandleJoin";
    case Handler::HandlePart: return "HandlePart";
    case Handler::HandleQuit: return "HandleQuit";
    case Handler::HandleKick: return "HandleKick";
    case Handler::HandleMode: return "HandleMode";
    case Handler::HandleNames: return "HandleNames";
    case Handler::HandleTopic: return "HandleTopic";
    case Handler::HandleTopicChange: return "HandleTopicChange";
    case Handler::HandleMessage: return "HandleMessage";
    case Handler::HandleMemoServNotice: return "HandleMemoServNotice";
    case Handler::HandleInvite: return "HandleInvite";
    case Handler::HandleNick: return "HandleNick";
    case Handler::HandleRoomListEntry: return "HandleRoomListEntry";
    case Handler::HandleWhoReply: return "HandleWhoReply";
    case Handler::HandleChannelCount: return "HandleChannelCount";
    case Handler::HandleUserCount: return "HandleUserCount";
    case Handler::HandleLoginError: return "HandleLoginError";
    case Handler::HandleJoinError: return "HandleJoinError";
    case Handler::HandleSendError: return "HandleSendError";
    case Handler::HandleServerError: return "HandleServerError";
    case Handler::HandlePong: return "HandlePong";
    case Handler::Pong: return "pong";
    case Handler::Log: return "log";
    case Handler::Drop: return "drop";
    }
    return "drop";
}
