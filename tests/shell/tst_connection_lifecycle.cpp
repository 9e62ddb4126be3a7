// Connecting and disconnecting from the frame against a scripted server: the
// login, the reader and the first requests, the connected and disconnected
// looks, a server that hangs up or ignores "quit", closing the frame, away
// status and the room-list button.
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "events/chat_session.h"
#include "events/line_drain.h"
#include "shell/login_dialog.h"
#include "shell/connection_keeper.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "common/user_data_folder.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"
#include "support/temp_user_data.h"
#include "support/window_controls.h"
#include "support/login_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {

std::vector<std::string> LoginLines(const std::string& nick)
{
    return {"CAP LS 302", "user " + nick + " localhost localhost " + nick, "nick " + nick};
}

void GoodLogin(ScriptedServer& s, const std::string& nick)
{
    s.Expect("user " + nick + " localhost localhost " + nick)
        .Expect("nick " + nick)
        .Send(":irc.test 001 " + nick + " :Welcome");
}

QStringList LogLines(MainWindow& frame) { return Control<TranscriptView>(frame, "serverLog")->toPlainText().split(QLatin1Char('\n')); }

void WriteListFile(const QString& nick, const QString& file, const QByteArray& bytes)
{
    QFile f(UserDataFolder("127.0.0.1", nick) + u'/' + file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// When a watched window was hidden, on clock.
class HideClock : public QObject {
public:
    QElapsedTimer clock;
    qint64 at = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && at < 0) at = clock.elapsed();
        return false;
    }
};

struct Rig {
    PromptRecorder prompts;
    ShrunkTimings timings;
    TempUserData userData;  // the account's lists live here, not in the user's own folder
    ScriptedServer server;
    MainWindow frame;

    Rig()
    {
        timing().defaultPort = server.Port();
        frame.Keeper().SetAutomatic(false);  // an ending stays one here
        Control<QComboBox>(frame, "serverBox")->setEditText("127.0.0.1");
        frame.show();
    }
    // Runs the connect command; drive answers the login dialog.
    void Connect(const std::function<void(LoginDialog&)>& drive)
    {
        QTimer::singleShot(0, &frame, [this, drive] {
            if (auto* login = frame.findChild<LoginDialog*>()) drive(*login);
        });
        Control<QAction>(frame, "connectAction")->trigger();
    }
    void LogIn(const QString& nick)
    {
        Connect([nick](LoginDialog& login) {
            StartLogin(&login, nick);
        });
    }
    // Opens the connection directly, without a login (no reader).
    void OpenConnection()
    {
        frame.Connection().SetHost("127.0.0.1");
        frame.Connection().SetPort(server.Port());
        frame.Connection().Connect();
    }
    QString Status() const { return Control<QLabel>(frame, "connectionLabel")->text(); }
};

}  // namespace

class TestConnectionLifecycle : public QObject {
    Q_OBJECT
private slots:
    void loginStartsReaderThenSendsFirstRequests();
    void disconnectCommand();
    void disconnectFromServerThatIgnoresQuit();
    void serverHangsUpUnderLoggedInClient();
    void endingShowsRestOfLinesInSlices_data();
    void endingShowsRestOfLinesInSlices();
    void lostConnectionRejoinsRoomsAtNextLogin();
    void endingNotes_data();
    void endingNotes();
    void refusedLoginLeavesFrameDisconnected();
    void cancelledLoginChangesNothing();
    void cancelAfterFailedTryIsNoLogin();
    void emptyServerName();
    void looks_data();
    void looks();
    void closingFrame_data();
    void closingFrame();
    void awayOk_data();
    void awayOk();
    void awayReleaseSendsBack();
    void awayCancelSendsNothing();
    void roomListButtonSendsNothing();
    void newChatWindowFromMenuAndButton();
};

