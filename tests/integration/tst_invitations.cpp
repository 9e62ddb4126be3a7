// Invitations on real IRC servers: a second user invites the user, who
// accepts and joins; after "Ignore User" on the next invitation, that user's
// further invitations and private messages leave only a server-log line.
#include "transcript/transcript_view.h"
#include "chat/private_window.h"
#include "support/window_controls.h"
#include "chat/room_window.h"
#include "common/list_file.h"
#include "common/user_data_folder.h"
#include "shell/main_window.h"
#include "side/invitation_prompt.h"
#include "side/room_list_window.h"
#include "support/irc_servers.h"
#include "support/temp_user_data.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(RealIrcServer::Kind)

namespace {

constexpr int kWaitMs = 15000;

QList<InvitationPrompt*> OpenPrompts(const MainWindow& frame) { return frame.findChildren<InvitationPrompt*>(); }

RoomWindow* RoomWindowTitled(const MainWindow& frame, const QString& title)
{
    for (QWidget* w : frame.ChildWindows())
        if (auto* room = qobject_cast<RoomWindow*>(w); room && room->Title() == title) return room;
    return nullptr;
}

int PrivateWindowCount(const MainWindow& frame)
{
    int n = 0;
    for (QWidget* w : frame.ChildWindows()) n += qobject_cast<PrivateWindow*>(w) ? 1 : 0;
    return n;
}

QStringList LogLines(const MainWindow& frame) { return Control<TranscriptView>(frame, "serverLog")->toPlainText().split(u'\n'); }

}  // namespace

class TestInvitations : public QObject {
    Q_OBJECT

private slots:
    void acceptThenIgnoreInviter_data();
    void acceptThenIgnoreInviter();
};

void TestInvitations::acceptThenIgnoreInviter_data()
{
    QTest::addColumn<RealIrcServer::Kind>("kind");
    QTest::newRow("inspircd") << RealIrcServer::Kind::InspircdWithServices;
    QTest::newRow("ngircd") << RealIrcServer::Kind::Ngircd;
}

void TestInvitations::acceptThenIgnoreInviter()
{
    QFETCH(RealIrcServer::Kind, kind);
    if (!RealIrcServer::Installed(kind)) QSKIP("server not installed");
    RealIrcServer server(kind);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    TempUserData userData;

    MainWindow frame;
    QVERIFY(LogInFrame(frame, server.Port(), "alice"));
    frame.Lists().LoadAccountLists();  // what the login command does after the reader starts
    TestIrcClient bob;
    QVERIFY(bob.Login(server.Port(), "bob"));
    for (const char* room : {"#party", "#second", "#third"}) {
        bob.Send(std::string("join ") + room);
        QVERIFY(!bob.WaitFor(std::string(" 366 bob ") + room).empty());
    }

    // Invited, accepted, joined.
    bob.Send("invite alice #party");
    QTRY_COMPARE_WITH_TIMEOUT(OpenPrompts(frame).size(), 1, kWaitMs);
    InvitationPrompt* prompt = OpenPrompts(frame)[0];
    QCOMPARE(prompt->Inviter(), QStringLiteral("bob"));
    QCOMPARE(prompt->Room(), QStringLiteral("party"));
    Control<QPushButton>(*prompt, "acceptButton")->click();
    QVERIFY(!bob.WaitFor("JOIN").empty());
    QVERIFY(bob.Seen().back().find(":alice!") == 0);
    QVERIFY(RoomWindowTitled(frame, "party"));
    QTRY_VERIFY_WITH_TIMEOUT(RoomWindowTitled(frame, "party")->InRoom(), kWaitMs);
    QTRY_VERIFY(OpenPrompts(frame).isEmpty());

    // The next invitation: Ignore User.
    bob.Send("invite alice #second");
    QTRY_COMPARE_WITH_TIMEOUT(OpenPrompts(frame).size(), 1, kWaitMs);
    Control<QPushButton>(*OpenPrompts(frame)[0], "ignoreButton")->click();
    QVERIFY(frame.IsIgnored("bob"));
    QCOMPARE(ListFile(UserDataFolder("127.0.0.1", "alice") + "/ignore.ini").Names(), QStringList{"bob"});
    QTRY_VERIFY(OpenPrompts(frame).isEmpty());

    // From now on bob leaves log lines and nothing else.
    bob.Send("invite alice #third");
    bob.Send("privmsg alice :are you there?");
    // The parser keeps a space at the end of the parameters.
    QTRY_VERIFY2_WITH_TIMEOUT(LogLines(frame).contains("bob (Ignored): alice :are you there? "),
                              qPrintable(LogLines(frame).join(u'|')), kWaitMs);
    QVERIFY2(LogLines(frame).contains("bob (Ignored): alice :#third ") ||
                 LogLines(frame).contains("bob (Ignored): alice #third "),
             qPrintable(LogLines(frame).join(u'|')));
    QCoreApplication::processEvents();
    QVERIFY(OpenPrompts(frame).isEmpty());
    QCOMPARE(PrivateWindowCount(frame), 0);
    QVERIFY(!RoomWindowTitled(frame, "third"));

    frame.Lifecycle().StopReader(2000);
}

QTEST_MAIN(TestInvitations)
#include "tst_invitations.moc"
