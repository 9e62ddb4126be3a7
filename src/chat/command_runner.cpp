#include "chat/command_runner.h"

#include "chat/chat_window.h"
#include "chat/ignore_nick.h"
#include "chat/input_bar.h"
#include "chat/private_window.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "chat/typed_commands.h"
#include "model/chat_frame.h"
#include "common/line_sender.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"

namespace {

QString Bare(const QString& room) { return room.startsWith(u'#') ? room.mid(1) : room; }

void RunJoin(const CommandPlace& place, const TypedLine& line)
{
    const QString key = line.args.value(1);
    for (const QString& room : line.args.at(0).split(u',', Qt::SkipEmptyParts)) {
        const QString name = Bare(room);
        if (name.isEmpty())
            continue;
        place.frame->JoinRoom(name, key);
    }
}

// The private window for nick, found or made as the nick list's Whisper does;
// text, when there is any, is sent from it.
void RunPrivate(const CommandPlace& place, const QString& nick, const QString& text)
{
    QWidget* found = place.frame->OpenPrivateWindowFromUser(nick);
    if (text.isEmpty())
        return;
    if (auto* partner = qobject_cast<PrivateWindow*>(found))
        partner->SendMessage(text);
    else
        SendCommandLines(place, sent::PrivateMessageLines(ToWire(nick), ToWire(text)), nick, [view = place.view, nick, text] {
            WriteCommandNote(*view, QStringLiteral("Sent to %1: %2").arg(nick, text));
        });
}

void RunAway(const CommandPlace& place, const TypedLine& line, bool away)
{
    try {
        if (away)
            place.frame->SetAway(line.args.value(0));
        else
            place.frame->SetBack();
    } catch (const TransportError&) {
        WriteCommandNote(*place.view, kNotConnectedNote);
    }
}

void RunInvite(const CommandPlace& place, const TypedLine& line)
{
    const std::string room = line.args.size() > 1 ? ToWire(Bare(line.args.at(1))) : place.room;
    if (room.empty()) {
        WriteCommandNote(*place.view, QStringLiteral("Usage: ") + CommandUsage(line.name));
        return;
    }
    SendCommandLines(place, {sent::InviteLine(ToWire(line.args.at(0)), room)});
}

// Help answers the user: it is written in the note colour, not as an error.
void WriteHelpNote(TranscriptView& view, const QString& note)
{
    MoveToAppendPosition(view);
    WriteInfoNote(view, note);
    view.ScrollCaretIntoView();
}

void RunHelp(const CommandPlace& place, const TypedLine& line)
{
    const QString asked = line.args.value(0).toLower();
    const QString name = asked.startsWith(u'/') ? asked.mid(1) : asked;
    if (!name.isEmpty()) {
        if (CommandUsage(name).isEmpty())
            WriteCommandNote(*place.view, QStringLiteral("Unknown command \"/%1\": type /help for the list of commands").arg(name));
        else
            WriteHelpNote(*place.view, CommandUsage(name) + QStringLiteral(": ") + CommandSummary(name));
        return;
    }
    TranscriptView::Batch batch(*place.view);
    WriteHelpNote(*place.view, QStringLiteral("Commands (a line starting with // is sent as a message):"));
    for (const QString& each : CommandNames())
        WriteHelpNote(*place.view, CommandUsage(each) + QStringLiteral(": ") + CommandSummary(each));
}

}  // namespace

void RunTypedLine(InputBar& input, TranscriptView& view, const std::function<void(const TypedLine&)>& runCommand,
                  const std::function<bool(const QString&)>& send, const std::function<bool()>& maySend)
{
    const QString typed = input.Text();
    const TypedLine parsed = ParseTypedLine(typed);
    if (parsed.kind == TypedLine::Kind::Usage) {
        WriteCommandNote(view, parsed.note);
        return;
    }
    if (parsed.kind == TypedLine::Kind::Command) {
        input.Clear();
        MoveToAppendPosition(view);
        runCommand(parsed);
        return;
    }
    if (maySend && !maySend())
        return;
    if (typed.trimmed().isEmpty())
        return;
    input.SetText(parsed.text);
    if (!send(input.ApplyStylesToInput())) {
        input.SetText(typed);
        return;
    }
    input.Clear();
    input.FocusLine();
}

void WriteCommandNote(TranscriptView& view, const QString& note)
{
    MoveToAppendPosition(view);
    WriteSystemNote(view, note);
    view.ScrollCaretIntoView();
}

bool SendCommandLines(const CommandPlace& place, const std::vector<std::string>& lines, const QString& target,
                      std::function<void()> onSent)
{
    for (const std::string& line : lines)
        if (!LineConnection::Sendable(line)) {
            WriteCommandNote(*place.view, kUnsendableNote);
            return false;
        }
    LineSender* sender = place.frame ? &place.frame->Sender() : nullptr;
    if (auto* window = qobject_cast<ChatWindow*>(place.window); window && !sender) sender = window->Sender();
    const LineSender::Outcome outcome =
        sender ? sender->Send(lines, target, LineSender::Pace::Paced, place.window, std::move(onSent))
               : LineSender::Outcome{false, kNotConnectedNote};
    if (!outcome.accepted) WriteCommandNote(*place.view, outcome.refusal);
    return outcome.accepted;
}

bool RunCommonCommand(const CommandPlace& place, const TypedLine& line)
{
    const QString& name = line.name;
    if (name == QLatin1String("help")) {
        RunHelp(place, line);
        return true;
    }
    if (name == QLatin1String("clear")) {
        place.view->clear();
        return true;
    }
    const bool known = QStringList{"join", "msg", "query", "nick", "away", "back", "whois", "invite",
                                   "ignore", "unignore", "quote"}
                           .contains(name);
    if (!known)
        return false;
    if (!place.frame) {
        WriteCommandNote(*place.view, kNotConnectedNote);
        return true;
    }
    if (name == QLatin1String("join"))
        RunJoin(place, line);
    else if (name == QLatin1String("msg") || name == QLatin1String("query"))
        RunPrivate(place, line.args.at(0), line.args.value(1));
    else if (name == QLatin1String("nick"))
        SendCommandLines(place, {sent::NickLine(ToWire(line.args.at(0)))});
    else if (name == QLatin1String("away") || name == QLatin1String("back"))
        RunAway(place, line, name == QLatin1String("away"));
    else if (name == QLatin1String("whois"))
        place.frame->OpenUserProfile(line.args.at(0), place.window);
    else if (name == QLatin1String("invite"))
        RunInvite(place, line);
    else if (name == QLatin1String("ignore"))
        IgnoreNick(*place.frame, line.args.at(0), false, place.window);
    else if (name == QLatin1String("unignore"))
        UnignoreNick(*place.frame, line.args.at(0), place.window);
    else if (name == QLatin1String("quote"))
        SendCommandLines(place, {ToWire(line.args.at(0))});
    return true;
}
