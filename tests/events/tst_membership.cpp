// What membership lines from the server do to room windows: nick lists,
// status lines and the user's own host controls.
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "events/event_router.h"
#include "events/membership_events.h"
#include "events/room_lookup.h"
#include "shell/main_window.h"
#include "support/test_session.h"
#include "side/room_list_window.h"
#include "support/window_controls.h"
#include "support/transcript_text.h"

#include <QAction>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kOwn = QStringLiteral("me");

IrcMessage Parse(const QByteArray& raw)
{
    IrcMessage line;
    line.ParseLine(raw.toStdString());
    return line;
}

void Feed(MainWindow& frame, const QByteArray& raw, const QString& own = kOwn)
{
    RouteLine(TestSession(frame, own), Parse(raw));
}

// "nick:icon" for every entry, in list order.
QString Describe(const NickListView& list)
{
    QStringList parts;
    for (int i = 0; i < list.Count(); ++i)
        parts << NickListView::Nick(list.EntryAt(i)) + u':' + QString::number(NickListView::IconNumber(list.EntryAt(i)));
    return parts.join(u' ');
}

RoomWindow* RoomWindowTitled(MainWindow& frame, const QString& title)
{
    RoomWindow* window = frame.NewRoomWindow();
    window->SetTitle(title);
    return window;
}

bool HostControlsEnabled(const RoomWindow& window)
{
    int enabled = 0;
    const char* controls[] = {"kickAction", "kickAndBanAction", "banAction", "makeHostAction", "deHostAction"};
    for (const char* name : controls)
        enabled += Control<QAction>(window, name)->isEnabled();
    enabled += Control<QToolButton>(window, "banListButton")->isEnabled();
    const bool all = enabled == int(std::size(controls)) + 1;
    const bool none = enabled == 0;
    if (!all && !none)
        qWarning("host controls are half enabled");
    return all;
}

// Character format of the first character of transcript line n (0-based).
QTextCharFormat FormatOfLine(const TranscriptView& view, int n)
{
    return TranscriptFormatAt(view, view.Store().StartOf(n) + 1);
}

}  // namespace

class TestMembership : public QObject {
    Q_OBJECT

private slots:
    void nickListAndTranscript_data();
    void nickListAndTranscript();
    void ownHostStatus_data();
    void ownHostStatus();
    void statusLineLooks_data();
    void statusLineLooks();
    void quitReachesEveryRoomWhereListed();
    void findRoomWindow_data();
    void findRoomWindow();
    void nickLookups_data();
    void nickLookups();
    void linesForUnknownRoomsChangeNothing_data();
    void linesForUnknownRoomsChangeNothing();
    void joinAddsHostSubItem();
};

