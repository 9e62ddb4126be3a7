#include "support/scripted_server.h"

#include <QElapsedTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Script = std::function<void(ScriptedServer&)>;

std::string Bytes(const QByteArray& data) { return std::string(data.constData(), data.size()); }
QByteArray Q(const std::string& bytes) { return QByteArray::fromStdString(bytes); }

QByteArrayList Q(const std::vector<std::string>& lines)
{
    QByteArrayList list;
    for (const auto& line : lines)
        list << Q(line);
    return list;
}

// A blocking loopback client that talks to the server byte by byte.
class RawClient {
public:
    explicit RawClient(int port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0)
            Close();
    }
    ~RawClient() { Close(); }

    bool Connected() const { return fd_ >= 0; }

    bool Write(const std::string& bytes)
    {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Reads until `count` bytes came, the server closed, or the time ran out.
    std::string Read(std::size_t count, int timeoutMs = 20000)
    {
        std::string data;
        std::vector<char> buffer(256 * 1024);
        QElapsedTimer timer;
        timer.start();
        while (fd_ >= 0 && data.size() < count && !timer.hasExpired(timeoutMs)) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, static_cast<int>(std::max<qint64>(0, timeoutMs - timer.elapsed()))) <= 0)
                continue;
            const ssize_t n = ::recv(fd_, buffer.data(), std::min(buffer.size(), count - data.size()), 0);
            if (n <= 0) {
                serverClosed_ = true;
                break;
            }
            data.append(buffer.data(), static_cast<std::size_t>(n));
        }
        return data;
    }

    std::string ReadToEnd(int timeoutMs = 20000) { return Read(std::string::npos, timeoutMs); }
    bool ServerClosed() const { return serverClosed_; }

    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    bool serverClosed_ = false;
};

}  // namespace

Q_DECLARE_METATYPE(Script)

// Checks the scripted test server against a raw socket client.
class TestScriptedServer : public QObject {
    Q_OBJECT

private slots:
    void sendStepsDeliverExactBytes_data();
    void sendStepsDeliverExactBytes();
    void receivedLinesSplitOnLineFeed_data();
    void receivedLinesSplitOnLineFeed();
    void expectMatchesLinesInOrder_data();
    void expectMatchesLinesInOrder();
    void waitsGiveUpAfterTheirTimeout_data();
    void waitsGiveUpAfterTheirTimeout();
    void closeHandsTheScriptToTheNextClient();
    void expectIgnoresEarlierClients();
    void awaitClientCloseLetsTheClientReconnect();
    void sendsLargeVolumes_data();
    void sendsLargeVolumes();
    void vanishedClientFailsTheSendWithoutSignal();
    void destructorReturnsWhileAStepWaits_data();
    void destructorReturnsWhileAStepWaits();
    void receivedQueriesSeeEveryClient();
};

void TestScriptedServer::sendStepsDeliverExactBytes_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("line gets CR LF") << Script([](ScriptedServer& s) { s.Send("PING :abc"); })
                                     << QByteArray("PING :abc\r\n");
    QTest::newRow("empty line") << Script([](ScriptedServer& s) { s.Send(""); }) << QByteArray("\r\n");
    QTest::newRow("raw bytes untouched") << Script([](ScriptedServer& s) { s.SendRaw(std::string("a\nb\r\0c", 6)); })
                                         << QByteArray("a\nb\r\0c", 6);
    QTest::newRow("steps keep their order")
        << Script([](ScriptedServer& s) { s.Send("one").SendRaw("two").Pause(10).Send("three"); })
        << QByteArray("one\r\ntwothree\r\n");
    QTest::newRow("many lines repeated") << Script([](ScriptedServer& s) { s.SendMany({"x", "y"}, 3); })
                                         << QByteArray("x\r\ny\r\nx\r\ny\r\nx\r\ny\r\n");
    QTest::newRow("bulk block") << Script([](ScriptedServer& s) { s.SendBulk("ab", 4); })
                                << QByteArray("abababab");
    QTest::newRow("zero repeats send nothing")
        << Script([](ScriptedServer& s) { s.SendBulk("ab", 0).SendMany({"z"}, 0).Send("end"); })
        << QByteArray("end\r\n");
}

