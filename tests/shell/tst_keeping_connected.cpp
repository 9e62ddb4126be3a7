// The frame staying connected: the paced send road with its waiting lines,
// pastes, the watch on a silent link, reconnecting by itself, and the
// keyboard left alone while the user types.
#include "chat/private_window.h"
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "shell/connection_keeper.h"
#include "shell/connection_status.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "side/room_list_window.h"
#include "support/login_controls.h"
#include "support/scripted_server.h"
#include "support/temp_user_data.h"
#include "support/window_controls.h"
#include "protocol/irc/sent_lines.h"

#include <QClipboard>
#include <QGuiApplication>

#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTest>

namespace {

void GoodLogin(ScriptedServer& s, const std::string& nick)
{
    s.Expect("user " + nick + " localhost localhost " + nick)
        .Expect("nick " + nick)
        .Send(":irc.test 001 " + nick + " :Welcome")
        .Send(":irc.test 376 " + nick + " :End of MOTD");
}

// A frame logged in through its dialog on a scripted server, with the waits
// shrunk and the send road paced (burst lines, spacing).
struct Rig {
    PromptRecorder prompts;
    ShrunkTimings timings;
    TempUserData userData;
    ScriptedServer server;
    std::unique_ptr<MainWindow> frame;

    explicit Rig(int burst = 5, int spacingMs = 2000)
    {
        timing().sendBurstLines = burst;
        timing().sendSpacingMs = spacingMs;
        timing().defaultPort = server.Port();
        frame = std::make_unique<MainWindow>();
        Control<QComboBox>(*frame, "serverBox")->setEditText("127.0.0.1");
        frame->show();
    }
    void LogIn(const QString& nick)
    {
        QTimer::singleShot(0, frame.get(), [this, nick] {
            if (auto* login = frame->findChild<LoginDialog*>()) StartLogin(login, nick);
        });
        Control<QAction>(*frame, "connectAction")->trigger();
    }
    QString Status() const { return Control<QLabel>(*frame, "connectionLabel")->text(); }
    QString Log() const { return Control<TranscriptView>(*frame, "serverLog")->toPlainText(); }
};

}  // namespace

class TestKeepingConnected : public QObject {
    Q_OBJECT
private slots:
    void waitingLinesEndWithTheirTarget_data();
    void waitingLinesEndWithTheirTarget();
    void pasteOfManyLinesAsksFirst_data();
    void pasteOfManyLinesAsksFirst();
    void silentLinkIsPingedThenDeclaredDead_data();
    void silentLinkIsPingedThenDeclaredDead();
    void reconnectsWithNextNickAndRejoinsWithKey();
    void serverReasonReachesEveryWindow();
    void incomingLineLeavesTheKeyboardWhileTyping_data();
    void incomingLineLeavesTheKeyboardWhileTyping();
};

void TestKeepingConnected::waitingLinesEndWithTheirTarget_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("delivered");  // of the 8 typed lines
    QTest::newRow("their turn comes") << "wait" << 8;
    QTest::newRow("leaving the room") << "leave" << 4;
    QTest::newRow("closing the window") << "close" << 4;
    QTest::newRow("disconnecting") << "disconnect" << 4;
}

void TestKeepingConnected::waitingLinesEndWithTheirTarget()
{
    QFETCH(QString, ending);
    QFETCH(int, delivered);
    Rig rig(5, 150);
    GoodLogin(rig.server, "ann");
    rig.LogIn("ann");
    QTRY_COMPARE(rig.Status(), QStringLiteral("Connected"));
    QTRY_COMPARE(rig.frame->Sender().Waiting(), 0);
    QTest::qWait(5 * 150);  // a quiet start: the burst is whole again
    RoomWindow* room = rig.frame->OpenRoomWindow("lobby");
    for (int i = 0; i < 8; ++i) QVERIFY(room->SendMessage(QStringLiteral("line %1").arg(i)));
    // The join and four lines go at once; the rest wait, and are not shown yet.
    QCOMPARE(room->Transcript().toPlainText().count("ann: line"), 4);
    QCOMPARE(rig.frame->LinkStatus().WaitingShown(), QStringLiteral("4 lines waiting"));
    if (ending == "leave") {
        room->Leave(QString());
        QVERIFY(room->Transcript().toPlainText().contains("4 waiting lines were not sent."));
    } else if (ending == "close") {
        room->parentWidget()->close();
    } else if (ending == "disconnect") {
        Control<QAction>(*rig.frame, "connectAction")->trigger();
        QVERIFY(room->Transcript().toPlainText().contains("4 waiting lines were not sent."));
    }
    // Only the part line, if any, is left to go.
    if (ending != "wait") QVERIFY(rig.frame->Sender().Waiting() <= 1);
    QTest::qWait(6 * 150 + 300);
    const std::vector<std::string> got = rig.server.Received();
    int lines = 0;
    for (const std::string& line : got) lines += line.starts_with("privmsg #lobby :line ");
    QCOMPARE(lines, delivered);
    QCOMPARE(rig.frame->LinkStatus().WaitingShown(), QString());
}

