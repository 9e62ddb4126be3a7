// What the user does with a transcript view: scrolling, selecting, copying,
// the context menu, typed characters.
#include "transcript/transcript_input.h"

#include "transcript/line_store.h"
#include "transcript/transcript_caret.h"
#include "transcript/transcript_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

TranscriptInput::TranscriptInput(TranscriptView& view, const LineStore& store, TranscriptScroller& scroller,
                                 TranscriptSelection& selection)
    : view_(view), store_(store), scroller_(scroller), selection_(selection), viewObject_(&view),
      viewportObject_(view.viewport())
{
    view.installEventFilter(this);
    view.viewport()->installEventFilter(this);
}

// Keys and the keyboard's context menu reach the view; the mouse, the wheel
// and the mouse's context menu reach its viewport. A handled event ends
// here; one the view does not take (input off) is ignored and goes on to
// the view's parents, as a widget's own handler would leave it.
bool TranscriptInput::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return watched == viewObject_ && KeyPressed(static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
        // The view itself takes only the keyboard's; the mouse's comes through the viewport.
        if (watched == viewObject_ ? static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard
                                   : watched != viewportObject_)
            return false;
        ContextMenu(static_cast<QContextMenuEvent*>(event));
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        break;
    default:
        return false;
    }
    if (watched != viewportObject_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: MousePressed(static_cast<QMouseEvent*>(event)); break;
    case QEvent::MouseMove: MouseMoved(static_cast<QMouseEvent*>(event)); break;
    case QEvent::MouseButtonRelease: MouseReleased(static_cast<QMouseEvent*>(event)); break;
    case QEvent::MouseButtonDblClick: DoubleClicked(static_cast<QMouseEvent*>(event)); break;
    default: Wheel(static_cast<QWheelEvent*>(event)); break;
    }
    return true;
}

void TranscriptInput::Wheel(QWheelEvent* event)
{
    if (!event->pixelDelta().isNull())
        scroller_.ScrollByPixels(-event->pixelDelta().y());
    else
        scroller_.ScrollByLines(-event->angleDelta().y() * QApplication::wheelScrollLines() / 120);
    event->accept();
}

bool TranscriptInput::NavigationKey(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int page = std::max(1, view_.verticalScrollBar()->pageStep());
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
    case Qt::Key_Down: to = line + 1 < store_.Count() ? inLine(line + 1) : store_.Length(); break;
    case Qt::Key_Home: to = control ? 0 : store_.StartOf(line); break;
    case Qt::Key_End: to = control ? store_.Length() : store_.StartOf(line) + store_.LengthOf(line); break;
    default: return false;
    }
    selection_.MoveCursor(to);
    scroller_.ShowPosition(selection_.Cursor());
    view_.viewport()->update();
    return true;
}

// False: not the view's key; the view's own handling (focus moves with Tab,
// the scroll area's keys) takes it.
bool TranscriptInput::KeyPressed(QKeyEvent* event)
{
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (!enabled_) {
        event->ignore();
        return true;
    }
    if (event->matches(QKeySequence::Copy)) {
        view_.Copy();
        return true;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        view_.Select(0, store_.Length());
        return true;
    }
    if (NavigationKey(event))
        return true;
    const QString typed = event->text();
    const bool isCharacter = !typed.isEmpty() &&
                             std::all_of(typed.begin(), typed.end(),
                                         [](QChar c) { return c.unicode() >= 0x20 && c.unicode() != 0x7F; }) &&
                             !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (!isCharacter)
        return false;
    for (const QChar c : typed) {
        bool discard = true;
        emit view_.KeyPress(c, discard);
        if (!discard)
            view_.Caret().Insert(QString(c));
    }
    event->accept();
    return true;
}

void TranscriptInput::MousePressed(QMouseEvent* event)
{
    if (!enabled_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    view_.setFocus(Qt::MouseFocusReason);
    const int position = scroller_.PositionAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier)
        selection_.MoveCursor(position);
    else
        selection_.Select(position, position);
    selecting_ = true;
    view_.viewport()->update();
}

void TranscriptInput::MouseMoved(QMouseEvent* event)
{
    if (!enabled_ || !selecting_) {
        event->ignore();
        return;
    }
    // Dragging past the top or the bottom scrolls on.
    const QPoint at = event->position().toPoint();
    if (at.y() < 0)
        scroller_.ScrollByLines(-1);
    else if (at.y() > view_.viewport()->height())
        scroller_.ScrollByLines(1);
    selection_.MoveCursor(scroller_.PositionAt(at));
    view_.viewport()->update();
}

void TranscriptInput::MouseReleased(QMouseEvent* event)
{
    if (!enabled_) {
        event->ignore();
        return;
    }
    selecting_ = false;
    QClipboard* clipboard = QApplication::clipboard();
    if (!selection_.IsEmpty() && clipboard->supportsSelection())
        clipboard->setText(selection_.Text().remove(QChar::ObjectReplacementCharacter), QClipboard::Selection);
}

void TranscriptInput::DoubleClicked(QMouseEvent* event)
{
    if (!enabled_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    selection_.SelectWord(scroller_.PositionAt(event->position().toPoint()));
    view_.viewport()->update();
}

void TranscriptInput::ContextMenu(QContextMenuEvent* event)
{
    QMenu menu(&view_);
    QAction* copy = menu.addAction(TranscriptView::tr("&Copy"), &view_, &TranscriptView::Copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!selection_.IsEmpty());
    TranscriptView& view = view_;
    QAction* all = menu.addAction(TranscriptView::tr("Select &All"), &view_, [&view] { view.Select(0, view.TextLength()); });
    all->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}