void TestConnectionLifecycle::loginStartsReaderThenSendsFirstRequests()
{
    Rig rig;
    GoodLogin(rig.server, "alice");
    // Answered at once: it only reaches the log if the reader already reads.
    rig.server.Expect("memoserv list").Send(":irc.test 998 alice :the reader is reading").Expect("lusers");
    rig.LogIn("alice");

    QVERIFY(rig.server.WaitDone(2000));
    auto expected = LoginLines("alice");
    expected.insert(expected.end(), {"memoserv list", "lusers"});
    QCOMPARE(rig.server.Received(), expected);
    QVERIFY(rig.frame.Reader());
    QTRY_VERIFY(LogLines(rig.frame).contains(":irc.test 998 alice :the reader is reading"));
    QCOMPARE(rig.frame.CurrentNick(), QStringLiteral("alice"));
    QCOMPARE(rig.frame.Connection().Host(), std::string("127.0.0.1"));  // typed text used unchanged
    QCOMPARE(rig.frame.Connection().Port(), rig.server.Port());
    QCOMPARE(rig.Status(), QStringLiteral("Connected"));
    QCOMPARE(Control<QAction>(rig.frame, "connectAction")->text(), QStringLiteral("Disconnect"));
    QCOMPARE(Control<QLabel>(rig.frame, "serverTitle")->text(), QStringLiteral("127.0.0.1"));
    QVERIFY(Control<QFrame>(rig.frame, "serverPanel")->isVisibleTo(rig.frame.RoomList()));
    QVERIFY(rig.frame.Lists().HasIgnoreList());
    QVERIFY(rig.frame.IgnoreList().isEmpty());
}

void TestConnectionLifecycle::disconnectCommand()
{
    Rig rig;
    GoodLogin(rig.server, "alice");
    rig.server.Expect("lusers").Send(":irc.test 998 alice :reading").Expect("quit").SendRaw(":irc.test 997 alice :said before closing\r\nERROR :Closing link\r\n").Close();
    WriteListFile("alice", "fav.ini", "[room]\nName=room\n[lobby]\nName=lobby\n");
    WriteListFile("alice", "buddies.ini", "[bob]\nName=bob\n");
    WriteListFile("alice", "ignore.ini", "[troll]\nName=troll\n");
    WriteListFile("bea", "fav.ini", "[not-alice]\nName=not-alice\n");
    rig.LogIn("alice");
    QTRY_VERIFY(LogLines(rig.frame).contains(":irc.test 998 alice :reading"));  // the reader is in its read
    // The login read the account's lists.
    QCOMPARE(Control<QMenu>(rig.frame, "favoritesMenu")->actions().size(), 2);
    QCOMPARE(Control<QMenu>(rig.frame, "favoritesMenu")->actions()[1]->text(), QStringLiteral("lobby"));
    QCOMPARE(Control<QMenu>(rig.frame, "buddiesMenu")->actions().size(), 1);
    QVERIFY(rig.frame.IsIgnored("troll"));
    rig.frame.RoomList()->AddRoomRow("room ", "topic", "3 ");
    const int logBefore = Control<TranscriptView>(rig.frame, "serverLog")->Store().Count();

    Control<QAction>(rig.frame, "connectAction")->trigger();

    QVERIFY(rig.server.WaitDone(2000));
    const auto received = rig.server.Received();
    QCOMPARE(std::count(received.begin(), received.end(), "quit"), 1);
    QVERIFY(!rig.frame.Reader());
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QCOMPARE(Control<QAction>(rig.frame, "connectAction")->text(), QStringLiteral("Connect"));
    QVERIFY(!Control<QToolButton>(rig.frame, "roomListButton")->isEnabled());
    QCOMPARE(rig.frame.RoomList()->RowCount(), 0);
    QVERIFY(Control<QMenu>(rig.frame, "buddiesMenu")->actions().isEmpty());
    QCOMPARE(Control<QMenu>(rig.frame, "favoritesMenu")->actions().size(), 2);  // kept until the next login rebuilds it
    QVERIFY(!rig.frame.IsIgnored("troll"));
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.last(), QStringLiteral("Disconnected.."));
    QCOMPARE(log.count("Disconnected.."), 1);
    QVERIFY(log.indexOf(":irc.test 997 alice :said before closing") > logBefore - 1);  // handled before the end
    QVERIFY(log.indexOf(":irc.test 997 alice :said before closing") < log.indexOf("Disconnected.."));
}

void TestConnectionLifecycle::disconnectFromServerThatIgnoresQuit()
{
    Rig rig;
    timing().readerStopMs = 300;
    GoodLogin(rig.server, "alice");
    rig.server.Expect("lusers").Send(":irc.test 998 alice :reading").Expect("quit").AwaitClientClose();
    rig.LogIn("alice");
    QTRY_VERIFY(LogLines(rig.frame).contains(":irc.test 998 alice :reading"));  // the reader is in its read
    QElapsedTimer clock;
    clock.start();
    Control<QAction>(rig.frame, "connectAction")->trigger();
    const qint64 took = clock.elapsed();

    QVERIFY2(took >= 250 && took < 3000, qPrintable(QString::number(took)));
    QVERIFY(rig.server.WaitDone(2000));  // the connection was closed anyway
    QVERIFY(!rig.frame.Reader());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Disconnected.."));
}

