// Running a blocking call off the UI thread: results and failures come back,
// timers keep running meanwhile, and what the call posted is handled first.
#include "protocol/stream/line_connection.h"
#include "shell/blocking_wait.h"
#include "support/scripted_server.h"

#include <QTimer>
#include <QtTest>

#include <stdexcept>
#include <thread>

class TestBlockingWait : public QObject {
    Q_OBJECT
private slots:
    void resultAndFailureComeBack();
    void timersRunWhileWaiting();
    void postedEventsOfTheJobComeFirst();
    void bufferedLinesNeedNoWorker();
};

void TestBlockingWait::resultAndFailureComeBack()
{
    QCOMPARE(RunBlocking([] { return std::string("line"); }), std::string("line"));
    QVERIFY_THROWS_EXCEPTION(TransportError, RunBlocking([]() -> int { throw TransportError("Connection closed."); }));
    QVERIFY(!blocking_wait::Active());
}

void TestBlockingWait::timersRunWhileWaiting()
{
    int ticks = 0;
    bool activeDuringWait = false;
    QTimer timer;
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        activeDuringWait = blocking_wait::Active();
    });
    timer.start();
    RunBlocking([] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
    QVERIFY(ticks >= 3);
    QVERIFY(activeDuringWait);
    QVERIFY(!blocking_wait::Active());
}

void TestBlockingWait::postedEventsOfTheJobComeFirst()
{
    // The connection's opened notification is queued from the worker; the
    // caller must see its effect as soon as the wait returns.
    bool notified = false;
    QObject receiver;
    RunBlocking([&] { QMetaObject::invokeMethod(&receiver, [&] { notified = true; }, Qt::QueuedConnection); });
    QVERIFY(notified);
}

void TestBlockingWait::bufferedLinesNeedNoWorker()
{
    ScriptedServer server;
    server.SendRaw("one\r\ntwo\r\n");
    LineConnection connection;
    connection.SetHost("127.0.0.1");
    connection.SetPort(server.Port());
    ConnectWhilePainting(connection);
    QCOMPARE(ReadLineWhilePainting(connection, 2000), std::string("one"));
    int waits = 0;
    QCOMPARE(ReadLineWhilePainting(connection, 2000, [&] { ++waits; }), std::string("two"));
    QCOMPARE(ReadLineWhilePainting(connection, 100, [&] { ++waits; }), std::string());  // silence
    QCOMPARE(waits, 1);  // told only about the real wait
}

QTEST_MAIN(TestBlockingWait)
#include "tst_blocking_wait.moc"
