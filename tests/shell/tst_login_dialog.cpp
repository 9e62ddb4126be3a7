// The login dialog driven against a scripted server: validation, the guest
// and registered logins, every refusal, PING, servers that misbehave at each
// step, and a window that shows the login while it happens.
#include "transcript/transcript_view.h"
#include "shell/login_dialog.h"
#include "support/window_controls.h"
#include "shell/main_window.h"
#include "side/room_list_window.h"
#include "support/login_rig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTimer>
#include <QtTest>

#include <functional>

using Script = std::function<void(ScriptedServer&)>;
Q_DECLARE_METATYPE(Script)

namespace {

const QString kInUse = QStringLiteral("Nick name is already in use.");
const QString kRegistered = QStringLiteral("Nick name is registered.Please provide the password or change the nick.");
const std::string kUser = "user alice localhost localhost alice";

int OpenSockets()
{
    int n = 0;
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::NoDotAndDotDot | QDir::System))
        if (fd.symLinkTarget().contains("socket:")) ++n;
    return n;
}

// The box that refuses a nick, with the reason in a few words.
QString Refused(const char* why)
{
    return QStringLiteral("This nick name cannot be used: %1.\n"
                          "A nick name may not hold spaces, commas or control characters, "
                          "nor start with \"#\", \":\" or a digit.")
        .arg(QLatin1String(why));
}

QStringList LogLines(MainWindow& frame) { return Control<TranscriptView>(frame, "serverLog")->toPlainText().split(QLatin1Char('\n')); }

// The server side of a login that goes through.
void GoodLogin(ScriptedServer& s, const std::string& nick)
{
    s.Expect("user " + nick + " localhost localhost " + nick)
        .Expect("nick " + nick)
        .Send(":irc.test 001 " + nick + " :Welcome")
        .Send(":irc.test 376 " + nick + " :End of message of the day.");
}

// Lines every 50 ms for half a minute: a server that never falls silent.
void Trickle(ScriptedServer& s)
{
    for (int i = 0; i < 600; ++i) s.Send(":irc.test NOTICE * :still talking").Pause(50);
}

}  // namespace

class TestLoginDialog : public QObject {
    Q_OBJECT
private slots:
    void controlsAtStart();
    void guestTickDisablesPassword();
    void validation_data();
    void validation();
    void guestLoginLogsTheExchangeWithoutWaiting();
    void registeredLoginIdentifiesAfterTheWelcome();
    void refusals_data();
    void refusals();
    void pingAnsweredByTheReader_data();
    void pingAnsweredByTheReader();
    void secondTryOpensNewConnection();
    void connectFailures_data();
    void connectFailures();
    void misbehavingServers_data();
    void misbehavingServers();
    void largeGreetingsAreRead_data();
    void largeGreetingsAreRead();
    void windowShowsTheLoginWhileItHappens();
    void nextLoginRemembersNickAndGuestBox_data();
    void nextLoginRemembersNickAndGuestBox();
};

void TestLoginDialog::controlsAtStart()
{
    MainWindow frame;
    LoginDialog dialog(&frame);
    QLineEdit* password = Field(&dialog, "passwordEdit");
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password), int('*'));
    QVERIFY(!GuestBox(&dialog)->isChecked());
    for (const char* name : {"okButton", "cancelButton", "registerButton"}) {
        QPushButton* b = Button(&dialog, name);
        QVERIFY2(b && !b->isDefault() && !b->autoDefault(), name);  // Enter starts nothing
    }
}

