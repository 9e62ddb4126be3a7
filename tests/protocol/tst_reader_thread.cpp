// The reader thread against a scripted peer: keep-alive answers, what reaches
// the queue, malformed and hostile input, the full queue and the end report.
#include "protocol/irc/reader_thread.h"
#include "support/scripted_server.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <random>

namespace {

// Records what the reader tells its consumer.
class RecordingConsumer : public LineConsumer {
public:
    void LinesReady() override { ++ready; }
    void ReaderEnded(const std::string& error, bool unexpected) override
    {
        std::lock_guard lock(mutex);
        ++ended;
        lastError = error;
        lastUnexpected = unexpected;
    }
    std::atomic<int> ready{0};
    std::atomic<int> ended{0};
    std::mutex mutex;
    std::string lastError;
    bool lastUnexpected = false;
};

// A consumer whose first call fails: an exception the reader did not expect.
class FailingConsumer : public RecordingConsumer {
public:
    explicit FailingConsumer(bool standard) : standard_(standard) {}
    void LinesReady() override
    {
        if (standard_) throw std::runtime_error("consumer broke");
        throw 42;
    }

private:
    bool standard_;
};

// The lines waiting in q, spelled as they came.
QByteArrayList Queued(LineQueue& q)
{
    QByteArrayList out;
    LineQueue::Batch lines;
    while (q.TakeBatch(lines))
        for (const auto& l : lines) out << QByteArray::fromStdString(l.message.rawline);
    return out;
}

// Waits without an event loop until the queue has stopped growing for a moment.
std::size_t SettledSize(const LineQueue& q)
{
    std::size_t last = SIZE_MAX;
    for (int i = 0; i < 100; ++i) {
        QThread::msleep(50);
        const std::size_t now = q.Size();
        if (now == last && now > 0) return now;
        last = now;
    }
    return last;
}

std::vector<std::string> TakeAll(LineQueue& q)
{
    std::vector<std::string> raw;
    LineQueue::Batch lines;
    while (q.TakeBatch(lines))
        for (const auto& l : lines) raw.push_back(l.message.rawline);
    return raw;
}

struct Fixture {
    ScriptedServer server;
    LineConnection conn;
    LineQueue queue{1024};
    RecordingConsumer consumer;
    std::unique_ptr<ReaderThread> reader;

    ~Fixture()
    {
        if (reader) reader->Terminate();
        conn.Disconnect();
    }

    void Start(bool loggingIn = false)
    {
        conn.SetHost("127.0.0.1");
        conn.SetPort(server.Port());
        conn.Connect();
        reader = std::make_unique<ReaderThread>(conn, "ann", queue, consumer, loggingIn);
    }
};

}  // namespace

class TestReaderThread : public QObject {
    Q_OBJECT
private slots:
    void routesOnlyHandledLines_data();
    void loggingInQueuesEveryLineAndStillAnswersPing();
    void routesOnlyHandledLines();
    void answersEveryPingForm_data();
    void answersEveryPingForm();
    void answersPingItself();
    void serverClosingEndsReaderAndTellsOnce();
    void disconnectEndsBlockedReader();
    void overlongLineEndsReaderAfterEarlierLines_data();
    void overlongLineEndsReaderAfterEarlierLines();
    void fullQueueHoldsReaderUntilStopRequested();
    void queueBoundedInLinesAndBytes_data();
    void queueBoundedInLinesAndBytes();
    void endingWaitOnFullQueueKeepsWhatWasRead_data();
    void endingWaitOnFullQueueKeepsWhatWasRead();
    void unexpectedFailureIsReported_data();
    void unexpectedFailureIsReported();
    void keepAliveFloodToAServerThatStopsReading();
    void hostileInputNeverCrashes();
};

