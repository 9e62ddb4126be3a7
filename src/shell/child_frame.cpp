#include "shell/child_frame.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMenu>

#include <algorithm>
#include <functional>

namespace {

constexpr char kClosesWindow[] = "closesWindow";

bool StaysOnTop(const QWidget* w) { return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }


// Runs step, in which the area raises the windows of raised above its other
// windows. To keep windows that stay on top above them, the area looks each
// of its windows up in its own list: the square of the windows open, for
// each window it raises. With no window staying on top there is nothing to
// keep above, and the raised windows are marked as staying on top while step
// runs, which skips that look (the flag alone, without what a real change
// does). Returns false, having done nothing, when one of frames (the area's
// windows) stays on top.
bool WithoutRestacking(const QWidgetList& frames, const QList<QMdiSubWindow*>& raised,
                       const std::function<void()>& step)
{
    if (ChildFrame::AnyStaysOnTop(frames)) return false;
    QList<Qt::WindowFlags> flags;
    for (QMdiSubWindow* w : raised) {
        flags << w->windowFlags();
        w->overrideWindowFlags(flags.last() | Qt::WindowStaysOnTopHint);
    }
    step();
    for (int i = 0; i < raised.size(); ++i)
        if (raised[i]->windowFlags() == (flags[i] | Qt::WindowStaysOnTopHint)) raised[i]->overrideWindowFlags(flags[i]);
    return true;
}

}  // namespace

ChildFrame::ChildFrame(QMdiArea* area) : QMdiSubWindow(area->viewport(), Qt::SubWindow), area_(area)
{
    DropCloseKeys(this);
    // A frame that fills its own background counts as opaque: a repaint of
    // the area then takes each window as one rectangle when it works out what
    // the windows cover, instead of gathering the pieces inside each one.
    setAutoFillBackground(true);
    // The area reparents every window it is given into its viewport, and a
    // window not yet made ready takes that as a move to a new parent: its
    // title bar, actions and size limits are worked out anew. Made ready
    // here (no native window: a child of the viewport draws into the
    // frame's), adding it leaves it where it is.
    if (area->viewport()->testAttribute(Qt::WA_WState_Created)) create();
}

void ChildFrame::AddToArea(const QWidgetList& frames)
{
    const auto add = [this] { area_->addSubWindow(this); };
    if (!WithoutRestacking(frames, {this}, add)) add();
}

bool ChildFrame::AnyStaysOnTop(const QWidgetList& frames) { return std::any_of(frames.cbegin(), frames.cend(), StaysOnTop); }

void ChildFrame::BringToFront(QMdiArea* area, QMdiSubWindow* sub)
{
    const QWidgetList subs = FramesIn(area);
    // The window losing the focus is raised once more as it turns inactive.
    QList<QMdiSubWindow*> raised{sub};
    QMdiSubWindow* active = area->activeSubWindow();
    if (active && active != sub) raised << active;
    // The area also tells every other window that it is not the active one,
    // and each of those frames asks for its border to be painted anew though
    // nothing on it changed; the painting then works out how much of each is
    // hidden behind the others, the square of the windows open once more.
    // Only the two windows whose look changes may ask.
    QWidgetList unchanged;
    const bool quick = WithoutRestacking(subs, raised, [&] {
        for (QWidget* w : subs)
            if (w != sub && w != active && !w->testAttribute(Qt::WA_UpdatesDisabled)) {
                w->setAttribute(Qt::WA_UpdatesDisabled);
                unchanged << w;
            }
        area->setActiveSubWindow(sub);
        for (QWidget* w : unchanged) w->setAttribute(Qt::WA_UpdatesDisabled, false);
    });
    if (!quick) area->setActiveSubWindow(sub);
    // An active window may still be covered (activating it again does not
    // raise it); the windows that stay on top stay above it.
    sub->raise();
    if (quick) return;  // no window stays on top
    for (QWidget* w : FramesIn(area))  // a copy: raising reorders the viewport's children
        if (w != sub && StaysOnTop(w)) w->raise();
}

QWidgetList ChildFrame::FramesIn(const QMdiArea* area)
{
    QWidgetList frames;
    const QObjectList& children = area->viewport()->children();
    frames.reserve(children.size());
    // Every window the area holds is marked as a sub-window; its other
    // children (a rubber band while a window is moved) are not.
    for (QObject* o : children)
        if (o->isWidgetType() && static_cast<QWidget*>(o)->windowType() == Qt::SubWindow)
            frames << static_cast<QWidget*>(o);
    return frames;
}

void ChildFrame::mousePressEvent(QMouseEvent* event)
{
    // The area would activate it on the press, the slow way; the press then
    // goes on (moving, resizing, the title-bar buttons) as on an active window.
    if (mdiArea() == area_ && area_->activeSubWindow() != this && isEnabled()) BringToFront(area_, this);
    QMdiSubWindow::mousePressEvent(event);
}

void ChildFrame::DropCloseKeys(QMdiSubWindow* sub)
{
    const QMenu* menu = sub->systemMenu();
    if (!menu) return;
    for (QAction* a : menu->actions()) {
        if (a->shortcuts().isEmpty() || a->shortcuts() != QKeySequence::keyBindings(QKeySequence::Close)) continue;
        // The menu still names the key: a tab in the text separates it.
        const QString keys = a->shortcut().toString(QKeySequence::NativeText);
        a->setShortcuts(QList<QKeySequence>());
        if (!a->text().contains(QLatin1Char('\t'))) a->setText(a->text() + QLatin1Char('\t') + keys);
        a->setProperty(kClosesWindow, true);
    }
}

QAction* ChildFrame::CloseActionOf(const QMdiSubWindow* sub)
{
    const QMenu* menu = sub ? sub->systemMenu() : nullptr;
    if (!menu) return nullptr;
    for (QAction* a : menu->actions())
        if (a->property(kClosesWindow).toBool()) return a->isEnabled() && a->isVisible() ? a : nullptr;
    return nullptr;
}
