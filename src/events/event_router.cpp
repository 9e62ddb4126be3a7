#include "events/event_router.h"

#include "common/wire_text.h"
#include "events/membership_events.h"
#include "events/message_events.h"
#include "protocol/dispatch.h"
#include "common/chat_frame.h"
#include "events/chat_session.h"

void RouteLine(ChatSession& session, const ircmessageencoder& line)
{
    const Route route = DispatchRoute(line);
    switch (route.handler) {
    case Handler::HandleJoin: HandleJoin(session, line); break;
    case Handler::HandlePart: HandlePart(session, line); break;
    case Handler::HandleQuit: HandleQuit(session, line); break;
    case Handler::HandleKick: HandleKick(session, line); break;
    case Handler::HandleMode: HandleMode(session, line); break;
    case Handler::HandleNames: HandleNames(session, line); break;
    case Handler::HandleTopic: HandleTopic(session, line); break;
    case Handler::HandleMessage: HandleMessage(session, line); break;
    case Handler::HandleMemoServNotice: HandleMemoServNotice(session, line); break;
    case Handler::Log:
    // Replies whose windows (room list rows, totals, profiles, join refusals)
    // do not exist yet are at least shown in the server log.
    case Handler::HandleRoomListEntry:
    case Handler::HandleChannelCount:
    case Handler::HandleUserCount:
    case Handler::HandleWhoReply:
    case Handler::HandleLoginError:
    case Handler::HandleJoinError:
        session.Frame().AppendLog(FromWire(line.rawline));
        break;
    case Handler::HandleInvite:  // the invitation prompt does not exist yet
    case Handler::Pong:          // answered by the reader itself
    case Handler::Drop:
        break;
    }
}
