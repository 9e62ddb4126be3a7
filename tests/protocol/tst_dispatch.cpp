// The routing decision: which handler each kind of server line reaches.
#include "protocol/irc/dispatch.h"

#include <QtTest>

Q_DECLARE_METATYPE(Handler)

class TestDispatch : public QObject {
    Q_OBJECT
private slots:
    void routes_data();
    void routes();
};

void TestDispatch::routes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<int>("joinErrorCode");
    const auto row = [](const char* name, const char* line, Handler h, int code = 0) {
        QTest::newRow(name) << QByteArray(line) << h << code;
    };
    row("254", ":s 254 me 42 :channels formed", Handler::HandleChannelCount);
    row("255", ":s 255 me :I have 1 clients", Handler::HandleUserCount);
    row("301 away", ":s 301 me bob :gone", Handler::HandleMessage);
    row("322", ":s 322 me #a 1 :t", Handler::HandleRoomListEntry);
    row("332", ":s 332 me #a :topic", Handler::HandleTopic);
    row("352", ":s 352 me #a u h s n H :0 N", Handler::HandleWhoReply);
    row("353", ":s 353 me = #a :x", Handler::HandleNames);
    row("433", ":s 433 * me :in use", Handler::Log);
    row("464", ":s 464 me :bad password", Handler::HandleLoginError);
    row("471 full", ":s 471 me #a :full", Handler::HandleJoinError, 471);
    row("473 invitation only", ":s 473 me #a :invite only", Handler::HandleJoinError, 473);
    row("474", ":s 474 me #a :banned", Handler::HandleJoinError, 474);
    row("475 wrong key", ":s 475 me #a :bad key", Handler::HandleJoinError, 475);
    row("477", ":s 477 me #a :need reg", Handler::HandleJoinError, 477);
    row("485", ":s 485 me #a :not owner", Handler::HandleJoinError, 485);
    row("001 is logged", ":s 001 me :Welcome", Handler::Log);
    row("372 is logged", ":s 372 me :- motd", Handler::Log);
    row("ping", "PING :12345", Handler::Pong);
    row("ping mixed case", "pInG :x", Handler::Pong);
    row("ping with server source", ":srv PING :x", Handler::Pong);
    row("ping with tags", "@time=2024-05-01T10:00:00.000Z PING :x", Handler::Pong);
    row("ping with a numeric-looking token", "PING 353 x", Handler::Pong);
    row("a longer word is no ping", "PINGPONG", Handler::Drop);
    row("join", ":a!b@c JOIN :#r", Handler::HandleJoin);
    row("join lower", ":a!b@c join #r", Handler::HandleJoin);
    row("privmsg", ":a!b@c PRIVMSG #r :hi", Handler::HandleMessage);
    row("memoserv notice", ":MemoServ!m@services NOTICE me :You have 0 memos", Handler::HandleMemoServNotice);
    row("memoserv notice lower nick", ":memoserv!m@s notice me :x", Handler::HandleMemoServNotice);
    row("memoserv without full prefix", ":MemoServ NOTICE me :x", Handler::HandleMessage);
    row("other notice", ":NickServ!n@s NOTICE me :x", Handler::HandleMessage);
    row("part", ":a!b@c PART #r", Handler::HandlePart);
    row("quit", ":a!b@c QUIT :bye", Handler::HandleQuit);
    row("kick", ":a!b@c KICK #r d :x", Handler::HandleKick);
    row("mode", ":a!b@c MODE #r +o :d", Handler::HandleMode);
    row("invite", ":a!b@c INVITE me :#r", Handler::HandleInvite);
    row("nick", ":a!b@c NICK :x", Handler::HandleNick);
    row("nick in lower case", ":a!b@c nick x", Handler::HandleNick);
    row("topic change", ":a!b@c TOPIC #r :x", Handler::HandleTopicChange);
    row("topic change lower", ":a!b@c topic #r :x", Handler::HandleTopicChange);
    row("error without a source", "ERROR :Closing link", Handler::HandleServerError);
    row("error with a source", ":irc.test ERROR :Closing link", Handler::HandleServerError);
    row("pong with a source", ":irc.test PONG irc.test :talvessa-1", Handler::HandlePong);
    row("pong without one", "PONG :talvessa-1", Handler::HandlePong);
    row("no such nick", ":s 401 me bob :No such nick", Handler::HandleSendError);
    row("not a room operator", ":s 482 me #r :You're not channel operator", Handler::HandleSendError);
    row("bare word", "QUIT", Handler::Drop);
    row("tagged message", "@time=2024-05-01T10:00:00.000Z :a!b@c PRIVMSG #r :hi", Handler::HandleMessage);
    row("tagged memoserv notice", "@msgid=1 :MemoServ!m@services NOTICE me :x", Handler::HandleMemoServNotice);
    row("tagged join error", "@a=b :s 474 me #a :banned", Handler::HandleJoinError, 474);
    row("tagged numeric is logged", "@a=b :s 372 me :- motd", Handler::Log);
}

void TestDispatch::routes()
{
    QFETCH(QByteArray, line);
    QFETCH(Handler, handler);
    QFETCH(int, joinErrorCode);
    IrcMessage m;
    m.ParseLine(line.toStdString());
    const LineRoute r = DispatchRoute(m);
    QCOMPARE(HandlerName(r.handler), HandlerName(handler));
    QCOMPARE(r.joinErrorCode, joinErrorCode);
}

QTEST_APPLESS_MAIN(TestDispatch)
#include "tst_dispatch.moc"
