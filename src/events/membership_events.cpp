#include "events/membership_events.h"

#include "common/shown_text.h"
#include "common/wire_text.h"
#include "events/chat_session.h"
#include "events/message_events.h"
#include "events/room_lookup.h"
#include "model/chat_frame.h"
#include "model/network.h"
#include "model/room.h"

#include <QSet>

namespace {

// One status line at the end of the room's transcript.
void AppendStatus(Room& room, ChatLineKind kind, const QString& text)
{
    ChatLine line;
    line.kind = kind;
    line.text = text;
    room.AppendLine(line);
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

void UpdateOwnStatus(Room& room, const QString& entry, const QString& ownnick)
{
    if (entry == u'@' + ownnick)
        room.SetOwnHost(true);
    else if (entry == ownnick)
        room.SetOwnHost(false);
}

void HandleJoin(ChatSession& session, const IrcMessage& line)
{
    Room* room = RoomOfLine(session.Model(), line);
    if (!room)
        return;
    const QString nick = ShownWireText(line.nick);
    if (!TrimControls(nick).isEmpty() && !room->HasMember(nick) && !room->HasMember(u'@' + TrimControls(nick)))
        room->AddMember(RoomMember{nick, QString(), ShownWireText(line.host), IgnoreSnapshot(session).Holds(nick)});
    AppendStatus(*room, ChatLineKind::Joined, nick + QStringLiteral(" has joined the room"));
}

void HandlePart(ChatSession& session, const IrcMessage& line)
{
    Room* room = RoomOfLine(session.Model(), line);
    const QString nick = ShownWireText(line.nick);
    // Leaving a room oneself is the window's own business.
    if (!room || nick == session.OwnNick())
        return;
    room->RemoveMember(nick);
    AppendStatus(*room, ChatLineKind::Left, nick + QStringLiteral(" has left the room"));
}

void HandleQuit(ChatSession& session, const IrcMessage& line)
{
    const QString nick = ShownWireText(line.nick);
    const QString text = nick + QStringLiteral(" has lost connection. ") + ShownWireText(line.params);
    // Written only where the user was listed.
    for (Room* room : session.Model().UserQuit(nick)) AppendStatus(*room, ChatLineKind::Left, text);
    HandlePrivatePartnerQuit(session, line);
}

void HandleKick(ChatSession& session, const IrcMessage& line)
{
    Room* room = RoomOfLine(session.Model(), line);
    if (!room)
        return;
    const QString kicked = ShownWireText(SecondWord(line.params));
    const QString reason = TrailingText(line.params, 2);
    room->RemoveMember(TrimControls(kicked));
    AppendStatus(*room, ChatLineKind::Kicked,
                 ShownWireText(line.nick) + QStringLiteral(" has kicked the ") + kicked + QStringLiteral(" (") + reason +
                     u')');
}

void HandleMode(ChatSession& session, const IrcMessage& line)
{
    const QString& ownnick = session.OwnNick();
    Room* room = RoomOfLine(session.Model(), line);
    if (!room)
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

    QString said;
    if (mode == QLatin1String("+b")) {
        said = nick + QStringLiteral(" has banned ") + target + QStringLiteral(" in this room");
    } else if (mode == QLatin1String("-b")) {
        said = nick + QStringLiteral(" has removed ban from ") + target;
    } else if (mode == QLatin1String("+o")) {
        room->SetMemberMode(bareTarget, u'o', true);
        said = nick + QStringLiteral(" has made ") + target + QStringLiteral(" the operator");
        UpdateOwnStatus(*room, u'@' + bareTarget, ownnick);
    } else if (mode == QLatin1String("-o")) {
        room->SetMemberMode(bareTarget, u'o', false);
        said = nick + QStringLiteral(" has made ") + target + QStringLiteral(" a normal user");
        UpdateOwnStatus(*room, bareTarget, ownnick);
    }
    // Another mode leaves an empty line, as it always did.
    AppendStatus(*room, ChatLineKind::ModeChanged, said);
}

void HandleNames(ChatSession& session, const IrcMessage& line)
{
    const QString& ownnick = session.OwnNick();
    Room* room = RoomOfLine(session.Model(), line);
    if (!room)
        return;
    const IgnoreSnapshot ignored(session);
    const QStringList names = TrailingText(line.params, 3).split(u' ', Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (name.startsWith(u'@')) {
            const QString bare = name.mid(1);
            if (bare.isEmpty())
                continue;
            // An operator goes to the end of the list in the operator's look.
            room->RemoveMember(bare);
            room->AddMember(RoomMember{bare, QStringLiteral("o"), QString(), ignored.Holds(bare)});
        } else if (!room->HasMember(name) && !room->HasMember(u'@' + TrimControls(name))) {
            room->AddMember(RoomMember{name, QString(), QString(), ignored.Holds(name)});
        }
        if (name == ownnick || name == u'@' + ownnick)
            UpdateOwnStatus(*room, name, ownnick);
    }
}

void HandleTopic(ChatSession& session, const IrcMessage& line)
{
    Room* room = RoomOfLine(session.Model(), line);
    if (!room)
        return;
    AppendStatus(*room, ChatLineKind::Topic, QStringLiteral("Topic is \"") + TrailingText(line.params, 2) + u'"');
}

void HandleTopicChange(ChatSession& session, const IrcMessage& line)
{
    Room* room = RoomOfLine(session.Model(), line);
    if (!room)
        return;
    // In the look of the topic shown at joining, so the two read as one kind.
    QString topic = TrailingText(line.params, 1);
    if (topic.endsWith(u' '))
        topic.chop(1);  // the space the parser puts after the parameters
    const QString nick = ShownWireText(line.nick);
    AppendStatus(*room, ChatLineKind::Topic,
                 topic.trimmed().isEmpty() ? nick + QStringLiteral(" removed the topic")
                                           : nick + QStringLiteral(" changed the topic to \"") + topic + u'"');
}
