// What numeric replies do: room list rows, totals, WHO replies, join
// refusals, and a login refusal that closes the connection in mid-drain.
#include "transcript/transcript_view.h"
#include "support/window_controls.h"
#include "chat/room_window.h"
#include "events/event_router.h"
#include "events/server_replies.h"
#include "shell/main_window.h"
#include "side/room_list_model.h"
#include "side/room_list_window.h"
#include "side/user_info_window.h"
#include "support/connected_frame.h"
#include "support/irc_servers.h"
#include "support/scripted_server.h"
#include "support/test_session.h"
#include "support/transcript_text.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

namespace {

void Feed(MainWindow& frame, const QByteArray& raw)
{
    IrcMessage line;
    line.ParseLine(raw.toStdString());
    RouteLine(TestSession(frame), line);
}

QStringList Rows(RoomListWindow& form)
{
    QStringList out;
    for (int i = 0; i < form.Model().Count(); ++i) {
        const RoomRow& row = form.Model().Row(i);
        out << row.name + u'|' + row.topic + u'|' + row.chatters;
    }
    return out;
}

}  // namespace

class TestServerReplies : public QObject {
    Q_OBJECT
private slots:
    void roomListRows_data();
    void roomListRows();
    void totals_data();
    void totals();
    void whoFieldsByPosition_data();
    void whoFieldsByPosition();
    void whoReplyGoesToProfileOnlyWhenAskedFor();
    void profileWindowTakesTheAskedNick_data();
    void profileWindowTakesTheAskedNick();
    void joinRefusals_data();
    void joinRefusals();
    void loginRefusalClosesConnectionInMidDrain();
};

void TestServerReplies::roomListRows_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("ended");  // the connection ended before the line was handled
    QTest::newRow("name, count and topic keep their spaces")
        << QByteArray(":srv 322 me #lobby 12 :Welcome all") << QStringList{"lobby |Welcome all |12 "} << false;
    QTest::newRow("empty topic") << QByteArray(":srv 322 me #x 3 :") << QStringList{"x | |3 "} << false;
    QTest::newRow("no colon") << QByteArray(":srv 322 me #x 3") << QStringList{"x ||3 "} << false;
    QTest::newRow("no count, no topic") << QByteArray(":srv 322 me #x") << QStringList{"x ||"} << false;
    QTest::newRow("no # still makes a row from the whole params")
        << QByteArray(":srv 322 me lobby 3 :topic") << QStringList{"me |topic |lobby 3 "} << false;
    QTest::newRow("colour and style codes are removed")
        << QByteArray(":srv 322 me #r 1 :\x03" "04,01red\x03 \x02" "bold\x02 \x1f" "u") << QStringList{"r |red bold u |1 "} << false;
    QTest::newRow("control bytes and separators become spaces")
        << QByteArray(":srv 322 me #r 1 :a\x07" "b\xe2\x80\xa9" "c") << QStringList{"r |a b c |1 "} << false;
    QTest::newRow("Latin-1 bytes") << QByteArray(":srv 322 me #caf\xe9 1 :\xe9t\xe9") << QStringList{QString::fromUtf8("café |été |1 ")} << false;
    QTest::newRow("5 KB topic") << QByteArray(":srv 322 me #big 2 :") + QByteArray(5000, 't')
                                << QStringList{"big |" + QString(5000, u't') + " |2 "} << false;
    QTest::newRow("left over from an ended connection") << QByteArray(":srv 322 me #lobby 12 :Welcome all")
                                                         << QStringList() << true;
}

void TestServerReplies::roomListRows()
{
    QFETCH(QByteArray, raw);
    QFETCH(QStringList, rows);
    QFETCH(bool, ended);
    MainWindow frame;
    if (ended) TestSession(frame).FinishLines();
    Feed(frame, raw);
    QCOMPARE(Rows(*frame.RoomList()), rows);
}

