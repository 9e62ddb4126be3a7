#include "events/event_router.h"

#include "chat/wire_text.h"
#include "events/membership_events.h"
#include "events/message_events.h"
#include "protocol/dispatch.h"
#include "shell/main_form.h"

void RouteLine(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line)
{
    (void)ownnick;
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
        frame.AppendLog(FromWire(line.rawline));
        break;
    default:
        // Lines whose handler does not exist yet are consumed without trace.
        break;
    }
}
