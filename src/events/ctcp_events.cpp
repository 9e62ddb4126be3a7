#include "events/ctcp_events.h"

#include "model/chat_frame.h"
#include "model/line_writes.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "events/chat_session.h"
#include "protocol/irc/ctcp.h"
#include "protocol/irc/sent_lines.h"
#include "protocol/irc/text_util.h"

#include <QDateTime>

QString CtcpLogLine(const QString& nick, const QString& command, const QString& argument, bool answer)
{
    if (answer)
        return argument.isEmpty() ? QStringLiteral("%1 answered %2").arg(nick, command)
                                  : QStringLiteral("%1 answered %2: %3").arg(nick, command, argument);
    return QStringLiteral("%1 asked for %2").arg(nick, command);
}

bool HandleCtcp(ChatSession& session, const IrcMessage& line)
{
    // Most lines are plain chat: only a text that starts with the marker is looked at.
    if (!line.LastParam().starts_with('\x01')) return false;
    const std::string text(line.LastParam());
    const std::optional<CtcpRequest> request = ParseCtcp(text);
    if (!request || request->command.empty() || request->command == "ACTION") return false;
    ChatFrame& frame = session.Frame();
    const std::string nick = line.nick.starts_with(':') ? line.nick.substr(1) : line.nick;
    const QString shownNick = TrimControls(ShownWireText(nick));
    const QString command = ShownWireText(request->command);
    const bool answer = text::LowerAscii(line.command) == "notice";
    if (session.IsIgnored(shownNick)) return true;
    frame.AppendLog(CtcpLogLine(shownNick, command, ShownWireText(request->argument), answer));
    if (answer || nick.empty()) return true;
    CtcpFacts facts;
    facts.version = ToWire(frame.VersionText());
    facts.time = ToWire(QDateTime::currentDateTime().toString(Qt::RFC2822Date));
    const std::optional<std::string> reply = CtcpReplyText(*request, facts);
    // A flood of requests gets a few answers; the rest go unanswered, silently.
    if (!reply || !session.ctcpLimiter.Allow(std::chrono::steady_clock::now())) return true;
    SendOrLog(frame, {sent::CtcpReplyLine(nick, *reply)}, FromWire(nick));
    return true;
}
