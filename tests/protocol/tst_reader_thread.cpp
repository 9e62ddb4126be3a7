// The reader thread against a scripted peer: keep-alive answers, what reaches
// the queue, malformed and hostile input, the full queue and the end report.
#include "protocol/reader_thread.h"
#include "support/scripted_server.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <random>

namespace {

// Records what the reader tells its consumer.
class RecordingConsumer : public LineConsumer {
public:
    void LinesReady() override { ++ready; }
    void ReaderEnded(const std::string& error) override
    {
        std::lock_guard lock(mutex);
        ++ended;
        lastError = error;
    }
    std::atomic<int> ready{0};
    std::atomic<int> ended{0};
    std::mutex mutex;
    std::string lastError;
};

std::vector<std::string> TakeAll(LineQueue& q)
{
    std::vector<std::string> raw;
    LineQueue::Batch lines;
    while (q.TakeBatch(lines))
        for (const auto& l : lines) raw.push_back(l.rawline);
    return raw;
}

struct Fixture {
    ScriptedServer server;
    LineConnection conn;
    LineQueue queue{1024};
    RecordingConsumer consumer;
    std::unique_ptr<chandler> reader;

    ~Fixture()
    {
        if (reader) reader->Terminate();
        conn.Disconnect();
    }

    void Start()
    {
        conn.SetHost("127.0.0.1");
        conn.SetPort(server.Port());
        conn.Connect();
        reader = std::make_unique<chandler>(conn, "ann", queue, consumer);
    }
};

}  // namespace

class TestReaderThread : public QObject {
    Q_OBJECT
private slots:
    void routesOnlyHandledLines_data();
    void routesOnlyHandledLines();
    void answersPingItself();
    void serverClosingEndsReaderAndTellsOnce();
    void disconnectEndsBlockedReader();
    void overlongLineEndsReader();
    void fullQueueHoldsReaderUntilStopRequested();
    void keepAliveFloodToAServerThatStopsReading();
    void hostileInputNeverCrashes();
};

void TestReaderThread::routesOnlyHandledLines_data()
{
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QByteArrayList>("queued");
    QTest::newRow("handled and logged lines keep their order")
        << QByteArrayList{":s 001 ann :Welcome", ":a!b@c JOIN :#r", ":s 372 ann :- motd", ":a!b@c PRIVMSG #r :hi"}
        << QByteArrayList{":s 001 ann :Welcome", ":a!b@c JOIN :#r", ":s 372 ann :- motd", ":a!b@c PRIVMSG #r :hi"};
    QTest::newRow("unknown commands dropped") << QByteArrayList{":a!b@c NICK :x", ":a!b@c TOPIC #r :t", ":a!b@c PART #r"}
                                              << QByteArrayList{":a!b@c PART #r"};
    QTest::newRow("empty lines skipped") << QByteArrayList{"", "", ":a!b@c QUIT :bye"} << QByteArrayList{":a!b@c QUIT :bye"};
    QTest::newRow("conversion failure drops one line")
        << QByteArrayList{":s 123abc x", ":s 999999999999 y", ":a!b@c KICK #r d :x"} << QByteArrayList{":a!b@c KICK #r d :x"};
    QTest::newRow("ping with prefix is neither answered nor queued") << QByteArrayList{":srv PING :x", ":s 254 ann 3 :ch"}
                                                                     << QByteArrayList{":s 254 ann 3 :ch"};
}

void TestReaderThread::routesOnlyHandledLines()
{
    QFETCH(QByteArrayList, sent);
    QFETCH(QByteArrayList, queued);
    Fixture f;
    for (const QByteArray& line : sent) f.server.Send(line.toStdString());
    f.server.Send(":s 999 ann :marker");
    f.Start();
    QTRY_VERIFY(f.queue.Size() == static_cast<std::size_t>(queued.size() + 1));
    auto lines = TakeAll(f.queue);
    lines.pop_back();
    QByteArrayList got;
    for (const auto& l : lines) got << QByteArray::fromStdString(l);
    QCOMPARE(got, queued);
    QVERIFY(f.consumer.ready >= 1);
    QCOMPARE(f.server.Received().size(), std::size_t(0));
}

void TestReaderThread::answersPingItself()
{
    Fixture f;
    f.server.Send("PING :12345").Expect("PONG :12345").Send("ping :irc.test").Expect("PONG :irc.test");
    f.server.Send("PING :a\rQUIT").Send(std::string("PING :a\0b", 10)).Send("PING :ok").Expect("PONG :ok");
    f.server.Send(":s 001 ann :after");
    f.Start();
    QVERIFY(f.server.WaitDone());
    QTRY_COMPARE(f.queue.Size(), std::size_t(1));
    QVERIFY(!f.server.HasReceivedPrefix("QUIT"));
    QCOMPARE(f.server.Received().size(), std::size_t(3));
    QCOMPARE(TakeAll(f.queue).front(), std::string(":s 001 ann :after"));
}

