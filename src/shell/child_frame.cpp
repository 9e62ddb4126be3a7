#include "shell/child_frame.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMenu>

#include <algorithm>
#include <functional>

namespace {

constexpr char kClosesWindow[] = "closesWindow";

bool StaysOnTop(const QMdiSubWindow* w) { return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// Whether a window of area stays on top. Read off the viewport's children,
// which are the area's windows, without building the area's list of them.
bool AnyStaysOnTop(const QMdiArea* area)
{
    const QObjectList& children = area->viewport()->children();
    return std::any_of(children.cbegin(), children.cend(), [](const QObject* o) {
        const auto* w = qobject_cast<const QMdiSubWindow*>(o);
        return w && StaysOnTop(w);
    });
}

// Runs step, in which the area raises the windows of raised above its other
// windows. To keep windows that stay on top above them, the area looks each
// of its windows up in its own list: the square of the windows open, for
// each window it raises. With no window staying on top there is nothing to
// keep above, and the raised windows are marked as staying on top while step
// runs, which skips that look (the flag alone, without what a real change
// does). Returns false, having done nothing, when some window stays on top.
bool WithoutRestacking(const QMdiArea* area, const QList<QMdiSubWindow*>& raised, const std::function<void()>& step)
{
    if (AnyStaysOnTop(area)) return false;
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
    // The area reparents every window it is given into its viewport, and a
    // window not yet made ready takes that as a move to a new parent: its
    // title bar, actions and size limits are worked out anew. Made ready
    // here (no native window: a child of the viewport draws into the
    // frame's), adding it leaves it where it is.
    if (area->viewport()->testAttribute(Qt::WA_WState_Created)) create();
}

void ChildFrame::AddToArea()
{
    const auto add = [this] { area_->addSubWindow(this); };
    if (!WithoutRestacking(area_, {this}, add)) add();
}

void ChildFrame::BringToFront(QMdiArea* area, QMdiSubWindow* sub)
{
    const QList<QMdiSubWindow*> subs = area->subWindowList();
    // The window losing the focus is raised once more as it turns inactive.
    QList<QMdiSubWindow*> raised{sub};
    QMdiSubWindow* active = area->activeSubWindow();
    if (active && active != sub) raised << active;
    // The area also tells every other window that it is not the active one,
    // and each of those frames asks for its border to be painted anew though
    // nothing on it changed; the painting then works out how much of each is
    // hidden behind the others, the square of the windows open once more.
    // Only the two windows whose look changes may ask.
    QList<QMdiSubWindow*> unchanged;
    const bool quick = WithoutRestacking(area, raised, [&] {
        for (QMdiSubWindow* w : subs)
            if (!raised.contains(w) && !w->testAttribute(Qt::WA_UpdatesDisabled)) {
                w->setAttribute(Qt::WA_UpdatesDisabled);
                unchanged << w;
            }
        area->setActiveSubWindow(sub);
        for (QMdiSubWindow* w : unchanged) w->setAttribute(Qt::WA_UpdatesDisabled, false);
    });
    if (!quick) area->setActiveSubWindow(sub);
    // An active window may still be covered (activating it again does not
    // raise it); the windows that stay on top stay above it.
    sub->raise();
    const QObjectList stack = area->viewport()->children();  // raising reorders it
    for (QObject* o : stack)
        if (auto* w = qobject_cast<QMdiSubWindow*>(o); w && w != sub && StaysOnTop(w) && subs.contains(w)) w->raise();
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
