// The shell against real IRC servers: guest logins and disconnects, a nick
// registered with the dialog and then used for a registered login (SASL), the first
// requests after login, a refused login, and a server that goes away under a
// logged-in client. inspircd runs with the real waits (its welcome comes about
// a second after NICK); ngircd answers at once, so its waits are shortened.
#include "transcript/transcript_view.h"
#include "shell/login_dialog.h"
#include "support/window_controls.h"
#include "shell/connection_keeper.h"
#include "shell/main_window.h"
#include "shell/registration_dialog.h"
#include "shell/shell_test_support.h"
#include "side/room_list_window.h"
#include "support/irc_servers.h"
#include "support/temp_user_data.h"
#include "support/login_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using Kind = RealIrcServer::Kind;
Q_DECLARE_METATYPE(RealIrcServer::Kind)

namespace {

QString UniqueNick(const char* stem) { return stem + QString::number(QRandomGenerator::global()->bounded(100000, 999999)); }

QString Log(MainWindow& frame) { return Control<TranscriptView>(frame, "serverLog")->toPlainText(); }

// Waits suited to the server: real ones for inspircd, short ones for ngircd.
std::unique_ptr<ShrunkTimings> TimingsFor(Kind kind)
{
    auto t = std::make_unique<ShrunkTimings>(3000, 2000);
    if (kind == Kind::Ngircd) {
        timing().greetingMs = 1000;
        timing().replyMs = 500;
    }
    timing().readerStopMs = 5000;
    timing().welcomeLimitMs = Timings().welcomeLimitMs;  // a real server takes its time to welcome
    timing().burstLimitMs = Timings().burstLimitMs;
    return t;
}

void AimFrame(MainWindow& frame, const RealIrcServer& server)
{
    timing().defaultPort = server.Port();
    Control<QComboBox>(frame, "serverBox")->setEditText("127.0.0.1");
}

// The connect command with the login dialog answered by drive.
void RunConnect(MainWindow& frame, const std::function<void(LoginDialog&)>& drive)
{
    QTimer::singleShot(0, &frame, [&frame, drive] {
        if (auto* login = frame.findChild<LoginDialog*>()) drive(*login);
    });
    Control<QAction>(frame, "connectAction")->trigger();
}

void LogIn(MainWindow& frame, const QString& nick, const QString& password = {})
{
    RunConnect(frame, [nick, password](LoginDialog& login) {
        LogInOrLeave(&login, nick, password);  // refused: leave the dialog
    });
}

}  // namespace

class TestShellRealServers : public QObject {
    Q_OBJECT
private slots:
    void guestLoginAndDisconnect_data();
    void guestLoginAndDisconnect();
    void registerNickThenLogInWithIt();
    void refusedLoginNickInUse();
    void serverGoesAwayUnderLoggedInClient();

private:
    TempUserData userData_;  // each login reads the account's lists
};

void TestShellRealServers::guestLoginAndDisconnect_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("ngircd") << Kind::Ngircd;
    QTest::newRow("inspircd") << Kind::InspircdWithServices;
}

void TestShellRealServers::guestLoginAndDisconnect()
{
    QFETCH(Kind, kind);
    if (!RealIrcServer::Installed(kind)) QSKIP("the server is not installed");
    RealIrcServer server(kind);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    const auto timings = TimingsFor(kind);
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    AimFrame(frame, server);
    const QString nick = UniqueNick("guest");

    LogIn(frame, nick);
    QVERIFY2(prompts.records.isEmpty(), qPrintable(prompts.Texts().join('|')));
    QVERIFY(frame.Reader());
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Connected"));
    QCOMPARE(frame.CurrentNick(), nick);
    QVERIFY(Log(frame).contains(QStringLiteral(" 001 %1 ").arg(nick)));  // the welcome, logged by the login
    // "lusers" was answered and its unhandled replies reached the log through the reader.
    QTRY_VERIFY_WITH_TIMEOUT(Log(frame).contains(QStringLiteral(" 251 %1 :There are").arg(nick)), 10000);
    if (kind == Kind::Ngircd)  // no services: "memoserv list" is an unknown command there
        QTRY_VERIFY_WITH_TIMEOUT(Log(frame).contains(QStringLiteral(" 421 %1 memoserv ").arg(nick)), 10000);

    Control<QAction>(frame, "connectAction")->trigger();
    QVERIFY(!frame.Reader());
    QVERIFY(!frame.Connection().Connected());
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    // Lines that came before the quit are shown first, in slices: the log's
    // last word follows them.
    QTRY_VERIFY2_WITH_TIMEOUT(Log(frame).endsWith("Disconnected.."), qPrintable(Log(frame).right(300)), 5000);
}