void TestLoginDialog::guestTickDisablesPassword()
{
    MainWindow frame;
    LoginDialog dialog(&frame);
    QLineEdit* password = Field(&dialog, "passwordEdit");
    password->setText("kept");
    GuestBox(&dialog)->setChecked(true);
    QVERIFY(!password->isEnabled());
    QCOMPARE(password->palette().color(QPalette::Base), dialog.palette().color(QPalette::Button));
    GuestBox(&dialog)->setChecked(false);
    QVERIFY(password->isEnabled());
    QCOMPARE(password->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(password->text(), QStringLiteral("kept"));
}

void TestLoginDialog::validation_data()
{
    QTest::addColumn<QString>("nick");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("guest");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty nick wins over empty password") << "" << "" << false << "Please enter a nick name.";
    QTest::newRow("empty nick, guest") << "" << "pw" << true << "Please enter a nick name.";
    QTest::newRow("registered without password") << "alice" << "" << false << "Please enter a password.";
    QTest::newRow("space in the nick") << "al ice" << "pw" << false << Refused("it holds a space");
    QTest::newRow("bad nick wins over empty password") << "a,b" << "" << false << Refused("it holds a comma");
    QTest::newRow("control byte") << "\x02" "alice" << "" << true << Refused("it holds a control character");
    QTest::newRow("digit first") << "4alice" << "" << true << Refused("it starts with a digit");
}

void TestLoginDialog::validation()
{
    QFETCH(QString, nick);
    QFETCH(QString, password);
    QFETCH(bool, guest);
    QFETCH(QString, message);
    LoginRig rig;
    rig.Fill(nick, password, guest);
    rig.ClickOk();
    QCOMPARE(rig.prompts.Texts(), QStringList{message});
    QCOMPARE(rig.prompts.Kinds(), QStringList{"information"});
    QCOMPARE(Control<TranscriptView>(rig.frame, "serverLog")->toPlainText(), QString());
    QVERIFY(!rig.dialog.Busy());
    QTest::qWait(50);
    QCOMPARE(rig.server.Connections(), 0);
    QVERIFY(rig.dialog.isVisible());
}

void TestLoginDialog::guestLoginLogsTheExchangeWithoutWaiting()
{
    LoginRig rig(10000, 10000);  // silences far longer than the login may take
    rig.server.Send(":irc.test NOTICE * :greeting one")
        .Expect("CAP LS 302")
        .Expect(kUser)
        .Expect("nick alice")
        .Send(":irc.test NOTICE * :greeting two")
        .Send(":irc.test CAP * LS :multi-prefix")
        .Expect("CAP END")
        .Send(":irc.test 001 alice :Welcome")
        .Send(":irc.test 376 alice :End of message of the day.");
    rig.Fill("alice", "", true);  // a guest needs no password
    QElapsedTimer clock;
    clock.start();
    QVERIFY(rig.LogIn());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));

    QVERIFY2(rig.server.Done(), rig.server.Errors().empty() ? "" : rig.server.Errors().front().c_str());
    QVERIFY(rig.prompts.records.isEmpty());
    QVERIFY(rig.dialog.LoggedIn());
    QVERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(rig.frame.CurrentNick(), QStringLiteral("alice"));
    QVERIFY(rig.frame.Connection().Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Connected"));
    const QStringList expected{
        QStringLiteral("Trying to connect with 127.0.0.1 at port %1....").arg(rig.server.Port()),
        QStringLiteral("Connected to 127.0.0.1 port %1.").arg(rig.server.Port()),
        ":irc.test NOTICE * :greeting one",
        ":irc.test NOTICE * :greeting two",
        ":irc.test CAP * LS :multi-prefix",
        ":irc.test 001 alice :Welcome",
        ":irc.test 376 alice :End of message of the day.",
    };
    QCOMPARE(LogLines(rig.frame), expected);
    QCOMPARE(rig.server.Received(), (std::vector<std::string>{"CAP LS 302", kUser, "nick alice", "CAP END"}));
}

void TestLoginDialog::registeredLoginIdentifiesAfterTheWelcome()
{
    LoginRig rig;
    rig.server.Expect(kUser)
        .Send(":irc.test NOTICE * :greeting")
        // Not a refusal when logging in with a password.
        .Send(":NickServ!s@services NOTICE alice :This nick is owned by someone else. Please choose another.")
        .Pause(100);
    rig.Fill("alice", "s3cret pass", false);
    rig.ClickOk();
    QTRY_VERIFY(rig.server.Done());
    QTest::qWait(50);
    QVERIFY(rig.dialog.Busy());
    QVERIFY(!rig.server.HasReceivedPrefix("nickserv"));  // not before the welcome
    rig.server.Send(":irc.test 001 alice :Welcome").Expect("nickserv identify s3cret pass")
        .Send(":irc.test 376 alice :End of message of the day.");
    QVERIFY(QTest::qWaitFor([&] { return !rig.dialog.Busy(); }, 3000));

    QVERIFY(rig.server.WaitDone(2000));
    QVERIFY(rig.dialog.LoggedIn());
    QVERIFY(rig.prompts.records.isEmpty());
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.last(), QStringLiteral("nickserv identify alice"));
    QVERIFY(log.contains(":irc.test NOTICE * :greeting"));
    QVERIFY(!Control<TranscriptView>(rig.frame, "serverLog")->toPlainText().contains("s3cret"));
    QVERIFY(!log.contains(":irc.test 376 alice :End of message of the day."));  // replies after the welcome are not logged
    QCOMPARE(rig.server.Received().back(), std::string("nickserv identify s3cret pass"));
}

