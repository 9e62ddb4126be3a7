#include "chat/transcript_view.h"

#include "chat/rtf_writer.h"
#include "chat/transcript_accessible.h"
#include "chat/transcript_export.h"

#include <QSaveFile>
#include <QScrollBar>

#include <stdexcept>

TranscriptView::TranscriptView(QWidget* parent)
    : QAbstractScrollArea(parent), layouts_(store_), scroller_(*this, store_, layouts_), selection_(store_)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    layouts_.SetFont(font());
    layouts_.SetTimeStamps(TimeStampSetting::Instance().Format());
    connect(&TimeStampSetting::Instance(), &TimeStampSetting::Changed, this, &TranscriptView::SetTimeStamps);
    // The view's own moves of the bar are silent: what comes here is the user's.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { scroller_.UserScrolled(); });
    InstallTranscriptAccessibility();
}

void SetSelColor(TranscriptView& view, const QColor& color)
{
    view.SelLook().foreground = color.isValid() ? color.rgb() : qRgb(0, 0, 0);
}

void SetSelBackground(TranscriptView& view, const QColor& color)
{
    view.SelLook().background = color.isValid() ? color.rgb() : 0;
}

void TranscriptView::SetSelText(const QString& text)
{
    if (text.isEmpty())
        return;
    caret_ = store_.Insert(caret_, text, InternStyle(look_), link_);
    TextChanged();
}

void TranscriptView::InsertPicture(const QImage& picture)
{
    const PictureId id = InternPicture(picture);
    if (id == 0)
        return;
    caret_ = store_.InsertPicture(caret_, id, InternStyle(look_));
    TextChanged();
}

void TranscriptView::MarkMention(int position)
{
    store_.SetMentioned(store_.LineAt(position));
    viewport()->update();
}

void TranscriptView::PrependOlder(LineStore& older)
{
    const bool following = scroller_.Following();
    const qint64 top = store_.IdOf(scroller_.TopLine());
    const int pixels = scroller_.TopPixels();
    const int gained = store_.PrependOlder(older);
    if (gained == 0)
        return;
    caret_ += gained;
    selection_.Shift(gained);
    // The lines on screen stay on screen; a view at the end stays there.
    scroller_.Update();
    if (!following)
        scroller_.ScrollToLine(store_.IndexOfId(top), pixels);
    TextChanged();
}

void TranscriptView::clear()
{
    store_.Clear();
    caret_ = 0;
    selection_.Clear();
    scroller_.ScrollToEnd();
    TextChanged();
}

void TranscriptView::SetTimeStamps(TimeStampFormat format)
{
    layouts_.SetTimeStamps(format);
    scroller_.Update();
}

void TranscriptView::TextChanged()
{
    changed_ = true;
    if (batchDepth_ == 0) {
        ++batchDepth_;
        EndBatch();
    }
}

void TranscriptView::EndBatch()
{
    if (batchDepth_ == 0 || --batchDepth_ > 0)
        return;
    const bool following = scroller_.Following();
    const qint64 top = store_.IdOf(scroller_.TopLine());
    const int pixels = scroller_.TopPixels();
    const int lost = store_.DropOldLines();
    if (lost > 0) {
        caret_ = std::max(0, caret_ - lost);
        selection_.Shift(-lost);
    }
    if (std::exchange(changed_, false))
        emit Change();
    scroller_.Update();
    if (lost > 0 && !following)
        scroller_.ScrollToLine(store_.IndexOfId(top), pixels);
    if (std::exchange(scrollPending_, false))
        ScrollCaretIntoView();
}

void TranscriptView::ScrollCaretIntoView()
{
    if (batchDepth_ > 0) {
        scrollPending_ = true;
        return;
    }
    // At the end: shown while the view follows it; the user who scrolled
    // up to read keeps the place.
    if (caret_ >= TextLength()) {
        if (scroller_.Following())
            scroller_.Update();
        return;
    }
    scroller_.ShowPosition(caret_);
}

void TranscriptView::Select(int anchor, int position)
{
    selection_.Select(anchor, position);
    viewport()->update();
}

void TranscriptView::ShowMatch(int start, int length)
{
    selection_.SetMatch(start, length);
    if (length > 0) {
        selection_.Select(start, start + length);
        scroller_.CentreOn(start);
    } else {
        selection_.Select(selection_.Cursor(), selection_.Cursor());
    }
    viewport()->update();
}

void TranscriptView::SaveToFile(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !WriteRtf(TakeTranscriptSnapshot(*this), file) || !file.commit())
        throw std::runtime_error("Cannot save the chat to \"" + path.toStdString() +
                                 "\": " + file.errorString().toStdString());
}
