#include "events/message_events.h"
#include "chat/chat_colors.h"

#include "chat/private_window.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "chat/input_bar.h"
#include "chat/history_lines.h"
#include "common/link_spans.h"
#include "common/strip_formatting.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "model/chat_frame.h"
#include "events/chat_session.h"
#include "events/ctcp_events.h"
#include "events/room_lookup.h"
#include "model/network.h"
#include "model/room.h"
#include "protocol/irc/text_util.h"


#include <string_view>

using namespace chat_colors;

namespace {


// Bytes that carry meaning in chat text: the CTCP marker and the formatting bytes.
bool IsFormattingByte(unsigned char c)
{
    switch (c) {
    case 0x01: case 0x02: case 0x03: case 0x0F: case 0x11: case 0x16: case 0x1D: case 0x1E: case 0x1F:
        return true;
    default:
        return false;
    }
}

bool IsBlankByte(unsigned char c) { return c <= 32 && !IsFormattingByte(c); }

std::string TrimBlankBytes(std::string_view s)
{
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsBlankByte(static_cast<unsigned char>(s[begin]))) ++begin;
    while (end > begin && IsBlankByte(static_cast<unsigned char>(s[end - 1]))) --end;
    return std::string(s.substr(begin, end - begin));
}

// The n-th (0-based) space-separated word of s; empty when there is none.
std::string Word(const std::string& s, int n)
{
    std::size_t start = 0;
    for (int i = 0; i < n; ++i) {
        const std::size_t space = s.find(' ', start);
        if (space == std::string::npos) return {};
        start = space + 1;
    }
    return s.substr(start, s.find(' ', start) - start);
}

bool IsActionText(const QString& text)
{
    return text.size() >= 7 && text.left(7).compare(QStringLiteral("\x01" "action"), Qt::CaseInsensitive) == 0;
}

// What an action does ("waves"), without the markers around it.
QString ActionOf(const QString& text)
{
    QString action = text.mid(7);
    // A closing marker from another client is not part of what is shown.
    if (action.endsWith(QChar(0x01))) action.chop(1);
    return action.trimmed();
}

bool IsAwayReply(const IrcMessage& line) { return line.kind == "code" && line.code == 301; }

// The chat text of a line as its bytes: after the first ":" that starts a
// parameter, or the words after the target; blanks at either end trimmed.
std::string MessageBytes(const IrcMessage& line)
{
    const std::string& params = line.params;
    std::size_t colon = std::string::npos;
    for (std::size_t i = 0; i < params.size(); ++i)
        if (params[i] == ':' && (i == 0 || params[i - 1] == ' ')) {
            colon = i;
            break;
        }
    std::string text;
    if (colon != std::string::npos) {
        text = params.substr(colon + 1);
    } else {
        const std::size_t space = params.find(' ');
        text = space == std::string::npos ? std::string() : params.substr(space + 1);
    }
    return TrimBlankBytes(text);
}

// The sender's nick as it came, for the history.
std::string SenderBytes(const IrcMessage& line)
{
    return !line.nick.empty() && line.nick.front() == ':' ? line.nick.substr(1) : line.nick;
}

// The partner a private line concerns: the away user for a 301, else the sender.
QString PartnerName(const IrcMessage& line)
{
    if (IsAwayReply(line)) return TrimControls(ShownWireText(Word(line.params, 1)));
    return SenderName(line);
}

// A chat text as a desktop notification shows it: without formatting bytes.
QString StrippedForNotice(const QString& text) { return ShownText(StripFormatting(text)); }

void ShowRoomMessage(ChatSession& session, const IrcMessage& line)
{
    Room* room = RoomOfLine(session.Model(), line);
    if (!room) return;
    ChatLine shown;
    shown.sender = SenderName(line);
    shown.keptSender = SenderBytes(line);
    const QString text = MessageText(line);
    std::string kept = MessageBytes(line);
    if (IsActionText(text)) {
        shown.kind = ChatLineKind::Action;
        shown.text = ActionOf(text);
        // Kept without the markers around what was done.
        kept.erase(0, 7);
        if (!kept.empty() && kept.back() == '\x01') kept.pop_back();
        if (!kept.empty() && kept.front() == ' ') kept.erase(0, 1);
    } else {
        shown.text = text;
    }
    shown.keptText = kept;
    const ChatFrame& frame = session.Frame();
    shown.mention = NamesNick(text, frame.CurrentNick()) && !frame.IsIgnored(shown.sender);
    room->AppendLine(shown);
}