void TestLoginDialog::refusals_data()
{
    QTest::addColumn<bool>("guest");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("message");

    QTest::newRow("461 to USER, guest") << true << ":irc.test 461 alice USER :Not enough parameters" << "Invalid nick";
    QTest::newRow("461 to USER, registered") << false << ":irc.test 461 alice USER :Not enough parameters"
                                             << "Invalid nick";
    QTest::newRow("guest 433") << true << ":irc.test 433 * alice :Nickname is already in use." << kInUse;
    QTest::newRow("guest 512") << true << ":irc.test 512 alice :Registered nick" << kRegistered;
    QTest::newRow("guest owned notice, any case")
        << true << ":NickServ!s@services NOTICE alice :This nickname IS OWNED BY SOMEONE ELSE. please CHOOSE another."
        << kRegistered;
    QTest::newRow("registered 433") << false << ":irc.test 433 * alice :Nickname is already in use." << kInUse;
    QTest::newRow("registered 464") << false << ":irc.test 464 alice :Password incorrect" << "Incorrect password.";
    QTest::newRow("registered 451") << false << ":irc.test 451 alice :You have not registered"
                                    << "Not registered. Login as a guest with this nick or register it first.";
}

void TestLoginDialog::refusals()
{
    QFETCH(bool, guest);
    QFETCH(QString, reply);
    QFETCH(QString, message);
    LoginRig rig;
    rig.server.Expect(kUser).Send(reply.toStdString()).AwaitClientClose();
    rig.Fill("alice", "pw", guest);
    QVERIFY(rig.LogIn());

    QCOMPARE(rig.prompts.Texts(), QStringList{message});
    QCOMPARE(rig.prompts.Kinds(), QStringList{"information"});
    QVERIFY(rig.server.WaitDone(2000));
    QVERIFY(!rig.dialog.LoggedIn());
    QVERIFY(rig.dialog.isVisible());
    QCOMPARE(rig.frame.CurrentNick(), QString());
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.last(), QStringLiteral("Disconnected.."));
    QVERIFY(log.contains(reply));
    QVERIFY(!rig.server.HasReceivedPrefix("nickserv"));
    QCOMPARE(rig.Nick()->text(), QStringLiteral("alice"));  // fields unchanged
    QVERIFY(rig.Ok()->isEnabled());
}

void TestLoginDialog::pingAnsweredByTheReader_data()
{
    QTest::addColumn<bool>("guest");
    QTest::newRow("guest logs the answer") << true;
    QTest::newRow("registered does not") << false;
}

void TestLoginDialog::pingAnsweredByTheReader()
{
    QFETCH(bool, guest);
    LoginRig rig;
    rig.server.Expect("user bob localhost localhost bob")
        .Send("PING :tok12345")
        .Expect("PONG :tok12345")
        .Send(":irc.test 001 bob :Welcome")
        .Send(":irc.test 422 bob :MOTD File is missing");
    rig.Fill("bob", "pw", guest);
    QVERIFY(rig.LogIn());
    QVERIFY(rig.server.WaitDone(2000));
    QVERIFY(rig.dialog.LoggedIn());
    const std::vector<std::string> received = rig.server.Received();
    QCOMPARE(std::count(received.begin(), received.end(), std::string("PONG :tok12345")), 1);  // one answer
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.contains("PING :tok12345"), guest);
    QCOMPARE(log.contains("PONG :tok12345"), guest);
}

void TestLoginDialog::secondTryOpensNewConnection()
{
    LoginRig rig;
    rig.server.Expect(kUser).Send(":irc.test 433 * alice :Nickname is already in use.").AwaitClientClose();
    GoodLogin(rig.server, "alice");
    rig.Fill("alice", "", true);
    QVERIFY(rig.LogIn());
    QCOMPARE(rig.prompts.Texts(), QStringList{kInUse});
    QVERIFY(rig.LogIn());
    QVERIFY(rig.server.WaitDone(2000));
    QCOMPARE(rig.server.Connections(), 2);
    QVERIFY(rig.dialog.LoggedIn());
    QCOMPARE(LogLines(rig.frame).count(QStringLiteral("Connected to 127.0.0.1 port %1.").arg(rig.server.Port())), 2);
}

