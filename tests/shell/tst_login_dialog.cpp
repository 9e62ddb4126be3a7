// The login dialog driven against a scripted server: validation, the guest
// and registered exchanges, every refusal, PING answers, and servers that
// misbehave at each step.
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "side/room_list_window.h"
#include "support/login_rig.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QtTest>

#include <functional>

using Script = std::function<void(ScriptedServer&)>;
Q_DECLARE_METATYPE(Script)

namespace {

const QString kInUse = QStringLiteral("Nick name is already in use.");
const QString kRegistered = QStringLiteral("Nick name is registered.Please provide the password or change the nick.");

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

QStringList LogLines(MainWindow& frame) { return frame.Form4()->log->toPlainText().split(QLatin1Char('\n')); }

// The server side of a login that goes through.
void GoodLogin(ScriptedServer& s, const std::string& nick)
{
    s.Expect("user " + nick + " localhost localhost " + nick)
        .Expect("nick " + nick)
        .Send(":irc.test 001 " + nick + " :Welcome")
        .Send(":irc.test 376 " + nick + " :End of message of the day.");
}

}  // namespace

class TestLoginDialog : public QObject {
    Q_OBJECT
private slots:
    void controlsAtStart();
    void guestTickDisablesPassword();
    void validation_data();
    void validation();
    void guestLoginLogsTheExchange();
    void registeredLoginIdentifiesWithoutLoggingPassword();
    void refusals_data();
    void refusals();
    void pingAnsweredWithWholeToken_data();
    void pingAnsweredWithWholeToken();
    void late461IsNotARefusal();
    void secondTryOpensNewConnection();
    void connectFailures_data();
    void connectFailures();
    void misbehavingServers_data();
    void misbehavingServers();
    void largeGreetingsAreRead_data();
    void largeGreetingsAreRead();
    void windowKeepsServingTimersDuringTheExchange();
};

void TestLoginDialog::controlsAtStart()
{
    MainWindow frame;
    LoginDialog dialog(&frame);
    QCOMPARE(dialog.password->echoMode(), QLineEdit::Password);
    QCOMPARE(dialog.password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog.password),
             int('*'));
    QVERIFY(!dialog.CheckBox1->isChecked());
    for (QPushButton* b : {dialog.BitBtn1, dialog.BitBtn2, dialog.BitBtn3}) {
        QVERIFY2(!b->isDefault() && !b->autoDefault(), qPrintable(b->objectName()));  // Enter starts nothing
    }
}