void TestMembership::nickListAndTranscript_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QStringList>("ignore");
    QTest::addColumn<QString>("nicks");
    QTest::addColumn<QString>("transcript");

    const QStringList none;
    QTest::newRow("names with prefixes") << QByteArrayList{":srv 353 me = #room :@bob carol +dave"} << none
                                         << "+dave:41 bob:39 carol:41" << "";
    QTest::newRow("names are sorted without regard to case")
        << QByteArrayList{":srv 353 me = #room :zed Bob alice @Carl"} << none << "alice:41 Bob:41 Carl:39 zed:41" << "";
    QTest::newRow("names in two replies")
        << QByteArrayList{":srv 353 me = #room :bob carol", ":srv 353 me = #room :@dave erin"} << none
        << "bob:41 carol:41 dave:39 erin:41" << "";
    QTest::newRow("op in a later reply replaces the plain entry")
        << QByteArrayList{":srv 353 me = #room :bob", ":srv 353 me = #room :@bob"} << none << "bob:39" << "";
    QTest::newRow("plain name after an op entry adds nothing")
        << QByteArrayList{":srv 353 me = #room :@bob", ":srv 353 me = #room :bob"} << none << "bob:39" << "";
    QTest::newRow("ignored names") << QByteArrayList{":srv 353 me = #room :@bob carol dave"}
                                   << QStringList{"carol", "@bob"} << "bob:42 carol:42 dave:41" << "";
    QTest::newRow("odd characters in names")
        << QByteArrayList{":srv 353 me = #room :[a] \\b ^c {d} |e `f"} << none << "[a]:41 \\b:41 ^c:41 `f:41 {d}:41 |e:41"
        << "";
    QTest::newRow("latin-1 bytes in a name")
        << QByteArrayList{":srv 353 me = #room :caf\xe9"} << none << QString::fromUtf8("café:41") << "";
    QTest::newRow("empty and lone @ names are skipped")
        << QByteArrayList{":srv 353 me = #room :bob  @ carol "} << none << "bob:41 carol:41" << "";
    QTest::newRow("single name without colon")
        << QByteArrayList{":srv 353 me = #room bob"} << none << "bob:41" << "";

    QTest::newRow("join adds a normal entry") << QByteArrayList{":ann!a@hostA JOIN :#room"} << none << "ann:41"
                                              << "ann has joined the room\n";
    QTest::newRow("join of an ignored nick")
        << QByteArrayList{":ann!a@hostA JOIN #room"} << QStringList{"ann"} << "ann:42" << "ann has joined the room\n";
    QTest::newRow("join of a listed nick adds no second entry")
        << QByteArrayList{":srv 353 me = #room :ann", ":ann!a@hostA JOIN :#room"} << none << "ann:41"
        << "ann has joined the room\n";
    QTest::newRow("join of a listed host adds no second entry")
        << QByteArrayList{":srv 353 me = #room :@ann", ":ann!a@hostA JOIN :#room"} << none << "ann:39"
        << "ann has joined the room\n";
    QTest::newRow("join of a nick that begins another")
        << QByteArrayList{":srv 353 me = #room :anna", ":ann!a@hostA JOIN :#room"} << none << "ann:41 anna:41"
        << "ann has joined the room\n";
    QTest::newRow("join finds the room whatever its case")
        << QByteArrayList{":ann!a@hostA JOIN :#ROOM"} << none << "ann:41" << "ann has joined the room\n";

    QTest::newRow("part removes the entry")
        << QByteArrayList{":srv 353 me = #room :bob carol", ":bob!b@hostB PART #room :bye"} << none << "carol:41"
        << "bob has left the room\n";
    QTest::newRow("part of an unlisted nick still writes")
        << QByteArrayList{":srv 353 me = #room :carol", ":bob!b@hostB PART #room"} << none << "carol:41"
        << "bob has left the room\n";
    QTest::newRow("part leaves a longer nick alone")
        << QByteArrayList{":srv 353 me = #room :anna", ":ann!a@hostA PART #room"} << none << "anna:41"
        << "ann has left the room\n";
    QTest::newRow("own part changes nothing")
        << QByteArrayList{":srv 353 me = #room :me bob", ":me!m@hostM PART #room"} << none << "bob:41 me:41" << "";

    QTest::newRow("kick with reason")
        << QByteArrayList{":srv 353 me = #room :bob carol", ":alice!a@hostA KICK #room bob :behave"} << none
        << "carol:41" << "alice has kicked the bob  (behave )\n";
    QTest::newRow("kick without reason")
        << QByteArrayList{":srv 353 me = #room :bob carol", ":alice!a@hostA KICK #room bob"} << none << "carol:41"
        << "alice has kicked the bob  ()\n";
    QTest::newRow("kick of an unlisted nick still writes")
        << QByteArrayList{":srv 353 me = #room :carol", ":alice!a@hostA KICK #room bob :x"} << none << "carol:41"
        << "alice has kicked the bob  (x )\n";
    QTest::newRow("kick of the own nick")
        << QByteArrayList{":srv 353 me = #room :me carol", ":alice!a@hostA KICK #room me :out"} << none << "carol:41"
        << "alice has kicked the me  (out )\n";
    QTest::newRow("kick without a nick removes nobody")
        << QByteArrayList{":srv 353 me = #room :bob", ":alice!a@hostA KICK #room"} << none << "bob:41"
        << "alice has kicked the  ()\n";

    QTest::newRow("mode +o") << QByteArrayList{":srv 353 me = #room :bob", ":alice!a@hostA MODE #room +o bob"} << none
                             << "bob:39" << "alice has made bob  the operator\n";
    QTest::newRow("mode +o with a colon before the nick")
        << QByteArrayList{":srv 353 me = #room :bob", ":alice!a@hostA MODE #room +o :bob"} << none << "bob:39"
        << "alice has made bob  the operator\n";
    QTest::newRow("mode +o matches the whole nick only")
        << QByteArrayList{":srv 353 me = #room :bobby", ":alice!a@hostA MODE #room +o bob"} << none << "bobby:41"
        << "alice has made bob  the operator\n";
    QTest::newRow("mode -o") << QByteArrayList{":srv 353 me = #room :@bob", ":alice!a@hostA MODE #room -o bob"}
                             << none << "bob:41" << "alice has made bob  a normal user\n";
    QTest::newRow("mode +b") << QByteArrayList{":alice!a@hostA MODE #room +b :x!*@*"} << none << ""
                             << "alice has banned x!*@*  in this room\n";
    QTest::newRow("mode -b") << QByteArrayList{":alice!a@hostA MODE #room -b x!*@*"} << none << ""
                             << "alice has removed ban from x!*@* \n";
    QTest::newRow("mode +v leaves an empty line")
        << QByteArrayList{":srv 353 me = #room :bob", ":alice!a@hostA MODE #room +v bob"} << none << "bob:41" << "\n";
    QTest::newRow("several modes in one word") << QByteArrayList{":srv 353 me = #room :bob carol",
                                                                 ":alice!a@hostA MODE #room +oo bob carol"}
                                               << none << "bob:41 carol:41" << "\n";
    QTest::newRow("mode without a target") << QByteArrayList{":alice!a@hostA MODE #room :+i"} << none << "" << "\n";
    QTest::newRow("mode without a mode word") << QByteArrayList{":alice!a@hostA MODE #room"} << none << "" << "\n";

    QTest::newRow("topic") << QByteArrayList{":srv 332 me #room :the topic"} << none << ""
                           << "Topic is \"the topic \"\n";
    QTest::newRow("topic with colons inside") << QByteArrayList{":srv 332 me #room :see: http://x"} << none << ""
                                              << "Topic is \"see: http://x \"\n";

    QTest::newRow("quit removes and writes")
        << QByteArrayList{":srv 353 me = #room :bob carol", ":bob!b@hostB QUIT :gone now"} << none << "carol:41"
        << "bob has lost connection. :gone now \n";
    QTest::newRow("quit of an unlisted nick writes nothing")
        << QByteArrayList{":srv 353 me = #room :carol", ":bob!b@hostB QUIT :gone"} << none << "carol:41" << "";
}

