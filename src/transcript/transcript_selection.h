#pragma once

#include <QString>

#include <algorithm>

class LineStore;
class QMimeData;

// The user's selection in a transcript and the find bar's match, as text
// positions; both move with the text when lines go from its start or older
// lines come before it.
class TranscriptSelection {
public:
    explicit TranscriptSelection(const LineStore& store) : store_(store) {}

    int Start() const { return std::min(anchor_, cursor_); }
    int End() const { return std::max(anchor_, cursor_); }
    int Cursor() const { return cursor_; }
    bool IsEmpty() const { return anchor_ == cursor_; }
    void Select(int anchor, int cursor);
    void MoveCursor(int cursor) { Select(anchor_, cursor); }
    // The word around position, as a double click selects it.
    void SelectWord(int position);
    QString Text() const;  // line breaks as "\n"

    int MatchStart() const { return matchStart_; }
    int MatchEnd() const { return matchStart_ + matchLength_; }
    void SetMatch(int start, int length);

    // The text gained (positive) or lost (negative) positions at its start.
    void Shift(int by);
    void Clear();

private:
    const LineStore& store_;
    int anchor_ = 0;
    int cursor_ = 0;
    int matchStart_ = 0;
    int matchLength_ = 0;
};
