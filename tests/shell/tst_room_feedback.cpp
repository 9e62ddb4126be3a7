// What a room window shows of the server's answers to the user, logged in
// through the frame against a scripted server: topic changes, the join
// refusals, and leaving and joining again in the same window; the room
// list's server panel; the nick service's word to a guest.
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "side/room_list_window.h"
#include "support/login_controls.h"
#include "support/scripted_server.h"
#include "support/temp_user_data.h"
#include "support/window_controls.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

// The frame logged in as alice on a scripted server.
struct LoggedIn {
    PromptRecorder prompts;
    ShrunkTimings timings;
    TempUserData userData;
    ScriptedServer server;
    MainWindow frame;
    RoomWindow* lobby = nullptr;

    // script: the server's part after the login; "> line" is a line it waits
    // for, "< line" one it sends. greeting: lines sent right after the welcome.
    explicit LoggedIn(const QStringList& script, const QStringList& greeting = {})
    {
        timing().defaultPort = server.Port();
        server.Expect("user alice localhost localhost alice")
            .Expect("nick alice")
            .Send(":irc.test 001 alice :Welcome");
        for (const QString& line : greeting) server.Send(line.toStdString());
        server.Expect("lusers");
        for (const QString& step : script) {
            const std::string line = step.mid(2).toStdString();
            if (step.startsWith(u'>'))
                server.Expect(line);
            else
                server.Send(line);
        }
        Control<QComboBox>(frame, "serverBox")->setEditText("127.0.0.1");
        frame.show();
        QTimer::singleShot(0, &frame, [this] {
            if (auto* login = frame.findChild<LoginDialog*>()) StartLogin(login, QStringLiteral("alice"));
        });
        Control<QAction>(frame, "connectAction")->trigger();
    }

    // Logged in; with #lobby opened when asked.
    bool Ready(bool openLobby)
    {
        if (!QTest::qWaitFor([this] { return frame.CurrentNick() == QLatin1String("alice") && frame.Reader(); }, 5000))
            return false;
        if (openLobby) lobby = frame.OpenRoomWindow(QStringLiteral("lobby"));
        return true;
    }

    QList<RoomWindow*> Rooms() const
    {
        QList<RoomWindow*> rooms;
        for (QWidget* child : frame.ChildWindows())
            if (auto* room = qobject_cast<RoomWindow*>(child)) rooms << room;
        return rooms;
    }
};

}  // namespace

class TestRoomFeedback : public QObject {
    Q_OBJECT
private slots:
    void serverAnswersShowInTheRoom_data();
    void serverAnswersShowInTheRoom();
    void serverPanel_data();
    void serverPanel();
    void guestHearsOfARegisteredNick_data();
    void guestHearsOfARegisteredNick();
};

void TestRoomFeedback::serverAnswersShowInTheRoom_data()
{
    QTest::addColumn<QStringList>("typed");   // into #lobby's input line, in order
    QTest::addColumn<QStringList>("script");  // the server's part, see LoggedIn
    QTest::addColumn<QString>("shown");       // a line #lobby's transcript ends up holding
    QTest::addColumn<QString>("notShown");    // a text it never holds; empty: not checked
    QTest::addColumn<QString>("title");       // #lobby's title afterwards

    QTest::newRow("someone sets the topic")
        << QStringList() << QStringList{"< :bob!b@h TOPIC #lobby :Beer and bratwurst"}
        << "bob changed the topic to \"Beer and bratwurst\"" << "" << "lobby";
    QTest::newRow("own /topic is answered")
        << QStringList{"/topic Beer"} << QStringList{"> topic #lobby :Beer", "< :alice!a@h TOPIC #lobby :Beer"}
        << "alice changed the topic to \"Beer\"" << "" << "lobby";
    QTest::newRow("topic removed") << QStringList() << QStringList{"< :bob!b@h TOPIC #lobby :"}
                                   << "bob removed the topic" << "" << "lobby";
    QTest::newRow("topic of another room") << QStringList() << QStringList{"< :bob!b@h TOPIC #other :Elsewhere", "< :bob!b@h TOPIC #lobby :Here"}
                                           << "bob changed the topic to \"Here\"" << "Elsewhere" << "lobby";
    QTest::newRow("room full") << QStringList() << QStringList{"< :irc.test 471 alice #lobby :Cannot join channel (+l)"}
                               << "Can not join this room, it is full" << "" << "lobby";
    QTest::newRow("invitation only")
        << QStringList() << QStringList{"< :irc.test 473 alice #lobby :Cannot join channel (+i)"}
        << "Can not join this room, it takes invited users only" << "" << "lobby";
    QTest::newRow("wrong key") << QStringList() << QStringList{"< :irc.test 475 alice #Lobby :Cannot join channel (+k)"}
                               << "Can not join this room, the key is wrong" << "" << "lobby";
    QTest::newRow("/part says so and keeps the name")
        << QStringList{"/part"} << QStringList{"> part #lobby"} << "Talvessa: You left the room \"lobby\"" << ""
        << "lobby";
    QTest::newRow("lines after leaving stay out")
        << QStringList{"/part"} << QStringList{"> part #lobby", "< :bob!b@h PRIVMSG #lobby :too late", "< :bob!b@h PRIVMSG alice :here"}
        << "Talvessa: You left the room \"lobby\"" << "too late" << "lobby";
    QTest::newRow("/join after /part comes back to the window")
        << QStringList{"/part", "/join #LOBBY"} << QStringList{"> part #lobby", "> join #lobby", "< :alice!a@h JOIN #lobby"}
        << "alice has joined the room" << "" << "lobby";
}

