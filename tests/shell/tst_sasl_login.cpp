// The login dialog's capability talk against a scripted server: SASL taken,
// refused or unavailable, servers without CAP, a guest, lists cut short or
// flooded, and the password kept out of the server log.
#include "transcript/transcript_view.h"
#include "protocol/irc/sent_lines.h"
#include "support/window_controls.h"
#include "side/room_list_window.h"
#include "support/login_rig.h"

#include <QPlainTextEdit>
#include <QtTest>

#include <functional>

using Script = std::function<void(ScriptedServer&)>;
Q_DECLARE_METATYPE(Script)

namespace {

const std::string kPassword = "s3cret pass";
const std::string kUser = "user alice localhost localhost alice";
const std::string kIdentify = "nickserv identify " + kPassword;

std::string Credentials() { return sent::AuthenticateCredentialLines("alice", kPassword).front(); }

// The server side up to the credentials (the opening lines went out at once).
ScriptedServer& ToCredentials(ScriptedServer& s)
{
    return s.Expect("CAP LS 302")
        .Expect(kUser)
        .Send(":irc.test CAP * LS :multi-prefix sasl")
        .Expect("CAP REQ :sasl")
        .Send(":irc.test CAP * ACK :sasl")
        .Expect("AUTHENTICATE PLAIN")
        .Send("AUTHENTICATE +")
        .Expect(Credentials());
}

// The welcome and the end of the greeting.
ScriptedServer& Welcomes(ScriptedServer& s)
{
    return s.Send(":irc.test 001 alice :Welcome").Send(":irc.test 376 alice :End of message of the day.");
}

}  // namespace

class TestSaslLogin : public QObject {
    Q_OBJECT
private slots:
    void exchange_data();
    void exchange();
};

void TestSaslLogin::exchange_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<bool>("guest");
    QTest::addColumn<QString>("prompt");  // part of the one box shown; empty for none
    QTest::addColumn<QByteArrayList>("received");
    QTest::addColumn<QString>("logged");  // a line the server log holds; empty for none to check

    const QByteArray identify = QByteArray::fromStdString(kIdentify);
    const QByteArray credentials = QByteArray::fromStdString(Credentials());
    const QByteArrayList opening{"CAP LS 302", QByteArray::fromStdString(kUser), "nick alice"};
    const QByteArrayList toCredentials = opening + QByteArrayList{"CAP REQ :sasl", "AUTHENTICATE PLAIN", credentials};

    QTest::newRow("sasl accepted: no identify")
        << Script([](ScriptedServer& s) {
               ToCredentials(s)
                   .Send(":irc.test 900 alice alice!a@127.0.0.1 alice :You are now logged in as alice")
                   .Send(":irc.test 903 alice :SASL authentication successful")
                   .Expect("CAP END");
               Welcomes(s);
           })
        << false << "" << toCredentials + QByteArrayList{"CAP END"} << "AUTHENTICATE PLAIN ...";
    QTest::newRow("wrong password")
        << Script([](ScriptedServer& s) {
               ToCredentials(s).Send(":irc.test 904 alice :SASL authentication failed").Expect("CAP END").AwaitClientClose();
           })
        << false << "Incorrect password." << toCredentials + QByteArrayList{"CAP END"}
        << ":irc.test 904 alice :SASL authentication failed";
    QTest::newRow("908 without PLAIN: NickServ")
        << Script([](ScriptedServer& s) {
               ToCredentials(s)
                   .Send(":irc.test 908 alice EXTERNAL :are available SASL mechanisms")
                   .Send(":irc.test 904 alice :SASL authentication failed")
                   .Expect("CAP END");
               Welcomes(s).Expect(kIdentify);
           })
        << false << "" << toCredentials + QByteArrayList{"CAP END", identify}
        << "The server offers no SASL PLAIN login: identifying with NickServ instead.";
    QTest::newRow("CAP without sasl")
        << Script([](ScriptedServer& s) {
               s.Expect(kUser).Send(":irc.test CAP * LS :multi-prefix").Expect("CAP END");
               Welcomes(s).Expect(kIdentify);
           })
        << false << "" << opening + QByteArrayList{"CAP END", identify} << "";
    QTest::newRow("no CAP: unknown command")
        << Script([](ScriptedServer& s) {
               s.Expect(kUser).Send(":irc.test 421 * CAP :Unknown command");
               Welcomes(s).Expect(kIdentify);
           })
        << false << "" << opening + QByteArrayList{identify} << "";
    QTest::newRow("no CAP answer: the talk ends at a silence")
        << Script([](ScriptedServer& s) { Welcomes(s.Expect("CAP END")).Expect(kIdentify); }) << false << ""
        << opening + QByteArrayList{"CAP END", identify} << "";
    QTest::newRow("guest: CAP END at the first answer, no SASL")
        << Script([](ScriptedServer& s) { Welcomes(s.Expect(kUser).Send(":irc.test CAP * LS :sasl").Expect("CAP END")); })
        << true << "" << opening + QByteArrayList{"CAP END"} << "";
    QTest::newRow("list cut short")
        << Script([](ScriptedServer& s) {
               s.Expect(kUser).Send(":irc.test CAP * LS * :multi-prefix").Expect("CAP END");
               Welcomes(s).Expect(kIdentify);
           })
        << false << "" << opening + QByteArrayList{"CAP END", identify}
        << "The server's capability list was cut short: logging in without SASL.";
    QTest::newRow("list flooded")
        << Script([](ScriptedServer& s) {
               std::vector<std::string> flood;
               for (int i = 0; i < 200; ++i) flood.push_back(":irc.test CAP * LS * :cap" + std::to_string(i) + " sasl");
               s.Expect(kUser).SendMany(flood).Expect("CAP END");
               Welcomes(s).Expect(kIdentify);
           })
        << false << "" << opening + QByteArrayList{"CAP END", identify}
        << "The server's capability list went on too long: logging in without SASL.";
    QTest::newRow("server closes during the talk")
        << Script([](ScriptedServer& s) { s.Expect("nick alice").Send(":irc.test CAP * LS * :a").Close(); }) << false
        << "closed" << opening << "";
}

