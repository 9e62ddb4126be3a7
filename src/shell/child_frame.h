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

    // What adding a window needs to know of the others, read in one pass
    // over the area's windows (all but except): cheap enough for every
    // window a flood opens.
    struct Survey {
        int shown = 0;              // visible and not minimised
        bool anyMaximised = false;  // among those
        bool anyPinned = false;     // staying on top, set by the user
    };
    static Survey SurveyOf(const QMdiArea* area, const QWidget* except);

    // Hands the frame to its area, above the other windows (below those
    // that stay on top: anyPinned, from SurveyOf).
    void AddToArea(bool anyPinned);

    // Makes sub the active window and puts it on top (below windows that
    // stay on top), leaving the other windows as they are.
    static void BringToFront(QMdiArea* area, QMdiSubWindow* sub);

    // The window's "Close" keys (Ctrl+W, Ctrl+F4) go to the frame window's
    // one action instead of one registration per child window: every
    // change of any action's state looks through all registered keys.
    static void DropCloseKeys(QMdiSubWindow* sub);
    // The area's windows, bottom to top, read off its viewport's children
    // without building the area's own list or asking each child's class.
    static QWidgetList FramesIn(const QMdiArea* area);

    // The system-menu action that closes sub, if sub may be closed now.
    static QAction* CloseActionOf(const QMdiSubWindow* sub);

protected:
    // A press that activates the window activates it the quick way first.
    void mousePressEvent(QMouseEvent* event) override;

private:
    QMdiArea* area_;
};
