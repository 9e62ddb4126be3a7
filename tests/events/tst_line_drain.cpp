// The UI side of the reader: arrival order across drains, yielding to the event
// loop during a flood, and lines that arrived before the reader's end.
#include "events/line_drain.h"
#include "support/window_controls.h"
#include "events/chat_session.h"
#include "events/event_router.h"
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "shell/main_window.h"
#include "side/room_list_window.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

namespace {

LineQueue::Batch LogLines(int from, int count)
{
    LineQueue::Batch batch;
    for (int i = from; i < from + count; ++i) {
        IrcMessage m;
        m.ParseLine(":irc.test 372 ann :- line " + std::to_string(i));
        const LineRoute route = DispatchRoute(m);
        batch.push_back({std::move(m), route});
    }
    return batch;
}

QString LastLine(const TranscriptView& log) { return log.Store().PlainTextOf(log.Store().Count() - 1); }

}  // namespace

class TestLineDrain : public QObject {
    Q_OBJECT
private slots:
    void floodKeepsOrderAndYieldsToEventLoop();
    void drainAllHandlesWhatIsLeft();
    void eachLineGoesWhereTheReaderRoutedIt();
    void restOfLinesSparesClosedPrivateWindows_data();
    void restOfLinesSparesClosedPrivateWindows();
    void privateWindowsFoundByNameAsTitlesChange();
};

void TestLineDrain::floodKeepsOrderAndYieldsToEventLoop()
{
    MainWindow frame;
    ChatSession session(frame, "ann", 100000, nullptr, std::size_t(1) << 30);
    const auto queue = session.Queue();
    LineDrain& drain = session.Drain();
    int drains = 0;
    connect(&drain, &LineDrain::Drained, this, [&] { ++drains; });
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(0);

    // A log nearly full already, so that the flood makes it drop its oldest lines.
    QStringList earlier;
    for (int i = -RoomListWindow::kLogKeptLines; i < 0; ++i) earlier << QString(":irc.test 372 ann :- line %1").arg(i);
    frame.RoomList()->AppendLogLines(earlier);

    const int perBatch = 250, batches = 120;
    for (int b = 0; b < batches; ++b) {
        auto batch = LogLines(b * perBatch, perBatch);
        queue->PushBatch(batch, {});
    }
    drain.LinesReady();
    const int total = perBatch * batches;
    const QString last = QString(":irc.test 372 ann :- line %1").arg(total - 1);
    QTRY_COMPARE_WITH_TIMEOUT(LastLine(*Control<TranscriptView>(frame, "serverLog")), last, 30000);

    QVERIFY2(drains > 1, "the whole flood was handled in one go");
    QVERIFY(ticks > 1);
    // The log keeps the last of them, in order, under its note.
    const QStringList lines = Control<TranscriptView>(frame, "serverLog")->toPlainText().split('\n');
    QCOMPARE(lines.first(), RoomListWindow::kLogDroppedNote);
    QVERIFY(lines.size() - 1 >= RoomListWindow::kLogKeptLines && lines.size() - 1 <= RoomListWindow::kLogKeptLines + RoomListWindow::kLogDropBlock);
    int expected = total - int(lines.size() - 1);
    for (const QString& line : lines.mid(1)) QCOMPARE(line, QString(":irc.test 372 ann :- line %1").arg(expected++));
    QCOMPARE(expected, total);
}

void TestLineDrain::drainAllHandlesWhatIsLeft()
{
    MainWindow frame;
    ChatSession session(frame, "ann", 1000);
    const auto queue = session.Queue();
    LineDrain& drain = session.Drain();
    auto batch = LogLines(0, 3);
    queue->PushBatch(batch, {});
    drain.DrainAll();
    QCOMPARE(queue->Size(), std::size_t(0));
    QVERIFY(Control<TranscriptView>(frame, "serverLog")->toPlainText().endsWith(":irc.test 372 ann :- line 2"));
}

