#include "shell/start_options.h"

#include "common/server_address.h"

#include <QCommandLineParser>

#include <cstdio>

StartOptions ParseStartOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Talvessa, an IRC chat client."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("Selects <host> in the server box at start, or types it in."),
                                    QStringLiteral("host"));
    parser.addOption(server);

    StartOptions options;
    options.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return options;
    }
    options.helpWanted = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    if (parser.isSet(server)) {
        options.server = parser.value(server);
        if (options.server.trimmed().isEmpty())
            options.error = QStringLiteral("--server needs a host name.");
        else if (const QString refusal = ParseServerAddress(options.server, false, 1).error; !refusal.isEmpty())
            options.error = QStringLiteral("--server: ") + refusal;
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
    return std::nullopt;
}
