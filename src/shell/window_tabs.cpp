#include "shell/window_tabs.h"

#include "common/program_settings.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QTabBar>

namespace {

const QString kTabbedKey = QStringLiteral("Windows/Tabbed");

}  // namespace

WindowTabs::WindowTabs(QMdiArea* area, QMenu* windowMenu, QWidget* frame, std::function<void(QWidget*)> bringToFront)
    : QObject(frame), area_(area), bringToFront_(std::move(bringToFront))
{
    windowMenu->addSeparator();
    tabsItem_ = windowMenu->addAction(tr("Show Windows as Ta&bs"));
    tabsItem_->setObjectName(QStringLiteral("WindowTabsItem"));
    tabsItem_->setCheckable(true);
    tabsItem_->setStatusTip(tr("Shows every window as a tab instead of a floating window"));
    connect(tabsItem_, &QAction::toggled, this, &WindowTabs::SetTabbed);

    for (int n = 1; n <= 9; ++n) {
        auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + n)), frame);
        key->setObjectName(QStringLiteral("goToWindow%1").arg(n));
        connect(key, &QShortcut::activated, this, [this, n] { GoTo(n); });
    }
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), frame);
    connect(previous, &QShortcut::activated, this, [this] { Step(-1); });
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), frame);
    connect(next, &QShortcut::activated, this, [this] { Step(1); });

    const bool tabbed = ProgramSettings().value(kTabbedKey, false).toBool();
    tabsItem_->setChecked(tabbed);  // applies it through SetTabbed when on
    Apply(tabbed);
}

bool WindowTabs::Tabbed() const { return area_->viewMode() == QMdiArea::TabbedView; }

void WindowTabs::SetTabbed(bool tabbed)
{
    if (tabsItem_->isChecked() != tabbed) {
        tabsItem_->setChecked(tabbed);  // comes back here
        return;
    }
    Apply(tabbed);
    QSettings settings = ProgramSettings();
    settings.setValue(kTabbedKey, tabbed);
}

void WindowTabs::Apply(bool tabbed)
{
    if (tabbed == Tabbed()) return;
    if (!tabbed) {
        area_->setViewMode(QMdiArea::SubWindowView);
        return;
    }
    area_->setViewMode(QMdiArea::TabbedView);
    area_->setTabsClosable(true);
    area_->setTabsMovable(true);
    area_->setDocumentMode(true);
    // The area makes its tab bar when it first shows tabs.
    QTabBar* bar = area_->findChild<QTabBar*>();
    if (bar && bar != watchedBar_) {
        watchedBar_ = bar;
        bar->setObjectName(QStringLiteral("windowTabs"));
        bar->installEventFilter(this);
    }
}

QList<QWidget*> WindowTabs::Windows() const
{
    QList<QWidget*> out;
    for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::CreationOrder))
        if (sub->widget()) out << sub->widget();
    return out;
}

void WindowTabs::GoTo(int n)
{
    const QList<QWidget*> windows = Windows();
    if (n >= 1 && n <= windows.size()) bringToFront_(windows.at(n - 1));
}

void WindowTabs::Step(int by)
{
    const QList<QWidget*> windows = Windows();
    if (windows.isEmpty()) return;
    QMdiSubWindow* active = area_->activeSubWindow();
    const int at = active ? int(windows.indexOf(active->widget())) : -1;
    const int count = int(windows.size());
    const int to = at < 0 ? (by > 0 ? 0 : count - 1) : (at + by + count) % count;
    bringToFront_(windows.at(to));
}

bool WindowTabs::eventFilter(QObject* watched, QEvent* event)
{
    // A middle click on a tab closes its window, as its close button does.
    if (watched == watchedBar_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int index = watchedBar_->tabAt(mouse->position().toPoint());
        if (mouse->button() == Qt::MiddleButton && index >= 0) {
            emit watchedBar_->tabCloseRequested(index);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
