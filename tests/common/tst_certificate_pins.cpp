// The certificates the user trusts: kept per host (letter case aside) and
// port, a new trust for a port replacing the old one there, lines with a host
// alone holding for every port without its own line, every other line kept
// byte for byte, and a file that cannot be read or written reported.
#include "common/certificate_pins.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Writes text into path, its folder made first.
bool WriteFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

}  // namespace

class TestCertificatePins : public QObject {
    Q_OBJECT
private slots:
    void trust_data();
    void trust();
    void lookUp_data();
    void lookUp();
    void unreadableOrUnwritable_data();
    void unreadableOrUnwritable();
};

void TestCertificatePins::trust_data()
{
    QTest::addColumn<QByteArray>("before");  // the file's bytes, or "-" for no file
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("first trust makes the file") << QByteArray("-") << "h" << 6697 << QByteArray("h:6697 AA:01\n");
    QTest::newRow("host in other letter case") << QByteArray("irc.test:6697 BB:02\n") << "Irc.Test" << 6697
                                               << QByteArray("Irc.Test:6697 AA:01\n");
    QTest::newRow("another port is kept") << QByteArray("h:7000 BB:02\n") << "h" << 6697
                                          << QByteArray("h:7000 BB:02\nh:6697 AA:01\n");
    QTest::newRow("another host is kept") << QByteArray("g:6697 BB:02\n") << "h" << 6697
                                          << QByteArray("g:6697 BB:02\nh:6697 AA:01\n");
    QTest::newRow("a changed certificate replaces the old")
        << QByteArray("h:6697 BB:02\ng:6697 CC:03\n") << "h" << 6697 << QByteArray("g:6697 CC:03\nh:6697 AA:01\n");
    QTest::newRow("a line for the host alone stays") << QByteArray("h BB:02\n") << "h" << 6697
                                                     << QByteArray("h BB:02\nh:6697 AA:01\n");
    QTest::newRow("other lines byte for byte")
        << QByteArray("# mine\r\n\nq\xff\xfe CC:03\r\n\tx  y z\nh:6697 BB:02\r\n") << "h" << 6697
        << QByteArray("# mine\r\n\nq\xff\xfe CC:03\r\n\tx  y z\nh:6697 AA:01\n");
    QTest::newRow("no line feed at the end") << QByteArray("g CC:03") << "h" << 6697
                                             << QByteArray("g CC:03\nh:6697 AA:01\n");
    QTest::newRow("an IPv6 address in brackets") << QByteArray("::1 BB:02\n") << "::1" << 6697
                                                 << QByteArray("::1 BB:02\n[::1]:6697 AA:01\n");
}

void TestCertificatePins::trust()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    const QString path = dir.path() + "/sub/trusted.txt";
    if (before != "-") QVERIFY(WriteFile(path, before));
    const CertificatePins pins(path);
    QString error;
    QVERIFY2(pins.Trust(host, port, "AA:01", &error), qPrintable(error));
    QCOMPARE(pins.For(host.toUpper(), port, &error), QStringList{"AA:01"});
    QVERIFY(error.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), after);
}

void TestCertificatePins::lookUp_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("found");

    const QByteArray ports("h:6697 AA:01\nh:7000 BB:02\n");
    QTest::newRow("each port its own") << ports << "h" << 7000 << QStringList{"BB:02"};
    QTest::newRow("a port without a pin") << ports << "h" << 7001 << QStringList{};
    const QByteArray mixed("h CC:03\nh:7000 BB:02\n");
    QTest::newRow("a host line holds for any port") << mixed << "h" << 6697 << QStringList{"CC:03"};
    QTest::newRow("a port's own line wins") << mixed << "h" << 7000 << QStringList{"BB:02"};
    QTest::newRow("letter case of the host") << QByteArray("Irc.Test:6697 AA:01\n") << "irc.test" << 6697
                                             << QStringList{"AA:01"};
    QTest::newRow("carriage returns") << QByteArray("h:6697 AA:01\r\nh BB:02\r\n") << "h" << 6697
                                      << QStringList{"AA:01"};
    QTest::newRow("unknown host") << ports << "x" << 6697 << QStringList{};
    QTest::newRow("a port out of range is no port") << QByteArray("h:99999 AA:01\n") << "h" << 6697 << QStringList{};
    const QByteArray v6("::1 CC:03\n[::1]:6697 AA:01\n");
    QTest::newRow("IPv6 with its port") << v6 << "::1" << 6697 << QStringList{"AA:01"};
    QTest::newRow("IPv6 for any port") << v6 << "::1" << 7000 << QStringList{"CC:03"};
}

void TestCertificatePins::lookUp()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QStringList, found);

    QTemporaryDir dir;
    const QString path = dir.path() + "/trusted.txt";
    QVERIFY(WriteFile(path, text));
    QString error;
    QCOMPARE(CertificatePins(path).For(host, port, &error), found);
    QVERIFY(error.isEmpty());
}

void TestCertificatePins::unreadableOrUnwritable_data()
{
    QTest::addColumn<bool>("folderInstead");  // the file's path is a folder: it cannot be read
    QTest::addColumn<bool>("fileAsFolder");  // the file's folder is a plain file: nothing can be made there
    QTest::addColumn<QString>("expected");

    QTest::newRow("a folder where the file should be") << true << false << "cannot be read";
    QTest::newRow("a folder that is a file") << false << true << "cannot be saved";
}

void TestCertificatePins::unreadableOrUnwritable()
{
    QFETCH(bool, folderInstead);
    QFETCH(bool, fileAsFolder);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.path() + (fileAsFolder ? "/plain/trusted.txt" : "/trusted.txt");
    if (folderInstead) QVERIFY(QDir().mkpath(path + "/x"));
    if (fileAsFolder) {
        QFile plain(dir.path() + "/plain");
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }
    const CertificatePins pins(path);
    QString error;
    QVERIFY(!pins.Trust("h", 6697, "AA:01", &error));
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY(error.contains(QDir::toNativeSeparators(path)));
    if (folderInstead) {
        error.clear();
        QVERIFY(pins.For("h", 6697, &error).isEmpty());
        QVERIFY2(error.contains("cannot be read"), qPrintable(error));
    }
}

QTEST_GUILESS_MAIN(TestCertificatePins)
#include "tst_certificate_pins.moc"
