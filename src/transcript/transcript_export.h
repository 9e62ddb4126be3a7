#pragma once

#include "transcript/rtf_writer.h"
#include "transcript/time_stamps.h"

#include <QPointer>

#include <memory>
#include <optional>

class QTextDocument;
class TranscriptView;

// A transcript as it is shown (time stamps, looks, links, pictures, the
// mention highlight) in a rich-text document: what a rich copy carries.
// Positions from..to of the text; to < 0: to the end. Time stamps as the
// view shows them unless stamps says otherwise.
std::unique_ptr<QTextDocument> TranscriptDocument(const TranscriptView& view, int from = 0, int to = -1,
                                                  std::optional<TimeStampFormat> stamps = std::nullopt);

// Takes what Save Chat writes, a slice at a time, so that a long transcript
// is copied without holding up the window. The copy holds the text as it
// stood when the taker was made: lines that arrive later are left out, and
// so are lines the view drops from its start before the taker reached them.
class TranscriptSnapshotTaker {
public:
    explicit TranscriptSnapshotTaker(const TranscriptView& view);
    // Copies lines for about budgetMs milliseconds (at least one); true once
    // all is copied, or when the view is gone.
    bool CopySome(int budgetMs);
    RtfSnapshot Take() { return std::move(snapshot_); }

private:
    int FormatOf(int style, int link);
    int PictureFormatOf(int picture);

    QPointer<const TranscriptView> view_;
    TimeStampFormat timeStamps_;
    qint64 nextId_ = 0;  // the first line not yet copied
    qint64 endId_ = 0;   // the last line when the taker was made
    int endLength_ = 0;  // and its length then
    bool copiedAny_ = false;
    RtfSnapshot snapshot_;
    QHash<qint64, int> formats_;  // style and link (or picture) to format index
};

RtfSnapshot TakeTranscriptSnapshot(const TranscriptView& view);

// Writes the whole content as shown, pictures included, as RTF in one go.
// Throws std::runtime_error when the file cannot be written.
void SaveTranscriptRtf(const TranscriptView& view, const QString& path);
