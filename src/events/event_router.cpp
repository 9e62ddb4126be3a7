#include "events/event_router.h"

#include "common/wire_text.h"
#include "events/invite_events.h"
#include "events/link_events.h"
#include "events/membership_events.h"
#include "events/message_events.h"
#include "events/nick_events.h"
#include "events/server_replies.h"
#include "protocol/irc/dispatch.h"
#include "model/chat_frame.h"
#include "events/chat_session.h"

void RouteLine(ChatSession& session, const IrcMessage& line, const LineRoute& route)
{
    switch (route.handler) {
    case Handler::HandleJoin: HandleJoin(session, line); break;
    case Handler::HandlePart: HandlePart(session, line); break;
    case Handler::HandleQuit: HandleQuit(session, line); break;
    case Handler::HandleKick: HandleKick(session, line); break;
    case Handler::HandleMode: HandleMode(session, line); break;
    case Handler::HandleNames: HandleNames(session, line); break;
    case Handler::HandleTopic: HandleTopic(session, line); break;
    case Handler::HandleTopicChange: HandleTopicChange(session, line); break;
    case Handler::HandleMessage: HandleMessage(session, line); break;
    case Handler::HandleMemoServNotice: HandleMemoServNotice(session, line); break;
    case Handler::HandleInvite: HandleInvite(session, line); break;
    case Handler::HandleNick: HandleNick(session, line); break;
    case Handler::HandleRoomListEntry: HandleRoomListEntry(session, line); break;
    case Handler::HandleChannelCount: HandleChannelCount(session, line); break;
    case Handler::HandleUserCount: HandleUserCount(session, line); break;
    case Handler::HandleWhoReply: HandleWhoReply(session, line); break;
    case Handler::HandleLoginError: HandleLoginError(session, line); break;
    case Handler::HandleJoinError: HandleJoinError(session, line, route.joinErrorCode); break;
    case Handler::HandleSendError: HandleSendError(session, line); break;
    case Handler::HandleServerError: HandleServerError(session, line); break;
    case Handler::HandlePong: HandlePong(session, line); break;
    case Handler::Log:
        session.Frame().AppendLog(FromWire(line.rawline));
        break;
    case Handler::Pong:          // answered by the reader itself
    case Handler::Drop:
        break;
    }
}

void RouteLine(ChatSession& session, const IrcMessage& line) { RouteLine(session, line, DispatchRoute(line)); }
