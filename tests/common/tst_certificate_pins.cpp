// The certificates the user trusts: kept per host (letter case aside), a new
// trust for a host replacing the old one, other hosts and hand-written lines
// kept, and a file that cannot be read or written reported.
#include "common/certificate_pins.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestCertificatePins : public QObject {
    Q_OBJECT
private slots:
    void trust_data();
    void trust();
    void unreadableOrUnwritable_data();
    void unreadableOrUnwritable();
};

void TestCertificatePins::trust_data()
{
    QTest::addColumn<QByteArray>("before");  // the file's text, or "-" for no file
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("fingerprint");
    QTest::addColumn<QString>("asked");      // the host looked up afterwards
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("first trust makes the file") << QByteArray("-") << "h" << "AA:01" << "h" << QStringList{"AA:01"}
                                                << QByteArray("h AA:01\n");
    QTest::newRow("host in other letter case") << QByteArray("-") << "Irc.Test" << "AA:01" << "irc.test"
                                               << QStringList{"AA:01"} << QByteArray("Irc.Test AA:01\n");
    QTest::newRow("another host is kept") << QByteArray("g BB:02\n") << "h" << "AA:01" << "g" << QStringList{"BB:02"}
                                          << QByteArray("g BB:02\nh AA:01\n");
    QTest::newRow("a changed certificate replaces the old")
        << QByteArray("h BB:02\ng CC:03\n") << "h" << "AA:01" << "h" << QStringList{"AA:01"}
        << QByteArray("g CC:03\nh AA:01\n");
    QTest::newRow("a hand-written line is kept") << QByteArray("# mine\n\nh BB:02\n") << "h" << "AA:01" << "h"
                                                 << QStringList{"AA:01"} << QByteArray("# mine\nh AA:01\n");
    QTest::newRow("nothing for an unknown host") << QByteArray("g BB:02\n") << "h" << "AA:01" << "x" << QStringList{}
                                                 << QByteArray("g BB:02\nh AA:01\n");
}

void TestCertificatePins::trust()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, host);
    QFETCH(QString, fingerprint);
    QFETCH(QString, asked);
    QFETCH(QStringList, found);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    const QString path = dir.path() + "/sub/trusted.txt";
    if (before != "-") {
        QDir().mkpath(dir.path() + "/sub");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    const CertificatePins pins(path);
    QString error;
    QVERIFY2(pins.Trust(host, fingerprint, &error), qPrintable(error));
    QCOMPARE(pins.For(asked, &error), found);
    QVERIFY(error.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), after);
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
    QVERIFY(!pins.Trust("h", "AA:01", &error));
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY(error.contains(QDir::toNativeSeparators(path)));
    if (folderInstead) {
        error.clear();
        QVERIFY(pins.For("h", &error).isEmpty());
        QVERIFY2(error.contains("cannot be read"), qPrintable(error));
    }
}

QTEST_GUILESS_MAIN(TestCertificatePins)
#include "tst_certificate_pins.moc"