void TestConnectionLifecycle::serverHangsUpUnderLoggedInClient()
{
    Rig rig;
    GoodLogin(rig.server, "alice");
    rig.server.Expect("lusers").Send(":irc.test 999 alice :last words").Close();
    GoodLogin(rig.server, "alice");  // the next connect command logs in afresh
    rig.frame.RoomList()->AddRoomRow("room ", "topic", "3 ");
    rig.LogIn("alice");

    QTRY_COMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QVERIFY(!rig.frame.Reader());
    QCOMPARE(Control<QAction>(rig.frame, "connectAction")->text(), QStringLiteral("Connect"));
    QVERIFY(Control<QComboBox>(rig.frame, "serverBox")->isEnabled());
    QCOMPARE(rig.frame.RoomList()->RowCount(), 0);
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.last(), QStringLiteral("Disconnected.."));
    QVERIFY(log.indexOf(":irc.test 999 alice :last words") < log.lastIndexOf("Disconnected.."));  // lines first

    rig.LogIn("alice");
    QVERIFY(rig.server.WaitDone(2000));
    QCOMPARE(rig.server.Connections(), 2);
    QVERIFY(rig.frame.Reader());
    QCOMPARE(rig.Status(), QStringLiteral("Connected"));
}

void TestConnectionLifecycle::endingNotes_data()
{
    QTest::addColumn<bool>("byUser");
    QTest::addColumn<QString>("note");
    QTest::newRow("Chat, Disconnect") << true << "Disconnected from the server.";
    QTest::newRow("server hangs up") << false << "The connection to the server was lost";
}

void TestConnectionLifecycle::endingNotes()
{
    QFETCH(bool, byUser);
    QFETCH(QString, note);
    Rig rig;
    GoodLogin(rig.server, "alice");
    rig.server.Expect("lusers").Send(":irc.test 998 alice :reading");
    if (byUser)
        rig.server.Expect("quit").Close();
    else
        rig.server.Expect("join #lobby").Send(":bob!b@h PRIVMSG alice :hi").Close();
    rig.LogIn("alice");
    QTRY_VERIFY(LogLines(rig.frame).contains(":irc.test 998 alice :reading"));
    RoomWindow* room = rig.frame.OpenRoomWindow(QStringLiteral("lobby"));
    PrivateWindow* partner = nullptr;
    if (byUser) {
        partner = rig.frame.OpenPrivateWindowFromUser(QStringLiteral("bob"));
        Control<QAction>(rig.frame, "connectAction")->trigger();
    } else {
        QTRY_VERIFY(!rig.frame.PrivateWindowsNamed(QStringLiteral("bob")).isEmpty());
        partner = qobject_cast<PrivateWindow*>(rig.frame.PrivateWindowsNamed(QStringLiteral("bob")).constFirst());
    }
    QTRY_COMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QTRY_VERIFY(room->Transcript().toPlainText().contains(note));
    QVERIFY(partner->Transcript().toPlainText().contains(note));
    for (const QString& text : {room->Transcript().toPlainText(), partner->Transcript().toPlainText()})
        QCOMPARE(text.count(QStringLiteral("connection to the server was lost")) +
                     text.count(QStringLiteral("Disconnected from the server.")),
                 1);
}

void TestConnectionLifecycle::endingShowsRestOfLinesInSlices_data()
{
    QTest::addColumn<QString>("ending");
    QTest::newRow("disconnect pressed") << "disconnect";
    QTest::newRow("server hangs up") << "hang-up";
    QTest::newRow("reader fails unexpectedly") << "failure";
    QTest::newRow("frame closed") << "close";
}

