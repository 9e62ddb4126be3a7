// The frame's Window menu: arranging the child windows and the list of them.
#include "shell/main_window.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolButton>

namespace {

QList<QMdiSubWindow*> ShownWindows(QMdiArea* area)
{
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized()) out << sub;
    return out;
}

}  // namespace

void MainWindow::UpdateWindowActions() { SetWindowActionsEnabled(!mdiArea_->subWindowList().isEmpty()); }

void MainWindow::SetWindowActionsEnabled(bool any)
{
    for (QAction* a : {cascadeAction_, tileHorizontallyAction_, tileVerticallyAction_, minimizeAllAction_, arrangeAction_})
        a->setEnabled(any);
}

void MainWindow::FillWindowMenu()
{
    // The fixed items first, then one numbered entry per child window; the
    // active one is checked and choosing an entry activates its window.
    for (QAction* a : windowListActions_) {
        windowMenu_->removeAction(a);
        a->deleteLater();
    }
    windowListActions_.clear();
    UpdateWindowActions();
    const QList<QMdiSubWindow*> subs = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty()) return;
    windowListActions_ << windowMenu_->addSeparator();
    int n = 0;
    for (QMdiSubWindow* sub : subs) {
        ++n;
        const QString title = sub->widget() ? (MentionMarked(sub->widget()) ? QStringLiteral("* ") : QString()) +
                                                  sub->widget()->windowTitle()
                                            : sub->windowTitle();
        QAction* a = windowMenu_->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title)
                                               : QStringLiteral("%1 %2").arg(n).arg(title));
        a->setObjectName(QStringLiteral("WindowListItem%1").arg(n));
        a->setCheckable(true);
        a->setChecked(sub == mdiArea_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, sub] {
            if (!mdiArea_->subWindowList().contains(sub)) return;
            if (sub->widget())
                BringToFront(sub->widget());
            else
                mdiArea_->setActiveSubWindow(sub);
        });
        windowListActions_ << a;
    }
}

void MainWindow::onCascadeTriggered() { mdiArea_->cascadeSubWindows(); }

void MainWindow::onTileHorizontallyTriggered()
{
    // One full-width strip per window, stacked top to bottom.
    const QList<QMdiSubWindow*> subs = ShownWindows(mdiArea_);
    if (subs.isEmpty()) return;
    const QRect area = mdiArea_->viewport()->rect();
    const int h = area.height() / int(subs.size());
    for (int i = 0; i < subs.size(); ++i) {
        subs[i]->showNormal();
        subs[i]->setGeometry(0, i * h, area.width(), i + 1 == subs.size() ? area.height() - i * h : h);
    }
}

void MainWindow::onTileVerticallyTriggered()
{
    // One full-height column per window, side by side.
    const QList<QMdiSubWindow*> subs = ShownWindows(mdiArea_);
    if (subs.isEmpty()) return;
    const QRect area = mdiArea_->viewport()->rect();
    const int w = area.width() / int(subs.size());
    for (int i = 0; i < subs.size(); ++i) {
        subs[i]->showNormal();
        subs[i]->setGeometry(i * w, 0, i + 1 == subs.size() ? area.width() - i * w : w, area.height());
    }
}

void MainWindow::onMinimizeAllTriggered()
{
    for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::CreationOrder)) sub->showMinimized();
}

void MainWindow::onArrangeTriggered()
{
    // Minimised windows in a row along the bottom edge, wrapping upwards.
    const QRect area = mdiArea_->viewport()->rect();
    int x = 0;
    int y = area.bottom();
    for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        sub->move(x, y - size.height() + 1);
        x += size.width();
    }
}
