#include "events/nick_events.h"
#include "chat/history_lines.h"
#include "chat/chat_colors.h"

#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/private_window.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "common/chat_frame.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "events/chat_session.h"
#include "events/message_events.h"
#include "protocol/irc/text_util.h"

#include <QColor>

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

// The entry that stands for nick, bare or with the mark a list may show in
// front of it ("@" for an operator, "+" for a voiced user); its mark goes to mark.
QTreeWidgetItem* FindMember(const NickListView& list, const QString& nick, QString& mark)
{
    for (const QString& candidate : {QString(), QStringLiteral("@"), QStringLiteral("+")}) {
        if (QTreeWidgetItem* entry = list.FindExact(candidate + nick)) {
            mark = candidate;
            return entry;
        }
    }
    return nullptr;
}

// Takes entry out and puts newText in at its sorted place, with the same
// icon (or the ignored one) and host, still selected if it was.
void RenameEntry(NickListView& list, QTreeWidgetItem* entry, const QString& newText, bool ignored)
{
    const int icon = ignored ? kIgnoredIcon : NickListView::IconNumber(entry);
    const QString host = NickListView::Host(entry);
    const bool selected = entry->isSelected();
    const bool current = list.currentItem() == entry;
    list.RemoveEntry(entry);
    QTreeWidgetItem* renamed = list.AddEntry(newText, icon, host);
    if (current) list.setCurrentItem(renamed);
    renamed->setSelected(selected);
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
    const QList<QWidget*> children = frame.ChildWindows();
    for (QWidget* child : children) {
        auto* room = qobject_cast<RoomWindow*>(child);
        if (!room) continue;
        QString mark;
        QTreeWidgetItem* entry = FindMember(room->NickList(), oldNick, mark);
        if (!entry) continue;  // said only where they are
        RenameEntry(room->NickList(), entry, mark + newNick, ignored);
        AppendRenameLine(session, room->Transcript(), text);
        KeepRoomLine(*room, QString(), HistoryKind::Event, text);
    }
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
