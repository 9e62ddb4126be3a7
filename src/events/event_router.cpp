#include "events/event_router.h"

#include "chat/wire_text.h"
#include "protocol/dispatch.h"
#include "shell/main_form.h"

void RouteLine(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line)
{
    (void)ownnick;
    const Route route = DispatchRoute(line);
    switch (route.handler) {
    case Handler::Log:
        frame.AppendLog(FromWire(line.rawline));
        break;
    default:
        // Lines whose handler does not exist yet are consumed without trace.
        break;
    }
}