void ShowPrivateLine(ChatSession& session, const IrcMessage& line)
{
    PrivateWindow* w = FindPrivateWindow(session, line);
    if (!w) return;
    IncomingKind kind = IncomingKind::Message;
    if (IsAwayReply(line))
        kind = IncomingKind::AwayReply;
    else if (text::LowerAscii(line.command) == "notice")
        kind = IncomingKind::Notice;
    session.JoinBatch(&w->Transcript());
    const QString text = MessageText(line);
    if (kind == IncomingKind::Message && IsActionText(text)) {
        w->AppendIncomingAction(SenderName(line), ShownText(ActionOf(text)));
        w->StartAttention();
        session.BringToFrontSoon(w);
        return;
    }
    w->AppendIncomingLine(SenderName(line), text, kind);
    KeepPrivateLine(*w, SenderBytes(line), kind == IncomingKind::Message ? HistoryKind::Message : HistoryKind::Notice,
                    MessageBytes(line));
    if (kind == IncomingKind::Message)
        session.Frame().NoteMention(w, SenderName(line), StrippedForNotice(text));
    w->StartAttention();
    session.BringToFrontSoon(w);
}

}  // namespace

QString MessageTarget(const IrcMessage& line)
{
    return FromWire(text::Trim(Word(line.params, 0)));
}

QString MessageText(const IrcMessage& line) { return FromWire(MessageBytes(line)); }

QString SenderName(const IrcMessage& line)
{
    QString name = TrimControls(ShownWireText(line.nick));
    if (name.startsWith(u':')) name = TrimControls(name.mid(1));
    return name;
}

PrivateWindow* FindPrivateWindow(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    if (session.IsIgnored(SenderName(line))) {
        frame.AppendLog(FromWire(line.nick) + QStringLiteral(" (Ignored): ") + FromWire(line.params));
        return nullptr;
    }
    const QString partner = PartnerName(line);
    if (partner.isEmpty()) {
        // No one to talk to: a window without a title would be nobody's.
        frame.AppendLog(FromWire(line.rawline));
        return nullptr;
    }
    for (QWidget* child : frame.PrivateWindowsNamed(partner)) {
        auto* w = qobject_cast<PrivateWindow*>(child);
        if (w && TrimControls(w->Title()).compare(partner, Qt::CaseInsensitive) == 0) {
            w->ApplyDefaultSize();
            session.BringToFrontSoon(w);
            return w;
        }
    }
    // The connection has ended and the user closed this partner's window
    // while its last lines were still arriving: they go with the window.
    if (session.Ending() && session.HadPrivateWindow(partner)) return nullptr;
    frame.SetPendingPrivateNick(partner);
    auto* made = qobject_cast<PrivateWindow*>(frame.OpenPrivateWindowRequest());
    if (!made) return nullptr;
    session.NotePrivateWindow(partner);
    made->ApplyDefaultSize();
    session.BringToFrontSoon(made);
    return made;
}

void HandleMessage(ChatSession& session, const IrcMessage& line)
{
    if (!IsAwayReply(line) && HandleCtcp(session, line)) return;
    if (MessageTarget(line).startsWith(u'#'))
        ShowRoomMessage(session, line);
    else
        ShowPrivateLine(session, line);
}

void HandleMemoServNotice(ChatSession& session, const IrcMessage& line)
{
    const QString text = FromWire(text::From(line.params, static_cast<long long>(text::Pos(':', line.params)) + 1));
    const QString lower = text.toLower();
    if (lower.contains(QStringLiteral("end of list"))) {
        session.memolisting = false;
        return;
    }
    if (lower.contains(QStringLiteral("listing memos for"))) {
        session.memolisting = true;
        return;
    }
    if (!session.memolisting) session.Frame().AppendLog(text);
}

void HandlePrivatePartnerQuit(ChatSession& session, const IrcMessage& line)
{
    const QString nick = ShownWireText(line.nick);
    for (QWidget* child : session.Frame().PrivateWindowsNamed(nick))
        if (auto* w = qobject_cast<PrivateWindow*>(child); w && w->Title() == nick) {
            session.JoinBatch(&w->Transcript());
            w->PartnerQuit(nick, ShownWireText(line.params));
        }
}