void TestConnectionLifecycle::endingShowsRestOfLinesInSlices()
{
    // The reader fills its queue while the UI thread is busy elsewhere; then
    // the connection ends. The ending itself is quick and the disconnected
    // look comes at once; the queued lines follow in slices, all of them and
    // in order, and "Disconnected.." after the last. Closing drops them.
    QFETCH(QString, ending);
    // A few more than the queue holds: what the reader cannot queue yet, and
    // the server's close after it, fit in the little a socket buffers for a
    // program that does not read (about 15 KB here), so the hang-up reaches
    // the reader while it waits on the full queue. A close stuck behind
    // unread bytes reaches nobody until the program reads again.
    constexpr int kLines = int(ChatSession::kQueueLines) + 200;
    Rig rig;
    GoodLogin(rig.server, "alice");
    std::string flood;
    for (int i = 0; i < kLines; ++i) flood += ":irc.test 372 alice :- flood " + std::to_string(i) + "\r\n";
    rig.server.Expect("lusers").SendRaw(flood);
    if (ending == "hang-up")
        rig.server.Close();
    else
        rig.server.AwaitClientClose();
    rig.LogIn("alice");
    QVERIFY(rig.frame.Session());
    const auto queue = rig.frame.Session()->Queue();
    QElapsedTimer clock;
    clock.start();
    // No event loop here: nothing is drained while the queue fills.
    const auto filled = [&] {
        return ending == "hang-up" ? rig.frame.Reader()->Finished()
                                   : queue->Size() >= ChatSession::kQueueLines ||
                                         queue->Bytes() >= LineQueue::kDefaultBytes;
    };
    while (!filled() && clock.elapsed() < 20000) QThread::msleep(10);
    QVERIFY(filled());
    const int queued = int(queue->Size());
    // The size of each batch the drain hands over from here on.
    QList<int> batches;
    qint64 lastBatchAt = 0;  // ms after the ending began
    QObject::connect(&rig.frame.Session()->Drain(), &LineDrain::Drained, &rig.frame, [&](int n) {
        batches << n;
        lastBatchAt = clock.elapsed();
    });

    clock.restart();
    if (ending == "disconnect")
        Control<QAction>(rig.frame, "connectAction")->trigger();
    else if (ending == "hang-up")
        QCoreApplication::processEvents();  // the reader's end is told
    else if (ending == "failure")
        emit rig.frame.Session()->ReaderEnded(QStringLiteral("reader broke"), true);
    else
        QVERIFY(rig.frame.close());
    const qint64 took = clock.elapsed();

    QVERIFY2(took < 2000, qPrintable(QString::number(took)));
    QVERIFY(!rig.frame.Reader());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QCOMPARE(Control<QAction>(rig.frame, "connectAction")->text(), QStringLiteral("Connect"));
    const QString lastLine = QStringLiteral(":irc.test 372 alice :- flood %1");
    if (ending == "close") {
        QVERIFY(!rig.frame.Lifecycle().ShowingRestOfLines());
        QTest::qWait(200);
        QVERIFY(!LogLines(rig.frame).contains(lastLine.arg(queued - 1)));  // dropped, not rendered
        return;
    }
    // The ending handles a slice at most; a quick machine may also finish the
    // rest before the event loop is back here, but never in one batch.
    if (rig.frame.Lifecycle().ShowingRestOfLines()) {
        QVERIFY(!LogLines(rig.frame).contains(lastLine.arg(queued - 1)));
        QVERIFY(rig.prompts.Errors().isEmpty());  // the report waits for the lines before it
    }

    QTRY_VERIFY_WITH_TIMEOUT(!rig.frame.Lifecycle().ShowingRestOfLines(), 60000);
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.last(), QStringLiteral("Disconnected.."));
    QCOMPARE(log.count(QStringLiteral("Disconnected..")), 1);
    int next = 0;
    for (const QString& line : log)
        if (line.startsWith(QLatin1String(":irc.test 372 alice :- flood "))) QCOMPARE(line, lastLine.arg(next++));
    QVERIFY2(next >= queued, qPrintable(QString("%1 of %2").arg(next).arg(queued)));
    // Log lines cost little until the log lays them out at the slice's end:
    // a quick machine may take them all within one slice's budget. Only a
    // slice that ran well past its budget is a fault.
    const bool sliced = batches.size() >= 2 && *std::max_element(batches.cbegin(), batches.cend()) < queued;
    QVERIFY2(sliced || (batches.size() == 1 && lastBatchAt < 10 * LineDrain::kBudgetMs),
             qPrintable(QStringLiteral("every queued line was handled in one go, in %1 ms").arg(lastBatchAt)));
    if (ending == "hang-up") QCOMPARE(next, kLines);
    QCOMPARE(rig.prompts.Errors(), ending == "failure" ? QStringList{"reader broke"} : QStringList());
}

