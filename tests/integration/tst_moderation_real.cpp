// A host's nick-list actions on a real inspircd: the user, host of a fresh
// room, promotes, demotes, bans, unbans and kicks a second client, and looks
// at its profile.
#include "chat/nick_list_view.h"
#include "chat/room_panels.h"
#include "chat/room_window.h"
#include "common/timings.h"
#include "shell/main_window.h"
#include "side/user_info_window.h"
#include "support/irc_servers.h"
#include "support/prompt_recorder.h"
#include "support/window_controls.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

constexpr int kWaitMs = 15000;

}  // namespace

class TestModerationReal : public QObject {
    Q_OBJECT

private slots:
    void hostActionsReachTheOtherUser();
};

void TestModerationReal::hostActionsReachTheOtherUser()
{
    const auto kind = RealIrcServer::Kind::InspircdWithServices;
    if (!RealIrcServer::Installed(kind))
        QSKIP("inspircd not installed");
    RealIrcServer server(kind);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    PromptRecorder prompts;
    // Unpaced: the second user's blocking reads hold the frame's event loop,
    // and with it the pace's timer.
    timing().sendBurstLines = 100000;

    MainWindow frame;
    frame.show();
    QVERIFY(LogInFrame(frame, server.Port(), "alice"));
    RoomWindow* window = frame.OpenRoomWindow(QStringLiteral("modroom"));
    QTRY_VERIFY_WITH_TIMEOUT(Control<QAction>(*window, "kickAction")->isEnabled(), kWaitMs);  // the first in a room is its host

    TestIrcClient bob;
    QVERIFY(bob.Login(server.Port(), "bob"));
    bob.Send("join #modroom");
    QTRY_VERIFY_WITH_TIMEOUT(window->NickList().FindExact(QStringLiteral("bob")), kWaitMs);
    window->NickList().setCurrentItem(window->NickList().FindExact(QStringLiteral("bob")));

    Control<QAction>(*window, "makeHostAction")->trigger();
    QVERIFY(!bob.WaitFor("MODE #modroom +o").empty());
    Control<QAction>(*window, "deHostAction")->trigger();
    QVERIFY(!bob.WaitFor("MODE #modroom -o").empty());
    Control<QAction>(*window, "banAction")->trigger();
    QVERIFY(!bob.WaitFor("MODE #modroom +b").empty());

    Control<QToolButton>(*window, "banListButton")->click();
    QListWidget* bans = Control<QListWidget>(*window, "bannedList");
    QCOMPARE(bans->count(), 1);
    bans->setCurrentRow(0);
    Control<QPushButton>(*window, "removeBanButton")->click();
    QVERIFY(!bob.WaitFor("MODE #modroom -b :bob!*@*").empty());

    // Profile: the window shows the WHO reply while it is open.
    window->NickList().setCurrentItem(window->NickList().FindExact(QStringLiteral("bob")));
    QStringList profile;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* shown = qobject_cast<UserInfoWindow*>(QApplication::activeModalWidget());
        if (!shown)
            return;
        if (Control<QLineEdit>(*shown, "nickBox")->text().isEmpty() && waited.elapsed() < kWaitMs)
            return;
        profile = {Control<QLineEdit>(*shown, "nickBox")->text(), Control<QLineEdit>(*shown, "addressBox")->text(), Control<QLineEdit>(*shown, "serverBox")->text(), Control<QLineEdit>(*shown, "userTypeBox")->text()};
        Control<QPushButton>(*shown, "okButton")->click();
    });
    poll.start(20);
    Control<QAction>(*window, "profileAction")->trigger();
    poll.stop();
    QCOMPARE(profile, (QStringList{"bob", "127.0.0.1", "irc.test", "Normal User"}));

    Control<QAction>(*window, "kickAction")->trigger();
    Control<QLineEdit>(*window, "kickReasonLine")->setText(QStringLiteral("behave"));
    QTest::keyClick(Control<QLineEdit>(*window, "kickReasonLine"), Qt::Key_Return);
    const std::string kick = bob.WaitFor("KICK #modroom bob");
    QVERIFY2(kick.find("behave") != std::string::npos, kick.c_str());
    QTRY_VERIFY_WITH_TIMEOUT(!window->NickList().FindExact(QStringLiteral("bob")), kWaitMs);
    QCOMPARE(prompts.records.size(), 0);
}

QTEST_MAIN(TestModerationReal)
#include "tst_moderation_real.moc"
