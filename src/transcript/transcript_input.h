#pragma once

#include <QObject>

class LineStore;
class QContextMenuEvent;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;
class QWidget;
class TranscriptScroller;
class TranscriptSelection;
class TranscriptView;

// What the user does with a transcript view: scrolling with the wheel and
// the keys, selecting with the mouse and Shift, copying, the context menu,
// typed characters (offered through the view's KeyPress). It watches the
// view and its viewport; the view's own paint and size stay the view's.
class TranscriptInput : public QObject {
public:
    TranscriptInput(TranscriptView& view, const LineStore& store, TranscriptScroller& scroller,
                    TranscriptSelection& selection);

    // Off: the view takes no keyboard or mouse input; the text stays visible.
    void SetEnabled(bool on) { enabled_ = on; }
    bool Enabled() const { return enabled_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyPressed(QKeyEvent* event);
    bool NavigationKey(QKeyEvent* event);
    void MousePressed(QMouseEvent* event);
    void MouseMoved(QMouseEvent* event);
    void MouseReleased(QMouseEvent* event);
    void DoubleClicked(QMouseEvent* event);
    void Wheel(QWheelEvent* event);
    void ContextMenu(QContextMenuEvent* event);

    TranscriptView& view_;
    const LineStore& store_;
    TranscriptScroller& scroller_;
    TranscriptSelection& selection_;
    // Compared with what an event reaches, as plain objects.
    const QObject* const viewObject_;
    const QObject* const viewportObject_;
    bool enabled_ = true;
    bool selecting_ = false;  // a mouse drag is selecting
};