void TestLoginDialog::connectFailures_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("closedPort");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("refused") << "127.0.0.1" << true << "Connection refused";
    QTest::newRow("unresolvable") << "no-such-host.invalid" << false << "Cannot resolve host no-such-host.invalid";
    QTest::newRow("empty name") << "" << false << "No host name";
}

void TestLoginDialog::connectFailures()
{
    QFETCH(QString, host);
    QFETCH(bool, closedPort);
    QFETCH(QString, errorPart);
    LoginRig rig;
    int port = rig.server.Port();
    if (closedPort) {
        ScriptedServer gone;  // a port that nobody listens on once it is destroyed
        port = gone.Port();
    }
    rig.frame.Connection().SetHost(host.toStdString());
    rig.frame.Connection().SetPort(port);
    rig.Fill("alice", "", true);
    QVERIFY(rig.LogIn(15000));

    QCOMPARE(rig.prompts.Kinds(), QStringList{"error"});
    QVERIFY2(rig.prompts.Texts().first().contains(errorPart), qPrintable(rig.prompts.Texts().first()));
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Trying to connect with %1 at port %2....").arg(host).arg(port));
    QVERIFY(rig.dialog.isVisible());
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
}

void TestLoginDialog::misbehavingServers_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("closes at once") << Script([](ScriptedServer& s) { s.Close(); }) << "closed";
    QTest::newRow("closes during greeting")
        << Script([](ScriptedServer& s) { s.Send(":irc.test NOTICE * :hello").Close(); }) << "closed";
    QTest::newRow("closes after USER") << Script([](ScriptedServer& s) { s.Expect(kUser).Close(); }) << "closed";
    QTest::newRow("closes after the welcome")
        << Script([](ScriptedServer& s) { s.Expect(kUser).Send(":irc.test 001 alice :Welcome").SendRaw(":irc.test 3").Close(); })
        << "closed";
    QTest::newRow("never welcomes")
        << Script([](ScriptedServer& s) { s.Expect(kUser).Send(":irc.test NOTICE * :hold on"); })
        << "did not welcome the login within 2 seconds";
    QTest::newRow("welcomes but never pauses")
        << Script([](ScriptedServer& s) {
               s.Expect(kUser).Send(":irc.test 001 alice :Welcome");
               Trickle(s);
           })
        << "it went on for 3 seconds without a pause";
    QTest::newRow("10 MB line") << Script([](ScriptedServer& s) { s.SendBulk(std::string(1 << 20, 'x'), 10); })
                                << "longer than 16384";
}

void TestLoginDialog::misbehavingServers()
{
    QFETCH(Script, script);
    QFETCH(QString, errorPart);
    const int socketsBefore = OpenSockets();
    {
    LoginRig rig(1000);
    script(rig.server);
    rig.Fill("alice", "pw", false);
    bool everConnected = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] { everConnected = everConnected || rig.Status() == "Connected"; });
    watch.start(10);
    QVERIFY(rig.LogIn(10000));

    QCOMPARE(rig.prompts.Kinds(), QStringList{"error"});
    QVERIFY2(rig.prompts.Texts().first().contains(errorPart), qPrintable(rig.prompts.Texts().first()));
    QVERIFY(rig.dialog.isVisible());
    QVERIFY(!rig.dialog.LoggedIn());
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Disconnected.."));
    // Nothing of a login happens before the server's welcome.
    if (errorPart.contains("welcome")) {
        QVERIFY(!everConnected);
        QVERIFY(!rig.server.HasReceivedPrefix("nickserv"));
    }

    // Still usable: the next try logs in on a fresh connection.
    ScriptedServer good;
    GoodLogin(good, "alice");
    rig.frame.Connection().SetPort(good.Port());
    rig.prompts.records.clear();
    QVERIFY(rig.LogIn());
    QVERIFY(rig.prompts.records.isEmpty());
    QVERIFY(rig.dialog.LoggedIn());
    QVERIFY(good.WaitDone(2000));
    }
    QTRY_COMPARE(OpenSockets(), socketsBefore);  // every socket of the failed tries is closed
}

