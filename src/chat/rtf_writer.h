#pragma once

#include <QByteArray>

class QTextDocument;

// Writes a whole transcript as RTF: a colour table, bold, italic, underline,
// strike-through, background colours, a fixed-pitch font, paragraphs, and
// pictures embedded as PNG. Every character that is not plain printable ASCII,
// and every RTF special character, is escaped, so any text comes back intact.
QByteArray WriteRtf(const QTextDocument& document);
