#pragma once
// What the command line asks of the program at start: the server to put in
// the server box, or only a help text or an error.
#include <QString>
#include <QStringList>

#include <optional>

// The program's command line, read.
struct StartOptions {
    QString server;      // --server HOST: selected or typed into the server box; empty: the box as usual
    bool helpWanted = false;
    QString error;       // not empty: the command line could not be read
    QString helpText;    // the usage text, for --help and after an error
};

// Reads the arguments (the program name first, as QCoreApplication::arguments() gives them).
StartOptions ParseStartOptions(const QStringList& arguments);

// Reads the arguments into options. When the program should not start (help
// asked for, or an unreadable command line) it prints what it has to say and
// gives the exit code; otherwise nothing.
std::optional<int> ReadStartOptions(const QStringList& arguments, StartOptions& options);
