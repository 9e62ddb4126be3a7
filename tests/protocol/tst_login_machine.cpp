// The login machine step by step: what goes out at once, each answer the
// server may give and each silence, and every way a login ends.
#include "protocol/irc/login_machine.h"
#include "protocol/irc/sent_lines.h"
#include "support/machine_script.h"

#include <QtTest>

Q_DECLARE_METATYPE(ExchangeStep::Ending)

namespace {

using Ending = ExchangeStep::Ending;

const QString kPassword = QStringLiteral("s3cret pass");
const QStringList kOpening{"CAP LS 302", "user alice localhost localhost alice", "nick alice"};
const QString kCapEnd = QStringLiteral("CAP END");
const QString kIdentify = QStringLiteral("nickserv identify s3cret pass");
const QString kWelcome = QStringLiteral("<:irc.test 001 alice :Welcome");
const QString kEndOfMotd = QStringLiteral("<:irc.test 376 alice :End of message of the day.");
const QString kNoSasl = QStringLiteral("<:irc.test CAP * LS :multi-prefix");

QString Credentials()
{
    return QString::fromStdString(sent::AuthenticateCredentialLines("alice", kPassword.toStdString()).front());
}

}  // namespace

class TestLoginMachine : public QObject {
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
};

void TestLoginMachine::steps_data()
{
    QTest::addColumn<bool>("guest");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("sent");  // after the opening lines
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("welcomed");
    QTest::addColumn<QString>("logged");  // a line the log must hold; empty: none to check
    QTest::addColumn<QString>("unlogged");  // a text no logged line may hold; empty: none to check

    const QStringList none;
    const QString inUse = "Nick name is already in use.";
    const QString registered = "Nick name is registered.Please provide the password or change the nick.";
    const QString incorrect = "Incorrect password.";

    QTest::newRow("guest: welcome, end of greeting")
        << true << QStringList{kNoSasl, kWelcome, kEndOfMotd} << QStringList{kCapEnd} << Ending::Done << "" << true
        << ":irc.test 376 alice :End of message of the day." << "";
    QTest::newRow("guest: no message of the day")
        << true << QStringList{kNoSasl, kWelcome, "<:irc.test 422 alice :MOTD File is missing"} << QStringList{kCapEnd}
        << Ending::Done << "" << true << "" << "";
    QTest::newRow("guest: a silence ends a greeting without an end line")
        << true << QStringList{kNoSasl, kWelcome, "<:irc.test 375 alice :- motd", "+3000"} << QStringList{kCapEnd}
        << Ending::Done << "" << true << "" << "";
    QTest::newRow("guest: a shorter pause is no end")
        << true << QStringList{kNoSasl, kWelcome, "+2999", "<:irc.test 372 alice :- more", "+2999"}
        << QStringList{kCapEnd} << Ending::None << "" << true << ":irc.test 372 alice :- more" << "";
    QTest::newRow("guest: 433 before the welcome")
        << true << QStringList{"<:irc.test 433 * alice :Nickname is already in use."} << none << Ending::Refused
        << inUse << false << ":irc.test 433 * alice :Nickname is already in use." << "";
    QTest::newRow("guest: 433 after the welcome is no refusal")
        << true << QStringList{kWelcome, "<:irc.test 433 alice x :in use", kEndOfMotd} << none << Ending::Done << ""
        << true << "" << "";
    QTest::newRow("guest: 512") << true << QStringList{"<:irc.test 512 alice :Registered nick"} << none
                                << Ending::Refused << registered << false << "" << "";
    QTest::newRow("guest: owned notice, any case")
        << true << QStringList{"<:NickServ!s@services NOTICE alice :This nick IS OWNED BY SOMEONE ELSE. please CHOOSE another."}
        << none << Ending::Refused << registered << false << "" << "";
    QTest::newRow("guest: 461 to USER")
        << true << QStringList{"<:irc.test 461 alice USER :Not enough parameters"} << none << Ending::Refused
        << "Invalid nick" << false << "" << "";
    QTest::newRow("guest: keep-alive logged with its answer, which the reader sent")
        << true << QStringList{"<PING :tok12345", kWelcome} << none << Ending::None << "" << true << "PONG :tok12345"
        << "";
    QTest::newRow("guest: a silent CAP talk ends with CAP END")
        << true << QStringList{"+1999", "<:irc.test NOTICE * :*** Looking up your hostname", "+2000"}
        << QStringList{kCapEnd} << Ending::None << "" << false << "" << "";
    QTest::newRow("guest: a long greeting is no capability list")
        << true << QStringList{"~250x0 :irc.test NOTICE * :hello", kNoSasl} << QStringList{kCapEnd} << Ending::None
        << "" << false << ":irc.test CAP * LS :multi-prefix" << "too long";
    QTest::newRow("guest: a server without CAP")
        << true << QStringList{"<:irc.test 421 * CAP :Unknown command", kWelcome, kEndOfMotd} << none << Ending::Done
        << "" << true << "" << "";

    QTest::newRow("registered: SASL, no identify")
        << false
        << QStringList{"<:irc.test CAP * LS :multi-prefix sasl", "<:irc.test CAP * ACK :sasl", "<AUTHENTICATE +",
                       "<:irc.test 903 alice :SASL authentication successful", kWelcome, kEndOfMotd}
        << QStringList{"CAP REQ :sasl", "AUTHENTICATE PLAIN", Credentials(), kCapEnd} << Ending::Done << "" << true
        << "AUTHENTICATE PLAIN ..." << kPassword;
    QTest::newRow("registered: SASL 904")
        << false
        << QStringList{"<:irc.test CAP * LS :sasl", "<:irc.test CAP * ACK :sasl", "<AUTHENTICATE +",
                       "<:irc.test 904 alice :SASL authentication failed"}
        << QStringList{"CAP REQ :sasl", "AUTHENTICATE PLAIN", Credentials(), kCapEnd} << Ending::Refused << incorrect
        << false << "" << kPassword;
    QTest::newRow("registered: identify after the welcome, log shows the nick")
        << false << QStringList{kNoSasl, kWelcome, kEndOfMotd} << QStringList{kCapEnd, kIdentify} << Ending::Done << ""
        << true << "nickserv identify alice" << kPassword;
    QTest::newRow("registered: 464")
        << false << QStringList{kNoSasl, "<:irc.test 464 alice :Password incorrect"} << QStringList{kCapEnd}
        << Ending::Refused << incorrect << false << "" << "";
    QTest::newRow("registered: 433") << false << QStringList{"<:irc.test 433 * alice :in use"} << none
                                     << Ending::Refused << inUse << false << "" << "";
    QTest::newRow("registered: 451")
        << false << QStringList{kNoSasl, "<:irc.test 451 alice :You have not registered"} << QStringList{kCapEnd}
        << Ending::Refused << "Not registered. Login as a guest with this nick or register it first." << false << ""
        << "";
    QTest::newRow("registered: 451 to CAP is no refusal")
        << false << QStringList{"<:irc.test 451 * CAP :You have not registered", kWelcome} << QStringList{kIdentify}
        << Ending::None << "" << true << "" << "";
    QTest::newRow("registered: owned notice is no refusal")
        << false << QStringList{kNoSasl, "<:NickServ!s@services NOTICE alice :is owned by someone else. Please choose another", kWelcome}
        << QStringList{kCapEnd, kIdentify} << Ending::None << "" << true << "" << "";

    QTest::newRow("no welcome within the limit: nothing more is sent")
        << false << QStringList{kNoSasl, "+29999", "<:irc.test NOTICE * :still here", "+1"} << QStringList{kCapEnd}
        << Ending::Failed
        << "The server did not welcome the login within 30 seconds, so the connection was closed." << false << ""
        << "nickserv";
    QTest::newRow("a greeting that never pauses")
        << true << QStringList{kWelcome, "~61x1000 :irc.test 372 alice :- more"} << none << Ending::Failed
        << "The server did not stop sending: it went on for 60 seconds without a pause, so the connection was closed."
        << true << "" << "";
    QTest::newRow("server closes before the welcome")
        << false << QStringList{"close"} << none << Ending::Failed << "Connection closed." << false << "" << "";
    QTest::newRow("server closes after the welcome")
        << true << QStringList{kWelcome, "close"} << none << Ending::Failed << "Connection closed." << true << "" << "";
    QTest::newRow("nothing after the ending")
        << true << QStringList{"<:irc.test 433 * alice :in use", kWelcome, "+5000", "close"} << none
        << Ending::Refused << inUse << false << "" << "Welcome";
}

