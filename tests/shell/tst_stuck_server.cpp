// A logged-in frame whose server stops reading while it floods the program
// with keep-alives: typing, disconnecting and closing the frame never wait on
// the server, and a server that takes nothing for the stall limit is cut off
// with a message.
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "shell/login_dialog.h"
#include "shell/connection_keeper.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"
#include "support/window_controls.h"
#include "support/login_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

QStringList LogLines(MainWindow& frame) { return Control<TranscriptView>(frame, "serverLog")->toPlainText().split(QLatin1Char('\n')); }

struct Rig {
    PromptRecorder prompts;
    ShrunkTimings timings;
    ScriptedServer server;
    MainWindow frame;

    Rig()
    {
        timing().defaultPort = server.Port();
        frame.Keeper().SetAutomatic(false);  // an ending stays one here
        Control<QComboBox>(frame, "serverBox")->setEditText("127.0.0.1");
        frame.show();
    }
    void LogIn(const QString& nick)
    {
        QTimer::singleShot(0, &frame, [this, nick] {
            auto* login = frame.findChild<LoginDialog*>();
            if (!login) return;
            StartLogin(login, nick);
        });
        Control<QAction>(frame, "connectAction")->trigger();
    }
    QString Status() const { return Control<QLabel>(frame, "connectionLabel")->text(); }
};

}  // namespace

class TestStuckServer : public QObject {
    Q_OBJECT
private slots:
    void serverStopsReading_data();
    void serverStopsReading();
    void serverSendsOverlongLine_data();
    void serverSendsOverlongLine();
};

void TestStuckServer::serverStopsReading_data()
{
    QTest::addColumn<QString>("act");
    QTest::addColumn<int>("stallMs");
    QTest::addColumn<int>("boundMs");
    QTest::newRow("typing a line") << "type" << 1500 << 1000;
    QTest::newRow("disconnecting") << "disconnect" << 60000 << 5000;
    QTest::newRow("closing the frame") << "close" << 60000 << 5000;
}

void TestStuckServer::serverStopsReading()
{
    QFETCH(QString, act);
    QFETCH(int, stallMs);
    QFETCH(int, boundMs);
    Rig rig;
    timing().readerStopMs = Timings().readerStopMs;  // the program's own wait for "quit"
    timing().sendStallMs = stallMs;
    rig.server.Expect("user alice localhost localhost alice")
        .Expect("nick alice")
        .Send(":irc.test 001 alice :Welcome")
        .Expect("lusers")
        .StopReading()
        .SetTimeout(120000)
        .SendBulk("PING :" + std::string(1000, 't') + "\r\n", 20000);
    rig.LogIn("alice");
    QVERIFY(rig.frame.Reader());
    RoomWindow* room = rig.frame.NewRoomWindow();
    Control<QComboBox>(*room, "roomSelector")->setEditText("lobby");
    room->onJoinClicked();
    // The system's buffers are full and the answers wait in the program.
    QTRY_VERIFY_WITH_TIMEOUT(rig.frame.Connection().Unsent() >= 256 * 1024, 60000);

    QElapsedTimer clock;
    clock.start();
    if (act == "type") {
        InputLine(*room)->setText("hello");
        QTest::keyClick(InputLine(*room), Qt::Key_Return);
    } else if (act == "disconnect") {
        Control<QAction>(rig.frame, "connectAction")->trigger();
    } else {
        QVERIFY(rig.frame.close());
    }
    const qint64 took = clock.elapsed();
    QVERIFY2(took < boundMs, qPrintable(QString::number(took)));

    if (act == "type") {
        // Taken, shown once its turn came and it went to the outgoing buffer.
        QTRY_VERIFY_WITH_TIMEOUT(room->Transcript().toPlainText().contains("alice: hello"), 8000);
        QCOMPARE(rig.Status(), QStringLiteral("Connected"));
        // No progress for the stall limit: cut off, with the reason.
        QTRY_COMPARE_WITH_TIMEOUT(rig.Status(), QStringLiteral("Not Connected"), 30000);
        QCOMPARE(rig.prompts.Errors().size(), 1);
        QVERIFY2(rig.prompts.Errors().first().contains("stopped taking"), qPrintable(rig.prompts.Errors().first()));
        QVERIFY(rig.prompts.Errors().first().contains("1500 ms"));
        const QStringList log = LogLines(rig.frame);
        QCOMPARE(log.last(), QStringLiteral("Disconnected.."));
        QCOMPARE(log.at(log.size() - 2), rig.prompts.Errors().first());  // the reason, then the end
        QVERIFY(room->Transcript().toPlainText().contains("The connection to the server was lost\nTalvessa: " +
                                                       rig.prompts.Errors().first()));
        QCOMPARE(Control<QAction>(rig.frame, "connectAction")->text(), QStringLiteral("Connect"));
    } else {
        QVERIFY(rig.prompts.records.isEmpty());  // asked for, so nothing to report
        QVERIFY(!rig.frame.Reader());
        QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    }
    QVERIFY(!rig.frame.Connection().Connected());
    // The server has stopped reading: it sees the connection gone only when
    // its next write fails, which a loaded machine may take a while to get to.
    QTRY_VERIFY_WITH_TIMEOUT(!rig.server.ClientConnected(), 30000);
}

void TestStuckServer::serverSendsOverlongLine_data()
{
    QTest::addColumn<int>("before");  // room lines sent before the over-long one
    QTest::addColumn<int>("length");
    QTest::newRow("alone") << 0 << 16385;
    QTest::newRow("after room lines") << 3 << 16385;
    QTest::newRow("far too long") << 0 << 200000;
}

void TestStuckServer::serverSendsOverlongLine()
{
    QFETCH(int, before);
    QFETCH(int, length);
    Rig rig;
    rig.server.Expect("user alice localhost localhost alice")
        .Expect("nick alice")
        .Send(":irc.test 001 alice :Welcome")
        .Expect("lusers")
        .Expect("join #lobby")
        .Send(":alice!a@h JOIN :#lobby");
    for (int i = 0; i < before; ++i) rig.server.Send(":bob!b@h PRIVMSG #lobby :line " + std::to_string(i));
    rig.server.SendRaw(":bob!b@h PRIVMSG #lobby :" + std::string(static_cast<std::size_t>(length), 'x') + "\r\n");
    rig.LogIn("alice");
    QVERIFY(rig.frame.Reader());
    RoomWindow* room = rig.frame.NewRoomWindow();
    Control<QComboBox>(*room, "roomSelector")->setEditText("lobby");
    room->onJoinClicked();

    const QString why = QStringLiteral("The server sent a line longer than 16384 bytes, so the connection was closed.");
    QTRY_COMPARE_WITH_TIMEOUT(rig.Status(), QStringLiteral("Not Connected"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.prompts.Errors(), QStringList{why}, 5000);
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.last(), QStringLiteral("Disconnected.."));
    QCOMPARE(log.at(log.size() - 2), why);
    const QString transcript = room->Transcript().toPlainText();
    QVERIFY2(transcript.contains("The connection to the server was lost\nTalvessa: " + why), qPrintable(transcript));
    if (before > 0) QVERIFY(transcript.contains(QStringLiteral("bob: line %1\n").arg(before - 1)));
}

QTEST_MAIN(TestStuckServer)
#include "tst_stuck_server.moc"
