// Reaching a server over IPv6 or IPv4: a connection to ::1 and to 127.0.0.1
// tells which address it reached, and of a server's several addresses one
// that never answers or refuses gives way to the next, while a failure of
// them all names how many were tried.
#include "protocol/stream/line_connection.h"
#include "protocol/stream/socket_opener.h"
#include "support/deaf_listener.h"
#include "support/scripted_server.h"

#include <QtTest>

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t0)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

// A port nobody listens on: it was free a moment ago.
int ClosedPort(Loopback family)
{
    ScriptedServer gone(family);
    return gone.Port();
}

}  // namespace

Q_DECLARE_METATYPE(Loopback)

class TestSocketOpener : public QObject {
    Q_OBJECT
private slots:
    void connectsOverEitherFamily_data();
    void connectsOverEitherFamily();
    void triesTheNextAddress_data();
    void triesTheNextAddress();
};

void TestSocketOpener::connectsOverEitherFamily_data()
{
    QTest::addColumn<Loopback>("family");  // where the server listens
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("reached");

    QTest::newRow("IPv6 loopback") << Loopback::Ipv6 << "::1" << "::1";
    QTest::newRow("IPv6 loopback written out") << Loopback::Ipv6 << "0:0:0:0:0:0:0:1" << "::1";
    QTest::newRow("IPv4 loopback") << Loopback::Ipv4 << "127.0.0.1" << "127.0.0.1";
    QTest::newRow("IPv4 through an IPv6 socket") << Loopback::Ipv4 << "::ffff:127.0.0.1" << "::ffff:127.0.0.1";
}

void TestSocketOpener::connectsOverEitherFamily()
{
    QFETCH(Loopback, family);
    QFETCH(QString, host);
    QFETCH(QString, reached);

    ScriptedServer server(family);
    server.Expect("nick alice").Send(":irc.test 001 alice :Welcome");
    LineConnection c;
    c.SetHost(host.toStdString());
    c.SetPort(server.Port());
    c.Connect();
    QCOMPARE(QString::fromStdString(c.PeerAddress()), reached);
    c.WriteLine("nick alice");
    QCOMPARE(c.ReadLine(5000), std::string(":irc.test 001 alice :Welcome"));
    QVERIFY(server.WaitDone());
    c.Disconnect();
    QVERIFY(c.PeerAddress().empty());
}

void TestSocketOpener::triesTheNextAddress_data()
{
    QTest::addColumn<QString>("first");   // what answers at the first address
    QTest::addColumn<QString>("second");  // ...and at the second
    QTest::addColumn<QString>("reached");  // the address connected to; empty: the error's words
    QTest::addColumn<QString>("error");

    QTest::newRow("silent IPv4, then IPv6") << "silent" << "listening" << "::1" << "";
    QTest::newRow("refusing IPv4, then IPv6") << "refusing" << "listening" << "::1" << "";
    QTest::newRow("the first that answers") << "listening" << "silent" << "127.0.0.1" << "";
    QTest::newRow("both refuse") << "refusing" << "refusing" << "" << "2 addresses tried";
    QTest::newRow("silent, then refusing") << "silent" << "refusing" << "" << "refused";
}

void TestSocketOpener::triesTheNextAddress()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, reached);
    QFETCH(QString, error);

    DeafListener deaf;
    if ((first == "silent" || second == "silent") && deaf.Port() == 0) QSKIP("the system answered every connect");
    ScriptedServer server(Loopback::Ipv6);
    ScriptedServer serverV4(Loopback::Ipv4);
    const auto port = [&](const QString& what, Loopback family) {
        if (what == "silent") return deaf.Port();  // on 127.0.0.1
        if (what == "refusing") return ClosedPort(family);
        return family == Loopback::Ipv6 ? server.Port() : serverV4.Port();
    };
    // The first address is IPv4, the second IPv6, as a name with both might give them.
    const std::vector<SocketAddress> addresses{
        *SocketAddress::FromNumbers("127.0.0.1", port(first, Loopback::Ipv4)),
        *SocketAddress::FromNumbers(second == "silent" ? "127.0.0.1" : "::1", port(second, Loopback::Ipv6)),
    };
    SocketOpener opener("irc.example.net", 6667, addresses);
    opener.SetAddressLimit(std::chrono::milliseconds(300));
    const int wakeFd = ::eventfd(0, EFD_CLOEXEC);
    const auto t0 = Clock::now();
    if (!error.isEmpty()) {
        try {
            opener.Connect(wakeFd);
            QFAIL("connected");
        } catch (const TransportError& e) {
            QVERIFY2(QString(e.what()).contains(error), e.what());
            QVERIFY2(QString(e.what()).contains("irc.example.net at port 6667"), e.what());
        }
        QVERIFY(!opener.Reached());
    } else {
        const int fd = opener.Connect(wakeFd);
        QVERIFY(fd >= 0);
        ::close(fd);
        QVERIFY(opener.Reached());
        QCOMPARE(QString::fromStdString(opener.Reached()->Text()), reached);
    }
    // A silent address holds the next one up for its limit, not for the system's.
    QVERIFY2(MsSince(t0) < 3000, qPrintable(QString::number(MsSince(t0))));
    ::close(wakeFd);
}

QTEST_GUILESS_MAIN(TestSocketOpener)
#include "tst_socket_opener.moc"
