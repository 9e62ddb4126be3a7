// The network model seen through its signals: joins, parts, modes, renames,
// quits and the end of a connection, each a small script with the members
// and signals it must leave behind.
#include "model/network.h"

#include <QtTest>

namespace {

// Records every signal of a network and of the rooms and conversations it
// makes, as short words in arrival order.
class SignalLog : public QObject {
public:
    explicit SignalLog(Network& network)
    {
        connect(&network, &Network::RoomAdded, this, [this](Room* room) { Watch(room); });
        connect(&network, &Network::ConversationAdded, this, [this](Conversation* c) {
            connect(c, &Conversation::PartnerRenamed, this,
                    [this](const QString& a, const QString& b) { words << QStringLiteral("partner %1>%2").arg(a, b); });
            connect(c, &Conversation::PartnerPresenceChanged, this,
                    [this](bool present) { words << (present ? QStringLiteral("back") : QStringLiteral("gone")); });
        });
        connect(&network, &Network::OwnNickChanged, this, [this](const QString& n) { words << "own " + n; });
    }
    QStringList words;

private:
    void Watch(Room* room)
    {
        const QString r = room->ShownName();
        connect(room, &Room::JoinedChanged, this, [=, this](bool on) { words << r + (on ? " joined" : " left"); });
        connect(room, &Room::MemberAdded, this, [=, this](const QString& n) { words << r + " +" + n; });
        connect(room, &Room::MemberRemoved, this, [=, this](const QString& n) { words << r + " -" + n; });
        connect(room, &Room::MemberRenamed, this,
                [=, this](const QString& a, const QString& b) { words << r + " " + a + ">" + b; });
        connect(room, &Room::MemberModesChanged, this,
                [=, this](const QString& n, const QString& m) { words << r + " " + n + "=" + m; });
        connect(room, &Room::MembersCleared, this, [=, this] { words << r + " cleared"; });
    }
};

// Runs one script line: "room NAME", "join NAME", "add NAME NICK [MODES]",
// "part NAME NICK", "mode NAME NICK +o|-o", "rename OLD NEW", "quit NICK",
// "query NICK", "own NICK", "end".
void Run(Network& network, const QString& step)
{
    const QStringList w = step.split(u' ');
    const QString& verb = w[0];
    if (verb == "room")
        network.AddRoom(w[1], w[1].toStdString());
    else if (verb == "join")
        network.FindRoom(w[1])->SetJoined(true);
    else if (verb == "add")
        network.FindRoom(w[1])->AddMember(w[2], w.value(3));
    else if (verb == "part")
        network.FindRoom(w[1])->RemoveMember(w[2]);
    else if (verb == "mode")
        network.FindRoom(w[1])->SetMemberMode(w[2], w[3][1], w[3][0] == u'+');
    else if (verb == "rename")
        network.RenameUser(w[1], w[2]);
    else if (verb == "quit")
        network.UserQuit(w[1]);
    else if (verb == "query")
        network.AddConversation(w[1]);
    else if (verb == "own")
        network.SetOwnNick(w[1]);
    else if (verb == "end")
        network.ConnectionEnded();
    else
        QFAIL(qPrintable("unknown step " + step));
}

// The members of every room: "a: bob@o carol | b: dave".
QString Members(const Network& network)
{
    QStringList rooms;
    for (const Room* room : network.Rooms()) {
        QStringList nicks;
        for (const RoomMember& m : room->Members())
            nicks << (m.modes.isEmpty() ? m.nick : m.nick + u'@' + m.modes);
        rooms << room->ShownName() + ": " + nicks.join(u' ');
    }
    return rooms.join(QStringLiteral(" | "));
}

}  // namespace

class NetworkModelTest : public QObject {
    Q_OBJECT

private slots:
    void scriptsLeaveMembersAndSignals_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("members");
        QTest::addColumn<QStringList>("emitted");

