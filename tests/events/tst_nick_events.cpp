// Nick changes from the server: nick lists of every room, the lines that
// say so, private windows, the user's own nick, the ignore list, and the
// account's lists, which stay those of the nick the user logged in with.
#include "chat/nick_list_view.h"
#include "support/window_controls.h"
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "common/account_lists.h"
#include "events/chat_session.h"
#include "events/event_router.h"
#include "shell/main_window.h"
#include "support/temp_user_data.h"

#include <QMenu>
#include <QtTest>

namespace {

// "nick:icon" for every entry, in list order.
QString Describe(const NickListView& list)
{
    QStringList parts;
    for (int i = 0; i < list.Count(); ++i)
        parts << NickListView::Nick(list.EntryAt(i)) + u':' + QString::number(NickListView::IconNumber(list.EntryAt(i)));
    return parts.join(u' ');
}

QStringList PrivateTitles(const MainWindow& frame)
{
    QStringList titles;
    for (QWidget* w : frame.ChildWindows())
        if (auto* p = qobject_cast<PrivateWindow*>(w)) titles << p->Title();
    return titles;
}

}  // namespace

class TestNickEvents : public QObject {
    Q_OBJECT
private slots:
    void renames_data();
    void renames();
    void renamedEntryStaysSelected();
};

void TestNickEvents::renames_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QStringList>("ignore");
    QTest::addColumn<QString>("one");       // #one's nick list afterwards
    QTest::addColumn<QString>("two");       // #two's
    QTest::addColumn<QString>("oneText");   // #one's transcript
    QTest::addColumn<QString>("twoText");
    QTest::addColumn<QString>("bobText");   // the private window with bob
    QTest::addColumn<QStringList>("privates");
    QTest::addColumn<QString>("own");

    // Before each row: #one lists "+dave bob(op) carol me", #two "carol me",
    // and a private window with bob is open.
    const QString one = "+dave:41 bob:39 carol:41 me:41";
    const QString two = "carol:41 me:41";
    const QStringList none;
    const QStringList bobOnly{"bob"};

    QTest::newRow("operator keeps its icon and moves to its sorted place")
        << QByteArrayList{":bob!b@h NICK :zed"} << none << "+dave:41 carol:41 me:41 zed:39" << two
        << "bob is now known as zed\n" << "" << "bob is now known as zed\n" << QStringList{"zed"} << "me";
    QTest::newRow("every shared room says it")
        << QByteArrayList{":carol!c@h NICK :cora"} << none << "+dave:41 bob:39 cora:41 me:41" << "cora:41 me:41"
        << "carol is now known as cora\n" << "carol is now known as cora\n" << "" << bobOnly << "me";
    QTest::newRow("voiced keeps its mark") << QByteArrayList{":dave!d@h NICK :abe"} << none
                                           << "+abe:41 bob:39 carol:41 me:41" << two << "dave is now known as abe\n"
                                           << "" << "" << bobOnly << "me";
    QTest::newRow("without a colon, in another case")
        << QByteArrayList{":BOB!b@h NICK Bobby"} << none << "+dave:41 Bobby:39 carol:41 me:41" << two
        << "BOB is now known as Bobby\n" << "" << "BOB is now known as Bobby\n" << QStringList{"Bobby"} << "me";
    QTest::newRow("unknown nick changes nothing")
        << QByteArrayList{":xyz!x@h NICK :abc"} << none << one << two << "" << "" << "" << bobOnly << "me";
    QTest::newRow("empty new nick changes nothing")
        << QByteArrayList{":bob!b@h NICK :"} << none << one << two << "" << "" << "" << bobOnly << "me";
    QTest::newRow("lines from the new nick go to the window that followed the rename")
        << QByteArrayList{":bob!b@h NICK :zed", ":zed!b@h PRIVMSG me :hi"} << none << "+dave:41 carol:41 me:41 zed:39"
        << two << "bob is now known as zed\n" << "" << "bob is now known as zed\nzed: hi\n" << QStringList{"zed"}
        << "me";
    QTest::newRow("own nick, renamed by services")
        << QByteArrayList{":me!m@h NICK :Guest123"} << none << "+dave:41 bob:39 carol:41 Guest123:41"
        << "carol:41 Guest123:41" << "me is now known as Guest123\n" << "me is now known as Guest123\n" << ""
        << bobOnly << "Guest123";
    QTest::newRow("own nick, operator status follows the new nick")
        << QByteArrayList{":ME!m@h NICK :neo", ":alice!a@h MODE #one +o neo"} << none
        << "+dave:41 bob:39 carol:41 neo:39" << "carol:41 neo:41"
        << "ME is now known as neo\nalice has made neo  the operator\n" << "ME is now known as neo\n" << "" << bobOnly
        << "neo";
    QTest::newRow("two renames of the own nick")
        << QByteArrayList{":me!m@h NICK :a1", ":a1!m@h NICK :a2"} << none << "+dave:41 a2:41 bob:39 carol:41"
        << "a2:41 carol:41" << "me is now known as a1\na1 is now known as a2\n"
        << "me is now known as a1\na1 is now known as a2\n" << "" << bobOnly << "a2";
    QTest::newRow("an ignored user stays ignored under a new nick")
        << QByteArrayList{":carol!c@h NICK :c2", ":c2!c@h NICK :c3", ":c3!c@h PRIVMSG me :hi"} << QStringList{"carol"}
        << "+dave:41 bob:39 c3:42 me:41" << "c3:42 me:41"
        << "carol is now known as c2\nc2 is now known as c3\n" << "carol is now known as c2\nc2 is now known as c3\n"
        << "" << bobOnly << "me";
    QTest::newRow("an ignored user joining under a new nick is shown ignored")
        << QByteArrayList{":carol!c@h NICK :c2", ":c2!c@h PART #two", ":c2!c@h JOIN #two"} << QStringList{"carol"}
        << "+dave:41 bob:39 c2:42 me:41" << "c2:42 me:41" << "carol is now known as c2\n"
        << "carol is now known as c2\nc2 has left the room\nc2 has joined the room\n" << "" << bobOnly << "me";
    QTest::newRow("a user taking an ignored nick is ignored under it")
        << QByteArrayList{":carol!c@h NICK :c2", ":dave!d@h NICK :carol", ":carol!d@h PRIVMSG me :hi"}
        << QStringList{"carol"} << "+carol:42 bob:39 c2:42 me:41" << "c2:42 me:41"
        << "carol is now known as c2\ndave is now known as carol\n" << "carol is now known as c2\n" << "" << bobOnly
        << "me";
    QTest::newRow("no longer ignored once the ignored name is off the list")
        << QByteArrayList{":bob!b@h NICK :bo", ":bo!b@h PRIVMSG me :hi"} << QStringList{"carol"}
        << "+dave:41 bo:39 carol:42 me:41" << "carol:42 me:41" << "bob is now known as bo\n" << ""
        << "bob is now known as bo\nbo: hi\n" << QStringList{"bo"} << "me";
}