void TestServerReplies::totals_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("rooms");
    QTest::addColumn<QString>("users");
    // Both totals start as "r0" and "u0".
    QTest::newRow("254") << QByteArray(":srv 254 me 42 :channels formed") << "42" << "u0";
    QTest::newRow("254 without colon") << QByteArray(":srv 254 me 42") << "42" << "u0";
    QTest::newRow("255") << QByteArray(":srv 255 me :I have 123 clients and 1 servers") << "r0" << "123";
    QTest::newRow("255 in other words keeps the total") << QByteArray(":srv 255 me :There are 5 clients") << "r0" << "u0";
    QTest::newRow("255 count that is no number") << QByteArray(":srv 255 me :I have lots of clients") << "r0" << "lots";
    QTest::newRow("255 ends after the count") << QByteArray(":srv 255 me :I have 9") << "r0" << "9";
}

void TestServerReplies::totals()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, rooms);
    QFETCH(QString, users);
    MainWindow frame;
    frame.RoomList()->SetTotalChannels("r0");
    frame.RoomList()->SetTotalUsers("u0");
    Feed(frame, raw);
    QCOMPARE(Control<QLineEdit>(frame, "roomCountBox")->text(), rooms);
    QCOMPARE(Control<QLineEdit>(frame, "userCountBox")->text(), users);
}

void TestServerReplies::whoFieldsByPosition_data()
{
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<QStringList>("fields");  // nick, host, server, flags, full name
    QTest::newRow("user name with ~") << QByteArray("me #lobby ~bob hostB srvA bob H@ :0 Bob Smith ")
                                      << QStringList{"bob", "hostB", "srvA", "H@", "Bob Smith"};
    QTest::newRow("user name without ~") << QByteArray("me #lobby bob hostB srvA bob H :0 Bob ")
                                         << QStringList{"bob", "hostB", "srvA", "H", "Bob"};
    QTest::newRow("no shared room") << QByteArray("me * bob 127.0.0.1 irc.test bob G :3 B ")
                                    << QStringList{"bob", "127.0.0.1", "irc.test", "G", "B"};
    QTest::newRow("no full name") << QByteArray("me #r bob h s bob H :0 ") << QStringList{"bob", "h", "s", "H", ""};
    QTest::newRow("cut short") << QByteArray("me #r bob h ") << QStringList{"", "h", "", "", ""};
    QTest::newRow("nothing") << QByteArray("") << QStringList{"", "", "", "", ""};
}

void TestServerReplies::whoFieldsByPosition()
{
    QFETCH(QByteArray, params);
    QFETCH(QStringList, fields);
    const UserProfile p = ParseWhoReply(params.toStdString());
    QCOMPARE((QStringList{p.nick, p.host, p.server, p.flags, p.fullName}), fields);
}

void TestServerReplies::whoReplyGoesToProfileOnlyWhenAskedFor()
{
    Connected connected;
    MainWindow& frame = connected.frame;
    const QByteArray raw = ":irc.test 352 me #room bob 127.0.0.1 irc.test bob H :0 Bob B";
    Feed(frame, raw);
    QCOMPARE(Control<TranscriptView>(frame, "serverLog")->toPlainText(),
             QStringLiteral("messagestring =127.0.0.1\nmessagestring =") + QString::fromLatin1(raw));

    // While the profile window is open, a reply for another purpose leaves
    // it empty; one asked for as a profile fills it.
    QStringList unasked;
    QStringList asked;
    QTimer::singleShot(0, &frame, [&] {
        UserInfoWindow* window = frame.UserInformationWindow();
        const auto fields = [window] { return QStringList{Control<QLineEdit>(*window, "nickBox")->text(), Control<QLineEdit>(*window, "fullNameBox")->text()}; };
        frame.SetWhoPurpose(QString());
        Feed(frame, raw);
        unasked = fields();
        frame.SetWhoPurpose(QStringLiteral("profile"));
        Feed(frame, raw);
        asked = fields();
        window->reject();
    });
    frame.OpenUserProfile(QStringLiteral("bob"), nullptr);
    QCOMPARE(unasked, QStringList({QString(), QString()}));
    QCOMPARE(asked, QStringList({QStringLiteral("bob"), QStringLiteral("Bob B")}));
    QCOMPARE(connected.Sent(), QStringList{QStringLiteral("who bob")});
}

