#include "transcript/transcript_caret.h"

#include "transcript/line_store.h"

#include <algorithm>

TranscriptCaret::TranscriptCaret(LineStore& store, std::function<void()> changed)
    : store_(store), changed_(std::move(changed))
{
}

void TranscriptCaret::MoveTo(int position) { position_ = std::clamp(position, 0, store_.Length()); }

void TranscriptCaret::Shift(int by) { position_ = std::max(0, position_ + by); }

void TranscriptCaret::Insert(const QString& text)
{
    if (text.isEmpty())
        return;
    position_ = store_.Insert(position_, text, InternStyle(look_), link_);
    changed_();
}

void TranscriptCaret::InsertPicture(const QImage& picture)
{
    const PictureId id = InternPicture(picture);
    if (id == 0)
        return;
    position_ = store_.InsertPicture(position_, id, InternStyle(look_));
    changed_();
}