void TestLineDrain::eachLineGoesWhereTheReaderRoutedIt()
{
    // A line the reader could not decode reaches the server log however much
    // it looks like a message; a tagged message reaches its window.
    MainWindow frame;
    ChatSession session(frame, "ann", 1000);
    LineQueue::Batch batch;
    for (const std::string& raw : {std::string(":bob!u@h PRIVMSG ann :hi\0x", 26),
                                   std::string("@time=2024-05-01T10:00:00.000Z :eve!u@h PRIVMSG ann :hi there")}) {
        IrcMessage m;
        const LineRoute route = m.Decode(raw) ? DispatchRoute(m) : LineRoute{Handler::Log};
        batch.push_back({std::move(m), route});
    }
    session.Queue()->PushBatch(batch, {});
    session.Drain().DrainAll();
    QVERIFY(Control<TranscriptView>(frame, "serverLog")->toPlainText().endsWith(":bob!u@h PRIVMSG ann :hi x"));
    QVERIFY(frame.PrivateWindowsNamed("bob").isEmpty());
    QCOMPARE(frame.PrivateWindowsNamed("eve").size(), 1);
}

void TestLineDrain::restOfLinesSparesClosedPrivateWindows_data()
{
    QTest::addColumn<QString>("partner");
    QTest::addColumn<bool>("hadWindow");   // before the end, or made by a line after it
    QTest::addColumn<bool>("closed");      // the user closed it after the end
    QTest::addColumn<bool>("windowAfter"); // the partner's next line finds or makes a window
    QTest::newRow("window kept open") << "bob" << true << false << true;
    QTest::newRow("window closed after the end") << "bob" << true << true << false;
    QTest::newRow("closed, other letter case") << "BOB" << true << true << false;
    QTest::newRow("new partner after the end") << "eve" << false << false << true;
}

void TestLineDrain::restOfLinesSparesClosedPrivateWindows()
{
    QFETCH(QString, partner);
    QFETCH(bool, hadWindow);
    QFETCH(bool, closed);
    QFETCH(bool, windowAfter);
    MainWindow frame;
    frame.show();
    ChatSession session(frame, "me", 1000);
    const auto line = [&](const QString& text) {
        IrcMessage m;
        m.ParseLine(":" + partner.toStdString() + "!u@h PRIVMSG me :" + text.toStdString());
        return m;
    };
    const auto windowOf = [&]() -> PrivateWindow* {
        const QList<QWidget*> found = frame.PrivateWindowsNamed(partner);
        return found.isEmpty() ? nullptr : qobject_cast<PrivateWindow*>(found.first());
    };
    if (hadWindow) frame.OpenPrivateWindowFromUser("bob");
    QSignalSpy done(&session, &ChatSession::LinesDone);
    session.FinishLines();  // the reader has gone and left nothing
    QCOMPARE(done.size(), 1);
    if (closed) {
        windowOf()->CloseWindow();
        QVERIFY(!windowOf());
    }
    RouteLine(session, line("after the end"));
    QCOMPARE(windowOf() != nullptr, windowAfter);
    if (windowAfter) QVERIFY(windowOf()->Transcript().toPlainText().contains("after the end"));
}

void TestLineDrain::privateWindowsFoundByNameAsTitlesChange()
{
    MainWindow frame;
    frame.show();
    const auto titles = [&](const QString& name) {
        QStringList out;
        for (QWidget* w : frame.PrivateWindowsNamed(name)) out << w->windowTitle();
        return out;
    };
    PrivateWindow* dave = frame.OpenPrivateWindowFromUser("dave");
    PrivateWindow* bigDave = frame.OpenPrivateWindowFromUser("Dave");
    PrivateWindow* carl = frame.OpenPrivateWindowFromUser("carl");
    QCOMPARE(titles("DAVE"), (QStringList{"dave", "Dave"}));  // oldest first
    QCOMPARE(titles("dave\x02"), (QStringList{"dave", "Dave"}));  // control characters do not count
    carl->SetTitle("dave");
    QCOMPARE(titles("carl"), QStringList());
    QCOMPARE(titles("dave"), (QStringList{"dave", "Dave", "dave"}));  // still by when it was made
    dave->SetTitle("zed");
    QCOMPARE(titles("dave"), (QStringList{"Dave", "dave"}));
    bigDave->CloseWindow();
    QCOMPARE(titles("dave"), QStringList{"dave"});  // gone at once, before it is destroyed
    QCOMPARE(frame.OpenPrivateWindowFromUser("zed"), dave);
}

QTEST_MAIN(TestLineDrain)
#include "tst_line_drain.moc"
