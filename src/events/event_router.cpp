#include "events/event_router.h"

#include "common/wire_text.h"
#include "events/membership_events.h"
#include "events/message_events.h"
#include "protocol/dispatch.h"
#include "shell/main_form.h"

void RouteLine(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line)
{
    const Route route = DispatchRoute(line);
    switch (route.handler) {
    case Handler::HandleJoin: HandleJoin(frame, ownnick, line); break;
    case Handler::HandlePart: HandlePart(frame, ownnick, line); break;
    case Handler::HandleQuit: HandleQuit(frame, ownnick, line); break;
    case Handler::HandleKick: HandleKick(frame, ownnick, line); break;
    case Handler::HandleMode: HandleMode(frame, ownnick, line); break;
    case Handler::HandleNames: HandleNames(frame, ownnick, line); break;
    case Handler::HandleTopic: HandleTopic(frame, ownnick, line); break;
    case Handler::HandleMessage: HandleMessage(frame, line); break;
    case Handler::HandleMemoServNotice: HandleMemoServNotice(frame, line); break;
    case Handler::Log:
    // Replies whose windows (room list rows, totals, profiles, join refusals)
    // do not exist yet are at least shown in the server log.
    case Handler::HandleRoomListEntry:
    case Handler::HandleChannelCount:
    case Handler::HandleUserCount:
    case Handler::HandleWhoReply:
    case Handler::HandleLoginError:
    case Handler::HandleJoinError:
        frame.AppendLog(FromWire(line.rawline));
        break;
    case Handler::HandleInvite:  // the invitation prompt does not exist yet
    case Handler::Pong:          // answered by the reader itself
    case Handler::Drop:
        break;
    }
}
