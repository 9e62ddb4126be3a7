#pragma once

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QPointer>
#include <QTextCursor>
#include <QTextFormat>

#include <atomic>
#include <vector>

class QIODevice;
class QTextDocument;

// How far a write has come, and the wish to stop it, shared with the thread
// that shows the progress.
struct RtfProgress {
    std::atomic<int> runsDone{0};
    std::atomic<bool> cancelled{false};
};

// One run of text in one look, or one or more copies of a picture.
struct RtfRun {
    int format = -1;  // index into RtfSnapshot::formats; -1: an empty paragraph
    QString text;     // empty for a picture
    int length = 0;   // characters; for a picture, how many copies
    bool paragraphStart = false;  // the first run of a paragraph after the first
};

// What the writer needs of a document, copied out of it, so that a worker
// can write while the document goes on changing: much lighter to take than
// a copy of the document itself.
struct RtfSnapshot {
    QFont font;
    QList<QTextFormat> formats;
    QHash<int, QImage> pictures;  // by format index, each picture format once
    std::vector<RtfRun> runs;
};
RtfSnapshot TakeRtfSnapshot(const QTextDocument& document);

// Takes the snapshot a slice at a time, so that a long transcript is copied
// without holding up the window: between slices the event loop may run and
// lines go on arriving. The snapshot holds the text as it stood when the
// taker was made; lines that arrive later are left out, and so are lines the
// view drops from its start before the taker reached them.
class RtfSnapshotTaker {
public:
    explicit RtfSnapshotTaker(const QTextDocument& document);
    // Copies paragraphs for about budgetMs milliseconds; true once all is
    // copied, or when the document is gone.
    bool CopySome(int budgetMs);
    // The snapshot, once CopySome has returned true; the taker is spent.
    RtfSnapshot Take();

private:
    QPointer<const QTextDocument> document_;
    QTextCursor next_;  // the start of the first paragraph not yet copied
    QTextCursor end_;   // the end of the text when the taker was made
    RtfSnapshot snapshot_;
    bool copiedAny_ = false;
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
// The same from a snapshot (RtfSnapshotTaker, TakeRtfSnapshot).
QByteArray WriteRtf(const RtfSnapshot& snapshot);

// The same, written to out in pieces as it goes (memory stays small however
// large the file). Touches nothing but document, out and progress, so it may
// run on a worker thread while nothing else uses document. False when
// progress was cancelled or a write to out failed.
bool WriteRtf(const QTextDocument& document, QIODevice& out, RtfProgress* progress = nullptr);
// The same from a snapshot; touches nothing but snapshot, out and progress.
bool WriteRtf(const RtfSnapshot& snapshot, QIODevice& out, RtfProgress* progress = nullptr);