void TestRoomFeedback::serverAnswersShowInTheRoom()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, script);
    QFETCH(QString, shown);
    QFETCH(QString, notShown);
    QFETCH(QString, title);
    LoggedIn rig(QStringList{"> join #lobby"} + script);
    QVERIFY(rig.Ready(true));
    QLineEdit* input = InputLine(*rig.lobby);
    for (const QString& line : typed) {
        input->setText(line);
        QTest::keyClick(input, Qt::Key_Return);
    }
    QVERIFY2(rig.server.WaitDone(5000), rig.server.Errors().empty() ? "" : rig.server.Errors().front().c_str());
    const auto lines = [&rig] { return rig.lobby->Transcript().toPlainText().split(u'\n'); };
    QTRY_VERIFY2(lines().contains(shown), qPrintable(lines().join(u'|')));
    if (!notShown.isEmpty()) {
        // A last line through the same road shows that the lines before it were handled.
        QTRY_VERIFY(!rig.frame.PrivateWindowsNamed(QStringLiteral("bob")).isEmpty() ||
                    !script.last().contains(QStringLiteral("PRIVMSG alice")));
        QVERIFY(!rig.lobby->Transcript().toPlainText().contains(notShown));
    }
    QCOMPARE(rig.Rooms().size(), 1);
    QCOMPARE(rig.lobby->Title(), title);
}

void TestRoomFeedback::serverPanel_data()
{
    // The room list's server panel: its totals are the server's of now.
    QTest::addColumn<QString>("action");    // "load" (Load Full Room List, then the room-list button) or "disconnect"
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("rooms");
    QTest::addColumn<QString>("users");
    QTest::addColumn<bool>("panelShown");
    const QStringList login{"< :irc.test 254 alice 5 :channels formed", "< :irc.test 255 alice :I have 7 clients and 1 servers"};
    QTest::newRow("loading the list reads the totals again")
        << "load" << login + QStringList{"> LIST", "> lusers", "< :irc.test 254 alice 9 :channels formed", "< :irc.test 255 alice :I have 11 clients and 1 servers"}
        << "9" << "11" << true;
    QTest::newRow("no room count when the rooms are gone")
        << "load" << login + QStringList{"> LIST", "> lusers", "< :irc.test 255 alice :I have 2 clients and 1 servers"}
        << "0" << "2" << true;
    QTest::newRow("disconnect hides the panel and its totals")
        << "disconnect" << login + QStringList{"> quit"} << "" << "" << false;
}

void TestRoomFeedback::serverPanel()
{
    QFETCH(QString, action);
    QFETCH(QStringList, script);
    QFETCH(QString, rooms);
    QFETCH(QString, users);
    QFETCH(bool, panelShown);
    LoggedIn rig(script);
    QVERIFY(rig.Ready(false));
    RoomListWindow* list = rig.frame.RoomList();
    QTRY_COMPARE(Control<QLineEdit>(*list, "userCountBox")->text(), QStringLiteral("7"));
    if (action == QLatin1String("load")) {
        QTest::mouseClick(Control<QPushButton>(*list, "loadFullListButton"), Qt::LeftButton);
        QVERIFY(rig.server.WaitDone(5000));
        QTRY_COMPARE(Control<QLineEdit>(*list, "userCountBox")->text(), users);
        Control<QToolButton>(rig.frame, "roomListButton")->click();
    } else {
        Control<QAction>(rig.frame, "connectAction")->trigger();
        QTRY_COMPARE(Control<QLabel>(rig.frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    }
    QCOMPARE(Control<QLineEdit>(*list, "roomCountBox")->text(), rooms);
    QCOMPARE(Control<QLineEdit>(*list, "userCountBox")->text(), users);
    QCOMPARE(Control<QFrame>(*list, "serverPanel")->isVisibleTo(list), panelShown);
}

void TestRoomFeedback::guestHearsOfARegisteredNick_data()
{
    QTest::addColumn<QString>("notice");  // sent in the login's greeting
    QTest::addColumn<QString>("told");    // the one box shown after the login; empty: none
    QTest::newRow("atheme") << ":NickServ!NickServ@services. NOTICE alice :This nickname is registered. Please choose a different nickname, or identify via /msg NickServ identify <password>"
                            << "Your nick is registered to someone else. NickServ says: This nickname is registered. Please choose a different nickname, or identify via /msg NickServ identify <password>";
    QTest::newRow("anope, with formatting") << ":NickServ!s@services NOTICE alice :This nick is registered and protected. If it is your nick, type \x02/msg NickServ IDENTIFY \x1fpassword\x1f\x02."
                                            << "Your nick is registered to someone else. NickServ says: This nick is registered and protected. If it is your nick, type /msg NickServ IDENTIFY password.";
    QTest::newRow("another NickServ notice") << ":NickServ!s@services NOTICE alice :Welcome to the network" << "";
    QTest::newRow("the same words from a user") << ":mallory!m@h NOTICE alice :This nickname is registered" << "";
}

void TestRoomFeedback::guestHearsOfARegisteredNick()
{
    QFETCH(QString, notice);
    QFETCH(QString, told);
    LoggedIn rig({}, {notice});
    QVERIFY(rig.Ready(false));
    QStringList boxes;
    for (const PromptRecorder::Record& record : rig.prompts.records) boxes << record.kind + u':' + record.text;
    QCOMPARE(boxes, told.isEmpty() ? QStringList() : QStringList{QStringLiteral("information:") + told});
}

QTEST_MAIN(TestRoomFeedback)
#include "tst_room_feedback.moc"
