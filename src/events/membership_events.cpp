#include "events/membership_events.h"
#include "chat/history_lines.h"
#include "chat/chat_colors.h"

#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "common/chat_frame.h"
#include "events/chat_session.h"
#include "events/message_events.h"
#include "events/room_lookup.h"

#include <QColor>
#include <QSet>

#include <optional>

using namespace chat_colors;

namespace {


// One status line at the end of the transcript, italic, in colour, bold only
// when the line names it.
void AppendStatus(ChatSession& session, RoomWindow& window, const QColor& colour, std::optional<bool> bold, const QString& text)
{
    TranscriptView& view = window.Transcript();
    session.JoinBatch(&view);
    MoveToAppendPosition(view);
    StartPlainLine(view);
    SetSelColor(view, colour);
    if (bold)
        SetSelBold(view, *bold);
    SetSelItalic(view, true);
    SetSelText(view, text);
    SetSelText(view, QStringLiteral("\n"));
    KeepRoomLine(window, QString(), HistoryKind::Event, text);
}

// The parameter text after the first ":"; for a line whose last parameter
// came without ":", the words from the wordIndex-th (0-based) on. As shown text.
QString TrailingText(const std::string& params, int wordIndex)
{
    const std::size_t colon = params.find(':');
    if (colon != std::string::npos)
        return ShownWireText(params.substr(colon + 1));
    std::size_t at = 0;
    for (int word = 0; word < wordIndex; ++word) {
        at = params.find(' ', at);
        if (at == std::string::npos)
            return QString();
        ++at;
    }
    return ShownWireText(params.substr(at));
}

// The word of params after its first space, with its trailing space.
std::string SecondWord(const std::string& params)
{
    const std::size_t first = params.find(' ');
    if (first == std::string::npos)
        return {};
    const std::size_t second = params.find(' ', first + 1);
    return params.substr(first + 1, second == std::string::npos ? std::string::npos : second - first);
}

// A user on the ignore list, as a plain nick or, for one ignored while a
// host, with "@" in front; or one ignored under a nick they have left since.
class IgnoreSnapshot {
public:
    explicit IgnoreSnapshot(const ChatSession& session) : session_(session)
    {
        const QStringList list = session.Frame().IgnoreList();
        entries_ = QSet<QString>(list.cbegin(), list.cend());
    }
    bool Holds(const QString& nick) const
    {
        return !entries_.isEmpty() &&
               (entries_.contains(nick) || entries_.contains(u'@' + nick) || session_.IgnoredUnderOldName(nick));
    }

private:
    const ChatSession& session_;
    QSet<QString> entries_;
};

}  // namespace

void UpdateOwnStatus(RoomWindow& window, const QString& entry, const QString& ownnick)
{
    if (entry == u'@' + ownnick)
        window.SetHostControlsEnabled(true);
    else if (entry == ownnick)
        window.SetHostControlsEnabled(false);
}

void HandleJoin(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    RoomWindow* window = FindRoomWindow(frame, line);
    if (!window)
        return;
    const QString nick = ShownWireText(line.nick);
    NickListView& list = window->NickList();
    if (!TrimControls(nick).isEmpty() && !FindNickEntryExact(list, nick) &&
        !FindNickEntryExact(list, u'@' + TrimControls(nick))) {
        const int icon = IgnoreSnapshot(session).Holds(nick) ? kIgnoredIcon : kNormalIcon;
        list.AddEntry(nick, icon, ShownWireText(line.host));
    }
    AppendStatus(session, *window, kGreen, std::nullopt, nick + QStringLiteral(" has joined the room"));
}

void HandlePart(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    const QString& ownnick = session.OwnNick();
    RoomWindow* window = FindRoomWindow(frame, line);
    const QString nick = ShownWireText(line.nick);
    // Leaving a room oneself is the window's own business.
    if (!window || nick == ownnick)
        return;
    window->NickList().RemoveEntry(FindNickEntryExact(window->NickList(), nick));
    AppendStatus(session, *window, kGrey, true, nick + QStringLiteral(" has left the room"));
}

void HandleQuit(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    const QString nick = ShownWireText(line.nick);
    const QString text = nick + QStringLiteral(" has lost connection. ") + ShownWireText(line.params);
    for (QWidget* child : frame.ChildWindows()) {
        if (auto* room = qobject_cast<RoomWindow*>(child)) {
            // Written only where the user was listed.
            QTreeWidgetItem* entry = FindNickEntryExact(room->NickList(), nick);
            if (!entry)
                continue;
            room->NickList().RemoveEntry(entry);
            AppendStatus(session, *room, kGrey, true, text);
        }
    }
    HandlePrivatePartnerQuit(session, line);
}

