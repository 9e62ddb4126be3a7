// The transcript view's painting and what the user does with it: scrolling,
// selecting, copying, the context menu, typed characters.
#include "chat/transcript_view.h"

#include "chat/transcript_export.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>

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

void TranscriptView::wheelEvent(QWheelEvent* event)
{
    if (!event->pixelDelta().isNull())
        scroller_.ScrollByPixels(-event->pixelDelta().y());
    else
        scroller_.ScrollByLines(-event->angleDelta().y() * QApplication::wheelScrollLines() / 120);
    event->accept();
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

bool TranscriptView::NavigationKey(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int page = std::max(1, verticalScrollBar()->pageStep());
    if (!shift) {
        switch (event->key()) {
        case Qt::Key_Up: scroller_.ScrollByLines(-1); return true;
        case Qt::Key_Down: scroller_.ScrollByLines(1); return true;
        case Qt::Key_PageUp: scroller_.ScrollByLines(-page); return true;
        case Qt::Key_PageDown: scroller_.ScrollByLines(page); return true;
        case Qt::Key_Home: if (control) scroller_.ScrollToLine(0, 0); return control;
        case Qt::Key_End: if (control) scroller_.ScrollToEnd(); return control;
        default: return false;
        }
    }
    // Shift with a movement key stretches the selection.
    const int cursor = selection_.Cursor();
    const int line = store_.LineAt(cursor);
    const int offset = cursor - store_.StartOf(line);
    const auto inLine = [this, offset](int other) {
        return store_.StartOf(other) + std::min(offset, store_.LengthOf(other));
    };
    int to = cursor;
    switch (event->key()) {
    case Qt::Key_Left: to = cursor - 1; break;
    case Qt::Key_Right: to = cursor + 1; break;
    case Qt::Key_Up: to = line > 0 ? inLine(line - 1) : 0; break;
    case Qt::Key_Down: to = line + 1 < store_.Count() ? inLine(line + 1) : TextLength(); break;
    case Qt::Key_Home: to = control ? 0 : store_.StartOf(line); break;
    case Qt::Key_End: to = control ? TextLength() : store_.StartOf(line) + store_.LengthOf(line); break;
    default: return false;
    }
    selection_.MoveCursor(to);
    scroller_.ShowPosition(selection_.Cursor());
    viewport()->update();
    return true;
}

void TranscriptView::keyPressEvent(QKeyEvent* event)
{
    if (!inputEnabled_) {
        event->ignore();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        Select(0, TextLength());
        return;
    }
    if (NavigationKey(event))
        return;
    const QString typed = event->text();
    const bool isCharacter = !typed.isEmpty() &&
                             std::all_of(typed.begin(), typed.end(),
                                         [](QChar c) { return c.unicode() >= 0x20 && c.unicode() != 0x7F; }) &&
                             !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (!isCharacter) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    for (const QChar c : typed) {
        bool discard = true;
        emit KeyPress(c, discard);
        if (!discard)
            SetSelText(QString(c));
    }
    event->accept();
}

void TranscriptView::mousePressEvent(QMouseEvent* event)
{
    if (!inputEnabled_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int position = scroller_.PositionAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier)
        selection_.MoveCursor(position);
    else
        selection_.Select(position, position);
    selecting_ = true;
    viewport()->update();
}

void TranscriptView::mouseMoveEvent(QMouseEvent* event)
{
    if (!inputEnabled_ || !selecting_) {
        event->ignore();
        return;
    }
    // Dragging past the top or the bottom scrolls on.
    const QPoint at = event->position().toPoint();
    if (at.y() < 0)
        scroller_.ScrollByLines(-1);
    else if (at.y() > viewport()->height())
        scroller_.ScrollByLines(1);
    selection_.MoveCursor(scroller_.PositionAt(at));
    viewport()->update();
}

void TranscriptView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!inputEnabled_) {
        event->ignore();
        return;
    }
    selecting_ = false;
    QClipboard* clipboard = QApplication::clipboard();
    if (!selection_.IsEmpty() && clipboard->supportsSelection())
        clipboard->setText(selection_.Text().remove(QChar::ObjectReplacementCharacter), QClipboard::Selection);
}

void TranscriptView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!inputEnabled_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    selection_.SelectWord(scroller_.PositionAt(event->position().toPoint()));
    viewport()->update();
}

void TranscriptView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("&Copy"), this, &TranscriptView::Copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!selection_.IsEmpty());
    QAction* all = menu.addAction(tr("Select &All"), this, [this] { Select(0, TextLength()); });
    all->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}
