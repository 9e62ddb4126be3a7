// The registration machine step by step: USER and NICK at once, the welcome,
// the end of the greeting that brings the register request, the answer judged
// and the lines after it, every refusal and every broken run.
#include "protocol/irc/registration_machine.h"
#include "support/machine_script.h"

#include <QtTest>

Q_DECLARE_METATYPE(ExchangeStep::Ending)

namespace {

using Ending = ExchangeStep::Ending;

const QStringList kOpening{"user i alice localhost localhost Alice Liddell", "nick alice"};
const QString kRegister = QStringLiteral("nickserv register pw alice@example.org");
const QString kWelcome = QStringLiteral("<:irc.test 001 alice :Welcome");
const QString kEndOfMotd = QStringLiteral("<:irc.test 376 alice :End of message of the day.");
const QString kSent = QStringLiteral("Nick registration sent to server, Please check the server response in log box.");
const QString kAlready = QStringLiteral("Nick name is already registered.");

}  // namespace

class TestRegistrationMachine : public QObject {
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
};

void TestRegistrationMachine::steps_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("requestSent");
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("logTail");  // the log's last lines

    const QStringList greeted{kWelcome, kEndOfMotd};
    QTest::newRow("whole run: answer not logged, tail logged")
        << QStringList{"<:irc.test NOTICE * :greeting", "<PING :tok 9", kWelcome, kEndOfMotd,
                       "<:irc.test 421 alice nickserv :Unknown command", "<:NickServ!s@services NOTICE alice :tail",
                       "+3000"}
        << true << Ending::Done << kSent
        << QStringList{"Sending user information.", "Sending nick name.", ":irc.test NOTICE * :greeting",
                       "PING :tok 9", "PONG :tok 9", "User information accepted.", ":irc.test 001 alice :Welcome",
                       ":irc.test 376 alice :End of message of the day.", ":NickServ!s@services NOTICE alice :tail"};
    QTest::newRow("a silence ends a greeting without an end line")
        << QStringList{kWelcome, "+3000", "<:irc.test 421 alice nickserv :Unknown command", "+3"} << true
        << Ending::Done << kSent << QStringList{":irc.test 001 alice :Welcome"};
    QTest::newRow("no answer counts as sent")
        << (greeted + QStringList{"+3003"}) << true << Ending::Done << kSent
        << QStringList{":irc.test 376 alice :End of message of the day."};
    QTest::newRow("lines before the answer are logged, not judged")
        << (greeted + QStringList{"<:alice MODE alice :+i", "<:NickServ!s@services NOTICE alice :alice is already registered"})
        << true << Ending::Refused << kAlready
        << QStringList{":alice MODE alice :+i", ":NickServ!s@services NOTICE alice :alice is already registered"};
    QTest::newRow("an earlier 462 judges nothing")
        << QStringList{"<:irc.test 462 alice :You may not reregister", kWelcome, kEndOfMotd, "+3003"} << true
        << Ending::Done << kSent << QStringList{":irc.test 376 alice :End of message of the day."};
    QTest::newRow("461 after USER") << QStringList{"<:irc.test 461 alice USER :Not enough parameters"} << false
                                    << Ending::Refused << "Error in registration data."
                                    << QStringList{":irc.test 461 alice USER :Not enough parameters"};
    QTest::newRow("432") << QStringList{"<:irc.test 432 * alice :Erroneous Nickname"} << false << Ending::Refused
                         << "Invalid Nick name." << QStringList{":irc.test 432 * alice :Erroneous Nickname"};
    QTest::newRow("433") << QStringList{"<:irc.test 433 * alice :in use"} << false << Ending::Refused
                         << "Nick name is already in use." << QStringList{":irc.test 433 * alice :in use"};
    QTest::newRow("440") << (greeted + QStringList{"<:irc.test 440 alice NickServ :down"}) << true << Ending::Refused
                         << "Service not available." << QStringList{":irc.test 440 alice NickServ :down"};
    QTest::newRow("462") << (greeted + QStringList{"<:irc.test 462 alice :no"}) << true << Ending::Refused << kAlready
                         << QStringList{":irc.test 462 alice :no"};
    QTest::newRow("notice: ALREADY, any case")
        << (greeted + QStringList{"<:NickServ!s@services NOTICE alice :is ALREADY registered"}) << true
        << Ending::Refused << kAlready << QStringList{":NickServ!s@services NOTICE alice :is ALREADY registered"};
    QTest::newRow("notice: owned by someone else")
        << (greeted + QStringList{"<:NickServ!s@services NOTICE alice :Owned By Someone Else"}) << true
        << Ending::Refused << kAlready << QStringList{":NickServ!s@services NOTICE alice :Owned By Someone Else"};
    QTest::newRow("no welcome within the limit")
        << QStringList{"+30000"} << false << Ending::Failed
        << "The server did not welcome the login within 30 seconds, so the connection was closed."
        << QStringList{"Sending nick name."};
    QTest::newRow("a greeting that never pauses")
        << QStringList{kWelcome, "~61x1000 :irc.test 372 alice :- more"} << false << Ending::Failed
        << "The server did not stop sending: it went on for 60 seconds without a pause, so the connection was closed."
        << QStringList{":irc.test 372 alice :- more"};
    QTest::newRow("closed in the greeting") << QStringList{kWelcome, "close"} << false << Ending::Failed
                                            << "Connection closed." << QStringList{":irc.test 001 alice :Welcome"};
    QTest::newRow("closed after the request")
        << (greeted + QStringList{"close"}) << true << Ending::Failed << "Connection closed."
        << QStringList{":irc.test 376 alice :End of message of the day."};
}

void TestRegistrationMachine::steps()
{
    QFETCH(QStringList, script);
    QFETCH(bool, requestSent);
    QFETCH(Ending, ending);
    QFETCH(QString, message);
    QFETCH(QStringList, logTail);

    RegistrationMachine::Settings settings;
    settings.fullname = "Alice Liddell";
    settings.email = "alice@example.org";
    settings.nick = "alice";
    settings.password = "pw";
    RegistrationMachine machine(settings);
    const MachineRun run = RunScript(machine, script);

    QCOMPARE(run.sent, requestSent ? kOpening + QStringList{kRegister} : kOpening);
    QCOMPARE(run.ending, ending);
    QCOMPARE(run.message, message);
    QVERIFY(run.logged.size() >= logTail.size());
    QCOMPARE(run.logged.mid(run.logged.size() - logTail.size()), logTail);
    QCOMPARE(machine.NextDeadline().has_value(), ending == Ending::None);
}

QTEST_APPLESS_MAIN(TestRegistrationMachine)
#include "tst_registration_machine.moc"
