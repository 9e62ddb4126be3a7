#include "events/invite_events.h"

#include "model/chat_frame.h"
#include "common/wire_text.h"
#include "events/chat_session.h"
#include "events/message_events.h"

#include <algorithm>

namespace {

// A character that ends a join's room list or its line: the room would be
// another than the one shown.
bool BreaksJoin(QChar c) { return c == u',' || c.unicode() < 0x20 || c.unicode() == 0x7F; }

}  // namespace

QString InvitedChannel(const QString& text)
{
    const QString channel = text.section(u' ', 0, 0, QString::SectionSkipEmpty);
    QString room = channel;
    room.remove(u'#');
    if (room.isEmpty() || std::any_of(room.cbegin(), room.cend(), BreaksJoin)) return {};
    return channel;
}

void HandleInvite(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    const QString inviter = SenderName(line);
    if (session.IsIgnored(inviter)) {
        frame.AppendLog(FromWire(line.nick) + QStringLiteral(" (Ignored): ") + FromWire(line.params));
        return;
    }
    const QString channel = InvitedChannel(MessageText(line));
    if (inviter.isEmpty() || channel.isEmpty()) {
        frame.AppendLog(FromWire(line.rawline));
        return;
    }
    frame.InvitationNotification(inviter, channel);
}