        QTest::newRow("members keep the server's order")
            << QStringList{"room a", "add a carol", "add a bob", "add a alice"} << "a: carol bob alice"
            << QStringList{"a +carol", "a +bob", "a +alice"};
        QTest::newRow("a nick listed twice in another case stays once")
            << QStringList{"room a", "add a Bob", "add a bob"} << "a: Bob" << QStringList{"a +Bob"};
        QTest::newRow("a part of an unlisted nick changes nothing")
            << QStringList{"room a", "add a bob", "part a carol"} << "a: bob" << QStringList{"a +bob"};
        QTest::newRow("modes given and taken, repeats silent")
            << QStringList{"room a", "add a bob", "mode a bob +o", "mode a bob +o", "mode a bob +v", "mode a bob -o"}
            << "a: bob@v" << QStringList{"a +bob", "a bob=o", "a bob=ov", "a bob=v"};
        QTest::newRow("a rename reaches every room, the conversation and keeps modes")
            << QStringList{"room a", "room b", "add a bob o", "add b bob", "query bob", "rename bob robert"}
            << "a: robert@o | b: robert"
            << QStringList{"a +bob", "b +bob", "a bob>robert", "b bob>robert", "partner bob>robert"};
        QTest::newRow("a rename in letter case only")
            << QStringList{"room a", "add a bob", "query bob", "rename bob Bob"} << "a: Bob"
            << QStringList{"a +bob", "a bob>Bob", "partner bob>Bob"};
        QTest::newRow("a rename onto a stale entry keeps one entry")
            << QStringList{"room a", "add a bob", "add a robert", "rename bob robert"} << "a: robert"
            << QStringList{"a +bob", "a +robert", "a -robert", "a bob>robert"};
        QTest::newRow("the own nick follows its rename")
            << QStringList{"own me", "room a", "add a me", "rename ME me2"} << "a: me2"
            << QStringList{"own me", "a +me", "a me>me2", "own me2"};
        QTest::newRow("a quit leaves only the rooms that listed the user")
            << QStringList{"room a", "room b", "add a bob", "add b carol", "query bob", "quit BOB"} << "a:  | b: carol"
            << QStringList{"a +bob", "b +carol", "a -bob", "gone"};
        QTest::newRow("the end of a connection leaves every room")
            << QStringList{"room a", "join a", "add a bob", "end"} << "a: "
            << QStringList{"a joined", "a +bob", "a left", "a cleared"};
    }
    void scriptsLeaveMembersAndSignals()
    {
        QFETCH(QStringList, script);
        QFETCH(QString, members);
        QFETCH(QStringList, emitted);
        Network network;
        SignalLog log(network);
        for (const QString& step : script)
            Run(network, step);
        QCOMPARE(Members(network), members);
        QCOMPARE(log.words, emitted);
    }

    void roomsAreFoundWithOrWithoutTheirMark_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("found");
        QTest::newRow("bare") << "Lobby" << true;
        QTest::newRow("with mark, other case") << "#lobby" << true;
        QTest::newRow("padded") << "  #LOBBY " << true;
        QTest::newRow("only a mark") << "#" << false;
        QTest::newRow("a longer name") << "lobby2" << false;
    }
    void roomsAreFoundWithOrWithoutTheirMark()
    {
        QFETCH(QString, asked);
        QFETCH(bool, found);
        Network network;
        Room* lobby = network.AddRoom(QStringLiteral("Lobby"), "#Lobby");
        QCOMPARE(network.FindRoom(asked) == lobby, found);
        QCOMPARE(network.AddRoom(QStringLiteral("#LOBBY"), "#LOBBY"), lobby);  // never twice
    }

    void aRemovedRoomIsForgottenAndDeleted()
    {
        Network network;
        QPointer<Room> room = network.AddRoom(QStringLiteral("a"), "#a");
        QSignalSpy removed(&network, &Network::RoomRemoved);
        network.RemoveRoom(room);
        network.RemoveRoom(room);  // twice: told once
        QCOMPARE(removed.count(), 1);
        QVERIFY(!network.FindRoom(QStringLiteral("a")));
        QTRY_VERIFY(room.isNull());
    }
};

QTEST_GUILESS_MAIN(NetworkModelTest)
#include "tst_network_model.moc"