void TestScriptedServer::sendStepsDeliverExactBytes()
{
    QFETCH(Script, script);
    QFETCH(QByteArray, expected);
    ScriptedServer server;
    script(server);
    server.Close();
    RawClient client(server.Port());
    QCOMPARE(Q(client.ReadToEnd()), expected);
    QVERIFY(client.ServerClosed());
    QVERIFY(server.WaitDone());
    QVERIFY(server.Done());
    QVERIFY(server.Errors().empty());
}

void TestScriptedServer::receivedLinesSplitOnLineFeed_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QByteArrayList>("lines");

    QTest::newRow("CR LF") << QByteArrayList{"NICK a\r\nUSER b 0 * :B\r\n"}
                           << QByteArrayList{"NICK a", "USER b 0 * :B"};
    QTest::newRow("bare LF") << QByteArrayList{"a\nb\n"} << QByteArrayList{"a", "b"};
    QTest::newRow("only the CR before LF dropped") << QByteArrayList{"a\r\r\nb\rc\r\n"}
                                                   << QByteArrayList{"a\r", "b\rc"};
    QTest::newRow("empty lines kept") << QByteArrayList{"\r\n\nx\r\n"} << QByteArrayList{"", "", "x"};
    QTest::newRow("line split across reads") << QByteArrayList{"PRI", "VMSG #a :h", "i\r", "\nX\r\n"}
                                             << QByteArrayList{"PRIVMSG #a :hi", "X"};
    QTest::newRow("unterminated tail kept at close") << QByteArrayList{"a\r\nb"} << QByteArrayList{"a", "b"};
    QTest::newRow("arbitrary bytes kept") << QByteArrayList{QByteArray("\xff\0\xfe\r\n", 5)}
                                          << QByteArrayList{QByteArray("\xff\0\xfe", 3)};
}

void TestScriptedServer::receivedLinesSplitOnLineFeed()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(QByteArrayList, lines);
    ScriptedServer server;
    server.AwaitClientClose();
    RawClient client(server.Port());
    std::string sent;
    for (const QByteArray& piece : pieces) {
        QVERIFY(client.Write(Bytes(piece)));
        sent += Bytes(piece);
        // One read per piece, so the split falls where the row puts it.
        QTRY_COMPARE(server.ReceivedBytes().size(), sent.size());
    }
    client.Close();
    QVERIFY(server.WaitDone());

    QCOMPARE(Q(server.Received()), lines);
    QCOMPARE(Q(server.ReceivedBytes()), Q(sent));
}

void TestScriptedServer::expectMatchesLinesInOrder_data()
{
    QTest::addColumn<QByteArray>("clientSends");
    QTest::addColumn<bool>("clientCloses");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("error");  // empty: the script succeeds and sends "ok"

    QTest::newRow("exact line after skipped ones")
        << QByteArray("CAP LS\r\nNICK bob\r\n") << false
        << Script([](ScriptedServer& s) { s.Expect("NICK bob").Send("ok"); }) << QString();
    QTest::newRow("prefix") << QByteArray("USER bob 0 * :Bob\r\n") << false
                            << Script([](ScriptedServer& s) { s.ExpectPrefix("USER bob ").Send("ok"); }) << QString();
    QTest::newRow("two lines in order") << QByteArray("A\r\nB\r\n") << false
                                        << Script([](ScriptedServer& s) { s.Expect("A").Expect("B").Send("ok"); })
                                        << QString();
    QTest::newRow("a line matches only once")
        << QByteArray("A\r\n") << false
        << Script([](ScriptedServer& s) { s.SetTimeout(300).Expect("A").Expect("A").Send("late"); })
        << QString("step 2 (expect \"A\"): timed out after 300 ms; the client sent nothing");
    QTest::newRow("skipped lines are gone")
        << QByteArray("B\r\nA\r\n") << false
        << Script([](ScriptedServer& s) { s.SetTimeout(300).Expect("A").Expect("B").Send("late"); })
        << QString("step 2 (expect \"B\"): timed out");
    QTest::newRow("wrong line names what came")
        << QByteArray("NICK alice\r\nUSER al") << false
        << Script([](ScriptedServer& s) { s.SetTimeout(300).Expect("NICK bob").Send("late"); })
        << QString("the client sent \"NICK alice\", \"USER al\" (no line end yet)");
    QTest::newRow("exact match is the whole line")
        << QByteArray("NICK bob\r\n") << false
        << Script([](ScriptedServer& s) { s.SetTimeout(300).Expect("NICK").Send("late"); })
        << QString("timed out");
    QTest::newRow("client leaves before the line")
        << QByteArray("NICK alice\r\n") << true
        << Script([](ScriptedServer& s) { s.SetTimeout(60000).Expect("NICK bob"); })
        << QString("the client closed the connection before sending it; it sent \"NICK alice\"");
}