void TestShellRealServers::registerNickThenLogInWithIt()
{
    if (!RealIrcServer::Installed(Kind::InspircdWithServices)) QSKIP("inspircd or atheme is not installed");
    RealIrcServer server(Kind::InspircdWithServices);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    const auto timings = TimingsFor(Kind::InspircdWithServices);
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    AimFrame(frame, server);
    const QString nick = UniqueNick("reg");
    const QString password = "Secret" + nick.right(4);

    // Register through the login dialog's button, as a user would.
    QString reglog;
    RunConnect(frame, [&](LoginDialog& login) {
        QTimer::singleShot(0, &login, [&] {
            QPointer<RegistrationDialog> registration =
                qobject_cast<RegistrationDialog*>(QApplication::activeModalWidget());
            if (!registration) return;
            StartRegistration(registration, "Test User", nick + "@example.org", nick, password);
            if (!QTest::qWaitFor([&] { return !registration || !registration->Busy(); }, 20000) || !registration)
                return;
            reglog = RegistrationLog(registration)->toPlainText();
            registration->reject();
        });
        QTest::mouseClick(Button(&login, "registerButton"), Qt::LeftButton);
        login.reject();
    });
    // The welcome burst was drained into the registration's own log.
    QVERIFY2(reglog.contains(QStringLiteral(" 376 %1 :").arg(nick)), qPrintable(reglog));
    QVERIFY(!Log(frame).contains(" 376 "));
    QCOMPARE(prompts.Texts(),
             QStringList{"Nick registration sent to server, Please check the server response in log box."});
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    QVERIFY(Log(frame).endsWith("Disconnected.."));
    QVERIFY(!frame.Reader());

    // A registered login with it: the server takes SASL, so the password
    // goes there before registering and no identify request follows.
    prompts.records.clear();
    LogIn(frame, nick, password);
    QVERIFY2(prompts.records.isEmpty(), qPrintable(prompts.Texts().join('|')));
    QVERIFY(frame.Reader());
    QVERIFY(Log(frame).contains("AUTHENTICATE PLAIN ..."));
    QVERIFY(!Log(frame).contains("nickserv identify"));
    QVERIFY(!Log(frame).contains(password));
    QVERIFY(Log(frame).contains("You are now logged in as " + nick));
    QTRY_VERIFY_WITH_TIMEOUT(Log(frame).contains(QStringLiteral(" 251 %1 :There are").arg(nick)), 10000);

    Control<QAction>(frame, "connectAction")->trigger();
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    QVERIFY(Log(frame).endsWith("Disconnected.."));
}

void TestShellRealServers::refusedLoginNickInUse()
{
    if (!RealIrcServer::Installed(Kind::InspircdWithServices)) QSKIP("inspircd or atheme is not installed");
    RealIrcServer server(Kind::InspircdWithServices);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    const QString nick = UniqueNick("taken");
    TestIrcClient other;
    QVERIFY(other.Login(server.Port(), nick.toStdString()));
    const auto timings = TimingsFor(Kind::InspircdWithServices);
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    AimFrame(frame, server);

    LogIn(frame, nick);
    QCOMPARE(prompts.Texts(), QStringList{"Nick name is already in use."});
    QVERIFY(!frame.Reader());
    QVERIFY(!frame.Connection().Connected());
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    QVERIFY(Log(frame).contains(QStringLiteral(" 433 ")));
    QVERIFY(Log(frame).endsWith("Disconnected.."));
}

void TestShellRealServers::serverGoesAwayUnderLoggedInClient()
{
    if (!RealIrcServer::Installed(Kind::Ngircd)) QSKIP("ngircd is not installed");
    auto server = std::make_unique<RealIrcServer>(Kind::Ngircd);
    QVERIFY2(server->Ok(), qPrintable(server->Error()));
    const auto timings = TimingsFor(Kind::Ngircd);
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    frame.Keeper().SetAutomatic(false);  // the ending is what this test looks at
    AimFrame(frame, *server);
    LogIn(frame, UniqueNick("gone"));
    QVERIFY(frame.Reader());

    server.reset();  // the server stops and its connections close
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Not Connected"), 15000);
    QVERIFY(!frame.Reader());
    QVERIFY(Control<QComboBox>(frame, "serverBox")->isEnabled());
    QVERIFY(Log(frame).endsWith("Disconnected.."));
    QVERIFY(prompts.records.isEmpty());  // the log says it; no box
}

QTEST_MAIN(TestShellRealServers)
#include "tst_shell_real_servers.moc"
