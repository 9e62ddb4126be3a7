// The command line: --server puts a host into the frame's server box at
// start (selected when it is a preset, typed in otherwise) and changes
// nothing else about the box; an irc:// or ircs:// link does the same with
// its host and joins its room after the login; a command line that cannot be
// read starts nothing.
#include "chat/room_window.h"
#include "support/window_controls.h"
#include "shell/application.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "shell/start_options.h"
#include "support/scripted_server.h"
#include "support/temp_user_data.h"
#include "support/login_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestStartOptions : public QObject {
    Q_OBJECT
private slots:
    void serverBoxAtStart_data();
    void serverBoxAtStart();
    void unreadableCommandLines_data();
    void unreadableCommandLines();
    void linksRead_data();
    void linksRead();
    void linkJoinsItsRoomAfterLogin();
    void helpListsEveryOption();
    void windowSystemOptionsLeftOut_data();
    void windowSystemOptionsLeftOut();
    void refusalInABoxWithoutTerminal_data();
    void refusalInABoxWithoutTerminal();
};

void TestStartOptions::serverBoxAtStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    const QStringList presets = MainWindow::PresetServers();
    QTest::newRow("no option: first preset") << QStringList{} << 0 << presets.at(0);
    QTest::newRow("preset host is selected") << QStringList{"--server", presets.at(2)} << 2 << presets.at(2);
    QTest::newRow("preset host in other letter case") << QStringList{"--server", presets.at(1).toUpper()} << 1
                                                      << presets.at(1);
    QTest::newRow("last preset, = form") << QStringList{"--server=" + presets.at(5)} << 5 << presets.at(5);
    QTest::newRow("absent host is typed in") << QStringList{"--server", "localhost"} << 0 << "localhost";
    QTest::newRow("absent address is typed in") << QStringList{"--server=127.0.0.1"} << 0 << "127.0.0.1";
    QTest::newRow("a preset's prefix is not the preset") << QStringList{"--server", "irc.oftc"} << 0 << "irc.oftc";
    QTest::newRow("link to a preset selects it") << QStringList{"irc://IRC.OFTC.NET/#lobby"} << 1 << presets.at(1);
    QTest::newRow("link after --server types its host in") << QStringList{"--server", "ircs://localhost:6697/#a"} << 0
                                                           << "ircs://localhost:6697";
    QTest::newRow("a TLS address is typed in") << QStringList{"--server", "ircs://127.0.0.1:7000"} << 0
                                               << "ircs://127.0.0.1:7000";
    QTest::newRow("an IPv6 address and port are typed in") << QStringList{"--server", "[::1]:6697"} << 0
                                                           << "[::1]:6697";
    QTest::newRow("an IPv6 link gets its brackets back") << QStringList{"ircs://[::1]:6697/#room"} << 0
                                                         << "ircs://[::1]:6697";
    QTest::newRow("an IPv6 link without a port") << QStringList{"irc://[2001:db8::1]/#room"} << 0 << "[2001:db8::1]";
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
    QPointer<MainWindow> frame = StartProgram(options);
    QComboBox* box = Control<QComboBox>(*frame, "serverBox");
    QCOMPARE(box->currentText(), text);
    QCOMPARE(box->lineEdit()->text(), text);
    QCOMPARE(box->currentIndex(), index);
    // The box itself is untouched: the same items, still editable and enabled.
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    QCOMPARE(items, MainWindow::PresetServers());
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
    QTest::newRow("two links") << QStringList{"irc://a/#x", "irc://b/#y"} << "irc://";
    QTest::newRow("a link and --server") << QStringList{"--server", "a", "irc://b/#y"} << "not both";
    QTest::newRow("another scheme") << QStringList{"http://example.org/#x"} << "irc://";
    QTest::newRow("a link without a host") << QStringList{"irc:///#x"} << "no server";
    QTest::newRow("port 0") << QStringList{"irc://a:0/#x"} << "port";
    QTest::newRow("port past 65535") << QStringList{"ircs://a:65536/#x"} << "irc://";
    QTest::newRow("a room with a space") << QStringList{"irc://a/%23two%20words"} << "room";
    QTest::newRow("a room with a control byte") << QStringList{"irc://a/%23x%07y"} << "room";
    QTest::newRow("--server with a bad port") << QStringList{"--server", "irc.example.net:66x"} << "port";
    QTest::newRow("--server with an unclosed bracket") << QStringList{"--server", "[::1:6697"} << "bracket";
    QTest::newRow("--server with an IPv6 port out of range") << QStringList{"--server", "[::1]:65536"} << "port";
    QTest::newRow("a link with an unclosed bracket") << QStringList{"irc://[::1:6697/#x"} << "irc://";
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

