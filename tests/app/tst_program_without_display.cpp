// The built program run as a packaging script or an ssh session runs it: an
// empty environment, no display and no terminal. What it has to say about
// its command line it says and ends, without ever reaching for a display.
#include "shell/product_info.h"

#include <QProcess>
#include <QtTest>

class TestProgramWithoutDisplay : public QObject {
    Q_OBJECT
private slots:
    void answersAndEnds_data();
    void answersAndEnds();
};

void TestProgramWithoutDisplay::answersAndEnds_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");  // a part of what it prints on stdout
    QTest::addColumn<QString>("errors");  // a part of what it prints on stderr

    const QString version = product::kName + u' ' + product::kVersionNumber + u'\n';
    QTest::newRow("--version") << QStringList{"--version"} << 0 << version << "";
    QTest::newRow("-v") << QStringList{"-v"} << 0 << version << "";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "--server <host>" << "";
    QTest::newRow("--help-all") << QStringList{"--help-all"} << 0 << "--reset-layout" << "";
    QTest::newRow("a window-system option is left to Qt") << QStringList{"-platform", "xcb", "--version"} << 0
                                                          << version << "";
    QTest::newRow("an unknown option") << QStringList{"--bogus"} << 2 << "" << "bogus";
    QTest::newRow("a refused link") << QStringList{"ircs://[::1]:99999/"} << 2 << ""
                                    << "is not an irc:// or ircs:// link";
}

void TestProgramWithoutDisplay::answersAndEnds()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, errors);

    QProcessEnvironment bare;  // empty: no DISPLAY, no QT_QPA_PLATFORM, no HOME
    if (qEnvironmentVariableIsSet("ASAN_OPTIONS")) bare.insert("ASAN_OPTIONS", qEnvironmentVariable("ASAN_OPTIONS"));
    QProcess program;
    program.setProcessEnvironment(bare);
    program.setWorkingDirectory(QDir::tempPath());
    program.start(QStringLiteral(TALVESSA_PROGRAM), arguments);
    QVERIFY(program.waitForStarted());
    program.closeWriteChannel();
    QVERIFY(program.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == exitCode, qPrintable(QString::number(program.exitCode()) + ": " + err));
    QVERIFY2(out.contains(output), qPrintable(out));
    QVERIFY2(err.contains(errors), qPrintable(err));
    if (exitCode == 0) QVERIFY2(err.isEmpty(), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestProgramWithoutDisplay)
#include "tst_program_without_display.moc"
