// The line connection over TLS against a server of the test's own: lines
// read through the secure layer (and the line limit), a server that stops
// reading cut off after the stall limit, a server that never answers the
// handshake given up on, one that hangs up in it or while the client writes
// (no SIGPIPE ends the test), one that offers only an
// outdated TLS, and Cancel during the handshake; an address in numbers (IPv6
// or IPv4) checked against the certificate's addresses and never sent as the
// server name, which a host name is.
#include "protocol/stream/line_connection.h"
#include "support/tls_test_server.h"

#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using Mode = TlsTestServer::Mode;

long long MsSince(Clock::time_point t0)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

}  // namespace

Q_DECLARE_METATYPE(TlsTestServer::Mode)
Q_DECLARE_METATYPE(Loopback)

class TestTlsConnection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void endings_data();
    void endings();
    void unreadableStoreIsNamed();
    void addressesAreCheckedNotNamed_data();
    void addressesAreCheckedNotNamed();

private:
    QTemporaryDir dir_;
};

void TestTlsConnection::initTestCase()
{
    QVERIFY(TlsTestServer::MakeCertificate(dir_.path()));
    qputenv("SSL_CERT_FILE", (dir_.path() + "/cert.pem").toLocal8Bit());
}

void TestTlsConnection::endings_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("what");      // what the client does
    QTest::addColumn<QString>("expected");  // a word of how it ends
    QTest::addColumn<int>("withinMs");       // ...and how soon

    QTest::newRow("lines, then an over-long one") << Mode::Send << "read" << "longer than 16384" << 5000;
    QTest::newRow("a server that stops reading") << Mode::Deaf << "write" << "nothing went out for 1 s" << 4000;
    QTest::newRow("a server that hangs up while the client writes")
        << Mode::Close << "write" << "The server closed the connection while sending" << 4000;
    QTest::newRow("no answer to the handshake") << Mode::Silent << "connect" << "did not answer" << 1500;
    QTest::newRow("a server that hangs up in the handshake")
        << Mode::HangUp << "connect" << "closed the connection during the secure handshake" << 1000;
    QTest::newRow("a server with nothing newer than TLS 1.1")
        << Mode::OldTls << "connect" << "older than 1.2" << 1000;
    QTest::newRow("cancel during the handshake") << Mode::Silent << "cancel" << "called off" << 200;
}

void TestTlsConnection::endings()
{
    QFETCH(Mode, mode);
    QFETCH(QString, what);
    QFETCH(QString, expected);
    QFETCH(int, withinMs);

    const std::vector<std::string> lines = {"first", ":s 001 me :Welcome", "third", std::string(16385, 'x')};
    TlsTestServer server(dir_.path() + "/cert.pem", dir_.path() + "/key.pem", mode, lines);
    LineConnection c;
    c.SetHost("127.0.0.1");
    c.SetPort(server.Port());
    TlsSettings tls;
    tls.enabled = true;
    tls.answerLimit = std::chrono::milliseconds(1000);
    c.SetTls(tls);
    c.SetLimits({std::chrono::milliseconds(1000), std::size_t{1} << 16});

    std::string failure;
    auto t0 = Clock::now();
    if (what == "connect" || what == "cancel") {
        std::thread canceller;
        if (what == "cancel")
            canceller = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                t0 = Clock::now();
                c.Disconnect();
            });
        try {
            c.Connect();
        } catch (const TransportError& e) {
            failure = e.what();
        }
        if (canceller.joinable()) canceller.join();
    } else {
        c.Connect();
        QVERIFY(c.Secure());
        QTRY_VERIFY(server.HandshakeDone());
        t0 = Clock::now();
        try {
            if (what == "read") {
                QCOMPARE(c.ReadLine(5000), std::string("first"));
                std::vector<std::string> got;
                QCOMPARE(c.ReadLines(got, 10), std::size_t{2});
                QCOMPARE(got[1], std::string("third"));
                c.ReadLine(5000);
            } else {
                const std::string line = "privmsg #a :" + std::string(8000, 'x');
                for (int i = 0; i < 100000 && failure.empty(); ++i) {
                    try {
                        c.WriteLine(line);
                    } catch (const TransportError& e) {
                        // The buffer is full: wait for the writer to give up.
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                        if (!c.Connected()) failure = c.StallText().empty() ? e.what() : c.StallText();
                    }
                }
            }
        } catch (const TransportError& e) {
            failure = e.what();
        }
        if (what == "read") {
            // The owner drops the connection; it tells why.
            QCOMPARE(c.StallText(), std::string("The server sent a line longer than 16384 bytes, so the "
                                                "connection was closed."));
            c.Disconnect();
        }
    }
    const long long took = MsSince(t0);
    QVERIFY2(QString::fromStdString(failure).contains(expected), failure.c_str());
    QVERIFY2(took <= withinMs, qPrintable(QString::number(took)));
    QVERIFY(!c.Connected());
}

