// Repaints spaced out during a flood: how often a window that asks to be
// repainted every few milliseconds is painted while lines wait and while
// they do not, and that what it shows last is always painted.
#include "shell/paint_pacer.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <algorithm>

namespace {

// Notes when each of its paints starts, and takes costMs to paint.
class PaintProbe : public QWidget {
public:
    using QWidget::QWidget;
    int costMs = 0;
    int state = 0;         // what the window should show
    int shownState = -1;   // what the last paint showed
    QList<qint64> starts;  // ms on clock
    QElapsedTimer clock;

protected:
    void paintEvent(QPaintEvent*) override
    {
        starts << clock.elapsed();
        shownState = state;
        if (costMs > 0) QThread::msleep(static_cast<unsigned long>(costMs));
    }
};

}  // namespace

class TestPaintPacer : public QObject {
    Q_OBJECT
private slots:
    void paceFollowsTheDrain_data();
    void paceFollowsTheDrain();
};

void TestPaintPacer::paceFollowsTheDrain_data()
{
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("costMs");
    QTest::addColumn<int>("minGapMs");  // between the starts of two paints
    QTest::addColumn<int>("maxPaints");
    QTest::newRow("idle: every request paints") << false << 0 << 0 << 1000;
    QTest::newRow("flood, quick paints: the shortest pause") << true << 0 << PaintPacer::kMinPauseMs << 12;
    QTest::newRow("flood, 30 ms paints: four times the paint") << true << 30 << 30 + 120 << 5;
    QTest::newRow("flood, 80 ms paints: the longest pause") << true << 80 << 80 + PaintPacer::kMaxPauseMs << 3;
}

void TestPaintPacer::paceFollowsTheDrain()
{
    QFETCH(bool, busy);
    QFETCH(int, costMs);
    QFETCH(int, minGapMs);
    QFETCH(int, maxPaints);
    QWidget window;
    window.resize(200, 100);
    auto* probe = new PaintProbe(&window);
    probe->setGeometry(0, 0, 200, 100);
    bool lines = busy;
    PaintPacer pacer(&window, [&lines] { return lines; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    probe->costMs = costMs;
    probe->starts.clear();
    probe->clock.start();

    // The drain asks for a repaint after every short slice, for half a second.
    while (probe->clock.elapsed() < 500) {
        ++probe->state;
        probe->update();
        QTest::qWait(4);
    }
    const QList<qint64> starts = probe->starts;
    QVERIFY2(!starts.isEmpty(), qPrintable(QStringLiteral("%1 paints").arg(starts.size())));
    QVERIFY2(starts.size() <= maxPaints, qPrintable(QStringLiteral("%1 paints").arg(starts.size())));
    for (int i = 1; i < starts.size(); ++i)
        QVERIFY2(starts[i] - starts[i - 1] >= minGapMs,
                 qPrintable(QStringLiteral("paints %1 ms apart").arg(starts[i] - starts[i - 1])));
    if (!busy) QVERIFY(starts.size() >= 10);  // nothing held back
    QCOMPARE(pacer.HeldBack() > 0, busy);

    // The last state is painted without another request, while the flood
    // goes on, within one pause.
    ++probe->state;
    probe->update();
    QTRY_COMPARE_WITH_TIMEOUT(probe->shownState, probe->state, PaintPacer::kMaxPauseMs + costMs + 500);

    // A change that must be seen now is painted at the next turn, also in
    // the middle of a pause.
    QTest::qWait(5);
    const int beforeSoon = static_cast<int>(probe->starts.size());
    ++probe->state;
    probe->update();
    pacer.PaintSoon();
    QTRY_COMPARE_WITH_TIMEOUT(probe->starts.size(), beforeSoon + 1, costMs + 30);
    QCOMPARE(probe->shownState, probe->state);

    // Once the drain is idle, a request paints at once.
    lines = false;
    QTest::qWait(PaintPacer::kMaxPauseMs + costMs);
    probe->costMs = 0;
    const int before = static_cast<int>(probe->starts.size());
    ++probe->state;
    probe->update();
    QTRY_COMPARE_WITH_TIMEOUT(probe->starts.size(), before + 1, 100);
    QCOMPARE(probe->shownState, probe->state);
}

QTEST_MAIN(TestPaintPacer)
#include "tst_paint_pacer.moc"
