#include "events/nick_events.h"
#include "chat/history_lines.h"
#include "chat/chat_colors.h"

#include "chat/private_window.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "model/network.h"
#include "model/room.h"
#include "model/chat_frame.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "events/chat_session.h"
#include "events/message_events.h"
#include "protocol/irc/text_util.h"

#include <QColor>

#include <optional>

using namespace chat_colors;

namespace {


// The new nick: the first parameter, without the ":" servers put before it.
QString NewNickOf(const IrcMessage& line)
{
    std::string param = text::Trim(line.params);
    if (!param.empty() && param.front() == ':') param.erase(0, 1);
    param = param.substr(0, param.find(' '));
    return TrimControls(ShownWireText(param));
}

void AppendRenameLine(ChatSession& session, TranscriptView& view, const QString& text)
{
    session.JoinBatch(&view);
    MoveToAppendPosition(view);
    StartPlainLine(view);
    StyledInsert(view, kGrey, false, true, text + u'\n');
}

// The member that stands for nick, bare or with the mark a list may show in
// front of it ("+" for a voiced user from another server's name list).
std::optional<QString> ListedAs(const Room& room, const QString& nick)
{
    for (const QString& mark : {QString(), QStringLiteral("@"), QStringLiteral("+")})
        if (room.HasMember(mark + nick)) return mark;
    return std::nullopt;
}

}  // namespace

void HandleNick(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    const QString oldNick = SenderName(line);
    const QString newNick = NewNickOf(line);
    if (oldNick.isEmpty() || newNick.isEmpty() || oldNick == newNick) return;
    const bool own = oldNick.compare(session.OwnNick(), Qt::CaseInsensitive) == 0;
    session.FollowRename(oldNick, newNick);
    const bool ignored = session.IsIgnored(newNick);

    const QString text = oldNick + QStringLiteral(" is now known as ") + newNick;
    for (Room* room : session.Model().Rooms()) {
        const std::optional<QString> mark = ListedAs(*room, oldNick);
        if (!mark) continue;  // said only where they are
        room->RenameMember(*mark + oldNick, *mark + newNick, ignored);
        ChatLine renamed;
        renamed.kind = ChatLineKind::Renamed;
        renamed.text = text;
        room->AppendLine(renamed);
    }
    const QList<QWidget*> children = frame.ChildWindows();
    // A private window follows its partner: its title is where its lines go.
    for (QWidget* child : frame.PrivateWindowsNamed(oldNick))
        if (auto* w = qobject_cast<PrivateWindow*>(child)) {
            AppendRenameLine(session, w->Transcript(), text);
            KeepPrivateLine(*w, QString(), HistoryKind::Event, text);
            if (!own) w->SetTitle(newNick);
        }

    if (!own) return;
    session.SetOwnNick(newNick);
    frame.FollowOwnRename(newNick);
    for (QWidget* child : children)
        if (auto* w = qobject_cast<PrivateWindow*>(child)) w->SetOwnNick(newNick);
}
