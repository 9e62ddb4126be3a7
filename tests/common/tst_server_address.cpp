// What the server box and --server take: host, host:port, irc:// and ircs://
// addresses, IPv6 addresses in brackets or alone, the TLS switch for a bare
// host, and every malformed entry refused with its reason before anything is
// opened.
#include "common/server_address.h"

#include <QtTest>

class TestServerAddress : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

void TestServerAddress::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tlsSwitch");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("error");  // a word of the refusal; empty when taken

    // The plain port passed in is 6667, as the program's own.
    QTest::newRow("bare host") << "irc.example.net" << false << "irc.example.net" << 6667 << false << "";
    QTest::newRow("host and port") << "irc.example.net:7000" << false << "irc.example.net" << 7000 << false << "";
    QTest::newRow("address and port") << "127.0.0.1:1" << false << "127.0.0.1" << 1 << false << "";
    QTest::newRow("highest port") << "h:65535" << false << "h" << 65535 << false << "";
    QTest::newRow("ircs default port") << "ircs://irc.example.net" << false << "irc.example.net" << 6697 << true << "";
    QTest::newRow("ircs with port") << "ircs://127.0.0.1:7001" << false << "127.0.0.1" << 7001 << true << "";
    QTest::newRow("ircs with a slash") << "ircs://h:7001/" << false << "h" << 7001 << true << "";
    QTest::newRow("scheme in capitals") << "IRCS://h" << false << "h" << 6697 << true << "";
    QTest::newRow("irc is plain") << "irc://h" << false << "h" << 6667 << false << "";
    QTest::newRow("irc with port") << "irc://h:6668" << false << "h" << 6668 << false << "";
    QTest::newRow("switch: bare host on 6697") << "h" << true << "h" << 6697 << true << "";
    QTest::newRow("switch: host:port keeps port") << "h:7002" << true << "h" << 7002 << true << "";
    QTest::newRow("switch: irc:// stays plain") << "irc://h" << true << "h" << 6667 << false << "";
    QTest::newRow("switch off: ircs:// is TLS") << "ircs://h" << false << "h" << 6697 << true << "";

    QTest::newRow("IPv6 in brackets") << "[::1]" << false << "::1" << 6667 << false << "";
    QTest::newRow("IPv6 in brackets, port") << "[::1]:6697" << false << "::1" << 6697 << false << "";
    QTest::newRow("IPv6 documentation address") << "[2001:db8::1]:6697" << false << "2001:db8::1" << 6697 << false
                                                 << "";
    QTest::newRow("IPv6 alone") << "::1" << false << "::1" << 6667 << false << "";
    QTest::newRow("IPv6 alone: the last group is no port") << "2001:db8::1:6697" << false << "2001:db8::1:6697"
                                                           << 6667 << false << "";
    QTest::newRow("IPv6 with a scope") << "[fe80::1%eth0]:7000" << false << "fe80::1%eth0" << 7000 << false << "";
    QTest::newRow("IPv6 ending in IPv4") << "[::ffff:127.0.0.1]" << false << "::ffff:127.0.0.1" << 6667 << false
                                         << "";
    QTest::newRow("ircs, IPv6 and port") << "ircs://[::1]:6697" << false << "::1" << 6697 << true << "";
    QTest::newRow("ircs, IPv6, default port") << "ircs://[::1]/" << false << "::1" << 6697 << true << "";
    QTest::newRow("irc, IPv6 and port") << "irc://[2001:db8::1]:6668" << true << "2001:db8::1" << 6668 << false << "";
    QTest::newRow("switch: IPv6 alone on 6697") << "::1" << true << "::1" << 6697 << true << "";

    QTest::newRow("port 0") << "h:0" << false << "" << 0 << false << "port";
    QTest::newRow("port over 65535") << "h:65536" << false << "" << 0 << false << "port";
    QTest::newRow("long port") << "h:0000006667" << false << "" << 0 << false << "port";
    QTest::newRow("letters in port") << "h:66a7" << false << "" << 0 << false << "port";
    QTest::newRow("sign in port") << "h:+6667" << false << "" << 0 << false << "port";
    QTest::newRow("empty port") << "h:" << false << "" << 0 << false << "port";
    QTest::newRow("ircs empty port") << "ircs://h:" << false << "" << 0 << false << "port";
    QTest::newRow("empty host with port") << ":6667" << false << "" << 0 << false << "host name";
    QTest::newRow("scheme only") << "ircs://" << false << "" << 0 << false << "host name";
    QTest::newRow("empty") << "" << false << "" << 0 << false << "host name";
    QTest::newRow("space inside") << "irc.example .net" << false << "" << 0 << false << "spaces";
    QTest::newRow("trailing space") << "h " << false << "" << 0 << false << "spaces";
    QTest::newRow("tab") << "h\t:6667" << false << "" << 0 << false << "spaces";
    QTest::newRow("other scheme") << "http://h" << false << "" << 0 << false << "ircs://";
    QTest::newRow("path after host") << "ircs://h/x" << false << "" << 0 << false << "cannot hold";
    QTest::newRow("two colons") << "h:1:2" << false << "" << 0 << false << "cannot hold";
    QTest::newRow("user part") << "ircs://me@h" << false << "" << 0 << false << "cannot hold";
    QTest::newRow("unclosed bracket") << "[::1" << false << "" << 0 << false << "does not close";
    QTest::newRow("unclosed bracket with port") << "ircs://[::1:6697" << false << "" << 0 << false
                                                << "does not close";
    QTest::newRow("empty brackets") << "[]:6667" << false << "" << 0 << false << "host name";
    QTest::newRow("a name in brackets") << "[irc.example.net]:6667" << false << "" << 0 << false << "not an IPv6";
    QTest::newRow("IPv4 in brackets") << "[127.0.0.1]" << false << "" << 0 << false << "not an IPv6";
    QTest::newRow("too many groups") << "[1:2:3:4:5:6:7:8:9]" << false << "" << 0 << false << "not an IPv6";
    QTest::newRow("empty scope") << "[fe80::1%]" << false << "" << 0 << false << "not an IPv6";
    QTest::newRow("no colon before the port") << "[::1]6697" << false << "" << 0 << false << "only a port";
    QTest::newRow("IPv6 empty port") << "[::1]:" << false << "" << 0 << false << "port";
    QTest::newRow("IPv6 port 0") << "[::1]:0" << false << "" << 0 << false << "port";
    QTest::newRow("IPv6 port over 65535") << "[::1]:65536" << false << "" << 0 << false << "port";
    QTest::newRow("IPv6 with a room") << "ircs://[::1]:6697/#room" << false << "" << 0 << false << "cannot hold";
    QTest::newRow("closing bracket alone") << "h]:6667" << false << "" << 0 << false << "cannot hold";
    QTest::newRow("opening bracket inside") << "h[1]" << false << "" << 0 << false << "cannot hold";
    QTest::newRow("IPv6 port without brackets") << "::1]:6667" << false << "" << 0 << false << "cannot hold";
}

void TestServerAddress::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, tlsSwitch);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, tls);
    QFETCH(QString, error);

    const ParsedServerAddress parsed = ParseServerAddress(text, tlsSwitch, 6667);
    if (!error.isEmpty()) {
        QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
        QVERIFY(parsed.address.host.isEmpty());
        return;
    }
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.address.host, host);
    QCOMPARE(parsed.address.port, port);
    QCOMPARE(parsed.address.tls, tls);
}

QTEST_GUILESS_MAIN(TestServerAddress)
#include "tst_server_address.moc"