void TestConnectionLifecycle::lostConnectionRejoinsRoomsAtNextLogin()
{
    Rig rig;
    GoodLogin(rig.server, "alice");
    rig.server.Expect("lusers").Expect("join #lobby").Close();
    GoodLogin(rig.server, "alice");
    rig.server.Expect("lusers").Expect("join #lobby");
    rig.LogIn("alice");
    QTRY_COMPARE(rig.Status(), QStringLiteral("Connected"));
    RoomWindow* lobby = rig.frame.OpenRoomWindow(QStringLiteral("lobby"));
    RoomWindow* empty = rig.frame.NewRoomWindow();
    PrivateWindow* partner = rig.frame.OpenPrivateWindowFromUser(QStringLiteral("bob"));
    QTRY_COMPARE(rig.Status(), QStringLiteral("Not Connected"));

    const QString lost = QStringLiteral("Talvessa: The connection to the server was lost\n");
    for (const QString& transcript : {lobby->Transcript().toPlainText(), empty->Transcript().toPlainText(),
                                      partner->Transcript().toPlainText()})
        QVERIFY2(transcript.endsWith(lost), qPrintable(transcript));
    QVERIFY(!lobby->InRoom());
    QVERIFY(Control<QComboBox>(*lobby, "roomSelector")->isEnabled());
    QCOMPARE(Control<QComboBox>(*lobby, "roomSelector")->currentText(), QStringLiteral("lobby"));

    // Only the window that was in a room joins again, by itself, as its button would.
    rig.LogIn("alice");
    QVERIFY(rig.server.WaitDone(2000));
    QTRY_VERIFY(lobby->InRoom());
    QVERIFY(!empty->InRoom());
    const std::vector<std::string> received = rig.server.Received();
    QCOMPARE(std::count(received.begin(), received.end(), std::string("join #lobby")), 2);
    QCOMPARE(received.back(), std::string("join #lobby"));
}

void TestConnectionLifecycle::refusedLoginLeavesFrameDisconnected()
{
    Rig rig;
    rig.server.Expect("nick alice").Send(":irc.test 433 * alice :Nickname is already in use.").AwaitClientClose();
    rig.Connect([&rig](LoginDialog& login) {
        StartLogin(&login, "alice");
        // The user reads the refusal, then cancels.
        if (QTest::qWaitFor([&] { return !rig.prompts.records.isEmpty(); }, 5000))
            QTest::mouseClick(Button(&login, "cancelButton"), Qt::LeftButton);
    });
    QVERIFY(rig.server.WaitDone(2000));
    QCOMPARE(rig.prompts.Texts(), QStringList{"Nick name is already in use."});
    QVERIFY(!rig.frame.Reader());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Disconnected.."));
    QVERIFY(!rig.server.HasReceived("memoserv list"));
}

void TestConnectionLifecycle::cancelledLoginChangesNothing()
{
    Rig rig;
    rig.Connect([](LoginDialog& login) { QTest::mouseClick(Button(&login, "cancelButton"), Qt::LeftButton); });
    QVERIFY(!rig.frame.findChild<LoginDialog*>());  // made for one use
    QCOMPARE(rig.server.Connections(), 0);
    QCOMPARE(Control<TranscriptView>(rig.frame, "serverLog")->toPlainText(), QString());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QVERIFY(!rig.frame.Reader());
}

void TestConnectionLifecycle::cancelAfterFailedTryIsNoLogin()
{
    // A try that broke off with an error must not be taken for a login when
    // the user then cancels.
    Rig rig;
    rig.server.Expect("user alice localhost localhost alice").Close();
    rig.Connect([&rig](LoginDialog& login) {
        StartLogin(&login, "alice");
        if (QTest::qWaitFor([&] { return !rig.prompts.records.isEmpty(); }, 5000))
            QTest::mouseClick(Button(&login, "cancelButton"), Qt::LeftButton);
    });
    QCOMPARE(rig.prompts.Kinds(), QStringList{"error"});
    QVERIFY(!rig.frame.Reader());
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QVERIFY(!rig.server.HasReceived("memoserv list"));
}

