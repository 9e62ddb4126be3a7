// The UI side of the reader: arrival order across drains, yielding to the event
// loop during a flood, and lines that arrived before the reader's end.
#include "events/line_drain.h"
#include "events/chat_session.h"
#include "shell/main_form.h"
#include "side/room_list_window.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

LineQueue::Batch LogLines(int from, int count)
{
    LineQueue::Batch batch;
    for (int i = from; i < from + count; ++i) {
        ircmessageencoder m;
        m.ParseLine(":irc.test 372 ann :- line " + std::to_string(i));
        batch.push_back(std::move(m));
    }
    return batch;
}

}  // namespace

class TestLineDrain : public QObject {
    Q_OBJECT
private slots:
    void floodKeepsOrderAndYieldsToEventLoop();
    void drainAllHandlesWhatIsLeft();
};

void TestLineDrain::floodKeepsOrderAndYieldsToEventLoop()
{
    TMainForm frame;
    ChatSession session(frame, "ann", 100000, nullptr, std::size_t(1) << 30);
    const auto queue = session.Queue();
    LineDrain& drain = session.Drain();
    int drains = 0;
    connect(&drain, &LineDrain::Drained, this, [&] { ++drains; });
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(0);

    const int perBatch = 250, batches = 120;
    for (int b = 0; b < batches; ++b) {
        auto batch = LogLines(b * perBatch, perBatch);
        queue->PushBatch(batch, {});
    }
    drain.LinesReady();
    QTRY_COMPARE_WITH_TIMEOUT(frame.Form4()->log->blockCount(), perBatch * batches, 30000);

    QVERIFY2(drains > 1, "the whole flood was handled in one go");
    QVERIFY(ticks > 1);
    const QStringList lines = frame.Form4()->log->toPlainText().split('\n');
    int expected = 0;
    for (const QString& line : lines) {
        if (!line.contains(" 372 ")) continue;
        QCOMPARE(line, QString(":irc.test 372 ann :- line %1").arg(expected));
        ++expected;
    }
    QCOMPARE(expected, perBatch * batches);
}

void TestLineDrain::drainAllHandlesWhatIsLeft()
{
    TMainForm frame;
    ChatSession session(frame, "ann", 1000);
    const auto queue = session.Queue();
    LineDrain& drain = session.Drain();
    auto batch = LogLines(0, 3);
    queue->PushBatch(batch, {});
    drain.DrainAll();
    QCOMPARE(queue->Size(), std::size_t(0));
    QVERIFY(frame.Form4()->log->toPlainText().endsWith(":irc.test 372 ann :- line 2"));
}

QTEST_MAIN(TestLineDrain)
#include "tst_line_drain.moc"
