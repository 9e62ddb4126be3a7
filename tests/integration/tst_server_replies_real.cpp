// Server replies from the real inspircd: the room list of rooms another user
// made, the server's totals, a refused join in the room window, and a WHO
// reply for a user of a shared room as the user's profile.
#include "transcript/transcript_view.h"
#include "support/window_controls.h"
#include "chat/room_window.h"
#include "protocol/irc/sent_lines.h"
#include "shell/main_window.h"
#include "side/room_list_model.h"
#include "side/room_list_window.h"
#include "side/user_info_window.h"
#include "support/irc_servers.h"

#include <QLineEdit>
#include <QTreeView>
#include <QtTest>

namespace {

constexpr int kWaitMs = 15000;

// The row of room, or an empty row when the list does not hold it.
RoomRow RowOf(RoomListWindow& list, const QString& room)
{
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Model().Row(i).name == room + u' ') return list.Model().Row(i);
    return {};
}

}  // namespace

class TestServerRepliesReal : public QObject {
    Q_OBJECT
private slots:
    void repliesReachTheirWindows();
};

void TestServerRepliesReal::repliesReachTheirWindows()
{
    const auto kind = RealIrcServer::Kind::InspircdWithServices;
    if (!RealIrcServer::Installed(kind)) QSKIP("inspircd not installed");
    RealIrcServer server(kind);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));

    TestIrcClient bob;
    QVERIFY(bob.Login(server.Port(), "bob"));
    bob.Send("join #alpha");
    bob.Send("topic #alpha :\x03" "4red\x03 alpha topic");
    bob.Send("join #beta");
    bob.Send("mode #beta +b alice!*@*");
    QVERIFY(!bob.WaitFor("+b").empty());

    MainWindow frame;
    frame.show();
    QVERIFY(LogInFrame(frame, server.Port(), "alice"));
    RoomListWindow& list = *frame.RoomList();
    list.SetConnection(&frame.Connection());

    // The totals of "lusers"; inspircd counts bob and the services.
    frame.Connection().WriteLine(sent::LusersLine());
    QTRY_VERIFY_WITH_TIMEOUT(!Control<QLineEdit>(list, "userCountBox")->text().isEmpty(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLineEdit>(list, "roomCountBox")->text(), QStringLiteral("2"), kWaitMs);

    list.onLoadFullListClicked();
    QTRY_VERIFY_WITH_TIMEOUT(!RowOf(list, "alpha").name.isEmpty() && !RowOf(list, "beta").name.isEmpty(), kWaitMs);
    QCOMPARE(RowOf(list, "alpha").chatters, QStringLiteral("1 "));
    QVERIFY2(RowOf(list, "alpha").topic.endsWith(QStringLiteral("red alpha topic ")), qPrintable(RowOf(list, "alpha").topic));

    // The ban refuses the join from the list: the room window says why.
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Model().Row(i).name == QStringLiteral("beta ")) {
            list.Model().Flush();
            const QModelIndex at = Control<QTreeView>(list, "roomTable")->model()->index(i, 0);
            Control<QTreeView>(list, "roomTable")->setCurrentIndex(at);
            Control<QTreeView>(list, "roomTable")->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    list.onRoomDoubleClicked();
    RoomWindow* beta = nullptr;
    for (QWidget* child : frame.ChildWindows())
        if (child->windowTitle() == QStringLiteral("beta ")) beta = qobject_cast<RoomWindow*>(child);
    QVERIFY(beta);
    QTRY_VERIFY_WITH_TIMEOUT(beta->Transcript().toPlainText().contains(QStringLiteral("Can not join this room, You are banned")),
                             kWaitMs);

    // WHO for a user of a shared room fills the profile.
    RoomWindow* alpha = frame.OpenRoomWindow(QStringLiteral("alpha"));
    QTRY_VERIFY_WITH_TIMEOUT(alpha->Transcript().toPlainText().contains(QStringLiteral("alice has joined the room")), kWaitMs);
    // Through the profile window, as Profile opens it: filled while it is open.
    UserProfile bobProfile;
    QTimer::singleShot(0, &frame, [&] {
        UserInfoWindow* window = frame.UserInformationWindow();
        auto* poll = new QTimer(window);
        QElapsedTimer waited;
        waited.start();
        QObject::connect(poll, &QTimer::timeout, window, [&, window, waited] {
            if (Control<QLineEdit>(*window, "serverBox")->text().isEmpty() && waited.elapsed() < kWaitMs) return;
            bobProfile = {Control<QLineEdit>(*window, "nickBox")->text(), Control<QLineEdit>(*window, "addressBox")->text(), Control<QLineEdit>(*window, "serverBox")->text(),
                          Control<QLineEdit>(*window, "userTypeBox")->text(), Control<QLineEdit>(*window, "fullNameBox")->text()};
            window->reject();
        });
        poll->start(10);
    });
    frame.OpenUserProfile(QStringLiteral("bob"), nullptr);
    QCOMPARE(bobProfile.nick, QStringLiteral("bob"));
    QCOMPARE(bobProfile.host, QStringLiteral("127.0.0.1"));
    QCOMPARE(bobProfile.server, QStringLiteral("irc.test"));
    QCOMPARE(bobProfile.flags, QStringLiteral("Operatory / Host"));  // bob made #alpha
    QVERIFY(Control<TranscriptView>(list, "serverLog")->toPlainText().contains(QStringLiteral("messagestring =127.0.0.1")));
    frame.Lifecycle().StopReader(2000);
}

QTEST_MAIN(TestServerRepliesReal)
#include "tst_server_replies_real.moc"