void TestConnectionLifecycle::emptyServerName()
{
    Rig rig;
    Control<QComboBox>(rig.frame, "serverBox")->setEditText("");
    bool dialogShown = false;
    rig.Connect([&](LoginDialog& login) {
        dialogShown = true;
        login.reject();
    });
    QCOMPARE(rig.prompts.Texts(), QStringList{"Please select a server."});
    QCOMPARE(rig.prompts.Kinds(), QStringList{"information"});
    QTest::qWait(20);
    QVERIFY(!dialogShown);
    QCOMPARE(rig.frame.Connection().Host(), std::string());
    QCOMPARE(Control<TranscriptView>(rig.frame, "serverLog")->toPlainText(), QString());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
}

void TestConnectionLifecycle::looks_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("disconnected");
    QTest::newRow("serverBox") << "serverBox" << false << true;
    QTest::newRow("newWindowAction") << "newWindowAction" << true << false;
    QTest::newRow("newWindowButton") << "newWindowButton" << true << false;
    QTest::newRow("disconnectButton") << "disconnectButton" << true << false;
    QTest::newRow("connectButton") << "connectButton" << false << true;
    QTest::newRow("awayButton") << "awayButton" << true << false;
    QTest::newRow("roomListButton") << "roomListButton" << true << false;
    QTest::newRow("optionsAction") << "optionsAction" << true << false;
}

void TestConnectionLifecycle::looks()
{
    QFETCH(QString, control);
    QFETCH(bool, connected);
    QFETCH(bool, disconnected);
    Rig rig;
    const auto enabled = [&] {
        if (auto* w = rig.frame.findChild<QWidget*>(control)) return w->isEnabled();
        return rig.frame.findChild<QAction*>(control)->isEnabled();
    };
    QCOMPARE(enabled(), disconnected);  // the start is the disconnected look
    rig.OpenConnection();
    QCOMPARE(enabled(), connected);
    QCOMPARE(rig.Status(), QStringLiteral("Connected"));
    QCOMPARE(Control<QAction>(rig.frame, "connectAction")->text(), QStringLiteral("Disconnect"));
    rig.frame.Connection().Disconnect();
    QCOMPARE(enabled(), disconnected);
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QCOMPARE(Control<QAction>(rig.frame, "connectAction")->text(), QStringLiteral("Connect"));  // no "&" after a disconnect
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Disconnected.."));
}

void TestConnectionLifecycle::closingFrame_data()
{
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<bool>("serverAnswersQuit");
    QTest::addColumn<int>("quitLines");
    QTest::newRow("logged in") << true << true << 1;
    QTest::newRow("logged in, quit read but never answered") << true << false << 1;
    QTest::newRow("open connection without reader") << false << true << 0;
}

void TestConnectionLifecycle::closingFrame()
{
    QFETCH(bool, loggedIn);
    QFETCH(bool, serverAnswersQuit);
    QFETCH(int, quitLines);
    Rig rig;
    timing().readerStopMs = 3000;  // what a disconnect would grant the server
    if (loggedIn) {
        GoodLogin(rig.server, "alice");
        rig.server.Expect("lusers");
        if (serverAnswersQuit) rig.server.Expect("quit").Close();
        rig.LogIn("alice");
        QVERIFY(rig.frame.Reader());
    } else {
        rig.OpenConnection();
    }
    // The user asked to leave: the frame is gone before the server has had
    // its moment, and that moment is short.
    HideClock hidden;
    rig.frame.installEventFilter(&hidden);
    hidden.clock.start();
    QVERIFY(rig.frame.close());
    const qint64 took = hidden.clock.elapsed();
    QVERIFY2(took < 1500, qPrintable(QString::number(took)));
    QVERIFY(!rig.frame.Reader());  // ended and disposed of before the close returned
    QVERIFY(!rig.frame.isVisible());
    QVERIFY2(hidden.at >= 0 && hidden.at < 200, qPrintable(QString::number(hidden.at)));
    QTest::qWait(50);
    const auto received = rig.server.Received();
    QCOMPARE(int(std::count(received.begin(), received.end(), "quit")), quitLines);
}

void TestConnectionLifecycle::awayOk_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("kept");
    QTest::newRow("Ok with a message") << "gone fishing" << false << "away :gone fishing" << "gone fishing";
    QTest::newRow("Enter in the field") << "back soon" << true << "away :back soon" << "back soon";
    QTest::newRow("Ok with nothing typed") << "" << false << "away :" << "";
    QTest::newRow("Ok with a pasted line break") << "gone\nfishing" << false << "away :gone fishing"
                                                 << "gone fishing";
}