void TestServerReplies::profileWindowTakesTheAskedNick_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shown");  // the nick field afterwards
    QTest::newRow("the asked nick") << "bob" << QByteArray("me #r ~b h s bob H :0 Bob") << "bob";
    QTest::newRow("letter case aside") << "Bob" << QByteArray("me #r ~b h s BOB H :0 Bob") << "BOB";
    QTest::newRow("late reply for an earlier profile") << "bob" << QByteArray("me #r ~c h s carl H :0 C") << "";
    QTest::newRow("a longer nick is another nick") << "bob" << QByteArray("me #r ~b h s bobby H :0 B") << "";
}

void TestServerReplies::profileWindowTakesTheAskedNick()
{
    QFETCH(QString, asked);
    QFETCH(QByteArray, reply);
    UserInfoWindow window;
    window.SetAskedNick(asked);
    window.Fill(ParseWhoReply((reply + ' ').toStdString()));
    QTEST(Control<QLineEdit>(window, "nickBox")->text(), "shown");
}

void TestServerReplies::joinRefusals_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("written");
    QTest::newRow("474 banned") << QByteArray(":srv 474 me #room :Cannot join channel (+b)")
                                << "Can not join this room, You are banned\n";
    QTest::newRow("485 not owner") << QByteArray(":srv 485 me #room :Only the owner") << "You are not a channel owner\n";
    QTest::newRow("477 the server's words")
        << QByteArray(":srv 477 me #room :You need a registered nick") << "me #room :You need a registered nick \n";
    QTest::newRow("room in other case") << QByteArray(":srv 474 me #ROOM :banned")
                                        << "Can not join this room, You are banned\n";
    QTest::newRow("another room") << QByteArray(":srv 474 me #other :banned") << "";
    QTest::newRow("no room at all") << QByteArray(":srv 474 me :banned") << "";
}

void TestServerReplies::joinRefusals()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, written);
    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    window->SetTitle(QStringLiteral("room"));
    window->Transcript().clear();
    Feed(frame, raw);
    QCOMPARE(window->Transcript().toPlainText(), written);
    if (written.isEmpty()) return;
    const QTextCharFormat format = TranscriptFormatAt(window->Transcript(), 2);
    QCOMPARE(format.foreground().color(), QColor(255, 0, 0));
    QVERIFY(format.font().bold() && format.font().italic());
}

void TestServerReplies::loginRefusalClosesConnectionInMidDrain()
{
    // The refusal sits between other lines of one batch: the handler closes
    // the connection while the drain is still handling that batch.
    ScriptedServer server;
    server.ExpectPrefix("user alice").ExpectPrefix("nick alice")
        .SendRaw(":srv 001 alice :Welcome\r\n:srv 372 alice :- before\r\n"
                 ":srv 464 alice :Password incorrect\r\n:srv 372 alice :- after\r\n");
    MainWindow frame;
    frame.show();
    QVERIFY(LogInFrame(frame, server.Port(), "alice", 5000));
    QTRY_VERIFY(!frame.ConnectedLook());
    QTRY_VERIFY(!frame.Reader());
    QTRY_VERIFY(Control<TranscriptView>(frame, "serverLog")->toPlainText().contains(QStringLiteral("Disconnected..")));
    const QString log = Control<TranscriptView>(frame, "serverLog")->toPlainText();
    QVERIFY(log.indexOf(QStringLiteral("- before")) < log.indexOf(QStringLiteral("Disconnected..")));
    QVERIFY(!frame.Connection().Connected());
    QTest::qWait(50);  // the disposed session's deferred deletion runs without harm
    QVERIFY(!frame.Session());
}

QTEST_MAIN(TestServerReplies)
#include "tst_server_replies.moc"