void TestScriptedServer::expectMatchesLinesInOrder()
{
    QFETCH(QByteArray, clientSends);
    QFETCH(bool, clientCloses);
    QFETCH(Script, script);
    QFETCH(QString, error);
    auto server = std::make_unique<ScriptedServer>();
    script(*server);
    RawClient client(server->Port());
    QVERIFY(client.Write(Bytes(clientSends)));
    if (clientCloses)
        client.Close();

    // Well inside the 60 s of the closing row: a hang would leave no error.
    QCOMPARE(server->WaitDone(10000), error.isEmpty());
    if (error.isEmpty()) {
        QCOMPARE(Q(client.Read(4)), QByteArray("ok\r\n"));
        return;
    }
    const auto errors = server->Errors();
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY2(QString::fromStdString(errors[0]).contains(error), errors[0].c_str());
    QVERIFY(server->Failed());
    QVERIFY(!server->Done());
    if (!clientCloses) {
        server.reset();
        QCOMPARE(Q(client.ReadToEnd()), QByteArray());  // the steps after the failure never ran
    }
}

void TestScriptedServer::waitsGiveUpAfterTheirTimeout_data()
{
    QTest::addColumn<bool>("connect");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("error");

    QTest::newRow("no client for a send") << false << Script([](ScriptedServer& s) { s.Send("hello"); })
                                          << QString("step 1 (send 7 bytes, 0 sent): no client connected within 200 ms");
    QTest::newRow("client stays") << true << Script([](ScriptedServer& s) { s.AwaitClientClose(); })
                                  << QString("the client did not close the connection within 200 ms");
}

void TestScriptedServer::waitsGiveUpAfterTheirTimeout()
{
    QFETCH(bool, connect);
    QFETCH(Script, script);
    QFETCH(QString, error);
    ScriptedServer server;
    server.SetTimeout(200);
    script(server);
    std::unique_ptr<RawClient> client;
    if (connect)
        client = std::make_unique<RawClient>(server.Port());
    QVERIFY(!server.WaitDone(10000));
    QCOMPARE(server.Errors().size(), std::size_t(1));
    QVERIFY2(QString::fromStdString(server.Errors()[0]).contains(error), server.Errors()[0].c_str());
}

void TestScriptedServer::closeHandsTheScriptToTheNextClient()
{
    ScriptedServer server;
    server.Send("one").Close().Expect("NICK two").Send("two");
    RawClient first(server.Port());
    QCOMPARE(Q(first.ReadToEnd()), QByteArray("one\r\n"));
    QVERIFY(first.ServerClosed());
    QTRY_VERIFY(!server.ClientConnected());

    RawClient second(server.Port());
    QVERIFY(second.Write("NICK two\r\n"));
    QCOMPARE(Q(second.Read(5)), QByteArray("two\r\n"));
    QVERIFY(server.WaitDone());
    QCOMPARE(server.Connections(), 2);
    QVERIFY(server.ClientConnected());
}

void TestScriptedServer::expectIgnoresEarlierClients()
{
    ScriptedServer server;
    server.Expect("NICK one").Close();
    RawClient first(server.Port());
    QVERIFY(first.Write("NICK one\r\nNICK one\r\n"));
    QVERIFY(first.ReadToEnd().empty());
    RawClient second(server.Port());
    QTRY_COMPARE(server.Connections(), 2);
    server.SetTimeout(300).Expect("NICK one");  // must not take the first client's second line
    QVERIFY(!server.WaitDone(10000));
    QCOMPARE(server.Errors().size(), std::size_t(1));
    QCOMPARE(Q(server.Errors()[0]), QByteArray("step 3 (expect \"NICK one\"): timed out after 300 ms; the client sent nothing"));
}

void TestScriptedServer::awaitClientCloseLetsTheClientReconnect()
{
    ScriptedServer server;
    server.Expect("QUIT").AwaitClientClose().Send("welcome back");
    {
        RawClient first(server.Port());
        QVERIFY(first.Write("QUIT\r\n"));
    }
    RawClient second(server.Port());
    QCOMPARE(Q(second.Read(14)), QByteArray("welcome back\r\n"));
    QVERIFY(server.WaitDone());
    QCOMPARE(server.Connections(), 2);
}