void TestConnectionLifecycle::awayOk()
{
    QFETCH(QString, text);
    QFETCH(bool, byEnter);
    QFETCH(QString, line);
    QFETCH(QString, kept);
    Rig rig;
    rig.OpenConnection();
    const auto promptsBefore = rig.prompts.records.size();
    QTest::mouseClick(Control<QToolButton>(rig.frame, "awayButton"), Qt::LeftButton);
    QVERIFY(Control<QFrame>(rig.frame, "awayPanel")->isVisible());
    QVERIFY(Control<QToolButton>(rig.frame, "awayButton")->isChecked());
    Control<QLineEdit>(rig.frame, "awayLine")->insert(text);  // typed or pasted
    if (byEnter)
        QTest::keyClick(Control<QLineEdit>(rig.frame, "awayLine"), Qt::Key_Return);
    else
        QTest::mouseClick(Control<QPushButton>(rig.frame, "awayOkButton"), Qt::LeftButton);

    QVERIFY(rig.server.WaitForReceived(line.toStdString(), 2000));
    QCOMPARE(rig.server.Received().size(), std::size_t(1));  // opening the panel sent nothing
    QVERIFY(!Control<QFrame>(rig.frame, "awayPanel")->isVisible());
    QVERIFY(Control<QToolButton>(rig.frame, "awayButton")->isChecked());
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Your status is set to away."));
    QCOMPARE(Control<QLineEdit>(rig.frame, "awayLine")->text(), kept);  // kept for next time
    QCOMPARE(rig.prompts.records.size(), promptsBefore);  // no error box
}

void TestConnectionLifecycle::awayReleaseSendsBack()
{
    Rig rig;
    rig.OpenConnection();
    QTest::mouseClick(Control<QToolButton>(rig.frame, "awayButton"), Qt::LeftButton);  // panel open, nothing sent
    QTest::mouseClick(Control<QToolButton>(rig.frame, "awayButton"), Qt::LeftButton);  // released before Ok
    QVERIFY(rig.server.WaitForReceived("away", 2000));
    QCOMPARE(rig.server.Received(), std::vector<std::string>{"away"});
    QVERIFY(!Control<QFrame>(rig.frame, "awayPanel")->isVisible());
    QVERIFY(!Control<QToolButton>(rig.frame, "awayButton")->isChecked());
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Your status is nolonger set to away."));
}

void TestConnectionLifecycle::awayCancelSendsNothing()
{
    Rig rig;
    rig.OpenConnection();
    QTest::mouseClick(Control<QToolButton>(rig.frame, "awayButton"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(rig.frame, "awayCancelButton"), Qt::LeftButton);
    QVERIFY(!Control<QFrame>(rig.frame, "awayPanel")->isVisible());
    QVERIFY(!Control<QToolButton>(rig.frame, "awayButton")->isChecked());
    QTest::qWait(50);
    QVERIFY(rig.server.Received().empty());
}

void TestConnectionLifecycle::roomListButtonSendsNothing()
{
    Rig rig;
    rig.OpenConnection();
    rig.frame.RoomList()->AddRoomRow("room ", "topic", "3 ");
    QTest::mouseClick(Control<QToolButton>(rig.frame, "roomListButton"), Qt::LeftButton);
    QCOMPARE(rig.frame.RoomList()->RowCount(), 0);
    QVERIFY(Control<QFrame>(rig.frame, "serverPanel")->isVisibleTo(rig.frame.RoomList()));
    QTest::qWait(50);
    QVERIFY(rig.server.Received().empty());
}

void TestConnectionLifecycle::newChatWindowFromMenuAndButton()
{
    Rig rig;
    rig.OpenConnection();
    const int before = rig.frame.ChildWindows().size();
    Control<QAction>(rig.frame, "newWindowAction")->trigger();
    QTest::mouseClick(Control<QToolButton>(rig.frame, "newWindowButton"), Qt::LeftButton);
    const QList<QWidget*> children = rig.frame.ChildWindows();
    QCOMPARE(children.size(), before + 2);
    QCOMPARE(children.last()->windowTitle(), QStringLiteral("No Room"));
    QTest::qWait(50);
    QVERIFY(rig.server.Received().empty());  // it joins nothing
}

QTEST_MAIN(TestConnectionLifecycle)
#include "tst_connection_lifecycle.moc"