void TestMembership::nickListAndTranscript()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(QStringList, ignore);
    QFETCH(QString, nicks);
    QFETCH(QString, transcript);

    MainWindow frame;
    frame.Lists().SetIgnoreList(ignore);
    RoomWindow* window = RoomWindowTitled(frame, QStringLiteral("room"));
    for (const QByteArray& raw : lines)
        Feed(frame, raw);
    QCOMPARE(Describe(window->NickList()), nicks);
    QCOMPARE(window->Transcript().toPlainText(), transcript);
}

void TestMembership::ownHostStatus_data()
{
    QTest::addColumn<bool>("startEnabled");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("names with @own") << false << QByteArray(":srv 353 me = #room :bob @me") << true;
    QTest::newRow("names with own") << true << QByteArray(":srv 353 me = #room :bob me") << false;
    QTest::newRow("names without own") << true << QByteArray(":srv 353 me = #room :bob @carol") << true;
    QTest::newRow("names with own in other case") << false << QByteArray(":srv 353 me = #room :@Me") << false;
    QTest::newRow("mode +o own") << false << QByteArray(":op!o@h MODE #room +o me") << true;
    QTest::newRow("mode +o own after colon") << false << QByteArray(":op!o@h MODE #room +o :me") << true;
    QTest::newRow("mode -o own") << true << QByteArray(":op!o@h MODE #room -o me") << false;
    QTest::newRow("mode +o other") << false << QByteArray(":op!o@h MODE #room +o bob") << false;
    QTest::newRow("mode -o other") << true << QByteArray(":op!o@h MODE #room -o bob") << true;
    QTest::newRow("mode +b own") << true << QByteArray(":op!o@h MODE #room +b me") << true;
}

void TestMembership::ownHostStatus()
{
    QFETCH(bool, startEnabled);
    QFETCH(QByteArray, line);
    QFETCH(bool, enabled);

    MainWindow frame;
    RoomWindow* window = RoomWindowTitled(frame, QStringLiteral("room"));
    window->Model().SetOwnHost(startEnabled);
    Feed(frame, line);
    QCOMPARE(HostControlsEnabled(*window), enabled);
}