void TestScriptedServer::sendsLargeVolumes_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<int>("times");

    const std::string greeting(10 * 1024 * 1024, 'g');
    QTest::newRow("10 MB line") << Script([greeting](ScriptedServer& s) { s.Send(greeting); })
                                << QByteArray::fromStdString(greeting + "\r\n") << 1;
    QTest::newRow("a million lines")
        << Script([](ScriptedServer& s) { s.SendBulk(":n!u@h PRIVMSG #room :hello there\r\n", 1000000); })
        << QByteArray(":n!u@h PRIVMSG #room :hello there\r\n") << 1000000;
    QTest::newRow("line set repeated") << Script([](ScriptedServer& s) { s.SendMany({"A", "BB"}, 300000); })
                                       << QByteArray("A\r\nBB\r\n") << 300000;
}

void TestScriptedServer::sendsLargeVolumes()
{
    QFETCH(Script, script);
    QFETCH(QByteArray, block);
    QFETCH(int, times);
    ScriptedServer server;
    script(server);
    server.Close();
    RawClient client(server.Port());
    const std::string expected = Bytes(block.repeated(times));
    const std::string got = client.ReadToEnd(60000);
    QCOMPARE(got.size(), expected.size());
    QVERIFY(got == expected);
    QVERIFY(server.WaitDone());
}

void TestScriptedServer::vanishedClientFailsTheSendWithoutSignal()
{
    ScriptedServer server;
    server.SendBulk(std::string(64 * 1024, 'x'), 1000);
    {
        RawClient client(server.Port());
        QCOMPARE(Q(client.Read(1)), QByteArray("x"));
    }
    QVERIFY(!server.WaitDone(10000));  // reaching here at all means no SIGPIPE
    QCOMPARE(server.Errors().size(), std::size_t(1));
    QVERIFY2(server.Errors()[0].starts_with("step 1 (send 65536000 bytes, "), server.Errors()[0].c_str());
}

void TestScriptedServer::destructorReturnsWhileAStepWaits_data()
{
    QTest::addColumn<bool>("connect");
    QTest::addColumn<Script>("script");

    QTest::newRow("waiting for a client") << false << Script([](ScriptedServer& s) { s.Send("x"); });
    QTest::newRow("waiting for a line") << true << Script([](ScriptedServer& s) { s.Expect("never"); });
    QTest::newRow("send the client never reads")
        << true << Script([](ScriptedServer& s) { s.SendBulk(std::string(1 << 20, 'x'), 200); });
}

void TestScriptedServer::destructorReturnsWhileAStepWaits()
{
    QFETCH(bool, connect);
    QFETCH(Script, script);
    auto server = std::make_unique<ScriptedServer>();
    server->SetTimeout(60000);
    script(*server);
    std::unique_ptr<RawClient> client;
    if (connect) {
        client = std::make_unique<RawClient>(server->Port());
        QTRY_COMPARE(server->Connections(), 1);
    }
    QElapsedTimer timer;
    timer.start();
    server.reset();
    QVERIFY2(timer.elapsed() < 2000, QByteArray::number(timer.elapsed()));
}

void TestScriptedServer::receivedQueriesSeeEveryClient()
{
    ScriptedServer server;
    QVERIFY(!server.ClientConnected());
    QVERIFY(server.Done());  // an empty script is done at once
    RawClient first(server.Port());
    QVERIFY(first.Write("NICK one\r\n"));
    QVERIFY(server.WaitForReceived("NICK one"));
    QVERIFY(server.ClientConnected());
    first.Close();
    QTRY_VERIFY(!server.ClientConnected());

    RawClient second(server.Port());
    QVERIFY(second.Write("JOIN #a\r\n"));
    QVERIFY(server.WaitForReceived("JOIN #a"));
    QVERIFY(server.HasReceived("NICK one"));
    QVERIFY(server.HasReceivedPrefix("JOIN "));
    QVERIFY(!server.HasReceived("JOIN"));
    QVERIFY(!server.WaitForReceived("PART #a", 50));
    QCOMPARE(Q(server.Received()), (QByteArrayList{"NICK one", "JOIN #a"}));
    QCOMPARE(server.Connections(), 2);
}

QTEST_GUILESS_MAIN(TestScriptedServer)
#include "tst_scripted_server.moc"