void TestLoginDialog::guestTickDisablesPassword()
{
    MainWindow frame;
    LoginDialog dialog(&frame);
    dialog.password->setText("kept");
    dialog.CheckBox1->setChecked(true);
    QVERIFY(!dialog.password->isEnabled());
    QCOMPARE(dialog.password->palette().color(QPalette::Base), dialog.palette().color(QPalette::Button));
    dialog.CheckBox1->setChecked(false);
    QVERIFY(dialog.password->isEnabled());
    QCOMPARE(dialog.password->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(dialog.password->text(), QStringLiteral("kept"));
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
    QCOMPARE(rig.frame.Form4()->log->toPlainText(), QString());
    QTest::qWait(50);
    QCOMPARE(rig.server.Connections(), 0);
    QVERIFY(rig.dialog.isVisible());
}

void TestLoginDialog::guestLoginLogsTheExchange()
{
    LoginRig rig;
    const int gap = timing().greetingMs / 2;  // shorter than the silence that ends the greeting
    rig.server.Send(":irc.test NOTICE * :greeting one")
        .Pause(gap)
        .Send(":irc.test NOTICE * :greeting two")
        .Expect("user alice localhost localhost alice")
        .Send(":irc.test NOTICE alice :read after USER, not logged")
        .Expect("nick alice")
        .Send(":irc.test 001 alice :Welcome");
    rig.Fill("alice", "", true);  // a guest needs no password
    rig.ClickOk();

    QVERIFY2(rig.server.Done(), rig.server.Errors().empty() ? "" : rig.server.Errors().front().c_str());
    QVERIFY(rig.prompts.records.isEmpty());
    QVERIFY(rig.dialog.LoggedIn());
    QVERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(rig.frame.CurrentNick(), QStringLiteral("alice"));
    QVERIFY(rig.frame.connection_.Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Connected"));
    const QStringList expected{
        QStringLiteral("Trying to connect with 127.0.0.1 at port %1....").arg(rig.server.Port()),
        QStringLiteral("Connected to 127.0.0.1 port %1.").arg(rig.server.Port()),
        ":irc.test NOTICE * :greeting one",
        ":irc.test NOTICE * :greeting two",
        ":irc.test 001 alice :Welcome",
    };
    QCOMPARE(LogLines(rig.frame), expected);
    QCOMPARE(rig.server.Received(),
             (std::vector<std::string>{"user alice localhost localhost alice", "nick alice"}));
}

void TestLoginDialog::registeredLoginIdentifiesWithoutLoggingPassword()
{
    LoginRig rig;
    rig.server.Expect("user alice localhost localhost alice")
        .Expect("nick alice")
        .Send(":irc.test 001 alice :Welcome")
        // Not a refusal when logging in with a password.
        .Send(":NickServ!s@services NOTICE alice :This nick is owned by someone else. Please choose another.")
        .Expect("nickserv identify s3cret pass");
    rig.Fill("alice", "s3cret pass", false);
    rig.ClickOk();

    QVERIFY(rig.server.WaitDone(2000));
    QVERIFY(rig.dialog.LoggedIn());
    QVERIFY(rig.prompts.records.isEmpty());
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.last(), QStringLiteral("nickserv identify alice"));
    QVERIFY(!rig.frame.Form4()->log->toPlainText().contains("s3cret"));
    QVERIFY(!log.contains(":irc.test 001 alice :Welcome"));  // replies are not logged here
    QCOMPARE(rig.server.Received().back(), std::string("nickserv identify s3cret pass"));
}

void TestLoginDialog::refusals_data()
{
    QTest::addColumn<bool>("guest");
    QTest::addColumn<QString>("afterUser");
    QTest::addColumn<QString>("afterNick");
    QTest::addColumn<QString>("message");

    const QString none;
    QTest::newRow("461 to USER, guest") << true << ":irc.test 461 alice USER :Not enough parameters" << none
                                        << "Invalid nick";
    QTest::newRow("461 to USER, registered") << false << ":irc.test 461 alice USER :Not enough parameters" << none
                                             << "Invalid nick";
    QTest::newRow("guest 433") << true << none << ":irc.test 433 * alice :Nickname is already in use." << kInUse;
    QTest::newRow("guest 512") << true << none << ":irc.test 512 alice :Registered nick" << kRegistered;
    QTest::newRow("guest owned notice, any case")
        << true << none << ":NickServ!s@services NOTICE alice :This nickname IS OWNED BY SOMEONE ELSE. please CHOOSE another."
        << kRegistered;
    QTest::newRow("registered 433") << false << none << ":irc.test 433 * alice :Nickname is already in use." << kInUse;
    QTest::newRow("registered 464") << false << none << ":irc.test 464 alice :Password incorrect"
                                    << "Incorrect password.";
    QTest::newRow("registered 451") << false << none << ":irc.test 451 alice :You have not registered"
                                    << "Not registered. Login as a guest with this nick or register it first.";
}

void TestLoginDialog::refusals()
{
    QFETCH(bool, guest);
    QFETCH(QString, afterUser);
    QFETCH(QString, afterNick);
    QFETCH(QString, message);
    LoginRig rig;
    rig.server.Expect("user alice localhost localhost alice");
    if (!afterUser.isEmpty()) rig.server.Send(afterUser.toStdString());
    if (!afterNick.isEmpty()) rig.server.Expect("nick alice").Send(afterNick.toStdString());
    rig.server.AwaitClientClose();
    rig.Fill("alice", "pw", guest);
    rig.ClickOk();

    QCOMPARE(rig.prompts.Texts(), QStringList{message});
    QCOMPARE(rig.prompts.Kinds(), QStringList{"information"});
    QVERIFY(rig.server.WaitDone(2000));
    QVERIFY(!rig.dialog.LoggedIn());
    QVERIFY(rig.dialog.isVisible());
    QCOMPARE(rig.frame.CurrentNick(), QString());
    QVERIFY(!rig.frame.connection_.Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.last(), QStringLiteral("Disconnected.."));
    const QString refusal = afterUser.isEmpty() ? afterNick : afterUser;
    QCOMPARE(log.contains(refusal), guest || !afterUser.isEmpty());  // the registered exchange logs no replies
    QCOMPARE(rig.server.HasReceived("nick alice"), afterUser.isEmpty());
    QVERIFY(!rig.server.HasReceivedPrefix("nickserv"));
    QCOMPARE(rig.dialog.nick->text(), QStringLiteral("alice"));  // fields unchanged
}

void TestLoginDialog::pingAnsweredWithWholeToken_data()
{
    QTest::addColumn<bool>("guest");
    QTest::newRow("guest logs the answer") << true;
    QTest::newRow("registered does not") << false;
}

void TestLoginDialog::pingAnsweredWithWholeToken()
{
    QFETCH(bool, guest);
    LoginRig rig;
    rig.server.Expect("user bob localhost localhost bob").Expect("nick bob").Send("PING :tok12345").Expect("PONG :tok12345");
    rig.Fill("bob", "pw", guest);
    rig.ClickOk();
    QVERIFY(rig.server.WaitDone(2000));
    QVERIFY(rig.dialog.LoggedIn());
    const QStringList log = LogLines(rig.frame);
    QCOMPARE(log.contains("PING :tok12345"), guest);
    QCOMPARE(log.contains("PONG :tok12345"), guest);
}

void TestLoginDialog::late461IsNotARefusal()
{
    LoginRig rig;
    rig.server.Expect("user alice localhost localhost alice")
        .Pause(timing().replyMs + 100)
        .Send(":irc.test 461 alice USER :Not enough parameters")
        .Expect("nick alice");
    rig.Fill("alice", "", true);
    rig.ClickOk();
    QVERIFY(rig.server.WaitDone(2000));
    QVERIFY(rig.prompts.records.isEmpty());
    QVERIFY(rig.dialog.LoggedIn());
}

void TestLoginDialog::secondTryOpensNewConnection()
{
    LoginRig rig;
    rig.server.Expect("user alice localhost localhost alice")
        .Expect("nick alice")
        .Send(":irc.test 433 * alice :Nickname is already in use.")
        .AwaitClientClose();
    GoodLogin(rig.server, "alice");
    rig.Fill("alice", "", true);
    rig.ClickOk();
    QCOMPARE(rig.prompts.Texts(), QStringList{kInUse});
    rig.ClickOk();
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
    rig.frame.connection_.SetHost(host.toStdString());
    rig.frame.connection_.SetPort(port);
    rig.Fill("alice", "", true);
    rig.ClickOk();

    QCOMPARE(rig.prompts.Kinds(), QStringList{"error"});
    QVERIFY2(rig.prompts.Texts().first().contains(errorPart), qPrintable(rig.prompts.Texts().first()));
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Trying to connect with %1 at port %2....").arg(host).arg(port));
    QVERIFY(rig.dialog.isVisible());
    QVERIFY(!rig.frame.connection_.Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
}

void TestLoginDialog::misbehavingServers_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("closes at once") << Script([](ScriptedServer& s) { s.Close(); }) << "closed";
    QTest::newRow("closes during greeting")
        << Script([](ScriptedServer& s) { s.Send(":irc.test NOTICE * :hello").Close(); }) << "closed";
    QTest::newRow("closes after USER")
        << Script([](ScriptedServer& s) { s.Expect("user alice localhost localhost alice").Close(); }) << "closed";
    QTest::newRow("closes after NICK")
        << Script([](ScriptedServer& s) { s.Expect("nick alice").SendRaw(":irc.test 001 al").Close(); }) << "closed";
    QTest::newRow("unparsable numeric")
        << Script([](ScriptedServer& s) { s.Expect("user alice localhost localhost alice").Send(":irc.test 123abc x"); })
        << "123abc";
    QTest::newRow("unparsable numeric with a line separator")
        << Script([](ScriptedServer& s) {
               s.Expect("user alice localhost localhost alice").Send(":irc.test 123\xe2\x80\xa8" "abc x");
           })
        << "'123 abc'";
    QTest::newRow("10 MB line") << Script([](ScriptedServer& s) { s.SendBulk(std::string(1 << 20, 'x'), 10); })
                                << "longer than 16384";
}

void TestLoginDialog::misbehavingServers()
{
    QFETCH(Script, script);
    QFETCH(QString, errorPart);
    const int socketsBefore = OpenSockets();
    {
    LoginRig rig;
    script(rig.server);
    rig.Fill("alice", "", true);
    rig.ClickOk();

    QCOMPARE(rig.prompts.Kinds(), QStringList{"error"});
    QVERIFY2(rig.prompts.Texts().first().contains(errorPart), qPrintable(rig.prompts.Texts().first()));
    QVERIFY(rig.dialog.isVisible());
    QVERIFY(!rig.dialog.LoggedIn());
    QVERIFY(!rig.frame.connection_.Connected());
    QCOMPARE(rig.Status(), QStringLiteral("Not Connected"));
    QCOMPARE(LogLines(rig.frame).last(), QStringLiteral("Disconnected.."));

    // Still usable: the next try logs in on a fresh connection.
    ScriptedServer good;
    GoodLogin(good, "alice");
    rig.frame.connection_.SetPort(good.Port());
    rig.prompts.records.clear();
    rig.ClickOk();
    QVERIFY(rig.prompts.records.isEmpty());
    QVERIFY(rig.dialog.LoggedIn());
    QVERIFY(good.WaitDone(2000));
    }
    QCOMPARE(OpenSockets(), socketsBefore);  // every socket of the failed tries is closed
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
    rig.Fill("alice", "", true);
    rig.ClickOk();
    QVERIFY(rig.prompts.records.isEmpty());
    QVERIFY(rig.dialog.LoggedIn());
    QCOMPARE(rig.frame.Form4()->log->blockCount(), 2 + lines + 2);  // trying, connected, greeting, two replies
}

void TestLoginDialog::windowKeepsServingTimersDuringTheExchange()
{
    LoginRig rig;
    timing().greetingMs = 300;
    rig.server.Expect("user alice localhost localhost alice")
        .Expect("nick alice")
        .Send(":irc.test 433 * alice :Nickname is already in use.");
    int ticks = 0;
    QString statusDuringLogin;
    bool okEnabled = true;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks != 3) return;
        statusDuringLogin = rig.Status();
        okEnabled = rig.dialog.BitBtn1->isEnabled() || rig.dialog.nick->isEnabled();
    });
    ticker.start();
    rig.Fill("alice", "", true);
    rig.ClickOk();
    ticker.stop();

    QVERIFY(ticks >= 3);
    QCOMPARE(statusDuringLogin, QStringLiteral("Connected"));
    QVERIFY(!okEnabled);  // only Cancel works while the exchange runs
    QVERIFY(rig.dialog.isVisible());
    QCOMPARE(rig.prompts.Texts(), QStringList{kInUse});
    QVERIFY(rig.dialog.BitBtn1->isEnabled());
    QVERIFY(rig.dialog.nick->isEnabled());
    QVERIFY(!rig.dialog.password->isEnabled());  // still a guest
    QTest::mouseClick(rig.dialog.BitBtn2, Qt::LeftButton);
    QVERIFY(!rig.dialog.isVisible());
}

QTEST_MAIN(TestLoginDialog)
#include "tst_login_dialog.moc"
