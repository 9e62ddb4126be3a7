#include "events/link_events.h"

#include "chat/chat_window.h"
#include "model/chat_frame.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "events/chat_session.h"
#include "model/network.h"
#include "model/room.h"

void HandlePong(ChatSession& session, const IrcMessage& line)
{
    session.Frame().TakeOwnPong(std::string(line.LastParam()));
}

void HandleServerError(ChatSession& session, const IrcMessage& line)
{
    session.Frame().ServerClosingLink(ShownWireText(std::string(line.LastParam())));
}

QString SendErrorNote(int code, const QString& about, const QString& serverText)
{
    switch (code) {
    case 401: return QStringLiteral("%1 is not on the server: your message was not delivered.").arg(about);
    case 404: return QStringLiteral("The room %1 does not take your messages: your message was not delivered.").arg(about);
    case 442: return QStringLiteral("You are not in the room %1.").arg(about);
    case 482: return QStringLiteral("You are not a host of the room %1.").arg(about);
    default: return serverText;
    }
}

void HandleSendError(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    const QString about = TrimControls(ShownWireText(std::string(line.Param(1))));
    const QString note = SendErrorNote(line.code, about, ShownWireText(std::string(line.LastParam())));
    if (about.startsWith(u'#')) {
        if (Room* room = session.Model().RoomTakingLines(about)) {
            ChatLine undelivered;
            undelivered.kind = ChatLineKind::Undelivered;
            undelivered.text = note;
            room->AppendLine(undelivered);
        } else {
            frame.AppendLog(note);
        }
        return;
    }
    ChatWindow* window = nullptr;
    for (QWidget* child : frame.PrivateWindowsNamed(about))
        if ((window = qobject_cast<ChatWindow*>(child))) break;
    if (!window) {
        frame.AppendLog(note);
        return;
    }
    session.JoinBatch(&window->Transcript());
    window->WriteSendNote(note);
}
