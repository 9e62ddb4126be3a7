#pragma once

#include <QByteArray>

#include <atomic>

class QIODevice;
class QTextDocument;

// How far a write has come, and the wish to stop it, shared with the thread
// that shows the progress.
struct RtfProgress {
    std::atomic<int> blocksDone{0};
    std::atomic<bool> cancelled{false};
};

// Writes a whole transcript as RTF: a colour table, bold, italic, underline,
// strike-through, background colours, a fixed-pitch font, paragraphs, and
// pictures embedded as PNG. Every character that is not plain printable ASCII,
// and every RTF special character, is escaped, so any text comes back intact.
//
// RTF has no way to refer back to a picture already written: each place a
// picture is shown holds its data again. Each distinct picture is encoded
// once, though, and its encoded group copied to every place it stands.
QByteArray WriteRtf(const QTextDocument& document);

// The same, written to out in pieces as it goes (memory stays small however
// large the file). Touches nothing but document, out and progress, so it may
// run on a worker thread while nothing else uses document. False when
// progress was cancelled or a write to out failed.
bool WriteRtf(const QTextDocument& document, QIODevice& out, RtfProgress* progress = nullptr);
