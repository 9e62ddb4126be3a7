// The line connection against a scripted peer: framing, time-outs, the line
// limit, refused lines, closes from either side, writes from two threads, and
// a server that stops reading or never answers a connect.
#include "protocol/stream/line_connection.h"
#include "support/deaf_listener.h"
#include "support/scripted_server.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

// Counts the connection's openings and closings.
struct CountingListener : LineConnection::Listener {
    int opened = 0;
    int closed = 0;
    void ConnectionOpened() override { ++opened; }
    void ConnectionClosed() override { ++closed; }
};

void ConnectTo(LineConnection& c, const ScriptedServer& s)
{
    c.SetHost("127.0.0.1");
    c.SetPort(s.Port());
    c.Connect();
}

QByteArray B(const std::string& s) { return QByteArray::fromStdString(s); }

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t0)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

// Connects to a server that has stopped reading and writes long lines until
// the connection refuses one: the system's buffers and the outgoing buffer
// are full then. The longest single write, in ms.
long long FillUntilRefused(LineConnection& c, ScriptedServer& server)
{
    server.StopReading();
    ConnectTo(c, server);
    if (!server.WaitDone()) return -1;
    const std::string line = "privmsg #a :" + std::string(8000, 'x');
    long long longest = 0;
    for (int i = 0; i < 100000; ++i) {  // far beyond what any buffer holds
        const auto t0 = Clock::now();
        try {
            c.WriteLine(line);
        } catch (const TransportError&) {
            return std::max(longest, MsSince(t0));
        }
        longest = std::max(longest, MsSince(t0));
    }
    return -1;
}

}  // namespace

class TestLineConnection : public QObject {
    Q_OBJECT
private slots:
    void framing_data();
    void framing();
    void lineLimit_data();
    void lineLimit();
    void timeoutGivesEmptyLineAndKeepsPartialLine();
    void writeAppendsCrLf();
    void refusesLineBreaksAndNul_data();
    void refusesLineBreaksAndNul();
    void linesBeforePeerCloseAreDelivered();
    void peerClosingMidLineIsTransportError();
    void writeAfterPeerCloseIsTransportErrorNotSigpipe();
    void disconnectWakesBlockedRead();
    void notificationsFireOncePerOpenAndClose();
    void connectFailuresCarrySystemText_data();
    void connectFailuresCarrySystemText();
    void writesFromTwoThreadsNeverInterleave();
    void linesWrittenJustBeforeDisconnectGoOut();
    void writesNeverWaitOnAServerThatStopsReading();
    void stallEndsEveryWait_data();
    void stallEndsEveryWait();
    void disconnectCallsOffAConnectInProgress();
};

void TestLineConnection::framing_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::newRow("lf") << QByteArray("a\nb\n") << QByteArrayList{"a", "b"};
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QByteArrayList{"a", "b"};
    QTest::newRow("only one cr dropped") << QByteArray("a\r\r\n") << QByteArrayList{"a\r"};
    QTest::newRow("cr inside kept") << QByteArray("a\rb\n") << QByteArrayList{"a\rb"};
    QTest::newRow("empty lines") << QByteArray("\r\n\nx\n") << QByteArrayList{"", "", "x"};
    QTest::newRow("nul bytes kept") << QByteArray("a\0b\n", 4) << QByteArrayList{QByteArray("a\0b", 3)};
    QTest::newRow("high bytes kept") << QByteArray("\xff\xfe\xe9\n") << QByteArrayList{"\xff\xfe\xe9"};
}

void TestLineConnection::framing()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArrayList, lines);
    ScriptedServer server;
    server.SendRaw(sent.toStdString());
    LineConnection c;
    ConnectTo(c, server);
    for (const QByteArray& expected : lines) QCOMPARE(B(c.ReadLine(5000)), expected);
}