void TestReaderThread::serverClosingEndsReaderAndTellsOnce()
{
    Fixture f;
    f.server.Send(":a!b@c PRIVMSG #r :last words").Close();
    f.Start();
    QVERIFY(f.reader->WaitFor(std::chrono::seconds(5)));
    QCOMPARE(f.consumer.ended.load(), 1);
    QCOMPARE(f.queue.Size(), std::size_t(1));
    f.reader.reset();
    QCOMPARE(f.consumer.ended.load(), 1);
}

void TestReaderThread::disconnectEndsBlockedReader()
{
    Fixture f;
    f.Start();
    QTest::qWait(50);
    QVERIFY(!f.reader->Finished());
    f.reader->Terminate();
    f.conn.Disconnect();
    QVERIFY(f.reader->WaitFor(std::chrono::seconds(2)));
}

void TestReaderThread::overlongLineEndsReader()
{
    Fixture f;
    f.server.Send(":a!b@c PRIVMSG #r :" + std::string(16384, 'x'));
    f.Start();
    QVERIFY(f.reader->WaitFor(std::chrono::seconds(5)));
    QCOMPARE(f.consumer.ended.load(), 1);
    std::lock_guard lock(f.consumer.mutex);
    QVERIFY(QByteArray::fromStdString(f.consumer.lastError).contains("16384"));
}

void TestReaderThread::fullQueueHoldsReaderUntilStopRequested()
{
    ScriptedServer server;
    LineConnection conn;
    LineQueue queue(4);
    RecordingConsumer consumer;
    server.SendMany({":a!b@c PRIVMSG #r :flood"}, 5000);
    conn.SetHost("127.0.0.1");
    conn.SetPort(server.Port());
    conn.Connect();
    chandler reader(conn, "ann", queue, consumer);
    QTRY_VERIFY(queue.Size() >= 4);
    QTest::qWait(200);
    const std::size_t held = queue.Size();
    QTest::qWait(200);
    QCOMPARE(queue.Size(), held);  // bounded: the reader waits instead of growing
    QVERIFY(held < 5000);
    QVERIFY(!reader.Finished());
    reader.Terminate();
    QVERIFY(reader.WaitFor(std::chrono::seconds(2)));
    QCOMPARE(consumer.ended.load(), 0);
}

void TestReaderThread::keepAliveFloodToAServerThatStopsReading()
{
    // 20,000 keep-alives with 1 kB tokens to a server that reads none of the
    // answers: the reader holds back, and neither another thread's write nor
    // the stop request has to wait for the server.
    Fixture f;
    f.conn.SetLimits({std::chrono::milliseconds(60000), 256 * 1024});
    f.server.SetTimeout(60000).StopReading().SendBulk("PING :" + std::string(1000, 't') + "\r\n", 20000);
    f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(f.conn.Unsent() >= 128 * 1024, 30000);  // the answers pile up
    QTest::qWait(100);
    QVERIFY(f.conn.Unsent() < 512 * 1024);  // and stay bounded

    QElapsedTimer clock;
    clock.start();
    f.conn.WriteLine("privmsg #a :still typing");
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));

    QVERIFY(!f.reader->Finished());
    clock.restart();
    f.reader->Terminate();
    QVERIFY(f.reader->WaitFor(std::chrono::seconds(2)));
    QCOMPARE(f.consumer.ended.load(), 0);  // a stop, not a failure
    QVERIFY(f.conn.Connected());
}

void TestReaderThread::hostileInputNeverCrashes()
{
    std::mt19937 rng(777);
    std::string junk;
    const std::string pieces[] = {":", " ", "!", "@", "#", "PING", "ping :", "PRIVMSG", "353", "999999999999",
                                  "\r", "\n", "\r\n", std::string(1, '\0'), "\x01", "\xff", "JOIN", "MODE"};
    for (int i = 0; i < 50000; ++i) junk += pieces[rng() % std::size(pieces)];
    junk += "\r\n" + std::string(16383, 'y') + "\r\n";
    junk += ":s 001 ann :survived\r\n";
    Fixture f;
    f.server.SendRaw(junk).Pause(100).Close();
    f.Start();
    QVERIFY(f.reader->WaitFor(std::chrono::seconds(10)));
    QCOMPARE(f.consumer.ended.load(), 1);
    const auto lines = TakeAll(f.queue);
    QVERIFY(!lines.empty());
    QCOMPARE(lines.back(), std::string(":s 001 ann :survived"));
}

QTEST_GUILESS_MAIN(TestReaderThread)
#include "tst_reader_thread.moc"
