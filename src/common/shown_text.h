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

// True for a character that sets the direction of the text around it: the
// embeddings and overrides U+202A-202E, the isolates U+2066-2069 and the
// marks U+200E, U+200F and U+061C.
bool IsBidiControl(char16_t u);

// text kept from setting the direction of what stands beside it: a closer
// (U+202C, U+2069) without its opener in text is dropped, and text that
// still holds a direction control is wrapped in one isolate (U+2068 ...
// U+2069), which also ends every embedding left open inside it. Text without
// any such control comes back as it is.
QString BidiContained(const QString& text);

// text without formatting codes, with every other unshowable character made
// a space, and its direction controls contained (BidiContained), so that it
// shows as one line of plain text, never as boxes, and never turns the
// program's own words around it.
QString ShownText(const QString& text);

// Received bytes, decoded as FromWire does, as ShownText: the one way server
// text reaches a place that shows plain text.
QString ShownWireText(const std::string& bytes);

// A nick or room name as ShownText showed it, in bytes to send back to the
// server: the isolate ShownText put around a name holding direction controls
// is not part of the name, so it is taken off again.
std::string NameOnWire(const QString& shownName);

// Entries for a plain-text log: each as ShownText, joined by line feeds, so
// that each shows as exactly one line.
QString ShownBlock(const QStringList& lines);
