#pragma once

#include "transcript/line_text.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

// The lines of one transcript, kept compactly: per line its time, its kind
// and its styled runs packed into one block (LineText). Text positions count
// as in a plain text of the lines joined by line breaks (a picture is one
// character); the last line is open and takes the next inserts.
class LineStore {
public:
    enum class Kind : std::uint8_t {
        Chat,         // a line written by the program
        DroppedNote,  // says that older lines were dropped
        EarlierMark,  // separates lines paged in from the history
    };

    // A store keeps its last kKeptLines lines: older ones go in blocks of
    // kDropBlock, and the first line then says so.
    static constexpr int kKeptLines = 100000;
    static constexpr int kDropBlock = 5000;
    static const QString kDroppedNote;
    static const QString kEarlierMark;

    LineStore();

    int Count() const { return int(lines_.size()) + 1; }  // the open line counts
    int Length() const { return int(openStart_ - Base()) + int(open_.text.size()); }

    // Names a line for as long as its text stays the same length: its
    // place in the text since the store was made.
    qint64 IdOf(int line) const { return line >= int(lines_.size()) ? openStart_ : lines_[std::max(line, 0)].start; }
    int StartOf(int line) const;
    int LengthOf(int line) const;
    int LineAt(int position) const;  // the line that holds position (clamped)
    qint64 TimeOf(int line) const;
    Kind KindOf(int line) const;
    bool Mentioned(int line) const;
    void SetMentioned(int line);
    LineText TextOf(int line) const;
    QString PlainTextOf(int line) const;
    QString PlainText() const;

    // Inserts text at position (clamped); "\n" starts a new line. Returns
    // the position after the inserted text.
    int Insert(int position, const QString& text, StyleId style, const QString& link);
    int InsertPicture(int position, PictureId picture, StyleId style);
    // The time the next line gets, instead of the moment it starts (the
    // server's own time of a line); negative: the moment.
    void SetNextLineTime(qint64 msecsSinceEpoch) { nextTime_ = msecsSinceEpoch; }

    // Drops the oldest lines beyond the cap; returns how many positions the
    // text lost at its start (0 when nothing went).
    int DropOldLines();
    // Puts the finished lines of older, oldest first, at the start (after
    // the dropped note), with an "earlier" separator below them unless one
    // is there already; older is left empty. Returns how many positions the
    // text gained at its start.
    int PrependOlder(LineStore& older);

    // Empties the store.
    void Clear();
    // The first line whose id is id or later (Count() when none).
    int IndexOfId(qint64 id) const;

    // Changes every time a line other than the open one changes.
    quint64 Generation() const { return generation_; }

private:
    struct Line {
        qint64 start = 0;  // since the store was made; earlier lines may be negative
        qint64 time = 0;
        PackedLine packed;
        std::uint32_t length = 0;
        Kind kind = Kind::Chat;
        bool mentioned = false;
    };

    qint64 Base() const { return lines_.empty() ? openStart_ : lines_.front().start; }
    int InsertInto(int position, std::vector<LineText> pieces);
    void CloseOpenLine();
    void TouchOpenTime();
    void PushNote(std::deque<Line>& into, const QString& text, Kind kind, qint64 start) const;
    void Renumber(std::size_t from);

    std::deque<Line> lines_;
    LineText open_;
    qint64 openStart_ = 0;
    qint64 openTime_ = -1;
    qint64 nextTime_ = -1;
    bool openMentioned_ = false;
    quint64 generation_ = 0;
};