void TestTlsConnection::unreadableStoreIsNamed()
{
    // The authority is in the store the user named, but it cannot be read.
    const QByteArray store = qgetenv("SSL_CERT_FILE");
    qputenv("SSL_CERT_FILE", (dir_.path() + "/missing.pem").toLocal8Bit());
    TlsTestServer server(dir_.path() + "/cert.pem", dir_.path() + "/key.pem", Mode::Send);
    LineConnection c;
    c.SetHost("127.0.0.1");
    c.SetPort(server.Port());
    TlsSettings tls;
    tls.enabled = true;
    c.SetTls(tls);
    QString reason;
    try {
        c.Connect();
    } catch (const CertificateError& e) {
        reason = QString::fromStdString(e.Reason());
    }
    qputenv("SSL_CERT_FILE", store);
    QVERIFY2(reason.contains(QStringLiteral("SSL_CERT_FILE (%1/missing.pem) cannot be read").arg(dir_.path())),
             qPrintable(reason));
}

void TestTlsConnection::addressesAreCheckedNotNamed_data()
{
    QTest::addColumn<Loopback>("family");  // where the server listens
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("serverName");  // what the handshake named; empty: nothing
    QTest::addColumn<QString>("refusal");     // a word of why the certificate is refused; empty: it verifies

    // The certificate names 127.0.0.1 and ::1, and no host name.
    QTest::newRow("IPv6 address") << Loopback::Ipv6 << "::1" << "" << "";
    QTest::newRow("IPv6 address written out") << Loopback::Ipv6 << "0:0:0:0:0:0:0:1" << "" << "";
    QTest::newRow("IPv4 address") << Loopback::Ipv4 << "127.0.0.1" << "" << "";
    QTest::newRow("a host name is named") << Loopback::Ipv4 << "localhost" << "localhost" << "another name";
}

void TestTlsConnection::addressesAreCheckedNotNamed()
{
    QFETCH(Loopback, family);
    QFETCH(QString, host);
    QFETCH(QString, serverName);
    QFETCH(QString, refusal);

    TlsTestServer server(dir_.path() + "/cert.pem", dir_.path() + "/key.pem", Mode::Send, {":irc.test NOTICE * :hi"},
                         1, false, family);
    QVERIFY(server.Port() > 0);
    LineConnection c;
    c.SetHost(host.toStdString());
    c.SetPort(server.Port());
    TlsSettings tls;
    tls.enabled = true;
    c.SetTls(tls);
    if (refusal.isEmpty()) {
        c.Connect();
        QCOMPARE(c.ReadLine(5000), std::string(":irc.test NOTICE * :hi"));
    } else {
        QString reason;
        try {
            c.Connect();
        } catch (const CertificateError& e) {
            reason = QString::fromStdString(e.Reason());
        }
        QVERIFY2(reason.contains(refusal), qPrintable(reason));
    }
    QTRY_VERIFY(server.HandshakeDone());
    QCOMPARE(QString::fromStdString(server.ServerName()), serverName);
    c.Disconnect();
}

QTEST_GUILESS_MAIN(TestTlsConnection)
#include "tst_tls_connection.moc"
