#pragma once

#include "transcript/line_store.h"
#include "transcript/time_stamps.h"

#include <QFont>
#include <QHash>
#include <QTextLayout>

#include <memory>
#include <utility>
#include <vector>

class QPainter;

// The laid-out lines of one transcript at one width: each line is laid out
// with QTextLayout only when it is asked for (when it is shown, or measured
// near the shown part), and kept for the next paint until the width, the
// font, the time stamps or the line itself change.
class LineLayouts {
public:
    // One laid-out line: its time stamp (prefix characters) and text, the
    // pictures drawn over the spaces that stand for them.
    struct Laid {
        QTextLayout layout;
        int prefix = 0;
        int height = 0;
        std::vector<std::pair<int, PictureId>> pictures;  // layout position, picture
        std::vector<int> lineTops;                        // extra room above each visual line
    };

    // What to mark in a line while drawing it: selection and find match,
    // as offsets into the line's text (start < end, else none).
    struct Marks {
        int selectionStart = 0, selectionEnd = 0;
        int matchStart = 0, matchEnd = 0;
        bool selectionPastEnd = false;  // the line break is selected too
    };

    explicit LineLayouts(const LineStore& store) : store_(store) {}

    void SetWidth(int width);
    void SetFont(const QFont& font);
    void SetTimeStamps(TimeStampFormat format);
    TimeStampFormat TimeStamps() const { return timeStamps_; }
    void Clear() { cache_.clear(); }

    const Laid& Layout(int line);
    int Height(int line) { return Layout(line).height; }
    // The offset into the line's text nearest to point (relative to the
    // line's top left); the time stamp counts as the line's start.
    int OffsetAt(int line, QPointF point);
    // The offset of the character under point; -1 when none is there.
    int CharacterAt(int line, QPointF point);
    // Where offset stands, relative to the line's top left.
    QRectF CursorRect(int line, int offset);

    void Draw(QPainter& painter, int line, QPointF at, const Marks& marks, const QPalette& palette);

private:
    std::unique_ptr<Laid> Make(int line) const;

    const LineStore& store_;
    QHash<QPair<qint64, int>, std::shared_ptr<Laid>> cache_;
    quint64 generation_ = 0;
    int width_ = 100;
    QFont font_;
    TimeStampFormat timeStamps_ = TimeStampFormat::Minutes;
};
