#include "chat/typed_commands.h"

#include <array>

namespace {

// How one command takes its arguments: `least` to `most` words, and when
// `restIsText` the last one is everything after the words before it.
struct CommandForm {
    const char* name;
    int least;
    int most;
    bool restIsText;
    const char* usage;
    const char* summary;
};

constexpr std::array<CommandForm, 19> kCommands{{
    {"me", 1, 1, true, "/me ACTION", "sends an action, as the Action menu does"},
    {"join", 1, 2, false, "/join #room[,#room2] [key]", "joins rooms, or brings their windows to the front"},
    {"part", 0, 1, true, "/part [reason]", "leaves this room"},
    {"msg", 2, 2, true, "/msg NICK TEXT", "sends a private message"},
    {"query", 1, 2, true, "/query NICK [TEXT]", "opens a private window"},
    {"nick", 1, 1, false, "/nick NEW", "changes your nick"},
    {"topic", 0, 1, true, "/topic [TEXT]", "asks for or sets this room's topic"},
    {"away", 0, 1, true, "/away [TEXT]", "marks you away"},
    {"back", 0, 0, false, "/back", "marks you back"},
    {"whois", 1, 1, false, "/whois NICK", "shows the user's information"},
    {"invite", 1, 2, false, "/invite NICK [#room]", "invites a user to this room or to #room"},
    {"kick", 1, 2, true, "/kick NICK [reason]", "kicks a user out of this room"},
    {"op", 1, 1, false, "/op NICK", "makes a user a host of this room"},
    {"deop", 1, 1, false, "/deop NICK", "takes host rights away"},
    {"ignore", 1, 1, false, "/ignore NICK", "adds a nick to your ignore list"},
    {"unignore", 1, 1, false, "/unignore NICK", "takes a nick off your ignore list"},
    {"quote", 1, 1, true, "/quote RAW", "sends a line to the server as typed"},
    {"clear", 0, 0, false, "/clear", "empties this transcript"},
    {"help", 0, 1, false, "/help [command]", "lists the commands"},
}};

const CommandForm* FindForm(const QString& name)
{
    for (const CommandForm& form : kCommands)
        if (name == QLatin1String(form.name))
            return &form;
    return nullptr;
}

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

qsizetype SkipBlanks(const QString& s, qsizetype pos)
{
    while (pos < s.size() && IsBlank(s.at(pos))) ++pos;
    return pos;
}

qsizetype WordEnd(const QString& s, qsizetype pos)
{
    while (pos < s.size() && !IsBlank(s.at(pos))) ++pos;
    return pos;
}

TypedLine UsageNote(const CommandForm& form)
{
    TypedLine line;
    line.kind = TypedLine::Kind::Usage;
    line.name = QLatin1String(form.name);
    line.note = QStringLiteral("Usage: ") + QLatin1String(form.usage);
    return line;
}

}  // namespace

TypedLine ParseTypedLine(const QString& typed)
{
    TypedLine line;
    if (!typed.startsWith(u'/')) {
        line.text = typed;
        return line;
    }
    if (typed.startsWith(QStringLiteral("//"))) {
        line.text = typed.mid(1);
        return line;
    }
    const qsizetype nameEnd = WordEnd(typed, 1);
    const QString name = typed.mid(1, nameEnd - 1).toLower();
    const CommandForm* form = FindForm(name);
    if (!form) {
        line.kind = TypedLine::Kind::Usage;
        line.name = name;
        line.note = QStringLiteral("Unknown command \"/%1\": type /help for the list of commands").arg(name);
        return line;
    }
    QStringList args;
    qsizetype pos = SkipBlanks(typed, nameEnd);
    while (pos < typed.size()) {
        if (form->restIsText && args.size() == form->most - 1) {
            // Free text keeps its inner spaces; blanks at its end are dropped.
            qsizetype end = typed.size();
            while (end > pos && IsBlank(typed.at(end - 1))) --end;
            args << typed.mid(pos, end - pos);
            break;
        }
        const qsizetype end = WordEnd(typed, pos);
        args << typed.mid(pos, end - pos);
        pos = SkipBlanks(typed, end);
    }
    if (args.size() < form->least || args.size() > form->most)
        return UsageNote(*form);
    line.kind = TypedLine::Kind::Command;
    line.name = name;
    line.args = args;
    return line;
}

QStringList CommandNames()
{
    QStringList names;
    for (const CommandForm& form : kCommands)
        names << QLatin1String(form.name);
    return names;
}

QString CommandUsage(const QString& name)
{
    const CommandForm* form = FindForm(name);
    return form ? QLatin1String(form->usage) : QString();
}

QString CommandSummary(const QString& name)
{
    const CommandForm* form = FindForm(name);
    return form ? QLatin1String(form->summary) : QString();
}
