#pragma once
// Server text made fit to be shown: whatever a server sends stays on the line
// it is written to, in a transcript, a log, a title, a list or a label.
#include <QString>
#include <QStringList>

#include <string>

// True for a character that must not reach a view as it is: a control
// character (C0, DEL or C1; the formatting codes among them are the
// renderer's business) or a character that would start a new line (the line
// and paragraph separators U+2028 and U+2029, and the text view's frame
// markers U+FDD0 and U+FDD1). Where server text is shown, each becomes a space.
bool IsUnshowable(char16_t u);

// text without formatting codes, and with every other unshowable character
// made a space, so that it shows as one line of plain text and never as boxes.
QString ShownText(const QString& text);

// Received bytes, decoded as FromWire does, as ShownText: the one way server
// text reaches a place that shows plain text.
QString ShownWireText(const std::string& bytes);

// Entries for a plain-text log: each as ShownText, joined by line feeds, so
// that each shows as exactly one line.
QString ShownBlock(const QStringList& lines);
