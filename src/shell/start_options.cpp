#include "shell/start_options.h"

#include "shell/product_info.h"
#include "common/prompts.h"
#include "common/server_address.h"

#include <QCommandLineParser>
#include <QUrl>

#include <cstdio>
#include <unistd.h>

namespace {

bool IsLinkScheme(const QString& scheme)
{
    return scheme.compare(QLatin1String("irc"), Qt::CaseInsensitive) == 0 ||
           scheme.compare(QLatin1String("ircs"), Qt::CaseInsensitive) == 0;
}

// The room a link names: irc://host/#room keeps it after "#" (where a URL's
// fragment starts), irc://host/room and irc://host/%23room in the path. A
// "," ends it (what follows are flags such as "needpass").
QString LinkRoom(const QUrl& url)
{
    QString room = url.hasFragment() ? url.fragment(QUrl::FullyDecoded) : url.path(QUrl::FullyDecoded);
    while (room.startsWith(u'/')) room.remove(0, 1);
    while (room.startsWith(u'#')) room.remove(0, 1);
    return room.section(u',', 0, 0);
}

bool Joinable(const QString& room)
{
    for (const QChar c : room)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || c == u'#' || c == u'/') return false;
    return true;
}

void Fail(QString* error, const QString& text)
{
    if (error) *error = text;
}

// Puts a link's server and room into options.
void TakeLink(const IrcLink& link, StartOptions& options)
{
    options.server = link.host;
    options.port = link.port;
    options.secure = link.secure;
    options.room = link.room;
}

// The options of Qt's application object and its window-system plugins,
// without their dashes: those that take a value, then the switches.
const char* const kWindowSystemOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry", "qwindowtitle",
    "title", "qwindowicon", "icon", "session", "display", "name", "style", "stylesheet"};
const char* const kWindowSystemSwitches[] = {"reverse", "testability", "widgetcount", "nograb", "dograb", "sync"};

// The name of an option written "-name", "--name" or "-name=value"; empty
// for anything else. valueGiven tells whether "=value" came with it.
QString OptionName(const QString& argument, bool& valueGiven)
{
    valueGiven = false;
    if (!argument.startsWith(u'-') || argument == QLatin1String("-") || argument == QLatin1String("--")) return {};
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    if (const qsizetype equals = name.indexOf(u'='); equals >= 0) {
        name.truncate(equals);
        valueGiven = true;
    }
    return name;
}

template <std::size_t N>
bool Names(const char* const (&names)[N], const QString& name)
{
    for (const char* known : names)
        if (name == QLatin1String(known)) return true;
    return false;
}

}  // namespace

QStringList ProgramArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        bool valueGiven = false;
        const QString name = i == 0 ? QString() : OptionName(argument, valueGiven);
        if (name == QLatin1String("qmljsdebugger") || Names(kWindowSystemSwitches, name)) continue;
        if (Names(kWindowSystemOptionsWithValue, name)) {
            if (!valueGiven) ++i;  // the value is the next argument
            continue;
        }
        arguments << argument;
    }
    return arguments;
}

bool OnTerminal() { return isatty(STDIN_FILENO) && isatty(STDERR_FILENO); }

bool RefusalWantsBox(const StartOptions& options, bool onTerminal) { return !options.error.isEmpty() && !onTerminal; }

void ShowRefusal(const StartOptions& options)
{
    prompts().Error(nullptr, options.error + QStringLiteral("\n\nSee talvessa --help for what the program reads."));
}

bool WindowSystemNamed()
{
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(variable)) return true;
    return false;
}