void TestLoginMachine::steps()
{
    QFETCH(bool, guest);
    QFETCH(QStringList, script);
    QFETCH(QStringList, sent);
    QFETCH(Ending, ending);
    QFETCH(QString, message);
    QFETCH(bool, welcomed);
    QFETCH(QString, logged);
    QFETCH(QString, unlogged);

    LoginMachine::Settings settings;
    settings.nick = "alice";
    settings.password = kPassword.toStdString();
    settings.guest = guest;
    LoginMachine machine(settings);
    const MachineRun run = RunScript(machine, script);

    QCOMPARE(run.sent, kOpening + sent);
    QCOMPARE(run.ending, ending);
    QCOMPARE(run.message, message);
    QCOMPARE(run.welcomed, welcomed);
    QCOMPARE(machine.Over(), ending != Ending::None);
    QCOMPARE(machine.NextDeadline().has_value(), ending == Ending::None);
    if (!logged.isEmpty()) QVERIFY2(run.logged.contains(logged), qPrintable(run.logged.join('\n')));
    if (!unlogged.isEmpty())
        for (const QString& line : run.logged) QVERIFY2(!line.contains(unlogged), qPrintable(line));
}

QTEST_APPLESS_MAIN(TestLoginMachine)
#include "tst_login_machine.moc"
