// Child windows among many: which window ends up on top and active when one
// is added or brought to the front, which borders are painted anew, and the
// Close keys that the frame holds for whichever child is active.
#include "chat/private_window.h"
#include "shell/main_window.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QtTest>

namespace {

QMdiSubWindow* SubOf(QWidget* w) { return w ? qobject_cast<QMdiSubWindow*>(w->parentWidget()) : nullptr; }

QWidget* PrivateForLine(MainWindow& frame, const QString& nick)
{
    frame.SetPendingPrivateNick(nick);
    return frame.OpenPrivateWindowRequest();
}

// The child windows of the area from the bottom of the stack to its top.
QList<QMdiSubWindow*> Stack(MainWindow& frame)
{
    QList<QMdiSubWindow*> out;
    for (QObject* o : frame.MdiArea()->viewport()->children())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(o); sub && sub->isVisible()) out << sub;
    return out;
}

// Counts the paint events each watched window frame receives.
class PaintCounter : public QObject {
public:
    QHash<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints[watched];
        return false;
    }
};

}  // namespace

class TestChildFrames : public QObject {
    Q_OBJECT
private slots:
    void frontAndActive_data();
    void frontAndActive();
    void closeKeys_data();
    void closeKeys();
};

void TestChildFrames::frontAndActive_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("pinned");  // one window stays on top, set by the user through its menu
    for (const char* step :
         {"add", "front deep", "front newest", "front while maximised", "click deep", "whisper while maximised"}) {
        QTest::newRow(step) << QString::fromLatin1(step) << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, one pinned").arg(QLatin1String(step)))) << QString::fromLatin1(step)
                                                                                              << true;
    }
}

void TestChildFrames::frontAndActive()
{
    QFETCH(QString, step);
    QFETCH(bool, pinned);
    MainWindow frame;
    frame.resize(900, 700);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QList<QWidget*> windows;
    for (int n = 0; n < 12; ++n) windows << PrivateForLine(frame, QStringLiteral("p%1").arg(n));
    frame.BringToFront(windows[2]);
    QMdiSubWindow* pin = pinned ? SubOf(windows[5]) : nullptr;
    if (pin) pin->setWindowFlags(pin->windowFlags() | Qt::WindowStaysOnTopHint);
    const bool maximised = step.endsWith(QLatin1String("while maximised"));
    if (maximised) SubOf(windows[2])->showMaximized();
    QApplication::processEvents();
    QMdiSubWindow* wasActive = frame.MdiArea()->activeSubWindow();
    QCOMPARE(wasActive, SubOf(windows[2]));

    PaintCounter painted;
    const QList<QMdiSubWindow*> all = frame.MdiArea()->subWindowList();
    for (QMdiSubWindow* sub : all) sub->installEventFilter(&painted);

    QMdiSubWindow* target = nullptr;
    if (step == QLatin1String("add")) {
        target = SubOf(PrivateForLine(frame, QStringLiteral("newcomer")));
    } else if (step == QLatin1String("whisper while maximised")) {
        target = SubOf(frame.OpenPrivateWindowFromUser(QStringLiteral("newcomer")));
    } else if (step == QLatin1String("click deep")) {
        // A press on the part of its title bar that shows under the others.
        target = SubOf(windows[1]);
        const QPoint onTitle(target->width() - 60, 8);
        QTest::mousePress(target, Qt::LeftButton, {}, onTitle);
        QTest::mouseRelease(target, Qt::LeftButton, {}, onTitle);
    } else {
        target = SubOf(step == QLatin1String("front newest") ? windows.last() : windows[1]);
        frame.BringToFront(target->widget());
    }
    QApplication::processEvents();

    const QList<QMdiSubWindow*> stack = Stack(frame);
    // A window the user pinned stays above; otherwise the target is on top.
    QCOMPARE(stack.last(), pin ? pin : target);
    if (pin) QCOMPARE(stack.at(stack.size() - 2), target);
    const bool activates = step != QLatin1String("add");
    QCOMPARE(frame.MdiArea()->activeSubWindow(), activates ? target : wasActive);
    if (maximised) {
        QVERIFY(target->isMaximized());
        QVERIFY(!wasActive->isMaximized());
        // The frame's caption names the maximised window in front.
        QCOMPARE(frame.windowTitle(), QStringLiteral("Talvessa - [%1]").arg(target->widget()->windowTitle()));
    }
    // A new window carries its partner's name in its title bar.
    if (target->widget()->windowTitle() == QLatin1String("newcomer")) QCOMPARE(target->windowTitle(), "newcomer");
    // Nothing is left marked: only the user's pin stays on top, and every
    // window still paints.
    for (QMdiSubWindow* sub : frame.MdiArea()->subWindowList()) {
        QCOMPARE(sub->windowFlags().testFlag(Qt::WindowStaysOnTopHint), sub == pin);
        QVERIFY(sub->updatesEnabled());
    }
    if (activates && !pin) {
        // The window that lost the focus shows it: its border is painted anew
        // (unless the newly maximised window now covers it).
        if (!target->isMaximized()) QVERIFY(painted.paints.value(wasActive) > 0);
        // A window whose look did not change and that the change does not
        // uncover is not painted again.
        QMdiSubWindow* untouched = SubOf(windows[0]);
        QVERIFY(untouched != wasActive && untouched != target);
        QCOMPARE(painted.paints.value(untouched), 0);
    }
    // Later windows still stack and paint as before.
    frame.BringToFront(windows[7]);
    QApplication::processEvents();
    QCOMPARE(Stack(frame).last(), pin ? pin : SubOf(windows[7]));
}

void TestChildFrames::closeKeys_data()
{
    QTest::addColumn<QString>("active");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("private, Ctrl+W") << "private" << int(Qt::Key_W) << true;
    QTest::newRow("private, Ctrl+F4") << "private" << int(Qt::Key_F4) << true;
    QTest::newRow("room, Ctrl+W") << "room" << int(Qt::Key_W) << true;
    QTest::newRow("room list, Ctrl+W") << "room list" << int(Qt::Key_W) << false;
    QTest::newRow("private, Ctrl+Q (no close key)") << "private" << int(Qt::Key_Q) << false;
}

void TestChildFrames::closeKeys()
{
    QFETCH(QString, active);
    QFETCH(int, key);
    QFETCH(bool, closes);
    MainWindow frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QWidget* other = PrivateForLine(frame, QStringLiteral("bystander"));
    QWidget* chosen = active == QLatin1String("private") ? PrivateForLine(frame, QStringLiteral("alice"))
                      : active == QLatin1String("room")  ? static_cast<QWidget*>(frame.OpenRoomWindow(QStringLiteral("lobby")))
                                                         : frame.RoomListPane();
    frame.BringToFront(chosen);
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QCOMPARE(frame.CurrentChild(), chosen);
    const int before = frame.ChildWindows().size();
    QPointer<QWidget> watched(chosen);
    QTest::keyClick(frame.windowHandle(), Qt::Key(key), Qt::ControlModifier);
    QTest::qWait(20);
    QCOMPARE(frame.ChildWindows().size(), closes ? before - 1 : before);
    QCOMPARE(frame.ChildWindows().contains(chosen), !closes);
    QVERIFY(frame.ChildWindows().contains(other));  // only the active window goes
    if (closes) QTRY_VERIFY(watched.isNull());
}

QTEST_MAIN(TestChildFrames)
#include "tst_child_frames.moc"
