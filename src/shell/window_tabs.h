#pragma once
// The child windows shown as floating windows or as tabs (a choice in the
// Window menu, kept in the settings), and the keys that go from window to
// window: Alt+1 to Alt+9 for the n-th, Ctrl+PgUp and Ctrl+PgDn for the
// previous and the next one.
#include <QObject>

#include <functional>

class QAction;
class QMdiArea;
class QMenu;
class QTabBar;
class QWidget;

class WindowTabs : public QObject {
    Q_OBJECT
public:
    // Adds its entry to windowMenu and its keys to frame; bringToFront is the
    // frame's road to a child window (its widget).
    WindowTabs(QMdiArea* area, QMenu* windowMenu, QWidget* frame, std::function<void(QWidget*)> bringToFront);

    bool Tabbed() const;
    // Shows the windows as tabs (with close buttons; a middle click closes
    // too) or as floating windows, and remembers the choice.
    void SetTabbed(bool tabbed);

    // The child windows in the Window menu's order (the order they were made).
    QList<QWidget*> Windows() const;
    // The n-th window (1-based) to the front; nothing when there is none.
    void GoTo(int n);
    // The window after (1) or before (-1) the active one, going round.
    void Step(int by);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply(bool tabbed);

    QMdiArea* area_;
    QAction* tabsItem_;
    std::function<void(QWidget*)> bringToFront_;
    QTabBar* watchedBar_ = nullptr;
};
