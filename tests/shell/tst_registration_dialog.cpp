// The nick registration dialog driven against a scripted server: validation,
// the whole exchange, every refusal, and servers that break off at each step.
#include "transcript/transcript_view.h"
#include "shell/login_dialog.h"
#include "support/window_controls.h"
#include "shell/main_window.h"
#include "shell/registration_dialog.h"
#include "shell/shell_test_support.h"
#include "support/login_controls.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using Script = std::function<void(ScriptedServer&)>;
Q_DECLARE_METATYPE(Script)

namespace {

const QString kSent = QStringLiteral("Nick registration sent to server, Please check the server response in log box.");
const std::string kUser = "user i alice localhost localhost Alice Liddell";

// The box that refuses a nick, with the reason in a few words.
QString Refused(const char* why)
{
    return QStringLiteral("This nick name cannot be used: %1.\n"
                          "A nick name may not hold spaces, commas or control characters, "
                          "nor start with \"#\", \":\" or a digit.")
        .arg(QLatin1String(why));
}

QStringList Lines(const QPlainTextEdit* edit) { return edit->toPlainText().split(QLatin1Char('\n')); }
QStringList Lines(const TranscriptView* view) { return view->toPlainText().split(QLatin1Char('\n')); }

struct Rig {
    PromptRecorder prompts;
    ShrunkTimings timings;
    ScriptedServer server;
    MainWindow frame;
    RegistrationDialog dialog{&frame, &frame};

    Rig()
    {
        timing().welcomeLimitMs = 2000;
        AimAt(server);
        dialog.SetConnection(&frame.Connection());
        frame.show();
        dialog.open();
    }
    void AimAt(const ScriptedServer& s)
    {
        frame.Connection().SetHost("127.0.0.1");
        frame.Connection().SetPort(s.Port());
    }
    void Fill(const QString& f = "Alice Liddell", const QString& e = "alice@example.org", const QString& n = "alice",
              const QString& p = "pw")
    {
        Field(&dialog, "fullNameEdit")->setText(f);
        Field(&dialog, "emailEdit")->setText(e);
        Field(&dialog, "nickEdit")->setText(n);
        Field(&dialog, "passwordEdit")->setText(p);
    }
    // Clicks Register and waits until the run has ended.
    bool Register()
    {
        QTest::mouseClick(Button(&dialog, "registerButton"), Qt::LeftButton);
        return QTest::qWaitFor([this] { return !dialog.Busy(); }, 5000);
    }
    QStringList RegLog() { return Lines(RegistrationLog(&dialog)); }
    QString ServerLogLast() const { return Lines(Control<TranscriptView>(frame, "serverLog")).last(); }
};

// A whole run that the server accepts; its answer to the register request is
// `judged`, then `tail` follows at once.
void GoodRun(ScriptedServer& s, const std::string& judged = ":irc.test 421 alice nickserv :Unknown command",
             const std::string& tail = ":irc.test NOTICE alice :tail line")
{
    s.Expect(kUser)
        .Expect("nick alice")
        .Send(":irc.test 001 alice :Welcome")  // the greeting ends at a silence
        .Expect("nickserv register pw alice@example.org")
        .SendRaw(judged + "\r\n" + tail + "\r\n")
        .AwaitClientClose();
}

}  // namespace

class TestRegistrationDialog : public QObject {
    Q_OBJECT
private slots:
    void validation_data();
    void validation();
    void wholeExchange();
    void refusals_data();
    void refusals();
    void earlierReplyDoesNotJudgeTheRegisterAnswer();
    void brokenExchanges_data();
    void brokenExchanges();
    void openedFromLoginDialog();
    void captionAndControlsFit();
};

void TestRegistrationDialog::validation_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("message");
    QTest::newRow("all empty") << QStringList{"", "", "", ""} << "Please enter a Full Name.";
    QTest::newRow("no e-mail, no nick") << QStringList{"F", "", "", "p"} << "Please enter an email address.";
    QTest::newRow("no nick, no password") << QStringList{"F", "e", "", ""} << "Please enter a Nick.";
    QTest::newRow("no password") << QStringList{"F", "e", "n", ""} << "Please enter a Password.";
    QTest::newRow("space in the nick") << QStringList{"F", "e", "al ice", "p"} << Refused("it holds a space");
    QTest::newRow("control byte in the nick") << QStringList{"F", "e", "a\x1f", "p"}
                                              << Refused("it holds a control character");
    QTest::newRow("digit first") << QStringList{"F", "e", "1alice", "p"} << Refused("it starts with a digit");
    QTest::newRow("empty field asked first") << QStringList{"F", "e", "a b", ""} << "Please enter a Password.";
}

void TestRegistrationDialog::validation()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    Rig rig;
    rig.Fill(fields[0], fields[1], fields[2], fields[3]);
    QVERIFY(rig.Register());
    QCOMPARE(rig.prompts.Texts(), QStringList{message});
    QCOMPARE(rig.prompts.Kinds(), QStringList{"information"});
    QCOMPARE(RegistrationLog(&rig.dialog)->toPlainText(), QString());
    QTest::qWait(50);
    QCOMPARE(rig.server.Connections(), 0);
}