void TestLineConnection::lineLimit_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("crlf");
    QTest::addColumn<bool>("fails");
    QTest::newRow("16383") << 16383 << true << false;
    QTest::newRow("16384 crlf") << 16384 << true << false;
    QTest::newRow("16384 lf") << 16384 << false << false;
    QTest::newRow("16385") << 16385 << true << true;
    QTest::newRow("one megabyte") << (1 << 20) << false << true;
}

void TestLineConnection::lineLimit()
{
    QFETCH(int, length);
    QFETCH(bool, crlf);
    QFETCH(bool, fails);
    ScriptedServer server;
    server.SendRaw(std::string(static_cast<std::size_t>(length), 'x') + (crlf ? "\r\n" : "\n"));
    LineConnection c;
    ConnectTo(c, server);
    try {
        const std::string line = c.ReadLine(5000);
        QVERIFY(!fails);
        QCOMPARE(line.size(), static_cast<std::size_t>(length));
    } catch (const TransportError& e) {
        QVERIFY2(fails, e.what());
        QVERIFY(QByteArray(e.what()).contains("16384"));
    }
}

void TestLineConnection::timeoutGivesEmptyLineAndKeepsPartialLine()
{
    ScriptedServer server;
    server.SendRaw("PART").Pause(300).SendRaw("IAL\r\n");
    LineConnection c;
    ConnectTo(c, server);
    const auto t0 = std::chrono::steady_clock::now();
    QCOMPARE(B(c.ReadLine(100)), QByteArray());
    const auto waited = std::chrono::steady_clock::now() - t0;
    QVERIFY(waited >= std::chrono::milliseconds(90));
    QVERIFY(waited < std::chrono::milliseconds(280));
    QCOMPARE(B(c.ReadLine(5000)), QByteArray("PARTIAL"));
    QVERIFY(c.Connected());
}

void TestLineConnection::writeAppendsCrLf()
{
    ScriptedServer server;
    LineConnection c;
    ConnectTo(c, server);
    c.WriteLine("nick ann");
    c.WriteLine("");
    QVERIFY(server.WaitForReceived(""));
    QTRY_COMPARE(B(server.ReceivedBytes()), QByteArray("nick ann\r\n\r\n"));
}

void TestLineConnection::refusesLineBreaksAndNul_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("bare cr") << QByteArray("privmsg #a :a\rPRIVMSG #a :injected");
    QTest::newRow("lf in the middle") << QByteArray("privmsg #a :a\nquit");
    QTest::newRow("trailing crlf") << QByteArray("quit\r\n");
    QTest::newRow("nul") << QByteArray("privmsg #a :a\0b", 15);
}

void TestLineConnection::refusesLineBreaksAndNul()
{
    QFETCH(QByteArray, line);
    ScriptedServer server;
    LineConnection c;
    ConnectTo(c, server);
    try {
        c.WriteLine(line.toStdString());
        QFAIL("the line was accepted");
    } catch (const TransportError& e) {
        QVERIFY(QByteArray(e.what()).contains("line break"));
    }
    c.WriteLine("lusers");
    QVERIFY(server.WaitForReceived("lusers"));
    QCOMPARE(B(server.ReceivedBytes()), QByteArray("lusers\r\n"));
    QVERIFY(c.Connected());
}

void TestLineConnection::linesBeforePeerCloseAreDelivered()
{
    ScriptedServer server;
    server.Send("ERROR :Closing link").Close();
    LineConnection c;
    ConnectTo(c, server);
    QCOMPARE(B(c.ReadLine(5000)), QByteArray("ERROR :Closing link"));
    QVERIFY_THROWS_EXCEPTION(TransportError, c.ReadLine(5000));
    QVERIFY(!c.Connected());
}

void TestLineConnection::peerClosingMidLineIsTransportError()
{
    ScriptedServer server;
    server.SendRaw(":s 001 ann :Wel").Close();
    LineConnection c;
    ConnectTo(c, server);
    QVERIFY_THROWS_EXCEPTION(TransportError, c.ReadLine(5000));
    QVERIFY_THROWS_EXCEPTION(TransportError, c.ReadLine(5000));
}