void TestKeepingConnected::pasteOfManyLinesAsksFirst_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("length");   // of each pasted line
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<int>("sent");     // lines on the wire
    QTest::newRow("three lines go into the input line") << 3 << 5 << true << "" << 0;
    QTest::newRow("four lines, sent") << 4 << 5 << true << "Send 4 lines to #lobby? About " << 4;
    QTest::newRow("forty lines, cancelled") << 40 << 5 << false << "Send 40 lines to #lobby? About " << 0;
    // Longer than the input line holds: split at the server's limit, never cut.
    const int pieces = static_cast<int>(sent::RoomMessageLines("lobby", std::string(40000, 'a')).size());
    QTest::newRow("one line of 40,000 characters")
        << 1 << 40000 << true << QStringLiteral("Send %1 lines to #lobby? About ").arg(pieces) << pieces;
}

void TestKeepingConnected::pasteOfManyLinesAsksFirst()
{
    QFETCH(int, lines);
    QFETCH(int, length);
    QFETCH(bool, answer);
    QFETCH(QString, asked);
    QFETCH(int, sent);
    Rig rig(5, 30);
    rig.prompts.confirmAnswer = answer;
    GoodLogin(rig.server, "ann");
    rig.LogIn("ann");
    QTRY_COMPARE(rig.Status(), QStringLiteral("Connected"));
    RoomWindow* room = rig.frame->OpenRoomWindow("lobby");
    QStringList pasted;
    for (int i = 0; i < lines; ++i) pasted << QString(length, QChar(u'a' + i % 26));
    QGuiApplication::clipboard()->setText(pasted.join(u'\n'));
    QLineEdit* input = InputLine(*room);
    input->setFocus();
    QTest::keySequence(input, QKeySequence::Paste);
    QCOMPARE(rig.prompts.confirmAsked.size(), asked.isEmpty() ? 0 : 1);
    if (!asked.isEmpty()) QVERIFY(rig.prompts.confirmAsked.value(0).startsWith(asked));
    if (sent == 0 && asked.isEmpty()) QCOMPARE(input->text(), pasted.join(u' '));  // breaks made spaces
    QTRY_COMPARE(rig.frame->Sender().Waiting(), 0);
    QTest::qWait(100);
    int wire = 0;
    qsizetype bytes = 0;
    for (const std::string& line : rig.server.Received())
        if (line.starts_with("privmsg #lobby :")) {
            ++wire;
            bytes += static_cast<qsizetype>(line.size()) - 16;
        }
    QCOMPARE(wire, sent);
    if (sent > 0) QCOMPARE(bytes, qsizetype(lines) * length);  // every character arrived
}

void TestKeepingConnected::silentLinkIsPingedThenDeclaredDead_data()
{
    QTest::addColumn<bool>("answers");
    QTest::newRow("the server answers the PING") << true;
    QTest::newRow("the server stays silent") << false;
}