void TestRegistrationDialog::wholeExchange()
{
    Rig rig;
    rig.server.Send(":irc.test NOTICE * :greeting")
        .Expect(kUser)
        .Expect("nick alice")
        .Send("PING :tok 9")
        .Expect("PONG :tok 9")
        .Send(":irc.test 001 alice :Welcome")
        .Send(":irc.test 376 alice :End of message of the day.")
        .Expect("nickserv register pw alice@example.org")
        .SendRaw(":irc.test 421 alice nickserv :Unknown command\r\n:NickServ!s@services NOTICE alice :Type \x02/msg NickServ HELP\x02 for \x03" "4help\r\n")
        .AwaitClientClose();
    rig.Fill();
    QCOMPARE(Field(&rig.dialog, "passwordEdit")->echoMode(), QLineEdit::Normal);  // the user is choosing it: shown in clear
    QVERIFY(rig.Register());

    QVERIFY(rig.server.WaitDone(2000));
    QCOMPARE(rig.prompts.Texts(), QStringList{kSent});
    const QStringList expected{
        "Connecting....",
        QStringLiteral("Connected to 127.0.0.1 port %1.").arg(rig.server.Port()),
        "Sending user information.",
        "Sending nick name.",
        ":irc.test NOTICE * :greeting",
        "PING :tok 9",
        "PONG :tok 9",
        "User information accepted.",
        ":irc.test 001 alice :Welcome",
        ":irc.test 376 alice :End of message of the day.",
        // The judged reply itself is not logged; formatting codes are not shown.
        ":NickServ!s@services NOTICE alice :Type /msg NickServ HELP for help",
    };
    QCOMPARE(rig.RegLog(), expected);
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(Control<QLabel>(rig.frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    QCOMPARE(rig.ServerLogLast(), QStringLiteral("Disconnected.."));

    // A second run in the same dialog appends to the same log.
    GoodRun(rig.server);
    QVERIFY(rig.Register());
    QVERIFY(rig.server.WaitDone(2000));
    QCOMPARE(RegistrationLog(&rig.dialog)->toPlainText().count("Connecting...."), 2);
}

void TestRegistrationDialog::refusals_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("offending");
    QTest::addColumn<QString>("message");

    const auto afterUser = [](const std::string& reply) {
        return Script([reply](ScriptedServer& s) { s.Expect(kUser).Send(reply); });
    };
    const auto afterNick = [](const std::string& reply) {
        return Script([reply](ScriptedServer& s) { s.Expect("nick alice").Send(reply); });
    };
    const auto afterRegister = [](const std::string& reply) {
        return Script([reply](ScriptedServer& s) {
            s.Expect("nick alice")
                .Send(":irc.test 001 alice :Welcome")
                .Send(":irc.test 376 alice :End of message of the day.")
                .Expect("nickserv register pw alice@example.org")
                .Send(reply);
        });
    };
    const std::string l461 = ":irc.test 461 alice USER :Not enough parameters";
    const std::string l432 = ":irc.test 432 * alice :Erroneous Nickname";
    const std::string l433 = ":irc.test 433 * alice :Nickname is already in use.";
    const std::string l440 = ":irc.test 440 alice NickServ :Services are currently down";
    const std::string l462 = ":irc.test 462 alice :You may not reregister";
    const std::string already = ":NickServ!nickserv@services.int NOTICE alice :\x02" "alice\x02 is ALREADY registered.";
    const std::string owned = ":NickServ!nickserv@services.int NOTICE alice :That nick is Owned By Someone Else.";
    QTest::newRow("461 after USER") << afterUser(l461) << QString::fromStdString(l461) << "Error in registration data.";
    QTest::newRow("432 after NICK") << afterNick(l432) << QString::fromStdString(l432) << "Invalid Nick name.";
    QTest::newRow("433 after NICK") << afterNick(l433) << QString::fromStdString(l433) << "Nick name is already in use.";
    QTest::newRow("440 to register") << afterRegister(l440) << QString::fromStdString(l440) << "Service not available.";
    QTest::newRow("462 to register") << afterRegister(l462) << QString::fromStdString(l462)
                                     << "Nick name is already registered.";
    QTest::newRow("notice: already, any case")  // shown without its bold bytes
        << afterRegister(already) << ":NickServ!nickserv@services.int NOTICE alice :alice is ALREADY registered."
        << "Nick name is already registered.";
    QTest::newRow("notice: owned by someone else") << afterRegister(owned) << QString::fromStdString(owned)
                                                   << "Nick name is already registered.";
}

void TestRegistrationDialog::refusals()
{
    QFETCH(Script, script);
    QFETCH(QString, offending);
    QFETCH(QString, message);
    Rig rig;
    script(rig.server);
    rig.server.AwaitClientClose();
    rig.Fill();
    QVERIFY(rig.Register());

    QVERIFY(rig.server.WaitDone(2000));
    QCOMPARE(rig.prompts.Texts(), QStringList{message});
    QCOMPARE(rig.RegLog().last(), offending);
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(Control<QLabel>(rig.frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    QCOMPARE(rig.ServerLogLast(), QStringLiteral("Disconnected.."));
    // A refusal ends the exchange: nothing is sent after the refused line.
    const auto received = rig.server.Received();
    const bool beforeWelcome = message == "Error in registration data." || message.startsWith("Invalid") ||
                               message.endsWith("in use.");
    if (beforeWelcome) QCOMPARE(received.back(), std::string("nick alice"));  // USER and NICK went out together
}

void TestRegistrationDialog::earlierReplyDoesNotJudgeTheRegisterAnswer()
{
    // A 462 after USER is no refusal there; it must not turn a register
    // request that got no answer at all into "already registered".
    Rig rig;
    rig.server.Expect(kUser)
        .Send(":irc.test 462 alice :You may not reregister")
        .Send(":irc.test 001 alice :Welcome")
        .Expect("nickserv register pw alice@example.org")
        .AwaitClientClose();
    rig.Fill();
    QVERIFY(rig.Register());
    QVERIFY(rig.server.WaitDone(2000));
    QCOMPARE(rig.prompts.Texts(), QStringList{kSent});
}

void TestRegistrationDialog::brokenExchanges_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("lastLogged");
    QTest::newRow("closed at once") << Script([](ScriptedServer& s) { s.Close(); }) << "closed";
    QTest::newRow("closed after USER") << Script([](ScriptedServer& s) { s.Expect(kUser).Close(); })
                                       << "closed";
    QTest::newRow("closed after NICK") << Script([](ScriptedServer& s) { s.Expect("nick alice").Close(); })
                                       << "closed";
    QTest::newRow("closed in the welcome")
        << Script([](ScriptedServer& s) { s.Expect("nick alice").Pause(150).Send(":irc.test 001 alice :W").Close(); })
        << "closed";
    QTest::newRow("closed after the register request")
        << Script([](ScriptedServer& s) {
               s.Expect("nick alice").Send(":irc.test 001 alice :W").Expect("nickserv register pw alice@example.org").Close();
           })
        << "closed";
    QTest::newRow("never welcomes")
        << Script([](ScriptedServer& s) { s.Expect(kUser).Send(":irc.test NOTICE * :hold on"); })
        << "The server did not welcome the login within 2 seconds, so the connection was closed.";
    QTest::newRow("10 MB line") << Script([](ScriptedServer& s) { s.SendBulk(std::string(1 << 20, 'z'), 10); })
                                << "Received line is longer than 16384 bytes.";
}

void TestRegistrationDialog::brokenExchanges()
{
    QFETCH(Script, script);
    QFETCH(QString, lastLogged);
    Rig rig;
    script(rig.server);
    rig.Fill();
    QVERIFY(rig.Register());

    QVERIFY(rig.prompts.records.isEmpty());  // no box: the log says how far it got
    QVERIFY2(rig.RegLog().last().contains(lastLogged), qPrintable(rig.RegLog().last()));
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(Control<QLabel>(rig.frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    QCOMPARE(rig.ServerLogLast(), QStringLiteral("Disconnected.."));

    ScriptedServer good;
    GoodRun(good);
    rig.AimAt(good);
    QVERIFY(rig.Register());
    QVERIFY(good.WaitDone(2000));
    QCOMPARE(rig.prompts.Texts(), QStringList{kSent});
}

void TestRegistrationDialog::openedFromLoginDialog()
{
    PromptRecorder prompts;
    MainWindow frame;
    LoginDialog login(&frame);
    login.SetConnection(&frame.Connection());
    Field(&login, "nickEdit")->setText("kept");
    login.open();
    QPointer<RegistrationDialog> seen;
    bool emptyLog = false;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<RegistrationDialog*>(QApplication::activeModalWidget());
        if (!seen) return;
        emptyLog = RegistrationLog(seen)->toPlainText().isEmpty();
        QTest::mouseClick(Button(seen, "closeButton"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(&login, "registerButton"), Qt::LeftButton);
    QVERIFY(emptyLog);
    QVERIFY(seen.isNull());  // made for this use only
    QVERIFY(login.isVisible());
    QCOMPARE(Field(&login, "nickEdit")->text(), QStringLiteral("kept"));
}

void TestRegistrationDialog::captionAndControlsFit()
{
    MainWindow frame;
    RegistrationDialog dialog(&frame, &frame);
    // Title bars draw the caption in bold; beside it go the window icon and
    // the close button, some 80 pixels with their margins.
    QFont bold = QApplication::font();
    bold.setBold(true);
    QVERIFY(dialog.width() >= QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()) + 80);
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        QVERIFY2(dialog.rect().contains(child->geometry()), qPrintable(child->objectName()));
    QCOMPARE(Field(&dialog, "fullNameEdit")->width(), RegistrationLog(&dialog)->width());
    QCOMPARE(Button(&dialog, "closeButton")->geometry().right(), RegistrationLog(&dialog)->geometry().right());
}

QTEST_MAIN(TestRegistrationDialog)
#include "tst_registration_dialog.moc"
