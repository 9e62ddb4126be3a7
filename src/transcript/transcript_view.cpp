#include "transcript/transcript_view.h"

#include "transcript/transcript_accessible.h"
#include "transcript/transcript_export.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>

TranscriptView::TranscriptView(QWidget* parent)
    : QAbstractScrollArea(parent),
      layouts_(store_),
      scroller_(*this, store_, layouts_),
      selection_(store_),
      caret_(store_, [this] { TextChanged(); }),
      input_(*this, store_, scroller_, selection_)
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
    view.Caret().Look().foreground = color.isValid() ? color.rgb() : qRgb(0, 0, 0);
}

void SetSelBackground(TranscriptView& view, const QColor& color)
{
    view.Caret().Look().background = color.isValid() ? color.rgb() : 0;
}

void TranscriptView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    layouts_.SetFont(font());
    for (const TranscriptScroller::ShownLine& row : scroller_.Shown()) {
        const int start = store_.StartOf(row.line);
        const int length = store_.LengthOf(row.line);
        const auto cut = [&](int position) { return std::clamp(position - start, 0, length); };
        LineLayouts::Marks marks;
        marks.selectionStart = cut(selection_.Start());
        marks.selectionEnd = cut(selection_.End());
        marks.matchStart = cut(selection_.MatchStart());
        marks.matchEnd = cut(selection_.MatchEnd());
        layouts_.Draw(painter, row.line, QPointF(TranscriptScroller::kMargin, row.y), marks, palette());
    }
}

void TranscriptView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    layouts_.SetWidth(viewport()->width() - 2 * TranscriptScroller::kMargin);
    // At the end it stays there; scrolled up, the same line stays at the top.
    scroller_.Update();
}

void TranscriptView::Copy() const
{
    if (selection_.IsEmpty())
        return;
    auto* data = new QMimeData;
    data->setText(selection_.Text().remove(QChar::ObjectReplacementCharacter));
    data->setHtml(TranscriptDocument(*this, selection_.Start(), selection_.End())->toHtml());
    QApplication::clipboard()->setMimeData(data);
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
    caret_.Shift(gained);
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
    caret_.MoveTo(0);
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
        caret_.Shift(-lost);
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
    if (caret_.Position() >= TextLength()) {
        if (scroller_.Following())
            scroller_.Update();
        return;
    }
    scroller_.ShowPosition(caret_.Position());
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