void TestMembership::statusLineLooks_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("bold");

    QTest::newRow("join") << QByteArray(":ann!a@h JOIN #room") << QColor(0, 128, 0) << false;
    QTest::newRow("part") << QByteArray(":ann!a@h PART #room") << QColor(128, 128, 128) << true;
    QTest::newRow("kick") << QByteArray(":ann!a@h KICK #room bob :x") << QColor(255, 0, 0) << true;
    QTest::newRow("mode") << QByteArray(":ann!a@h MODE #room +b x") << QColor(255, 0, 0) << true;
    QTest::newRow("topic") << QByteArray(":srv 332 me #room :t") << QColor(0, 128, 0) << true;
}

void TestMembership::statusLineLooks()
{
    QFETCH(QByteArray, line);
    QFETCH(QColor, colour);
    QFETCH(bool, bold);

    MainWindow frame;
    RoomWindow* window = RoomWindowTitled(frame, QStringLiteral("room"));
    Feed(frame, line);
    const QTextCharFormat format = FormatOfLine(window->Transcript(), 0);
    QCOMPARE(format.foreground().color(), colour);
    QCOMPARE(format.fontWeight() == QFont::Bold, bold);
    QVERIFY(format.fontItalic());
}

void TestMembership::quitReachesEveryRoomWhereListed()
{
    MainWindow frame;
    RoomWindow* first = RoomWindowTitled(frame, QStringLiteral("one"));
    RoomWindow* second = RoomWindowTitled(frame, QStringLiteral("two"));
    RoomWindow* third = RoomWindowTitled(frame, QStringLiteral("three"));
    Feed(frame, ":srv 353 me = #one :bob carol");
    Feed(frame, ":srv 353 me = #two :@bob");
    Feed(frame, ":srv 353 me = #three :carol");
    Feed(frame, ":bob!b@h QUIT :Client exited");

    QCOMPARE(Describe(first->NickList()), QStringLiteral("carol:41"));
    QCOMPARE(Describe(second->NickList()), QString());
    QCOMPARE(Describe(third->NickList()), QStringLiteral("carol:41"));
    const QString line = QStringLiteral("bob has lost connection. :Client exited \n");
    QCOMPARE(first->Transcript().toPlainText(), line);
    QCOMPARE(second->Transcript().toPlainText(), line);
    QCOMPARE(third->Transcript().toPlainText(), QString());
}

void TestMembership::findRoomWindow_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("found");  // title of the window found, "-" for none

    QTest::newRow("privmsg") << QByteArray(":a!a@h PRIVMSG #Lobby :hi") << "Lobby";
    QTest::newRow("join with colon") << QByteArray(":a!a@h JOIN :#lobby") << "Lobby";
    QTest::newRow("names") << QByteArray(":srv 353 me = #Lobby :a b") << "Lobby";
    QTest::newRow("topic") << QByteArray(":srv 332 me #Lobby :t") << "Lobby";
    QTest::newRow("banned") << QByteArray(":srv 474 me #Lobby :Cannot join channel (+b)") << "Lobby";
    QTest::newRow("join error without colon") << QByteArray(":srv 485 me #Lobby") << "Lobby";
    QTest::newRow("title with spaces") << QByteArray(":a!a@h PRIVMSG #spaced :x") << "spaced ";
    QTest::newRow("first of two equal titles") << QByteArray(":a!a@h PRIVMSG #twice :x") << "twice";
    QTest::newRow("notice never") << QByteArray(":a!a@h NOTICE #Lobby :x") << "-";
    QTest::newRow("quit never") << QByteArray(":a!a@h QUIT :#Lobby") << "-";
    QTest::newRow("private message") << QByteArray(":a!a@h PRIVMSG me :hi") << "-";
    QTest::newRow("unknown room") << QByteArray(":a!a@h PRIVMSG #nowhere :hi") << "-";
    QTest::newRow("prefix of a title is not the title") << QByteArray(":a!a@h PRIVMSG #Lob :hi") << "-";
    QTest::newRow("empty window title is not #") << QByteArray(":a!a@h PRIVMSG # :hi") << "-";
}