void TestReaderThread::routesOnlyHandledLines_data()
{
    // Each queued line as the route the reader chose for it and its raw line.
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QByteArrayList>("queued");
    QTest::newRow("handled and logged lines keep their order")
        << QByteArrayList{":s 001 ann :Welcome", ":a!b@c JOIN :#r", ":s 372 ann :- motd", ":a!b@c PRIVMSG #r :hi"}
        << QByteArrayList{"log :s 001 ann :Welcome", "HandleJoin :a!b@c JOIN :#r", "log :s 372 ann :- motd",
                          "HandleMessage :a!b@c PRIVMSG #r :hi"};
    QTest::newRow("unknown commands dropped, nick and topic changes kept")
        << QByteArrayList{":a!b@c NICK :x", ":a!b@c WALLOPS :t", ":a!b@c TOPIC #r :t", ":a!b@c PART #r"}
        << QByteArrayList{"HandleNick :a!b@c NICK :x", "HandleTopicChange :a!b@c TOPIC #r :t", "HandlePart :a!b@c PART #r"};
    QTest::newRow("empty lines skipped") << QByteArrayList{"", "", ":a!b@c QUIT :bye"}
                                         << QByteArrayList{"HandleQuit :a!b@c QUIT :bye"};
    QTest::newRow("lines that cannot be decoded go to the log as they came")
        << QByteArrayList{":s 123abc x", ":s 999999999999 y", ":srv", "@time=1", "@time=1 :srv  ", "   ",
                          QByteArray(":a!b@c PRIVMSG #r :nul") + '\0' + "here",
                          ":a!b@c KICK #r d :x"}
        << QByteArrayList{"log :s 123abc x", "log :s 999999999999 y", "log :srv", "log @time=1", "log @time=1 :srv  ",
                          "log    ", QByteArray("log :a!b@c PRIVMSG #r :nul") + '\0' + "here",
                          "HandleKick :a!b@c KICK #r d :x"};
    QTest::newRow("tagged lines are understood, their tags left out of the raw line")
        << QByteArrayList{"@time=2024-05-01T10:00:00.000Z :a!b@c PRIVMSG #r :hi",
                          "@msgid=x;+draft/reply=y :s 353 ann = #r :@a b", "@batch=1 :a!b@c TOPIC #r :t"}
        << QByteArrayList{"HandleMessage :a!b@c PRIVMSG #r :hi", "HandleNames :s 353 ann = #r :@a b",
                          "HandleTopicChange :a!b@c TOPIC #r :t"};
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
    QByteArrayList got;
    LineQueue::Batch lines;
    while (f.queue.TakeBatch(lines))
        for (const auto& l : lines)
            got << QByteArray(HandlerName(l.route.handler)) + ' ' + QByteArray::fromStdString(l.message.rawline);
    QCOMPARE(got.takeLast(), QByteArray("log :s 999 ann :marker"));
    QCOMPARE(got, queued);
    QVERIFY(f.consumer.ready >= 1);
    QCOMPARE(f.server.Received().size(), std::size_t(0));
}

void TestReaderThread::loggingInQueuesEveryLineAndStillAnswersPing()
{
    Fixture f;
    const QByteArrayList sent{":a!b@c TOPIC #r :t", "PING :tok 1", "AUTHENTICATE +", "CAP * LS :sasl"};
    for (const QByteArray& line : sent) f.server.Send(line.toStdString());
    f.server.Expect("PONG :tok 1");
    f.Start(true);
    QVERIFY(f.server.WaitDone(2000));
    QTRY_COMPARE(f.queue.Size(), std::size_t(sent.size()));
    QByteArrayList got;
    for (const std::string& line : TakeAll(f.queue)) got << QByteArray::fromStdString(line);
    QCOMPARE(got, sent);
}

void TestReaderThread::answersEveryPingForm_data()
{
    QTest::addColumn<QByteArray>("ping");
    QTest::addColumn<QByteArray>("pong");
    QTest::newRow("bare token") << QByteArray("PING tok") << QByteArray("PONG :tok");
    QTest::newRow("trailing token") << QByteArray("PING :12345") << QByteArray("PONG :12345");
    QTest::newRow("lower case") << QByteArray("ping :irc.test") << QByteArray("PONG :irc.test");
    QTest::newRow("server source") << QByteArray(":srv PING :tok3") << QByteArray("PONG :tok3");
    QTest::newRow("tags") << QByteArray("@time=2024-05-01T10:00:00.000Z PING :tok4") << QByteArray("PONG :tok4");
    QTest::newRow("tags and source") << QByteArray("@a=b;c :irc.test PING irc.test :tok5") << QByteArray("PONG :tok5");
    QTest::newRow("two parameters answer the last") << QByteArray("PING srv1 :tok2") << QByteArray("PONG :tok2");
    QTest::newRow("two bare parameters") << QByteArray("PING srv1 tok2") << QByteArray("PONG :tok2");
    QTest::newRow("token with spaces") << QByteArray("PING :two words") << QByteArray("PONG :two words");
    QTest::newRow("empty token") << QByteArray("PING :") << QByteArray("PONG :");
    QTest::newRow("no token") << QByteArray("PING") << QByteArray("PONG :");
}

void TestReaderThread::answersEveryPingForm()
{
    QFETCH(QByteArray, ping);
    QFETCH(QByteArray, pong);
    Fixture f;
    f.server.Send(ping.toStdString()).Expect(pong.toStdString()).Send(":s 001 ann :after");
    f.Start();
    QVERIFY(f.server.WaitDone());
    QTRY_COMPARE(f.queue.Size(), std::size_t(1));
    QCOMPARE(f.server.Received().size(), std::size_t(1));
    QCOMPARE(TakeAll(f.queue).front(), std::string(":s 001 ann :after"));
}

