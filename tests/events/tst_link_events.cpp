// The server's word on what the user sent and on the link: refusals shown in
// the window that sent the line, client-to-client requests answered without
// a window.
#include "chat/private_window.h"
#include "support/window_controls.h"
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "events/chat_session.h"
#include "events/event_router.h"
#include "side/room_list_window.h"
#include "support/connected_frame.h"
#include "support/temp_user_data.h"

#include <QPlainTextEdit>
#include <QtTest>

namespace {

void Feed(ChatSession& session, const std::string& raw)
{
    IrcMessage line;
    line.ParseLine(raw);
    session.BeginLines();
    RouteLine(session, line);
    session.EndLines();
}

QString Log(MainWindow& frame) { return Control<TranscriptView>(frame, "serverLog")->toPlainText(); }

}  // namespace

class TestLinkEvents : public QObject {
    Q_OBJECT
private slots:
    void refusalIsShownWhereTheLineWasSent_data();
    void refusalIsShownWhereTheLineWasSent();
    void clientRequestsAreAnsweredWithoutAWindow_data();
    void clientRequestsAreAnsweredWithoutAWindow();
    void aFloodOfRequestsGetsThreeAnswers();
};

void TestLinkEvents::refusalIsShownWhereTheLineWasSent_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("where");  // "bob", "lobby" or "log"
    QTest::addColumn<QString>("note");
    QTest::newRow("401 for the partner") << ":irc.test 401 ann bob :No such nick/channel" << "bob"
                                         << "bob is not on the server: your message was not delivered.";
    QTest::newRow("401 in another letter case") << ":irc.test 401 ann BOB :No such nick" << "bob"
                                                << "BOB is not on the server: your message was not delivered.";
    QTest::newRow("404 for the room") << ":irc.test 404 ann #lobby :Cannot send to channel" << "lobby"
                                      << "The room #lobby does not take your messages: your message was not delivered.";
    QTest::newRow("442 for the room") << ":irc.test 442 ann #lobby :You're not on that channel" << "lobby"
                                      << "You are not in the room #lobby.";
    QTest::newRow("482 for the room") << ":irc.test 482 ann #lobby :You're not channel operator" << "lobby"
                                      << "You are not a host of the room #lobby.";
    QTest::newRow("401 for a nick without a window") << ":irc.test 401 ann carol :No such nick" << "log"
                                                     << "carol is not on the server: your message was not delivered.";
}

void TestLinkEvents::refusalIsShownWhereTheLineWasSent()
{
    QFETCH(QString, line);
    QFETCH(QString, where);
    QFETCH(QString, note);
    TempUserData data;
    Connected c;
    ChatSession session(c.frame, "ann");
    RoomWindow* lobby = c.frame.OpenRoomWindow("lobby");
    PrivateWindow* bob = c.frame.OpenPrivateWindowFromUser("bob");
    Feed(session, line.toStdString());
    QCOMPARE(bob->Transcript().toPlainText().contains(note), where == "bob");
    QCOMPARE(lobby->Transcript().toPlainText().contains(note), where == "lobby");
    QCOMPARE(Log(c.frame).contains(note), where == "log");
}

void TestLinkEvents::clientRequestsAreAnsweredWithoutAWindow_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("answer");  // the start of the line sent back; empty for none
    QTest::addColumn<QString>("logged");
    QTest::newRow("VERSION") << QByteArray(":bob!b@h PRIVMSG ann :\x01VERSION\x01")
                             << "NOTICE bob :\x01VERSION Talvessa " << "bob asked for VERSION";
    QTest::newRow("PING echoes its argument") << QByteArray(":bob!b@h PRIVMSG ann :\x01PING 12345\x01")
                                              << "NOTICE bob :\x01PING 12345\x01" << "bob asked for PING";
    QTest::newRow("TIME") << QByteArray(":bob!b@h PRIVMSG ann :\x01TIME\x01") << "NOTICE bob :\x01TIME "
                          << "bob asked for TIME";
    QTest::newRow("CLIENTINFO without its closing marker") << QByteArray(":bob!b@h PRIVMSG ann :\x01" "CLIENTINFO")
                                                           << "NOTICE bob :\x01" "CLIENTINFO " << "bob asked for CLIENTINFO";
    QTest::newRow("an unknown request") << QByteArray(":bob!b@h PRIVMSG ann :\x01" "FINGER\x01") << ""
                                        << "bob asked for FINGER";
    QTest::newRow("an answer to a request") << QByteArray(":bob!b@h NOTICE ann :\x01VERSION irssi 1.4\x01") << ""
                                            << "bob answered VERSION: irssi 1.4";
    QTest::newRow("to a room") << QByteArray(":bob!b@h PRIVMSG #lobby :\x01VERSION\x01")
                               << "NOTICE bob :\x01VERSION " << "bob asked for VERSION";
}

void TestLinkEvents::clientRequestsAreAnsweredWithoutAWindow()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, answer);
    QFETCH(QString, logged);
    TempUserData data;
    Connected c;
    ChatSession session(c.frame, "ann");
    RoomWindow* lobby = c.frame.OpenRoomWindow("lobby");
    c.Sent();
    const QString before = lobby->Transcript().toPlainText();
    Feed(session, line.toStdString());
    const QStringList sent = c.Sent();
    if (answer.isEmpty()) {
        QCOMPARE(sent, QStringList());
    } else {
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent.first().startsWith(answer), qPrintable(sent.first()));
        QVERIFY(sent.first().endsWith(QChar(0x01)));
    }
    QCOMPARE(Log(c.frame).split(u'\n').filter(logged).size(), 1);
    QVERIFY(c.frame.PrivateWindowsNamed("bob").isEmpty());
    QCOMPARE(lobby->Transcript().toPlainText(), before);
}

void TestLinkEvents::aFloodOfRequestsGetsThreeAnswers()
{
    TempUserData data;
    Connected c;
    ChatSession session(c.frame, "ann");
    c.Sent();
    for (int i = 0; i < 20; ++i) Feed(session, ":bob!b@h PRIVMSG ann :\x01VERSION\x01");
    QCOMPARE(c.Sent().size(), 3);
    QVERIFY(c.frame.PrivateWindowsNamed("bob").isEmpty());
}

QTEST_MAIN(TestLinkEvents)
#include "tst_link_events.moc"
