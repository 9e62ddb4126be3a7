// Real servers: a login with a password through SASL (inspircd with atheme's
// SaslServ), refused for a wrong password, and the nick-service road on a
// server without SASL (ngircd); nick changes of another user and of the
// user's own nick followed in the room and private windows.
#include "chat/nick_list_view.h"
#include "support/window_controls.h"
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "side/room_list_window.h"
#include "support/irc_servers.h"
#include "support/temp_user_data.h"
#include "support/login_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

using Kind = RealIrcServer::Kind;
Q_DECLARE_METATYPE(RealIrcServer::Kind)

namespace {

constexpr int kWaitMs = 15000;

QString UniqueNick(const char* stem) { return stem + QString::number(QRandomGenerator::global()->bounded(100000, 999999)); }

QString Log(MainWindow& frame) { return Control<TranscriptView>(frame, "serverLog")->toPlainText(); }

// The connect command, the login dialog filled in and Ok clicked; a dialog
// left open by a refusal is closed.
void LogIn(MainWindow& frame, const QString& nick, const QString& password)
{
    QTimer::singleShot(0, &frame, [&frame, nick, password] {
        auto* login = frame.findChild<LoginDialog*>();
        if (!login) return;
        LogInOrLeave(login, nick, password);
    });
    Control<QAction>(frame, "connectAction")->trigger();
}

QString Names(const NickListView& list) { return list.Nicks().join(u' '); }

}  // namespace

class TestSaslNickReal : public QObject {
    Q_OBJECT
private slots:
    void passwordLogin_data();
    void passwordLogin();
    void nickChangesFollowed_data();
    void nickChangesFollowed();

private:
    TempUserData userData_;
};

void TestSaslNickReal::passwordLogin_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("rightPassword");
    QTest::addColumn<QString>("prompt");       // the one box shown; empty for none
    QTest::addColumn<QStringList>("logged");   // parts the server log holds ("%1": the nick)
    QTest::addColumn<QStringList>("unlogged"); // parts it must not hold
    QTest::newRow("inspircd: SASL accepted")
        << Kind::InspircdWithServices << true << ""
        << QStringList{"sasl=PLAIN", "AUTHENTICATE PLAIN ...", "You are now logged in as %1", " 903 "}
        << QStringList{"nickserv identify"};
    QTest::newRow("inspircd: wrong password")
        << Kind::InspircdWithServices << false << "Incorrect password."
        << QStringList{"AUTHENTICATE PLAIN ...", " 904 ", "Disconnected.."}
        << QStringList{"You are now logged in", "nickserv identify"};
    QTest::newRow("ngircd: no SASL, the nick service is asked")
        << Kind::Ngircd << true << "" << QStringList{" CAP * LS :", "nickserv identify %1"}
        << QStringList{"AUTHENTICATE"};
}