void HandleKick(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    RoomWindow* window = FindRoomWindow(frame, line);
    if (!window)
        return;
    const QString kicked = ShownWireText(SecondWord(line.params));
    const QString reason = TrailingText(line.params, 2);
    window->NickList().RemoveEntry(FindNickEntryExact(window->NickList(), TrimControls(kicked)));
    AppendStatus(session, *window, kRed, true,
                 ShownWireText(line.nick) + QStringLiteral(" has kicked the ") + kicked + QStringLiteral(" (") + reason +
                     u')');
}

void HandleMode(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    const QString& ownnick = session.OwnNick();
    RoomWindow* window = FindRoomWindow(frame, line);
    if (!window)
        return;
    const std::string& params = line.params;
    const std::string modeWord = SecondWord(params);
    std::string targetBytes;
    if (const std::size_t first = params.find(' '); first != std::string::npos && !modeWord.empty())
        targetBytes = params.substr(first + 1 + modeWord.size());
    // Servers put ":" before a last parameter; it is not part of the nick.
    if (!targetBytes.empty() && targetBytes.front() == ':')
        targetBytes.erase(0, 1);
    const QString nick = ShownWireText(line.nick);
    const QString target = ShownWireText(targetBytes);
    const QString bareTarget = TrimControls(target);
    const QString mode = TrimControls(FromWire(modeWord));

    TranscriptView& view = window->Transcript();
    session.JoinBatch(&view);
    MoveToAppendPosition(view);
    StartPlainLine(view);
    SetSelColor(view, kRed);
    SetSelBold(view, true);
    SetSelItalic(view, true);
    NickListView& list = window->NickList();
    QString said;
    if (mode == QLatin1String("+b")) {
        said = nick + QStringLiteral(" has banned ") + target + QStringLiteral(" in this room");
    } else if (mode == QLatin1String("-b")) {
        said = nick + QStringLiteral(" has removed ban from ") + target;
    } else if (mode == QLatin1String("+o")) {
        NickListView::SetIconNumber(FindNickEntryExact(list, bareTarget), kHostIcon);
        said = nick + QStringLiteral(" has made ") + target + QStringLiteral(" the operator");
        UpdateOwnStatus(*window, u'@' + bareTarget, ownnick);
    } else if (mode == QLatin1String("-o")) {
        NickListView::SetIconNumber(FindNickEntryExact(list, bareTarget), kNormalIcon);
        said = nick + QStringLiteral(" has made ") + target + QStringLiteral(" a normal user");
        UpdateOwnStatus(*window, bareTarget, ownnick);
    }
    SetSelText(view, said + QStringLiteral("\n"));
    if (!said.isEmpty()) KeepRoomLine(*window, QString(), HistoryKind::Event, said);
}

void HandleNames(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    const QString& ownnick = session.OwnNick();
    RoomWindow* window = FindRoomWindow(frame, line);
    if (!window)
        return;
    NickListView& list = window->NickList();
    const IgnoreSnapshot ignored(session);
    const QStringList names = TrailingText(line.params, 3).split(u' ', Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (name.startsWith(u'@')) {
            const QString bare = name.mid(1);
            if (bare.isEmpty())
                continue;
            list.RemoveEntry(FindNickEntryExact(list, bare));
            list.AddEntry(bare, ignored.Holds(bare) ? kIgnoredIcon : kHostIcon);
        } else if (!FindNickEntryExact(list, name) && !FindNickEntryExact(list, u'@' + TrimControls(name))) {
            list.AddEntry(name, ignored.Holds(name) ? kIgnoredIcon : kNormalIcon);
        }
        if (name == ownnick || name == u'@' + ownnick)
            UpdateOwnStatus(*window, name, ownnick);
    }
}

void HandleTopic(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    RoomWindow* window = FindRoomWindow(frame, line);
    if (!window)
        return;
    AppendStatus(session, *window, kGreen, true, QStringLiteral("Topic is \"") + TrailingText(line.params, 2) + u'"');
}

void HandleTopicChange(ChatSession& session, const IrcMessage& line)
{
    RoomWindow* window = FindRoomWindow(session.Frame(), line);
    if (!window)
        return;
    // In the look of the topic shown at joining, so the two read as one kind.
    QString topic = TrailingText(line.params, 1);
    if (topic.endsWith(u' '))
        topic.chop(1);  // the space the parser puts after the parameters
    const QString nick = ShownWireText(line.nick);
    AppendStatus(session, *window, kGreen, true,
                 topic.trimmed().isEmpty() ? nick + QStringLiteral(" removed the topic")
                                           : nick + QStringLiteral(" changed the topic to \"") + topic + u'"');
}