void TestMembership::findRoomWindow()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, found);

    MainWindow frame;
    RoomWindowTitled(frame, QString());
    RoomWindow* lobby = RoomWindowTitled(frame, QStringLiteral("Lobby"));
    RoomWindowTitled(frame, QStringLiteral("spaced "));
    RoomWindow* twice = RoomWindowTitled(frame, QStringLiteral("twice"));
    RoomWindowTitled(frame, QStringLiteral("twice"));
    Room* room = RoomOfLine(frame.NetworkModel(), Parse(line));
    if (found == QLatin1String("-")) {
        QVERIFY(!room);
        return;
    }
    QVERIFY(room);
    QCOMPARE(room->ShownName(), found);
    if (found == QLatin1String("twice"))
        QCOMPARE(room, &twice->Model());
    if (found == QLatin1String("Lobby"))
        QCOMPARE(room, &lobby->Model());
}

void TestMembership::nickLookups_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("prefixMatch");  // "-" for none
    QTest::addColumn<QString>("exactMatch");

    const QStringList list{"alice", "Bobby", "bob_", "carol", "Bob"};
    QTest::newRow("exact nick first") << list << "bob" << "Bob" << "Bob";
    QTest::newRow("prefix finds a longer nick") << list << "bobb" << "Bobby" << "-";
    QTest::newRow("case is ignored") << list << "ALICE" << "alice" << "alice";
    QTest::newRow("no match") << list << "dave" << "-" << "-";
    QTest::newRow("longer than every nick") << list << "carolyn" << "-" << "-";
    QTest::newRow("empty search") << list << "" << "alice" << "-";
    QTest::newRow("empty list") << QStringList() << "bob" << "-" << "-";
    QTest::newRow("special characters") << QStringList{"[x]", "{x}", "\\x", "|x"} << "{x" << "{x}" << "-";
}

void TestMembership::nickLookups()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, search);
    QFETCH(QString, prefixMatch);
    QFETCH(QString, exactMatch);

    NickListView list;
    for (const QString& nick : entries)
        list.AddEntry(nick, kNormalIcon);
    const auto name = [](QTreeWidgetItem* entry) { return entry ? NickListView::Nick(entry) : QStringLiteral("-"); };
    QCOMPARE(name(list.FindPrefix(search)), prefixMatch);
    QCOMPARE(name(list.FindExact(search)), exactMatch);
}

void TestMembership::linesForUnknownRoomsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("join") << QByteArray(":ann!a@h JOIN #other");
    QTest::newRow("part") << QByteArray(":bob!b@h PART #other");
    QTest::newRow("kick") << QByteArray(":ann!a@h KICK #other bob :x");
    QTest::newRow("mode") << QByteArray(":ann!a@h MODE #other +o bob");
    QTest::newRow("user mode") << QByteArray(":me MODE me :+i");
    QTest::newRow("names") << QByteArray(":srv 353 me = #other :@me bob");
    QTest::newRow("names without room") << QByteArray(":srv 353 me");
    QTest::newRow("topic") << QByteArray(":srv 332 me #other :t");
    QTest::newRow("join without prefix") << QByteArray("JOIN");
}

void TestMembership::linesForUnknownRoomsChangeNothing()
{
    QFETCH(QByteArray, line);

    MainWindow frame;
    RoomWindow* window = RoomWindowTitled(frame, QStringLiteral("room"));
    Feed(frame, ":srv 353 me = #room :bob carol");
    window->SetHostControlsEnabled(false);
    const int children = frame.ChildWindows().size();
    Feed(frame, line);
    QCOMPARE(Describe(window->NickList()), QStringLiteral("bob:41 carol:41"));
    QCOMPARE(window->Transcript().toPlainText(), QString());
    QVERIFY(!HostControlsEnabled(*window));
    QCOMPARE(frame.ChildWindows().size(), children);
}

void TestMembership::joinAddsHostSubItem()
{
    MainWindow frame;
    RoomWindow* window = RoomWindowTitled(frame, QStringLiteral("room"));
    Feed(frame, ":ann!a@host.example JOIN :#room");
    Feed(frame, ":srv 353 me = #room :bob");
    QCOMPARE(NickListView::Host(window->NickList().FindExact("ann")), QStringLiteral("host.example "));
    QCOMPARE(NickListView::Host(window->NickList().FindExact("bob")), QString());
    // A host entry from the name list replaces the joined one, host and all.
    Feed(frame, ":srv 353 me = #room :@ann");
    QCOMPARE(NickListView::Host(window->NickList().FindExact("ann")), QString());
    QCOMPARE(NickListView::IconNumber(window->NickList().FindExact("ann")), kHostIcon);
}

QTEST_MAIN(TestMembership)
#include "tst_membership.moc"