void TestSaslLogin::exchange()
{
    QFETCH(Script, script);
    QFETCH(bool, guest);
    QFETCH(QString, prompt);
    QFETCH(QByteArrayList, received);
    QFETCH(QString, logged);

    LoginRig rig;
    script(rig.server);
    rig.Fill("alice", QString::fromStdString(kPassword), guest);
    QVERIFY(rig.LogIn());

    QTRY_VERIFY2(rig.server.Done(), rig.server.Errors().empty() ? "" : rig.server.Errors().front().c_str());
    if (prompt.isEmpty()) {
        QCOMPARE(rig.prompts.Texts(), QStringList());
        QVERIFY(rig.dialog.LoggedIn());
        QCOMPARE(rig.frame.CurrentNick(), QStringLiteral("alice"));
        QVERIFY(rig.frame.Connection().Connected());
    } else {
        QCOMPARE(rig.prompts.Texts().size(), 1);
        QVERIFY2(rig.prompts.Texts().first().contains(prompt), qPrintable(rig.prompts.Texts().first()));
        QVERIFY(!rig.dialog.LoggedIn());
        QVERIFY(rig.dialog.isVisible());
        QVERIFY(!rig.frame.Connection().Connected());
    }
    QByteArrayList got;
    for (const std::string& line : rig.server.Received()) got << QByteArray::fromStdString(line);
    QCOMPARE(got, received);

    const QString log = Control<TranscriptView>(rig.frame, "serverLog")->toPlainText();
    if (!logged.isEmpty()) QVERIFY2(log.split(u'\n').contains(logged), qPrintable(log));
    QVERIFY(!log.contains(QString::fromStdString(kPassword)));
    QVERIFY(!log.contains(QString::fromStdString(Credentials().substr(13))));
}

QTEST_MAIN(TestSaslLogin)
#include "tst_sasl_login.moc"