void TestLineConnection::writeAfterPeerCloseIsTransportErrorNotSigpipe()
{
    ScriptedServer server;
    server.Close();
    LineConnection c;
    ConnectTo(c, server);
    QVERIFY(server.WaitDone());
    // The first writes may still be taken by the kernel; a later one must fail
    // with an error instead of killing the process.
    bool failed = false;
    for (int i = 0; i < 1000 && !failed; ++i) {  // the peer may linger a while after closing
        try {
            c.WriteLine("privmsg #a :still there?");
        } catch (const TransportError&) {
            failed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    QVERIFY(failed);
}

void TestLineConnection::disconnectWakesBlockedRead()
{
    ScriptedServer server;
    LineConnection c;
    ConnectTo(c, server);
    std::atomic<bool> threw{false};
    std::thread reader([&] {
        try {
            c.ReadLine();
        } catch (const TransportError&) {
            threw = true;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto t0 = std::chrono::steady_clock::now();
    c.Disconnect();
    reader.join();
    QVERIFY(threw);
    QVERIFY(std::chrono::steady_clock::now() - t0 < std::chrono::seconds(1));
    QVERIFY(!c.Connected());
    QTRY_VERIFY(!server.ClientConnected());
}

void TestLineConnection::notificationsFireOncePerOpenAndClose()
{
    ScriptedServer server;
    LineConnection c;
    CountingListener counts;
    c.SetListener(&counts);
    int& opened = counts.opened;
    int& closed = counts.closed;
    ConnectTo(c, server);
    QVERIFY_THROWS_EXCEPTION(TransportError, c.Connect());
    c.Disconnect();
    c.Disconnect();
    QCOMPARE(opened, 1);
    QCOMPARE(closed, 1);
    c.Connect();  // a second try opens a fresh connection
    QCOMPARE(opened, 2);
    QTRY_COMPARE(server.Connections(), 2);
    c.Disconnect();
    QCOMPARE(closed, 2);
}

void TestLineConnection::connectFailuresCarrySystemText_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("needle");
    QTest::newRow("empty") << QByteArray("") << QByteArray("host");
    QTest::newRow("unresolvable") << QByteArray("no-such-host.invalid") << QByteArray("Cannot resolve");
    QTest::newRow("refused") << QByteArray("127.0.0.1") << QByteArray("refused");
}

void TestLineConnection::connectFailuresCarrySystemText()
{
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, needle);
    int port;
    {
        ScriptedServer gone;  // a port that was just free and is closed again
        port = gone.Port();
    }
    LineConnection c;
    c.SetHost(host.toStdString());
    c.SetPort(port);
    try {
        c.Connect();
        QFAIL("connected");
    } catch (const TransportError& e) {
        QVERIFY2(QByteArray(e.what()).contains(needle), e.what());
    }
    QVERIFY(!c.Connected());
}

void TestLineConnection::writesFromTwoThreadsNeverInterleave()
{
    ScriptedServer server;
    LineConnection c;
    ConnectTo(c, server);
    const int perThread = 3000;
    const std::string a = "privmsg #a :" + std::string(300, 'a');
    const std::string b = "PONG :" + std::string(500, 'b');
    std::thread t1([&] { for (int i = 0; i < perThread; ++i) c.WriteLine(a); });
    std::thread t2([&] { for (int i = 0; i < perThread; ++i) c.WriteLine(b); });
    t1.join();
    t2.join();
    QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(server.Received().size()), 2 * perThread, 10000);
    for (const std::string& line : server.Received()) QVERIFY(line == a || line == b);
}

void TestLineConnection::linesWrittenJustBeforeDisconnectGoOut()
{
    ScriptedServer server;
    LineConnection c;
    ConnectTo(c, server);
    for (int i = 0; i < 50; ++i) c.WriteLine("privmsg #a :" + std::to_string(i));
    c.WriteLine("quit");
    c.Disconnect();
    QVERIFY(server.WaitForReceived("quit"));
    QCOMPARE(server.Received().size(), std::size_t{51});
}

void TestLineConnection::writesNeverWaitOnAServerThatStopsReading()
{
    ScriptedServer server;
    LineConnection c;
    c.SetLimits({std::chrono::milliseconds(60000), 256 * 1024});
    const long long longest = FillUntilRefused(c, server);
    QVERIFY2(longest >= 0, "the connection took every line");
    QVERIFY2(longest < 1000, qPrintable(QString::number(longest)));  // a moment, not the server's pace
    QVERIFY(c.Unsent() < 512 * 1024);  // bounded: refused lines are not kept
    QVERIFY(c.Connected());            // no stall yet: the limit is a minute
    QVERIFY(c.StallText().empty());
    const auto t0 = Clock::now();
    c.Disconnect();
    QVERIFY(MsSince(t0) < 1000);
}

void TestLineConnection::stallEndsEveryWait_data()
{
    QTest::addColumn<QString>("wait");
    QTest::newRow("a read on another thread") << "read";
    QTest::newRow("a bulk write waiting for room") << "bulk write";
    QTest::newRow("the next write") << "write";
}

void TestLineConnection::stallEndsEveryWait()
{
    QFETCH(QString, wait);
    ScriptedServer server;
    LineConnection c;
    CountingListener counts;
    c.SetListener(&counts);
    int& closed = counts.closed;
    c.SetLimits({std::chrono::milliseconds(500), 64 * 1024});
    QVERIFY(FillUntilRefused(c, server) >= 0);
    const auto t0 = Clock::now();

    std::string error;
    const auto catching = [&](const std::function<void()>& job) {
        try {
            job();
        } catch (const TransportError& e) {
            error = e.what();
        }
    };
    if (wait == "read") {
        std::thread reader([&] { catching([&] { c.ReadLine(); }); });
        reader.join();
    } else if (wait == "bulk write") {
        // Answers go out while there is room; the one that has to wait ends with the stall.
        const std::vector<std::string> answer{"PONG :" + std::string(8000, 'x')};
        catching([&] {
            for (int i = 0; i < 100000; ++i) c.WriteLinesWhenRoom(answer, 1, [] { return true; });
        });
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!c.Connected(), 20000);
        catching([&] { c.WriteLine("quit"); });
    }

    QVERIFY2(MsSince(t0) < 10000, qPrintable(QString::number(MsSince(t0))));
    QVERIFY2(QByteArray::fromStdString(error).contains("stopped taking"), error.c_str());
    QVERIFY(QByteArray::fromStdString(c.StallText()).contains("500 ms"));
    QVERIFY(!c.Connected());
    c.Disconnect();
    QCOMPARE(closed, 1);  // the program closed it: the notification comes
    QVERIFY(c.StallText().empty());
    QTRY_VERIFY(!server.ClientConnected());  // reset, not left behind the bytes it never took
}

void TestLineConnection::disconnectCallsOffAConnectInProgress()
{
    DeafListener deaf;
    if (deaf.Port() == 0) QSKIP("the system answered every connect");
    LineConnection c;
    CountingListener counts;
    c.SetListener(&counts);
    int& opened = counts.opened;
    c.SetHost("127.0.0.1");
    c.SetPort(deaf.Port());
    std::string error;
    std::thread connecting([&] {
        try {
            c.Connect();
        } catch (const TransportError& e) {
            error = e.what();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto t0 = Clock::now();
    c.Disconnect();
    connecting.join();
    QVERIFY2(MsSince(t0) < 1000, qPrintable(QString::number(MsSince(t0))));
    QVERIFY2(QByteArray::fromStdString(error).contains("called off"), error.c_str());
    QCOMPARE(opened, 0);
    QVERIFY(!c.Connected());
    QVERIFY(!c.Opened());
}

QTEST_GUILESS_MAIN(TestLineConnection)
#include "tst_line_connection.moc"
