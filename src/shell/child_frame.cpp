#include "shell/child_frame.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMenu>

#include <algorithm>
#include <functional>

namespace {

constexpr char kClosesWindow[] = "closesWindow";

// Every window an area holds is marked as a sub-window; the viewport's other
// children (a rubber band while a window is moved) are not.
bool IsFrame(const QObject* o)
{
    return o->isWidgetType() && static_cast<const QWidget*>(o)->windowType() == Qt::SubWindow;
}

bool StaysOnTop(const QWidget* w) { return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// Runs step, in which the area raises the windows of raised above its other
// windows. To keep windows that stay on top above them, the area looks each
// of its windows up in its own list: the square of the windows open, for
// each window it raises. With no window staying on top there is nothing to
// keep above, and the raised windows are marked as staying on top while step
// runs, which skips that look (the flag alone, without what a real change
// does). Returns false, having done nothing, when some window stays on top
// (anyPinned).
bool WithoutRestacking(bool anyPinned, const QList<QMdiSubWindow*>& raised, const std::function<void()>& step)
{
    if (anyPinned) return false;
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

void ChildFrame::AddToArea(bool anyPinned)
{
    const auto add = [this] { area_->addSubWindow(this); };
    if (!WithoutRestacking(anyPinned, {this}, add)) add();
}

ChildFrame::Survey ChildFrame::SurveyOf(const QMdiArea* area, const QWidget* except)
{
    Survey survey;
    for (QObject* o : area->viewport()->children()) {
        if (!IsFrame(o) || o == except) continue;
        const auto* w = static_cast<const QWidget*>(o);
        survey.anyPinned = survey.anyPinned || StaysOnTop(w);
        if (!w->isVisible() || w->isMinimized()) continue;
        ++survey.shown;
        survey.anyMaximised = survey.anyMaximised || w->isMaximized();
    }
    return survey;
}

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
    const bool anyPinned = std::any_of(subs.cbegin(), subs.cend(), StaysOnTop);
    const bool quick = WithoutRestacking(anyPinned, raised, [&] {
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
    // subs is a copy, kept in stacking order: raising reorders the viewport's children.
    for (QWidget* w : subs)
        if (w != sub && StaysOnTop(w)) w->raise();
}

QWidgetList ChildFrame::FramesIn(const QMdiArea* area)
{
    QWidgetList frames;
    const QObjectList& children = area->viewport()->children();
    frames.reserve(children.size());
    for (QObject* o : children)
        if (IsFrame(o)) frames << static_cast<QWidget*>(o);
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