void TestStartOptions::linksRead_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("room");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("secure");

    QTest::newRow("irc, room after #") << "irc://irc.example.net/#lobby" << "irc.example.net" << "lobby" << 0 << false;
    QTest::newRow("ircs with a port") << "ircs://irc.example.net:6697/#lobby" << "irc.example.net" << "lobby" << 6697
                                      << true;
    QTest::newRow("scheme in capitals") << "IRCS://irc.example.net/#Lobby" << "irc.example.net" << "Lobby" << 0 << true;
    QTest::newRow("room without #") << "irc://irc.example.net/lobby" << "irc.example.net" << "lobby" << 0 << false;
    QTest::newRow("room with an encoded #") << "irc://irc.example.net/%23lobby" << "irc.example.net" << "lobby" << 0
                                            << false;
    QTest::newRow("flags after the room") << "irc://irc.example.net/#lobby,needpass" << "irc.example.net" << "lobby"
                                          << 0 << false;
    QTest::newRow("no room") << "irc://irc.example.net" << "irc.example.net" << "" << 0 << false;
    QTest::newRow("only a slash") << "irc://irc.example.net:6668/" << "irc.example.net" << "" << 6668 << false;
    QTest::newRow("an address") << "irc://127.0.0.1:6667/#x" << "127.0.0.1" << "x" << 6667 << false;
    QTest::newRow("IPv6 address, port and room") << "ircs://[::1]:6697/#room" << "::1" << "room" << 6697 << true;
    QTest::newRow("IPv6 address without a port") << "irc://[2001:db8::1]/#x" << "2001:db8::1" << "x" << 0 << false;
    QTest::newRow("room in UTF-8") << "irc://h/#caf%C3%A9" << "h" << QStringLiteral("caf\u00e9") << 0 << false;
}

void TestStartOptions::linksRead()
{
    QFETCH(QString, link);
    QFETCH(QString, server);
    QFETCH(QString, room);
    QFETCH(int, port);
    QFETCH(bool, secure);

    // The same as the one argument and as the value of --server.
    for (const QStringList& arguments : {QStringList{"talvessa", link}, QStringList{"talvessa", "--server", link}}) {
        const StartOptions options = ParseStartOptions(arguments);
        QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
        QCOMPARE(options.server, server);
        QCOMPARE(options.room, room);
        QCOMPARE(options.port, port);
        QCOMPARE(options.secure, secure);
    }
}

void TestStartOptions::linkJoinsItsRoomAfterLogin()
{
    PromptRecorder prompts;
    ShrunkTimings timings;
    TempUserData userData;
    ScriptedServer server;
    timing().defaultPort = server.Port();
    server.Expect("user ann localhost localhost ann")
        .Expect("nick ann")
        .Send(":irc.test 001 ann :Welcome")
        .Expect("memoserv list")
        .Expect("lusers")
        .Expect("join #lobby");

    QPointer<MainWindow> frame = StartProgram(ParseStartOptions({"talvessa", "irc://127.0.0.1/#lobby"}));
    QCOMPARE(Control<QComboBox>(*frame, "serverBox")->currentText(), QStringLiteral("127.0.0.1"));
    // Nothing is joined before the login: the frame holds only the room list.
    QCOMPARE(frame->ChildWindows().size(), 1);
    QTimer::singleShot(0, frame, [&frame] {
        auto* login = frame->findChild<LoginDialog*>();
        StartLogin(login, "ann");
    });
    Control<QAction>(*frame, "connectAction")->trigger();
    QVERIFY(server.WaitDone(10000));  // the join waits its turn after the login's lines
    QTRY_COMPARE(frame->ChildWindows().size(), 2);
    auto* room = qobject_cast<RoomWindow*>(frame->ChildWindows().last());
    QVERIFY(room);
    QCOMPARE(room->Title(), QStringLiteral("lobby"));
    // Once only: the link is used up by its join.
    emit frame->LoggedIn();
    QCOMPARE(frame->ChildWindows().size(), 2);
    frame->close();
    QTRY_VERIFY(frame.isNull());
}

