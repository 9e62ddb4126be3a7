#pragma once
// What the command line asks of the program at start: the server to put in
// the server box and a room to join after login, the remembered layout to
// forget, or only a help text, the version or an error.
#include <QString>
#include <QStringList>

#include <optional>

// The program's command line, read.
struct StartOptions {
    QString server;      // --server HOST or a link's host: selected or typed into the server box; empty: the box as usual
    QString room;        // from an irc:// or ircs:// link: joined after the next login to server (without "#"); empty: none
    int port = 0;        // from a link: the port it names; 0: it names none
    bool secure = false; // from a link: it asks for an encrypted connection (ircs://)
    bool resetLayout = false;  // --reset-layout: the remembered frame place and server are forgotten
    bool helpWanted = false;
    bool versionWanted = false;
    QString error;       // not empty: the command line could not be read
    QString helpText;    // the usage text, for --help and after an error
};

// A link as a web browser hands it over: irc://host[:port][/[#]room] or ircs://...
struct IrcLink {
    QString host;
    int port = 0;        // 0: none given
    bool secure = false; // ircs://
    QString room;        // without "#"; empty: the link names no room
};

// Reads text as an irc:// or ircs:// link. Anything else, a link without a
// host, with a port out of range or with a room name that cannot be joined
// gives none and, when error is given, says why there.
std::optional<IrcLink> ParseIrcLink(const QString& text, QString* error = nullptr);

// Reads the arguments (the program name first, as QCoreApplication::arguments() gives them).
StartOptions ParseStartOptions(const QStringList& arguments);

// What the server box shows for options: the host alone, or with the port
// and ircs:// when a link named them (the box reads that form too).
QString ServerBoxText(const StartOptions& options);

// The line --version prints: the program's name and version.
QString VersionLine();

// The arguments main() was given, read before any application object exists:
// the options the application object takes for itself (-platform, -style,
// -display and the like) are left out, as it leaves them out of its own list.
QStringList ProgramArguments(int argc, char** argv);

// True when a person sees what the program prints: its input and its error
// output are a terminal. A link clicked in a browser or a menu entry has none.
bool OnTerminal();

// True when the command line was refused and no terminal shows the error
// output (a link clicked in a browser): the refusal goes into a box as well.
bool RefusalWantsBox(const StartOptions& options, bool onTerminal);
// Shows why the command line was refused in an error box (through the
// prompts); needs the application object.
void ShowRefusal(const StartOptions& options);
// True when a window system is named in the environment: the application
// object can start and show a box.
bool WindowSystemNamed();

// Reads the arguments into options. When the program should not start (help
// or the version asked for, or an unreadable command line) it prints what it
// has to say and gives the exit code; otherwise nothing.
std::optional<int> ReadStartOptions(const QStringList& arguments, StartOptions& options);