void TestKeepingConnected::silentLinkIsPingedThenDeclaredDead()
{
    QFETCH(bool, answers);
    Rig rig;
    timing().quietBeforePingMs = 300;
    timing().pingAnswerMs = 600;
    rig.frame->Keeper().SetAutomatic(false);
    GoodLogin(rig.server, "ann");
    rig.server.SetTimeout(5000).ExpectPrefix("PING :talvessa-");
    if (answers) rig.server.Send(":irc.test PONG irc.test :talvessa-1");
    QElapsedTimer clock;
    clock.start();
    rig.LogIn("ann");
    QTRY_VERIFY_WITH_TIMEOUT(rig.server.Done(), 3000);
    if (answers) {
        QTest::qWait(500);
        QCOMPARE(rig.Status(), QStringLiteral("Connected"));
        QVERIFY(!rig.Log().contains("talvessa-1"));  // the answer is never shown
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(rig.Status(), QStringLiteral("Not Connected"), 3000);
    // Noticed within the configured silence (plus the login's own time) and a second.
    QVERIFY2(clock.elapsed() < 300 + 600 + 1000 + 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(rig.Log().contains("The server stopped answering (no reply in 1 s)."));
}

void TestKeepingConnected::reconnectsWithNextNickAndRejoinsWithKey()
{
    Rig rig;
    timing().reconnectFirstMs = 100;
    GoodLogin(rig.server, "ann");
    rig.server.Expect("lusers").Expect("join #lobby sesame").Close();
    // The old connection may still hold the nick: the next try takes ann_.
    rig.server.Expect("nick ann").Send(":irc.test 433 * ann :Nickname is already in use").AwaitClientClose();
    GoodLogin(rig.server, "ann_");
    rig.server.Expect("join #lobby sesame").Expect("privmsg bob :back again");
    rig.LogIn("ann");
    QTRY_COMPARE(rig.Status(), QStringLiteral("Connected"));
    RoomWindow* lobby = qobject_cast<RoomWindow*>(rig.frame->JoinRoom("lobby", "sesame"));
    PrivateWindow* bob = rig.frame->OpenPrivateWindowFromUser("bob");
    QTRY_VERIFY_WITH_TIMEOUT(rig.server.Connections() == 3, 5000);
    QVERIFY(rig.Log().contains("Reconnecting in"));

    QTRY_COMPARE(rig.Status(), QStringLiteral("Connected"));
    QCOMPARE(rig.frame->CurrentNick(), QStringLiteral("ann_"));
    QTRY_VERIFY(lobby->InRoom());
    QVERIFY(bob->SendMessage("back again"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.server.Done(), 8000);  // after the first lines, at the pace
    QVERIFY(bob->Transcript().toPlainText().contains("you said: back again"));
    QCOMPARE(rig.frame->LinkStatus().LinkShown(), QString());
}

void TestKeepingConnected::serverReasonReachesEveryWindow()
{
    Rig rig;
    rig.frame->Keeper().SetAutomatic(false);
    GoodLogin(rig.server, "ann");
    rig.server.Expect("join #lobby").Send("ERROR :Closing link: (ann@127.0.0.1) [Excess Flood]").Close();
    rig.LogIn("ann");
    QTRY_COMPARE(rig.Status(), QStringLiteral("Connected"));
    RoomWindow* lobby = rig.frame->OpenRoomWindow("lobby");
    PrivateWindow* bob = rig.frame->OpenPrivateWindowFromUser("bob");
    QTRY_COMPARE(rig.Status(), QStringLiteral("Not Connected"));
    const QString why = QStringLiteral("The server closed the link: Closing link: (ann@127.0.0.1) [Excess Flood]");
    QTRY_VERIFY(lobby->Transcript().toPlainText().contains(why));
    QVERIFY(bob->Transcript().toPlainText().contains(why));
    QVERIFY(rig.Log().contains(why));
}

void TestKeepingConnected::incomingLineLeavesTheKeyboardWhileTyping_data()
{
    QTest::addColumn<QString>("typing");
    QTest::addColumn<bool>("takesFront");
    QTest::newRow("text in the input line") << "text" << false;
    QTest::newRow("a key pressed a moment ago") << "key" << false;
    QTest::newRow("idle") << "idle" << true;
}

void TestKeepingConnected::incomingLineLeavesTheKeyboardWhileTyping()
{
    QFETCH(QString, typing);
    QFETCH(bool, takesFront);
    Rig rig;
    timing().typingQuietMs = typing == "key" ? 60000 : 0;
    GoodLogin(rig.server, "ann");
    rig.server.Expect("join #lobby");
    rig.LogIn("ann");
    QTRY_COMPARE(rig.Status(), QStringLiteral("Connected"));
    RoomWindow* lobby = rig.frame->OpenRoomWindow("lobby");
    QTRY_VERIFY_WITH_TIMEOUT(rig.server.Done(), 3000);
    rig.frame->BringToFront(lobby);
    QLineEdit* input = InputLine(*lobby);
    if (typing == "text") input->setText("half a sentence");
    if (typing == "key") QTest::keyClick(input, Qt::Key_Shift);
    rig.server.Send(":bob!b@h PRIVMSG ann :psst");
    QTRY_VERIFY(!rig.frame->PrivateWindowsNamed("bob").isEmpty());
    QTest::qWait(100);
    QWidget* bob = rig.frame->PrivateWindowsNamed("bob").first();
    QCOMPARE(rig.frame->CurrentChild() == bob, takesFront);
    if (!takesFront) QVERIFY(MainWindow::MentionMarked(bob));  // marked, to be picked by the user
    // The frame is not the active window: the title bar flashes until the
    // user picks the window.
    auto* partner = qobject_cast<PrivateWindow*>(bob);
    QVERIFY(partner->Flashing());
    rig.frame->activateWindow();
    rig.frame->BringToFront(bob);
    QTRY_VERIFY(!partner->Flashing());
    if (typing == "text") QCOMPARE(input->text(), QStringLiteral("half a sentence"));
}

QTEST_MAIN(TestKeepingConnected)
#include "tst_keeping_connected.moc"
