#pragma once
// A transcript read back as a rich-text document, for tests that look at
// the looks of its characters.
#include "transcript/transcript_export.h"
#include "transcript/transcript_view.h"

#include <QPoint>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

// The whole transcript without time stamps: positions in the document are
// the view's text positions.
inline std::unique_ptr<QTextDocument> TranscriptText(const TranscriptView& view)
{
    return TranscriptDocument(view, 0, -1, TimeStampFormat::Off);
}

// The look of the character just before position (as a text cursor there has it).
inline QTextCharFormat TranscriptFormatAt(const TranscriptView& view, int position)
{
    const std::unique_ptr<QTextDocument> text = TranscriptText(view);
    QTextCursor at(text.get());
    at.setPosition(position);
    return at.charFormat();
}

// The point in the viewport at the middle of the character at position.
inline QPoint PointOf(const TranscriptView& view, int position)
{
    for (const auto& row : view.Scroller().Shown()) {
        const int start = view.Store().StartOf(row.line);
        if (position < start || position > start + view.Store().LengthOf(row.line))
            continue;
        QPoint at(TranscriptScroller::kMargin, row.y + 4);
        // Step right until the position under the point is the one wanted.
        while (at.x() < view.viewport()->width() && view.Scroller().PositionAt(at) <= position)
            at.rx() += 1;
        return at - QPoint(3, 0);
    }
    return QPoint(-1, -1);
}
