#include "shell/child_frame.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMenu>

namespace {
constexpr char kClosesWindow[] = "closesWindow";
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
    // The area raises each window it is given above its other windows, and to
    // keep windows that stay on top above the new one it looks each of its
    // windows up in its own list: the square of the windows open, for each
    // one added. A window that stays on top itself skips that look, so this
    // one is marked so just while it is added (the flag alone, without what
    // a real change would do; the frame has no windows that stay on top).
    const Qt::WindowFlags flags = windowFlags();
    overrideWindowFlags(flags | Qt::WindowStaysOnTopHint);
    area_->addSubWindow(this);
    overrideWindowFlags(flags);
}

void ChildFrame::DropCloseKeys(QMdiSubWindow* sub)
{
    const QMenu* menu = sub->systemMenu();
    if (!menu) return;
    for (QAction* a : menu->actions()) {
        if (a->shortcuts().isEmpty() || a->shortcuts() != QKeySequence::keyBindings(QKeySequence::Close)) continue;
        a->setShortcuts(QList<QKeySequence>());
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