void TestSaslNickReal::passwordLogin()
{
    QFETCH(Kind, kind);
    QFETCH(bool, rightPassword);
    QFETCH(QString, prompt);
    QFETCH(QStringList, logged);
    QFETCH(QStringList, unlogged);
    if (!RealIrcServer::Installed(kind)) QSKIP("the server is not installed");
    RealIrcServer server(kind);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    const QString nick = UniqueNick("sasl");
    const QString password = "Pw" + nick.right(5) + "x";
    if (kind == Kind::InspircdWithServices) {
        TestIrcClient registrar;
        QVERIFY(registrar.Login(server.Port(), nick.toStdString()));
        registrar.Send("nickserv register " + password.toStdString() + " " + nick.toStdString() + "@example.org");
        QVERIFY(!registrar.WaitFor("is now registered").empty());
        registrar.Send("QUIT");
        QVERIFY(!registrar.WaitFor("ERROR").empty());  // gone, so that the nick is free again
    }
    ShrunkTimings timings(3000, 2000);
    if (kind == Kind::Ngircd) {
        timing().greetingMs = 1000;
        timing().replyMs = 500;
    }
    timing().readerStopMs = 5000;
    timing().welcomeLimitMs = Timings().welcomeLimitMs;  // a real server takes its time to welcome
    timing().burstLimitMs = Timings().burstLimitMs;
    timing().defaultPort = server.Port();
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    Control<QComboBox>(frame, "serverBox")->setEditText("127.0.0.1");
    const QString typed = rightPassword ? password : password + "wrong";

    LogIn(frame, nick, typed);
    const QString log = Log(frame);
    if (prompt.isEmpty()) {
        QVERIFY2(prompts.records.isEmpty(), qPrintable(prompts.Texts().join('|')));
        QVERIFY(frame.Reader());
        QCOMPARE(frame.CurrentNick(), nick);
        QTRY_VERIFY_WITH_TIMEOUT(Log(frame).contains(QStringLiteral(" 251 %1 :There are").arg(nick)), kWaitMs);
        Control<QAction>(frame, "connectAction")->trigger();
    } else {
        QCOMPARE(prompts.Texts(), QStringList{prompt});
        QVERIFY(!frame.Reader());
        QVERIFY(!frame.Connection().Connected());
    }
    for (QString part : logged) QVERIFY2(log.contains(part.replace("%1", nick)), qPrintable(part + " in:\n" + log));
    for (const QString& part : unlogged) QVERIFY2(!log.contains(part), qPrintable(part));
    QVERIFY(!Log(frame).contains(typed));
}

void TestSaslNickReal::nickChangesFollowed_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("inspircd") << Kind::InspircdWithServices;
    QTest::newRow("ngircd") << Kind::Ngircd;
}

void TestSaslNickReal::nickChangesFollowed()
{
    QFETCH(Kind, kind);
    if (!RealIrcServer::Installed(kind)) QSKIP("the server is not installed");
    RealIrcServer server(kind);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    ShrunkTimings timings;
    MainWindow frame;
    QVERIFY(LogInFrame(frame, server.Port(), "alice"));
    RoomWindow* room = frame.OpenRoomWindow(QStringLiteral("room"));
    TestIrcClient bob;
    QVERIFY(bob.Login(server.Port(), "bob"));
    bob.Send("join #room");
    QTRY_COMPARE_WITH_TIMEOUT(Names(room->NickList()), QStringLiteral("alice bob"), kWaitMs);
    PrivateWindow* whisper = frame.OpenPrivateWindowFromUser("bob");

    // Another user renames: the room's list and both windows follow.
    bob.Send("NICK zed");
    QTRY_COMPARE_WITH_TIMEOUT(Names(room->NickList()), QStringLiteral("alice zed"), kWaitMs);
    QVERIFY(room->Transcript().toPlainText().contains("bob is now known as zed"));
    QVERIFY(whisper->Transcript().toPlainText().contains("bob is now known as zed"));
    QCOMPARE(whisper->Title(), QStringLiteral("zed"));  // the window follows its partner

    // The user's own nick changes (as a services rename would): the frame follows.
    frame.Connection().WriteLine("NICK alice2");
    QTRY_COMPARE_WITH_TIMEOUT(frame.CurrentNick(), QStringLiteral("alice2"), kWaitMs);
    QCOMPARE(Names(room->NickList()), QStringLiteral("alice2 zed"));
    QVERIFY(room->Transcript().toPlainText().contains("alice is now known as alice2"));
    // A message to the new nick from the renamed user lands in the window
    // that followed him.
    bob.Send("privmsg alice2 :still here");
    QTRY_VERIFY_WITH_TIMEOUT(whisper->Transcript().toPlainText().contains("still here"), kWaitMs);
    QCOMPARE(frame.PrivateWindowsNamed("zed").size(), 1);
    QCOMPARE(frame.PrivateWindowsNamed("bob").size(), 0);
}

QTEST_MAIN(TestSaslNickReal)
#include "tst_sasl_nick_real.moc"
