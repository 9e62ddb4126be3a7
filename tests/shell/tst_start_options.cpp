// The command line: --server puts a host into the frame's server box at
// start (selected when it is a preset, typed in otherwise) and changes
// nothing else about the box; a command line that cannot be read starts nothing.
#include "shell/application.h"
#include "shell/main_form.h"
#include "shell/shell_test_support.h"
#include "shell/start_options.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>

class TestStartOptions : public QObject {
    Q_OBJECT
private slots:
    void serverBoxAtStart_data();
    void serverBoxAtStart();
    void unreadableCommandLines_data();
    void unreadableCommandLines();
    void helpNamesTheServerOption();
};

void TestStartOptions::serverBoxAtStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    const QStringList presets = TMainForm::PresetServers();
    QTest::newRow("no option: first preset") << QStringList{} << 0 << presets.at(0);
    QTest::newRow("preset host is selected") << QStringList{"--server", presets.at(2)} << 2 << presets.at(2);
    QTest::newRow("preset host in other letter case") << QStringList{"--server", presets.at(1).toUpper()} << 1
                                                      << presets.at(1);
    QTest::newRow("last preset, = form") << QStringList{"--server=" + presets.at(5)} << 5 << presets.at(5);
    QTest::newRow("absent host is typed in") << QStringList{"--server", "localhost"} << 0 << "localhost";
    QTest::newRow("absent address is typed in") << QStringList{"--server=127.0.0.1"} << 0 << "127.0.0.1";
    QTest::newRow("a preset's prefix is not the preset") << QStringList{"--server", "irc.oftc"} << 0 << "irc.oftc";
    QTest::newRow("a TLS address is typed in") << QStringList{"--server", "ircs://127.0.0.1:7000"} << 0
                                               << "ircs://127.0.0.1:7000";
}

void TestStartOptions::serverBoxAtStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, index);
    QFETCH(QString, text);

    const StartOptions options = ParseStartOptions(QStringList{"talvessa"} + arguments);
    QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
    QVERIFY(!options.helpWanted);

    ShrunkTimings timings;
    QPointer<TMainForm> frame = StartProgram(options);
    QComboBox* box = frame->servercombo;
    QCOMPARE(box->currentText(), text);
    QCOMPARE(box->lineEdit()->text(), text);
    QCOMPARE(box->currentIndex(), index);
    // The box itself is untouched: the same items, still editable and enabled.
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    QCOMPARE(items, TMainForm::PresetServers());
    QVERIFY(box->isEditable());
    QVERIFY(box->isEnabled());
    frame->close();
    QTRY_VERIFY(frame.isNull());
}

void TestStartOptions::unreadableCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("--server without a host") << QStringList{"--server"} << "server";
    QTest::newRow("--server with an empty host") << QStringList{"--server", ""} << "host name";
    QTest::newRow("--server with blanks only") << QStringList{"--server=  "} << "host name";
    QTest::newRow("unknown option") << QStringList{"--port", "6668"} << "port";
    QTest::newRow("stray argument") << QStringList{"localhost"} << "localhost";
    QTest::newRow("--server with a bad port") << QStringList{"--server", "irc.example.net:66x"} << "port";
}

void TestStartOptions::unreadableCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, errorPart);

    StartOptions options;
    const std::optional<int> exitCode = ReadStartOptions(QStringList{"talvessa"} + arguments, options);
    QVERIFY(exitCode.has_value());
    QVERIFY(*exitCode != 0);
    QVERIFY2(options.error.contains(errorPart, Qt::CaseInsensitive), qPrintable(options.error));
}

void TestStartOptions::helpNamesTheServerOption()
{
    StartOptions options;
    for (const char* help : {"--help", "-h", "--help-all"}) {
        QCOMPARE(ReadStartOptions({"talvessa", help}, options), std::optional<int>(0));
        QVERIFY(options.helpText.contains("--server <host>"));
    }
    // A readable command line starts the program.
    QCOMPARE(ReadStartOptions({"talvessa", "--server", "localhost"}, options), std::nullopt);
    QCOMPARE(options.server, QStringLiteral("localhost"));
}

int main(int argc, char** argv)
{
    TalvessaApplication app(argc, argv);
    TestStartOptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_start_options.moc"