void TestStartOptions::helpListsEveryOption()
{
    StartOptions options;
    for (const char* help : {"--help", "-h", "--help-all"}) {
        QCOMPARE(ReadStartOptions({"talvessa", help}, options), std::optional<int>(0));
        for (const char* option : {"--server <host>", "--reset-layout", "--version", "--help", "[link]", "ircs://"})
            QVERIFY2(options.helpText.contains(option), option);
    }
    for (const char* version : {"--version", "-v"}) {
        QCOMPARE(ReadStartOptions({"talvessa", version}, options), std::optional<int>(0));
        QVERIFY(options.versionWanted);
    }
    // A readable command line starts the program.
    QCOMPARE(ReadStartOptions({"talvessa", "--server", "localhost", "--reset-layout"}, options), std::nullopt);
    QCOMPARE(options.server, QStringLiteral("localhost"));
    QVERIFY(options.resetLayout);
}

void TestStartOptions::windowSystemOptionsLeftOut_data()
{
    QTest::addColumn<QStringList>("argv");
    QTest::addColumn<QStringList>("read");  // what the command line reader gets

    QTest::newRow("nothing else") << QStringList{"talvessa"} << QStringList{"talvessa"};
    QTest::newRow("an option with its value") << QStringList{"talvessa", "-platform", "xcb", "--version"}
                                              << QStringList{"talvessa", "--version"};
    QTest::newRow("two dashes and = forms") << QStringList{"talvessa", "--style=fusion", "-stylesheet=a.qss", "--reverse"}
                                            << QStringList{"talvessa"};
    QTest::newRow("a switch before a link") << QStringList{"talvessa", "-nograb", "irc://h/#a"}
                                            << QStringList{"talvessa", "irc://h/#a"};
    QTest::newRow("the program's own options stay") << QStringList{"talvessa", "--server", "display", "--reset-layout"}
                                                    << QStringList{"talvessa", "--server", "display", "--reset-layout"};
    QTest::newRow("an unknown option stays") << QStringList{"talvessa", "--port", "1"}
                                             << QStringList{"talvessa", "--port", "1"};
    QTest::newRow("the program's name is kept") << QStringList{"-display"} << QStringList{"-display"};
}

void TestStartOptions::windowSystemOptionsLeftOut()
{
    QFETCH(QStringList, argv);
    QFETCH(QStringList, read);
    std::vector<QByteArray> bytes;
    for (const QString& argument : argv) bytes.push_back(argument.toLocal8Bit());
    std::vector<char*> pointers;
    for (QByteArray& argument : bytes) pointers.push_back(argument.data());
    QCOMPARE(ProgramArguments(int(pointers.size()), pointers.data()), read);
}

void TestStartOptions::refusalInABoxWithoutTerminal_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("onTerminal");
    QTest::addColumn<QString>("boxPart");  // empty: no box

    const QStringList refusedLink{"ircs://[::1]:99999/"};
    QTest::newRow("a refused link from a browser") << refusedLink << false << "is not an irc:// or ircs:// link";
    QTest::newRow("a refused link in a terminal") << refusedLink << true << "";
    QTest::newRow("an unknown option from a menu entry") << QStringList{"--bogus"} << false << "bogus";
    QTest::newRow("--help without a terminal") << QStringList{"--help"} << false << "";
    QTest::newRow("a good link without a terminal") << QStringList{"irc://h/#a"} << false << "";
}

void TestStartOptions::refusalInABoxWithoutTerminal()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, onTerminal);
    QFETCH(QString, boxPart);

    PromptRecorder prompts;
    StartOptions options;
    ReadStartOptions(QStringList{"talvessa"} + arguments, options);
    if (RefusalWantsBox(options, onTerminal)) ShowRefusal(options);
    if (boxPart.isEmpty()) {
        QCOMPARE(prompts.Kinds(), QStringList{});
    } else {
        QCOMPARE(prompts.Kinds(), QStringList{"error"});
        QVERIFY2(prompts.Errors().first().contains(boxPart), qPrintable(prompts.Errors().first()));
    }
}

int main(int argc, char** argv)
{
    TalvessaApplication app(argc, argv);
    TestStartOptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_start_options.moc"