void TestReaderThread::answersPingItself()
{
    // A keep-alive whose token would put a second command on the wire gets no
    // answer; one with a NUL cannot be decoded and goes to the log.
    Fixture f;
    f.server.Send("PING :12345").Expect("PONG :12345");
    f.server.Send("PING :a\rQUIT").Send(std::string("PING :a\0b", 10)).Send("PING :ok").Expect("PONG :ok");
    f.server.Send(":s 001 ann :after");
    f.Start();
    QVERIFY(f.server.WaitDone());
    QTRY_COMPARE(f.queue.Size(), std::size_t(2));
    QVERIFY(!f.server.HasReceivedPrefix("QUIT"));
    QCOMPARE(f.server.Received().size(), std::size_t(2));
    QCOMPARE(TakeAll(f.queue), (std::vector<std::string>{std::string("PING :a\0b", 10), ":s 001 ann :after"}));
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

void TestReaderThread::overlongLineEndsReaderAfterEarlierLines_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("terminated");
    QTest::newRow("alone") << 0 << true;
    QTest::newRow("after two lines in the same read") << 2 << true;
    QTest::newRow("after more lines than one hand-over takes") << 700 << true;
    QTest::newRow("without its line end, after two lines") << 2 << false;
}

void TestReaderThread::overlongLineEndsReaderAfterEarlierLines()
{
    // Everything arrives in one piece, so the over-long line is met while the
    // lines before it are being taken from the same receive buffer.
    QFETCH(int, before);
    QFETCH(bool, terminated);
    QByteArrayList good;
    std::string bytes;
    for (int i = 0; i < before; ++i) {
        good << QByteArray(":s 372 ann :- good ") + QByteArray::number(i);
        bytes += good.last().toStdString() + "\r\n";
    }
    bytes += ":a!b@c PRIVMSG #r :" + std::string(16384, 'x');
    if (terminated) bytes += "\r\n:s 372 ann :- after the over-long line\r\n";
    Fixture f;
    f.server.SendRaw(bytes);
    f.Start();
    QVERIFY(f.reader->WaitFor(std::chrono::seconds(5)));
    QCOMPARE(f.consumer.ended.load(), 1);
    {
        std::lock_guard lock(f.consumer.mutex);
        QVERIFY(QByteArray::fromStdString(f.consumer.lastError).contains("16384"));
        QVERIFY(!f.consumer.lastUnexpected);
    }
    QCOMPARE(Queued(f.queue), good);
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
    ReaderThread reader(conn, "ann", queue, consumer);
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

void TestReaderThread::queueBoundedInLinesAndBytes_data()
{
    QTest::addColumn<int>("lineBytes");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("lineCap");
    QTest::addColumn<int>("byteCap");
    QTest::newRow("long lines stop at the byte cap") << 12000 << 1500 << 100000 << 256 * 1024;
    QTest::newRow("hostile 16 KB lines at the default byte cap") << 16000 << 1500 << 100000
                                                                 << int(LineQueue::kDefaultBytes);
    QTest::newRow("short lines stop at the line cap") << 40 << 3000 << 64 << int(LineQueue::kDefaultBytes);
}

void TestReaderThread::queueBoundedInLinesAndBytes()
{
    QFETCH(int, lineBytes);
    QFETCH(int, lines);
    QFETCH(int, lineCap);
    QFETCH(int, byteCap);
    ScriptedServer server;
    server.SetTimeout(60000);
    std::vector<std::string> sent;
    for (int i = 0; i < lines; ++i) {
        std::string head = ":a!b@c PRIVMSG #r :" + std::to_string(i) + " ";
        sent.push_back(head + std::string(std::max(0, lineBytes - int(head.size())), 'z'));
    }
    server.SendMany(sent);
    LineConnection conn;
    conn.SetHost("127.0.0.1");
    conn.SetPort(server.Port());
    conn.Connect();
    LineQueue queue(lineCap, byteCap);
    RecordingConsumer consumer;
    ReaderThread reader(conn, "ann", queue, consumer);

    const std::size_t held = SettledSize(queue);
    QVERIFY2(held < std::size_t(lines), "the reader queued everything instead of waiting");
    // Over a bound by one hand-over at most: a batch is never split.
    const std::size_t oneLine = LineQueue::Cost(RoutedLine()) + 3 * (lineBytes + 1);
    const std::size_t oneBatch = std::min<std::size_t>(256, 64 * 1024 / lineBytes + 2);
    QVERIFY2(held <= std::size_t(lineCap) + oneBatch, qPrintable(QString::number(held)));
    QVERIFY2(queue.Bytes() <= std::size_t(byteCap) + oneBatch * oneLine,
             qPrintable(QString::number(queue.Bytes())));
    QVERIFY(!reader.Finished());

    // Emptying the queue lets the reader go on, and nothing went missing.
    int next = 0;
    LineQueue::Batch batch;
    QElapsedTimer clock;
    clock.start();
    while (next < lines && clock.elapsed() < 30000) {
        if (!queue.TakeBatch(batch)) {
            QThread::msleep(1);
            continue;
        }
        for (const auto& l : batch) {
            QCOMPARE(l.message.rawline, sent[next]);
            ++next;
        }
        queue.Recycle(batch);
    }
    QCOMPARE(next, lines);
    reader.Terminate();
    conn.Disconnect();
    QVERIFY(reader.WaitFor(std::chrono::seconds(2)));
}

void TestReaderThread::endingWaitOnFullQueueKeepsWhatWasRead_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("everything");  // every line sent reaches the queue
    QTest::newRow("the server hangs up after its closing line") << "hang-up" << true;
    QTest::newRow("the program closes the connection") << "close" << false;
    QTest::newRow("a stop request") << "stop" << false;
}

