#pragma once

#include "transcript/line_style.h"

#include <QString>

#include <functional>

class LineStore;
class QImage;

// Where the program writes in a transcript (the "caret", apart from the
// user's selection, so a line arriving while the user selects never
// destroys the selection) and the look of what it writes there next: each
// part of the look stays until it is changed.
class TranscriptCaret {
public:
    // changed: called after every insert.
    TranscriptCaret(LineStore& store, std::function<void()> changed);

    int Position() const { return position_; }
    void MoveTo(int position);  // clamped to the text
    // The text gained (positive) or lost (negative) positions at its start.
    void Shift(int by);

    // Inserts text at the caret in the current look; "\n" starts a new
    // line. The caret ends after the inserted text.
    void Insert(const QString& text);
    // Inserts the picture at the caret, at its own size.
    void InsertPicture(const QImage& picture);

    RunStyle& Look() { return look_; }
    // The link target of the next inserts: empty for none.
    QString& Link() { return link_; }

private:
    LineStore& store_;
    std::function<void()> changed_;
    RunStyle look_;
    QString link_;
    int position_ = 0;
};