std::optional<IrcLink> ParseIrcLink(const QString& text, QString* error)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || !IsLinkScheme(url.scheme())) {
        Fail(error, QStringLiteral("'%1' is not an irc:// or ircs:// link.").arg(text));
        return std::nullopt;
    }
    IrcLink link;
    link.host = url.host(QUrl::FullyDecoded);
    if (link.host.isEmpty()) {
        Fail(error, QStringLiteral("The link '%1' names no server.").arg(text));
        return std::nullopt;
    }
    const int port = url.port(-1);  // a port past 65535 already made the link invalid
    if (port == 0) {
        Fail(error, QStringLiteral("The link '%1' names no usable port.").arg(text));
        return std::nullopt;
    }
    link.port = port < 0 ? 0 : port;
    link.secure = url.scheme().compare(QLatin1String("ircs"), Qt::CaseInsensitive) == 0;
    link.room = LinkRoom(url);
    if (!Joinable(link.room)) {
        Fail(error, QStringLiteral("The link '%1' names no room that can be joined.").arg(text));
        return std::nullopt;
    }
    return link;
}

QString ServerBoxText(const StartOptions& options)
{
    const QString port = options.port > 0 ? u':' + QString::number(options.port) : QString();
    // A link's IPv6 host comes without its brackets; before a port it needs them back.
    const QString host = HostForAddress(options.server);
    if (options.secure) return QStringLiteral("ircs://") + host + port;
    return host + port;
}

QString VersionLine()
{
    return product::kName + u' ' + product::kVersionNumber;
}

StartOptions ParseStartOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Talvessa, an IRC chat client."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the program's name and version, and starts nothing."));
    parser.addOption(version);
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("Selects <host> in the server box at start, or types it in. "
                                                   "An irc:// or ircs:// link works here too."),
                                    QStringLiteral("host"));
    parser.addOption(server);
    const QCommandLineOption resetLayout(QStringLiteral("reset-layout"),
                                         QStringLiteral("Forgets the main window's remembered place and size and "
                                                        "the last server, and starts as the first time."));
    parser.addOption(resetLayout);
    parser.addPositionalArgument(QStringLiteral("link"),
                                 QStringLiteral("An irc://host/#room or ircs://host:port/#room link: selects "
                                                "the server, and joins the room after you log in."),
                                 QStringLiteral("[link]"));

    StartOptions options;
    // Read before any application object exists, the parser does not know
    // the program's name: the usage line takes it from the arguments.
    options.helpText = parser.helpText().replace(QLatin1String("<executable_name>"),
                                                 arguments.value(0, QStringLiteral("talvessa")));
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    options.helpWanted = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    options.versionWanted = parser.isSet(version);
    options.resetLayout = parser.isSet(resetLayout);

    const QStringList positional = parser.positionalArguments();
    for (const QString& argument : positional) {
        const bool looksLikeLink = argument.contains(QLatin1String("://"));
        if (positional.size() > 1 || !looksLikeLink) {
            options.error = QStringLiteral("Unexpected argument '%1'.").arg(argument);
            return options;
        }
    }
    QString linkText = positional.value(0);
    if (parser.isSet(server)) {
        const QString value = parser.value(server);
        if (value.trimmed().isEmpty()) {
            options.error = QStringLiteral("--server needs a host name.");
            return options;
        }
        if (!linkText.isEmpty()) {
            options.error = QStringLiteral("Give either --server or a link, not both.");
            return options;
        }
        if (value.contains(QLatin1String("://")))
            linkText = value;
        else if (const QString refusal = ParseServerAddress(value, false, 1).error; !refusal.isEmpty()) {
            options.error = QStringLiteral("--server: ") + refusal;
            return options;
        } else
            options.server = value;
    }
    if (!linkText.isEmpty()) {
        const std::optional<IrcLink> link = ParseIrcLink(linkText, &options.error);
        if (link) TakeLink(*link, options);
    }
    return options;
}

std::optional<int> ReadStartOptions(const QStringList& arguments, StartOptions& options)
{
    options = ParseStartOptions(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(options.error), qPrintable(options.helpText));
        return 2;
    }
    if (options.helpWanted) {
        std::fputs(qPrintable(options.helpText), stdout);
        return 0;
    }
    if (options.versionWanted) {
        std::printf("%s\n", qPrintable(VersionLine()));
        return 0;
    }
    return std::nullopt;
}