void TestNickEvents::renames()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(QStringList, ignore);
    QFETCH(QString, one);
    QFETCH(QString, two);
    QFETCH(QString, oneText);
    QFETCH(QString, twoText);
    QFETCH(QString, bobText);
    QFETCH(QStringList, privates);
    QFETCH(QString, own);

    TempUserData data;
    MainWindow frame;
    frame.Connection().SetHost("irc.example.org");
    frame.Lists().SetIgnoreList(ignore);
    frame.SetCurrentNick("me");
    const QString account = UserDataFolder("irc.example.org", "me");
    QString error;
    QVERIFY(AccountListFile(account, AccountList::Favorites).Add("home", &error));
    ChatSession session(frame, "me");
    const auto feed = [&session](const QByteArray& raw) {
        IrcMessage line;
        line.ParseLine(raw.toStdString());
        RouteLine(session, line);
    };
    RoomWindow* roomOne = frame.NewRoomWindow();
    roomOne->SetTitle("one");
    RoomWindow* roomTwo = frame.NewRoomWindow();
    roomTwo->SetTitle("two");
    feed(":srv 353 me = #one :+dave @bob carol me");
    feed(":srv 353 me = #two :carol me");
    PrivateWindow* bob = frame.OpenPrivateWindowFromUser("bob");
    for (const QByteArray& raw : lines) feed(raw);

    QCOMPARE(Describe(roomOne->NickList()), one);
    QCOMPARE(Describe(roomTwo->NickList()), two);
    QCOMPARE(roomOne->Transcript().toPlainText(), oneText);
    QCOMPARE(roomTwo->Transcript().toPlainText(), twoText);
    QCOMPARE(bob->Transcript().toPlainText(), bobText);
    QCOMPARE(bob->Title(), privates.value(0));  // the window follows its partner's nick
    QCOMPARE(PrivateTitles(frame), privates);
    QCOMPARE(frame.CurrentNick(), own);
    QCOMPARE(session.OwnNick(), own);
    QCOMPARE(roomOne->OwnNick(), own);
    QCOMPARE(bob->OwnNick(), own);
    QCOMPARE(frame.IgnoreList(), ignore);  // the list keeps the names the user ignored

    // The account is the login's, whatever the server calls the user now:
    // its lists are read from and written to the same folder as before.
    frame.Lists().LoadFavoritesMenu();
    QCOMPARE(Control<QMenu>(frame, "favoritesMenu")->actions().size(), 1);
    QCOMPARE(Control<QMenu>(frame, "favoritesMenu")->actions()[0]->iconText(), QStringLiteral("home"));
    QVERIFY(frame.IgnoreForGood("pest", &frame));
    QCOMPARE(AccountListFile(account, AccountList::Ignore).Names(), QStringList{"pest"});
}

void TestNickEvents::renamedEntryStaysSelected()
{
    MainWindow frame;
    frame.SetCurrentNick("me");
    ChatSession session(frame, "me");
    RoomWindow* room = frame.NewRoomWindow();
    room->SetTitle("one");
    const auto feed = [&session](const char* raw) {
        IrcMessage line;
        line.ParseLine(raw);
        RouteLine(session, line);
    };
    feed(":srv 353 me = #one :alice bob carol");
    room->NickList().setCurrentItem(room->NickList().FindExact("bob"));
    QCOMPARE(room->NickList().SelectedNick(), QStringLiteral("bob"));
    feed(":bob!b@h NICK :zoe");
    QCOMPARE(room->NickList().SelectedNick(), QStringLiteral("zoe"));
    QCOMPARE(Describe(room->NickList()), QStringLiteral("alice:41 carol:41 zoe:41"));
}

QTEST_MAIN(TestNickEvents)
#include "tst_nick_events.moc"
