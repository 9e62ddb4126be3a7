// The attention flashing of many windows: one shared timer beats for all of
// them while any flashes and stops when none does, and a frame that nobody
// can see (under a maximised window, or with the main window minimised) is
// not repainted at each beat.
#include "chat/attention_flasher.h"
#include "chat/private_window.h"
#include "chat/room_window.h"
#include "common/timings.h"
#include "shell/main_window.h"
#include "support/prompt_recorder.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QtTest>

namespace {

QMdiSubWindow* SubOf(QWidget* window) { return qobject_cast<QMdiSubWindow*>(window->parentWidget()); }

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The active timers among object's children.
int ActiveTimers(const QObject* object)
{
    int active = 0;
    for (const QTimer* timer : object->findChildren<QTimer*>())
        if (timer->isActive()) ++active;
    return active;
}

}  // namespace

class TestAttentionFlasher : public QObject {
    Q_OBJECT
private slots:
    void init() { timing().flashMs = 20; }
    void cleanup() { timing().flashMs = Timings().flashMs; }
    void manyWindowsOneTimer();
    void framesOutOfSightAreNotRepainted_data();
    void framesOutOfSightAreNotRepainted();

private:
    PromptRecorder prompts_;
};

void TestAttentionFlasher::manyWindowsOneTimer()
{
    AttentionFlasher& flasher = AttentionFlasher::Shared();
    MainWindow frame;
    frame.show();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QList<QPointer<RoomWindow>> windows;
    for (int i = 0; i < 20; ++i) windows << frame.NewRoomWindow();
    frame.BringToFront(frame.NewRoomWindow());  // none of the twenty is the active one
    for (RoomWindow* window : windows) window->StartAttention();
    windows.first()->StartAttention();  // once more: still one registration
    QCOMPARE(flasher.Count(), 20);
    QVERIFY(flasher.Beating());
    for (RoomWindow* window : windows) {
        QVERIFY(window->Flashing());
        QCOMPARE(ActiveTimers(window), 0);
    }
    // Every window keeps blinking on the one beat.
    for (RoomWindow* window : {windows.first(), windows.last()}) {
        QTRY_VERIFY(window->FlashLit());
        QTRY_VERIFY(!window->FlashLit());
    }
    // The window brought to the front stops at the next beat; a destroyed
    // one is forgotten; with none left the timer stops.
    frame.BringToFront(windows.at(3));
    QTRY_VERIFY(!windows.at(3)->Flashing());
    QCOMPARE(flasher.Count(), 19);
    delete SubOf(windows.at(5));
    QCOMPARE(flasher.Count(), 18);
    for (RoomWindow* window : windows)
        if (window) SubOf(window)->close();
    QTRY_COMPARE(flasher.Count(), 0);
    QVERIFY(!flasher.Beating());
}

void TestAttentionFlasher::framesOutOfSightAreNotRepainted_data()
{
    QTest::addColumn<QString>("place");  // where the flashing window is
    QTest::addColumn<bool>("repainted");
    QTest::addColumn<bool>("privateWindow");  // a private window rather than a room

    QTest::newRow("in sight") << "in sight" << true << false;
    QTest::newRow("minimised in the area: its title bar shows") << "minimised" << true << false;
    QTest::newRow("under a maximised window") << "covered" << false << false;
    QTest::newRow("the main window minimised") << "frame minimised" << false << false;
    QTest::newRow("a private window in sight") << "in sight" << true << true;
    QTest::newRow("a private window under a maximised one") << "covered" << false << true;
}

void TestAttentionFlasher::framesOutOfSightAreNotRepainted()
{
    QFETCH(QString, place);
    QFETCH(bool, repainted);
    QFETCH(bool, privateWindow);

    MainWindow frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    RoomWindow* front = frame.NewRoomWindow();
    ChatWindow* flashing = privateWindow ? static_cast<ChatWindow*>(frame.OpenPrivateWindowFromUser("bob"))
                                         : frame.NewRoomWindow();
    SubOf(flashing)->move(240, 240);  // its title bar beside the front window, not under it
    if (place == "minimised") SubOf(flashing)->showMinimized();
    frame.BringToFront(front);
    QTRY_VERIFY(frame.IsActiveChild(front));
    if (place == "covered") SubOf(front)->showMaximized();
    if (place == "frame minimised") frame.showMinimized();
    QCOMPARE(AttentionFlasher::ShowsOnScreen(SubOf(flashing)), repainted);
    QTest::qWait(50);  // the paints of the change itself

    PaintCounter counter(SubOf(flashing));
    flashing->StartAttention();
    // Two beats: lit, then dark again; the phase goes on out of sight as well.
    QTRY_VERIFY(flashing->FlashLit());
    QTRY_VERIFY(!flashing->FlashLit());
    QTest::qWait(30);
    QCOMPARE(counter.paints > 0, repainted);
}

QTEST_MAIN(TestAttentionFlasher)
#include "tst_attention_flasher.moc"
