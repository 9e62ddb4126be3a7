#include "transcript/transcript_selection.h"

#include "transcript/line_store.h"

#include <QTextBoundaryFinder>

void TranscriptSelection::Select(int anchor, int cursor)
{
    const int length = store_.Length();
    anchor_ = std::clamp(anchor, 0, length);
    cursor_ = std::clamp(cursor, 0, length);
}

void TranscriptSelection::SelectWord(int position)
{
    const int line = store_.LineAt(position);
    const int start = store_.StartOf(line);
    const QString text = store_.PlainTextOf(line);
    const int offset = std::clamp(position - start, 0, int(text.size()));
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(offset);
    const int from = words.isAtBoundary() ? offset : int(words.toPreviousBoundary());
    words.setPosition(offset);
    const int to = int(words.toNextBoundary());
    Select(start + std::max(from, 0), start + (to < 0 ? int(text.size()) : to));
}

QString TranscriptSelection::Text() const
{
    const int from = Start();
    const int to = End();
    if (from >= to)
        return QString();
    QString text;
    const int last = store_.LineAt(to);
    for (int line = store_.LineAt(from); line <= last; ++line) {
        const int start = store_.StartOf(line);
        if (line != store_.LineAt(from))
            text += u'\n';
        text += store_.PlainTextOf(line).mid(std::max(from - start, 0), to - std::max(from, start));
    }
    return text;
}

void TranscriptSelection::SetMatch(int start, int length)
{
    matchStart_ = std::max(start, 0);
    matchLength_ = std::max(length, 0);
}

void TranscriptSelection::Shift(int by)
{
    for (int* position : {&anchor_, &cursor_, &matchStart_})
        *position = std::max(0, *position + by);
}

void TranscriptSelection::Clear()
{
    anchor_ = cursor_ = matchStart_ = matchLength_ = 0;
}
