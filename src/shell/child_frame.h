#pragma once
// The frame (title bar and border) of one child window in the frame window's
// area, and the area's steps that would otherwise cost more the more windows
// are open.
#include <QMdiSubWindow>

class QMdiArea;

class ChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // Made inside the area's viewport, as the area keeps its children.
    explicit ChildFrame(QMdiArea* area);

    // Hands the frame to its area, above the other windows; frames are the
    // area's windows (FramesIn) as they were before.
    void AddToArea(const QWidgetList& frames);

    // Makes sub the active window and puts it on top (below windows that
    // stay on top), leaving the other windows as they are.
    static void BringToFront(QMdiArea* area, QMdiSubWindow* sub);

    // The window's "Close" keys (Ctrl+W, Ctrl+F4) go to the frame window's
    // one action instead of one registration per child window: every
    // change of any action's state looks through all registered keys.
    static void DropCloseKeys(QMdiSubWindow* sub);
    // The area's windows, bottom to top, read off its viewport's children
    // without building the area's own list or asking each child's class:
    // cheap enough to walk for every window a flood opens.
    static QWidgetList FramesIn(const QMdiArea* area);
    // Whether one of frames stays on top (pinned by the user).
    static bool AnyStaysOnTop(const QWidgetList& frames);

    // The system-menu action that closes sub, if sub may be closed now.
    static QAction* CloseActionOf(const QMdiSubWindow* sub);

protected:
    // A press that activates the window activates it the quick way first.
    void mousePressEvent(QMouseEvent* event) override;

private:
    QMdiArea* area_;
};
