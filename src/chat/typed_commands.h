#pragma once

#include <QString>
#include <QStringList>

// What a line typed into a room or private input line is: a message to send,
// a command with its arguments, or a command typed wrong (with the note that
// tells how it is written). Knows nothing of windows or the wire.
struct TypedLine {
    enum class Kind { Message, Command, Usage };
    Kind kind = Kind::Message;
    QString text;      // Message: the text to send ("//x" sends "/x")
    QString name;      // Command: the command word in lower case, without "/"
    QStringList args;  // Command: its arguments; the last one may hold spaces
    QString note;      // Usage: one line for the transcript
};

// A line that starts with "/" is a command; "//" starts a message that begins
// with "/". Arguments are the words after the command word; a command whose
// last argument is free text (a reason, a message) keeps that text as typed,
// formatting bytes included.
TypedLine ParseTypedLine(const QString& typed);

// Every command word, in the order the help lists them.
QStringList CommandNames();
// How the command is written ("/kick NICK [reason]"); empty for an unknown one.
QString CommandUsage(const QString& name);
// What the command does, in a few words.
QString CommandSummary(const QString& name);