void TestLoginDialog::largeGreetingsAreRead_data()
{
    QTest::addColumn<int>("lineLength");
    QTest::addColumn<int>("lines");
    QTest::newRow("10 MB in 10 kB lines") << 10000 << 1000;
    QTest::newRow("1 MB in short lines") << 100 << 10000;
    QTest::newRow("control and high bytes") << 0 << 1;
}

void TestLoginDialog::largeGreetingsAreRead()
{
    QFETCH(int, lineLength);
    QFETCH(int, lines);
    LoginRig rig;
    using namespace std::string_literals;
    const std::string line = lineLength ? ":irc.test NOTICE * :" + std::string(lineLength, 'g')
                                        : ":irc.test NOTICE * :\x01\x02\x00\xff\xfe bytes"s;
    rig.server.SendBulk(line + "\r\n", lines);
    GoodLogin(rig.server, "alice");
    timing().welcomeLimitMs = 20000;  // 10 MB before the welcome take a while on a busy machine
    rig.Fill("alice", "", true);
    QVERIFY(rig.LogIn(20000));
    QVERIFY2(rig.prompts.records.isEmpty(), qPrintable(rig.prompts.Texts().join('|')));
    QVERIFY(rig.dialog.LoggedIn());
    QCOMPARE(Control<TranscriptView>(rig.frame, "serverLog")->Store().Count(), 2 + lines + 2);  // trying, connected, greeting, welcome, end
}

void TestLoginDialog::windowShowsTheLoginWhileItHappens()
{
    LoginRig rig;
    rig.server.Expect(kUser).Pause(300).Send(":irc.test 433 * alice :Nickname is already in use.");
    int ticks = 0;
    QString statusDuringLogin;
    QString progressDuringLogin;
    bool fieldsEnabled = true;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks != 5) return;
        statusDuringLogin = rig.Status();
        progressDuringLogin = rig.Progress();
        fieldsEnabled = rig.Ok()->isEnabled() || rig.Nick()->isEnabled();
    });
    ticker.start();
    rig.Fill("alice", "", true);
    QVERIFY(rig.LogIn());
    ticker.stop();

    QVERIFY(ticks >= 5);
    QCOMPARE(statusDuringLogin, QStringLiteral("Not Connected"));  // not before the welcome
    QCOMPARE(progressDuringLogin, QStringLiteral("Logging in..."));
    QVERIFY(!fieldsEnabled);  // only Cancel works while the login runs
    QVERIFY(rig.dialog.isVisible());
    QCOMPARE(rig.prompts.Texts(), QStringList{kInUse});
    QVERIFY(rig.Ok()->isEnabled());
    QVERIFY(rig.Nick()->isEnabled());
    QVERIFY(!rig.Password()->isEnabled());  // still a guest
    QCOMPARE(rig.Progress(), QString());
    QTest::mouseClick(rig.Cancel(), Qt::LeftButton);
    QVERIFY(!rig.dialog.isVisible());
}

QTEST_MAIN(TestLoginDialog)
void TestLoginDialog::nextLoginRemembersNickAndGuestBox_data()
{
    QTest::addColumn<bool>("guest");
    QTest::addColumn<QString>("aim");  // the next login's server: "same", "other port", "other host"
    QTest::addColumn<QString>("nick");  // the next dialog's nick
    QTest::newRow("guest, same server") << true << "same" << "dora";
    QTest::newRow("registered, same server") << false << "same" << "dora";
    QTest::newRow("other port") << true << "other port" << "";
    QTest::newRow("other host") << true << "other host" << "";
}

void TestLoginDialog::nextLoginRemembersNickAndGuestBox()
{
    QFETCH(bool, guest);
    QFETCH(QString, aim);
    QFETCH(QString, nick);
    LoginRig rig;
    rig.Fill(QStringLiteral("dora"), guest ? QString() : QStringLiteral("sesame"), guest);
    rig.ClickOk();
    rig.dialog.Abandon();
    if (aim == QLatin1String("other port")) rig.frame.Connection().SetPort(rig.server.Port() + 1);
    if (aim == QLatin1String("other host")) rig.frame.Connection().SetHost("127.0.0.2");
    LoginDialog next(&rig.frame);
    next.SetConnection(&rig.frame.Connection());
    QCOMPARE(Field(&next, "nickEdit")->text(), nick);
    QCOMPARE(GuestBox(&next)->isChecked(), !nick.isEmpty() && guest);
    QVERIFY(Field(&next, "passwordEdit")->text().isEmpty());  // never remembered
}

#include "tst_login_dialog.moc"
