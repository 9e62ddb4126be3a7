// Going from window to window in the frame: the keys (Alt+1..9, Ctrl+PgUp
// and Ctrl+PgDn), the windows shown as tabs, and a window closing that
// leaves the others where they are.
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "shell/window_tabs.h"
#include "side/room_list_window.h"
#include "support/window_controls.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QtTest>

namespace {

QMdiSubWindow* SubOf(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); }

}  // namespace

class TestWindowTabs : public QObject {
    Q_OBJECT
private slots:
    void closingMovesNoOtherWindow_data();
    void closingMovesNoOtherWindow();
    void keysGoFromWindowToWindow_data();
    void keysGoFromWindowToWindow();
    void windowsAsTabs();
};

void TestWindowTabs::closingMovesNoOtherWindow_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("how");
    QTest::newRow("private, Ctrl+W") << "private" << "ctrl+w";
    QTest::newRow("private, close box") << "private" << "close box";
    QTest::newRow("room, Ctrl+W") << "room" << "ctrl+w";
}

void TestWindowTabs::closingMovesNoOtherWindow()
{
    // Tiled, then a window opened and closed again: the room list, which the
    // area activates in its place, keeps the tile it had.
    QFETCH(QString, kind);
    QFETCH(QString, how);
    PromptRecorder prompts;
    MainWindow frame;
    frame.resize(900, 700);
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    frame.NewRoomWindow();
    QMdiSubWindow* roomList = SubOf(frame.RoomList());
    frame.BringToFront(frame.RoomList());
    Control<QAction>(frame, "tileHorizontallyAction")->trigger();
    const QRect tile = roomList->geometry();
    QVERIFY(tile.size() != QSize(544, 430));  // a tile, not the size the room list takes when the user goes to it
    QWidget* closing = kind == QLatin1String("room") ? static_cast<QWidget*>(frame.NewRoomWindow())
                                                     : frame.OpenPrivateWindowFromUser(QStringLiteral("bob"));
    frame.BringToFront(closing);
    if (how == QLatin1String("close box"))
        SubOf(closing)->close();
    else
        QTest::keySequence(&frame, QKeySequence::Close);
    QTRY_VERIFY(!frame.ChildWindows().contains(closing));
    QTRY_COMPARE(frame.CurrentChild(), static_cast<QWidget*>(frame.RoomList()));
    QTest::qWait(20);
    QCOMPARE(roomList->geometry(), tile);
}

void TestWindowTabs::keysGoFromWindowToWindow_data()
{
    // The windows, in the Window menu's order: the room list, amy, bob, cid.
    QTest::addColumn<QString>("from");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("to");
    QTest::newRow("Alt+1") << "cid" << QKeySequence(Qt::ALT | Qt::Key_1) << "room list";
    QTest::newRow("Alt+3") << "amy" << QKeySequence(Qt::ALT | Qt::Key_3) << "bob";
    QTest::newRow("Alt+9 without a ninth") << "bob" << QKeySequence(Qt::ALT | Qt::Key_9) << "bob";
    QTest::newRow("Ctrl+PgDn") << "amy" << QKeySequence(Qt::CTRL | Qt::Key_PageDown) << "bob";
    QTest::newRow("Ctrl+PgDn goes round") << "cid" << QKeySequence(Qt::CTRL | Qt::Key_PageDown) << "room list";
    QTest::newRow("Ctrl+PgUp") << "bob" << QKeySequence(Qt::CTRL | Qt::Key_PageUp) << "amy";
    QTest::newRow("Ctrl+PgUp goes round") << "room list" << QKeySequence(Qt::CTRL | Qt::Key_PageUp) << "cid";
}

void TestWindowTabs::keysGoFromWindowToWindow()
{
    QFETCH(QString, from);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, to);
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QMap<QString, QWidget*> windows{{QStringLiteral("room list"), frame.RoomList()}};
    for (const char* nick : {"amy", "bob", "cid"})
        windows[QLatin1String(nick)] = frame.OpenPrivateWindowFromUser(QLatin1String(nick));
    frame.BringToFront(windows.value(from));
    // Typed where the user types: in the active window's input line, or in the room list.
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &frame;
    QTest::keySequence(focus, keys);
    QCOMPARE(frame.CurrentChild(), windows.value(to));
}

void TestWindowTabs::windowsAsTabs()
{
    PromptRecorder prompts;
    {
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QWidget* amy = frame.OpenPrivateWindowFromUser(QStringLiteral("amy"));
        QWidget* bob = frame.OpenPrivateWindowFromUser(QStringLiteral("bob"));
        auto* item = frame.findChild<QAction*>(QStringLiteral("WindowTabsItem"));
        QVERIFY(item && !item->isChecked());
        item->trigger();
        QCOMPARE(frame.MdiArea()->viewMode(), QMdiArea::TabbedView);
        auto* tabs = frame.MdiArea()->findChild<QTabBar*>(QStringLiteral("windowTabs"));
        QVERIFY(tabs && tabs->tabsClosable());
        QCOMPARE(tabs->count(), 3);
        // A middle click on amy's tab closes amy.
        const int amyTab = 1;
        QCOMPARE(tabs->tabText(amyTab), amy->windowTitle());
        QTest::mouseClick(tabs, Qt::MiddleButton, Qt::NoModifier, tabs->tabRect(amyTab).center());
        QTRY_VERIFY(!frame.ChildWindows().contains(amy));
        QVERIFY(frame.ChildWindows().contains(bob));
    }
    {
        // Remembered for the next run; and back to floating windows.
        MainWindow frame;
        QCOMPARE(frame.MdiArea()->viewMode(), QMdiArea::TabbedView);
        frame.Tabs().SetTabbed(false);
        QCOMPARE(frame.MdiArea()->viewMode(), QMdiArea::SubWindowView);
    }
    MainWindow frame;
    QCOMPARE(frame.MdiArea()->viewMode(), QMdiArea::SubWindowView);
}

QTEST_MAIN(TestWindowTabs)
#include "tst_window_tabs.moc"
