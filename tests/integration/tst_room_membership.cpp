// A room window on real IRC servers: a second user joins, is made a host,
// takes the user's host rights, leaves, comes back, is kicked and quits, and
// each of these shows in the window.
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "protocol/irc/dispatch.h"
#include "protocol/irc/sent_lines.h"
#include "shell/main_window.h"
#include "support/irc_servers.h"
#include "support/window_controls.h"

#include <QAction>
#include <QToolButton>
#include <QtTest>


Q_DECLARE_METATYPE(RealIrcServer::Kind)

namespace {

constexpr int kWaitMs = 15000;


QString NickIcons(const NickListView& list)
{
    QStringList parts;
    for (int i = 0; i < list.Count(); ++i)
        parts << NickListView::Nick(list.EntryAt(i)) + u':' + QString::number(NickListView::IconNumber(list.EntryAt(i)));
    return parts.join(u' ');
}

}  // namespace

class TestRoomMembership : public QObject {
    Q_OBJECT

private slots:
    void membershipShowsInTheRoomWindow_data();
    void membershipShowsInTheRoomWindow();
};

void TestRoomMembership::membershipShowsInTheRoomWindow_data()
{
    QTest::addColumn<RealIrcServer::Kind>("kind");
    QTest::newRow("inspircd") << RealIrcServer::Kind::InspircdWithServices;
    QTest::newRow("ngircd") << RealIrcServer::Kind::Ngircd;
}

void TestRoomMembership::membershipShowsInTheRoomWindow()
{
    QFETCH(RealIrcServer::Kind, kind);
    if (!RealIrcServer::Installed(kind))
        QSKIP("server not installed");
    RealIrcServer server(kind);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));

    MainWindow frame;
    QVERIFY(LogInFrame(frame, server.Port(), "alice"));
    RoomWindow* window = frame.OpenRoomWindow(QStringLiteral("room"));
    NickListView& list = window->NickList();
    const auto transcript = [window] { return window->Transcript().toPlainText(); };

    // The first user of a room is its host.
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:39"), kWaitMs);
    QAction* kick = Control<QAction>(*window, "kickAction");
    QToolButton* banList = Control<QToolButton>(*window, "banListButton");
    QTRY_VERIFY_WITH_TIMEOUT(kick->isEnabled() && banList->isEnabled(), kWaitMs);
    QVERIFY(transcript().contains(QStringLiteral("alice has joined the room")));

    TestIrcClient bob;
    QVERIFY(bob.Login(server.Port(), "bob"));
    bob.Send("join #room");
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:39 bob:41"), kWaitMs);
    QVERIFY(transcript().contains(QStringLiteral("bob has joined the room")));
    QVERIFY(NickListView::Host(list.FindExact(QStringLiteral("bob"))).startsWith(QStringLiteral("127.0.0.1")));

    frame.Connection().WriteLine(sent::MakeHostLine("room", "bob"));
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:39 bob:39"), kWaitMs);
    QVERIFY(transcript().contains(QStringLiteral("alice has made bob  the operator")));

    // The other host takes the user's rights: the host-only controls go off.
    bob.Send("mode #room -o alice");
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:41 bob:39"), kWaitMs);
    QVERIFY(!kick->isEnabled() && !banList->isEnabled());
    bob.Send("mode #room +o alice");
    QTRY_VERIFY_WITH_TIMEOUT(Control<QAction>(*window, "kickAction")->isEnabled(), kWaitMs);

    bob.Send("part #room :bye");
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:39"), kWaitMs);
    QVERIFY(transcript().contains(QStringLiteral("bob has left the room")));

    bob.Send("join #room");
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:39 bob:41"), kWaitMs);
    frame.Connection().WriteLine(sent::KickLine("room", "bob", "behave"));
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:39"), kWaitMs);
    QVERIFY(transcript().contains(QStringLiteral("alice has kicked the bob  (behave )")));

    bob.Send("join #room");
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:39 bob:41"), kWaitMs);
    bob.Send("quit :gone now");
    QTRY_COMPARE_WITH_TIMEOUT(NickIcons(list), QStringLiteral("alice:39"), kWaitMs);
    QVERIFY(transcript().contains(QStringLiteral("bob has lost connection. ")));

    // Leaving empties the list; the server sees the part.
    Control<QToolButton>(*window, "leaveButton")->click();
    QCOMPARE(list.Count(), 0);
    QCOMPARE(window->Title(), QStringLiteral("room"));  // kept, with a note that the user left
    QVERIFY(transcript().contains(QStringLiteral("You left the room")));
    frame.Lifecycle().StopReader(2000);
}

QTEST_MAIN(TestRoomMembership)
#include "tst_room_membership.moc"
