#pragma once
// The text forms the history database needs: the searchable text of a line,
// a search as typed made into a safe full-text query, folded names.
#include <QByteArray>
#include <QString>

// A line's bytes as the words a search looks through: decoded as received
// text is, formatting codes removed. The full-text index holds exactly this
// text for every line, so it must never change for lines already written.
QString HistoryPlainText(const QByteArray& lineBytes);
// The same text as UTF-8, as the index takes it: byte for byte equal to
// HistoryPlainText(lineBytes).toUtf8(), found without decoding for the
// usual line, which is ASCII.
QByteArray HistoryPlainUtf8(const QByteArray& lineBytes);

// A search as the user typed it made into a full-text query that cannot fail
// to parse: every word and every "quoted phrase" must appear (in any order),
// a word ending in * matches every word that starts with it, and nothing else
// (operators, brackets, column names) has a meaning. Empty when the text has
// nothing to look for.
QString HistoryMatchExpression(const QString& typed);

// A buffer as the history's windows name it, fit to show: "#room (network)",
// "server log (network)".
struct HistoryBuffer;
QString HistoryBufferTitle(const HistoryBuffer& buffer);

// A name with its ASCII letters in lower case, so that "#Room" and "#room"
// are one buffer and "Bob" finds "bob".
QByteArray HistoryFoldedName(const QByteArray& name);