void TestReaderThread::endingWaitOnFullQueueKeepsWhatWasRead()
{
    QFETCH(QString, ending);
    QFETCH(bool, everything);
    // In one piece, and few enough that what the reader cannot queue, and the
    // server's close after it, fit in the socket buffers: a close stuck
    // behind unread bytes would reach nobody.
    constexpr int kLines = 400;
    ScriptedServer server;
    std::vector<std::string> sent;
    std::string bytes;
    for (int i = 0; i < kLines; ++i) {
        sent.push_back(":s 372 ann :- line " + std::to_string(i));
        bytes += sent.back() + "\r\n";
    }
    // The last words before a hang-up: the numeric goes to the log, the
    // ERROR line to its handler, which shows the server's reason.
    sent.push_back(":s 400 ann :Closing link");
    sent.push_back("ERROR :Closing link (ann@127.0.0.1)");
    server.SendRaw(bytes).Send(sent[sent.size() - 2]).Send(sent.back());
    // The server goes only once the reader waits on the full queue.
    if (ending == "hang-up") server.Pause(1500).Close();
    LineConnection conn;
    conn.SetHost("127.0.0.1");
    conn.SetPort(server.Port());
    conn.Connect();
    LineQueue queue(16);
    RecordingConsumer consumer;
    ReaderThread reader(conn, "ann", queue, consumer);
    const std::size_t held = SettledSize(queue);
    QVERIFY(held >= 16 && held < std::size_t(kLines));
    if (ending == "close") conn.Disconnect();
    if (ending == "stop") reader.Terminate();
    QVERIFY(reader.WaitFor(std::chrono::seconds(5)));
    QCOMPARE(consumer.ended.load(), ending == "stop" ? 0 : 1);

    const QByteArrayList got = Queued(queue);
    // The batch the reader held while it waited was queued, not dropped.
    QVERIFY2(std::size_t(got.size()) > held, qPrintable(QString("%1 of %2").arg(got.size()).arg(held)));
    QVERIFY(std::size_t(got.size()) <= sent.size());
    for (int i = 0; i < got.size(); ++i) QCOMPARE(got[i], QByteArray::fromStdString(sent[i]));
    if (everything) QCOMPARE(std::size_t(got.size()), sent.size());
}

void TestReaderThread::unexpectedFailureIsReported_data()
{
    QTest::addColumn<bool>("standard");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("a standard exception") << true << QByteArray("consumer broke");
    QTest::newRow("anything else thrown") << false << QByteArray("An unknown error occurred.");
}

void TestReaderThread::unexpectedFailureIsReported()
{
    QFETCH(bool, standard);
    QFETCH(QByteArray, error);
    ScriptedServer server;
    server.Send(":s 372 ann :- hello");
    LineConnection conn;
    conn.SetHost("127.0.0.1");
    conn.SetPort(server.Port());
    conn.Connect();
    LineQueue queue(64);
    FailingConsumer consumer(standard);
    ReaderThread reader(conn, "ann", queue, consumer);
    QVERIFY(reader.WaitFor(std::chrono::seconds(5)));
    QCOMPARE(consumer.ended.load(), 1);
    std::lock_guard lock(consumer.mutex);
    QCOMPARE(QByteArray::fromStdString(consumer.lastError), error);
    QVERIFY(consumer.lastUnexpected);
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
