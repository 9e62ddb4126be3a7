// The login and registration exchanges against servers that keep them
// waiting: Cancel, the close box, Escape and closing the frame end every step
// at once and nothing more is sent; a server that never welcomes the login or
// never falls silent is given up with a clear message; a connect that hears
// nothing can be cancelled.
#include "shell/registration_dialog.h"
#include "support/window_controls.h"
#include "side/room_list_window.h"
#include "support/deaf_listener.h"
#include "support/login_rig.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>

using Script = std::function<void(ScriptedServer&)>;
Q_DECLARE_METATYPE(Script)

namespace {

const std::string kUser = "user alice localhost localhost alice";
const std::string kRegistrationUser = "user i alice localhost localhost Alice Liddell";
const std::string kRegister = "nickserv register pw alice@example.org";
const std::string kWelcome = ":irc.test 001 alice :Welcome";
const std::string kEndOfGreeting = ":irc.test 376 alice :End of message of the day.";

// The answer to the register request, and the first line after it at once.
const std::string kAnswerAndTail =
    ":irc.test 421 alice nickserv :Unknown command\r\n:irc.test NOTICE * :still talking\r\n";

// Lines every 50 ms for half a minute: a burst that never falls silent.
void Trickle(ScriptedServer& s)
{
    for (int i = 0; i < 600; ++i) s.Send(":irc.test NOTICE * :still talking").Pause(50);
}

// A frame, its connection aimed at the scripted server, and an open login
// dialog; the registration dialog is opened from it, as the user does.
struct Rig : LoginRig {
    QString regLog;  // the registration dialog's log when its run ended

    // Every silence of the exchange is far longer than it takes to cancel.
    explicit Rig(int port = 0) : LoginRig(1000, 2000, port) {}
    RegistrationDialog* Registration() const { return dialog.findChild<RegistrationDialog*>(); }

    // Runs the exchange ("guest", "registered" or "registration") to its
    // end, the way the user starts it.
    void Run(const QString& exchange)
    {
        if (exchange != "registration") {
            Fill("alice", "pw", exchange == "guest");
            LogIn(10000);
            return;
        }
        QTimer::singleShot(0, &dialog, [this] {
            QPointer<RegistrationDialog> r = Registration();
            if (!r) return;
            StartRegistration(r, "Alice Liddell", "alice@example.org", "alice", "pw");
            if (!QTest::qWaitFor([&] { return !r || !r->Busy(); }, 10000) || !r) return;
            regLog = RegistrationLog(r)->toPlainText();
            if (r->isVisible()) r->reject();  // the user closes it after reading the log
        });
        QTest::mouseClick(Register(), Qt::LeftButton);  // returns once the registration dialog has closed
    }
};

// Calls the exchange off the way `how` says, on the dialog that runs it.
void CallOff(Rig& rig, QDialog& dialog, const QString& how)
{
    if (how == "Cancel")
        QTest::mouseClick(dialog.findChild<QPushButton*>(dialog.objectName() == "loginDialog" ? "cancelButton"
                                                                                             : "closeButton"),
                          Qt::LeftButton);
    else if (how == "close box")
        dialog.close();
    else if (how == "Escape")
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        QVERIFY(!rig.frame.close());  // the frame waits for the dialogs
}

}  // namespace

class TestLoginCancel : public QObject {
    Q_OBJECT
private slots:
    void callingOffEachWait_data();
    void callingOffEachWait();
    void cancelWhileConnecting();
    void serverThatNeverFallsSilent_data();
    void serverThatNeverFallsSilent();
};

void TestLoginCancel::callingOffEachWait_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("trigger");  // the last line sent before the wait; empty: the connect
    QTest::addColumn<QString>("how");

    struct Wait {
        const char* name;
        const char* dialog;
        Script script;
        std::string trigger;
    };
    const std::vector<Wait> waits{
        {"guest, before the welcome", "guest", Script([](ScriptedServer& s) { s.Expect(kUser); Trickle(s); }), kUser},
        {"guest, the greeting after the welcome", "guest",
         Script([](ScriptedServer& s) { s.Expect(kUser).Send(kWelcome); Trickle(s); }), kUser},
        {"registered, capability list", "registered",
         Script([](ScriptedServer& s) { s.Expect(kUser).Send(":irc.test CAP * LS * :a"); }), kUser},
        {"registered, SASL answer", "registered",
         Script([](ScriptedServer& s) {
             s.Expect(kUser).Send("CAP * LS :sasl").Expect("CAP REQ :sasl").Send("CAP * ACK :sasl");
         }),
         "AUTHENTICATE PLAIN"},
        {"registration, before the welcome", "registration", Script([](ScriptedServer& s) { Trickle(s); }),
         kRegistrationUser},
        {"registration, the greeting after the welcome", "registration",
         Script([](ScriptedServer& s) { s.Expect("nick alice").Send(kWelcome); Trickle(s); }), "nick alice"},
        {"registration, answer to the register request", "registration",
         Script([](ScriptedServer& s) { s.Expect("nick alice").Send(kWelcome).Send(kEndOfGreeting).Expect(kRegister); }),
         kRegister},
        {"registration, tail", "registration",
         Script([](ScriptedServer& s) {
             s.Expect("nick alice").Send(kWelcome).Send(kEndOfGreeting).Expect(kRegister)
                 .SendRaw(kAnswerAndTail);
             Trickle(s);
         }),
         kRegister},
    };
    for (const Wait& w : waits)
        for (const char* how : {"Cancel", "close box"})
            QTest::addRow("%s, %s", w.name, how) << w.dialog << w.script << QString::fromStdString(w.trigger) << how;
    // The other ways, once for each dialog.
    QTest::addRow("guest, before the welcome, Escape")
        << "guest" << waits[0].script << QString::fromStdString(waits[0].trigger) << "Escape";
    QTest::addRow("guest, greeting, frame closed")
        << "guest" << waits[1].script << QString::fromStdString(waits[1].trigger) << "frame close";
    QTest::addRow("registration, greeting, Escape")
        << "registration" << waits[5].script << QString::fromStdString(waits[5].trigger) << "Escape";
    QTest::addRow("registration, greeting, frame closed")
        << "registration" << waits[5].script << QString::fromStdString(waits[5].trigger) << "frame close";
}

void TestLoginCancel::callingOffEachWait()
{
    QFETCH(QString, dialog);
    QFETCH(Script, script);
    QFETCH(QString, trigger);
    QFETCH(QString, how);
    Rig rig;
    script(rig.server);

    // Once the client is in the wait (a little after the line before it went
    // out), call it off, and remember how much the server had received.
    QElapsedTimer sinceTrigger;
    QElapsedTimer sinceCallOff;
    std::size_t receivedAtCallOff = 0;
    QPointer<QDialog> calledOff;
    QTimer poller;
    poller.setInterval(10);
    connect(&poller, &QTimer::timeout, [&] {
        if (calledOff) return;
        const bool seen = trigger.isEmpty() ? rig.server.Connections() > 0
                                            : rig.server.HasReceived(trigger.toStdString());
        if (!seen) return;
        if (!sinceTrigger.isValid()) sinceTrigger.start();
        if (sinceTrigger.elapsed() < 100) return;
        QDialog* target = dialog == "registration" ? static_cast<QDialog*>(rig.Registration()) : &rig.dialog;
        if (!target) return;
        calledOff = target;
        receivedAtCallOff = rig.server.Received().size();
        sinceCallOff.start();
        CallOff(rig, *target, how);
    });
    poller.start();
    rig.Run(dialog);
    const qint64 took = sinceCallOff.isValid() ? sinceCallOff.elapsed() : -1;
    poller.stop();

    QVERIFY2(sinceCallOff.isValid(), "the exchange ended before it was called off");
    QVERIFY2(took >= 0 && took < 200, qPrintable(QString::number(took)));  // at once, not at the end of a wait
    QTRY_VERIFY(!calledOff || !calledOff->isVisible());
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(Control<QLabel>(rig.frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    QVERIFY(!rig.dialog.LoggedIn());
    QVERIFY2(rig.prompts.records.isEmpty(), qPrintable(rig.prompts.Texts().join(" / ")));
    QTRY_VERIFY(!rig.server.ClientConnected());
    QTest::qWait(100);
    QCOMPARE(rig.server.Received().size(), receivedAtCallOff);  // nothing more was sent
    if (how == "frame close") {
        QTRY_VERIFY(!rig.frame.isVisible());  // the frame followed the dialogs
        QVERIFY(!rig.dialog.isVisible());
    } else {
        QVERIFY(rig.frame.isVisible());
        QCOMPARE(rig.dialog.isVisible(), dialog == "registration");  // back at the login dialog
    }
}

void TestLoginCancel::cancelWhileConnecting()
{
    DeafListener deaf;
    if (deaf.Port() == 0) QSKIP("the system answered every connect");
    Rig rig(deaf.Port());
    QElapsedTimer sinceCancel;
    QTimer::singleShot(300, &rig.dialog, [&] {
        QVERIFY(rig.dialog.Busy());
        QCOMPARE(rig.Progress(), QStringLiteral("Connecting..."));  // still connecting
        sinceCancel.start();
        QTest::mouseClick(rig.Cancel(), Qt::LeftButton);
    });
    rig.Run("guest");
    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 200, qPrintable(QString::number(sinceCancel.elapsed())));
    QVERIFY(!rig.dialog.isVisible());
    QVERIFY(rig.prompts.records.isEmpty());
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(Control<QLabel>(rig.frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
}

void TestLoginCancel::serverThatNeverFallsSilent_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("notSent");  // what the exchange would have sent after the burst

    const QString noWelcome = "The server did not welcome the login within 500 ms, so the connection was closed.";
    const QString flood = "The server did not stop sending: it went on for 500 ms without a pause, "
                          "so the connection was closed.";
    QTest::newRow("guest, before the welcome")
        << "guest" << Script([](ScriptedServer& s) { Trickle(s); }) << noWelcome << "";
    QTest::newRow("guest, the greeting") << "guest" << Script([](ScriptedServer& s) {
        s.Expect(kUser).Send(kWelcome);
        Trickle(s);
    }) << flood << "";
    QTest::newRow("registered, capability talk")
        << "registered" << Script([](ScriptedServer& s) { s.Expect(kUser).Send("CAP * LS * :a"); Trickle(s); })
        << noWelcome << "nickserv identify pw";
    QTest::newRow("registration, before the welcome")
        << "registration" << Script([](ScriptedServer& s) { Trickle(s); }) << noWelcome
        << QString::fromStdString(kRegister);
    QTest::newRow("registration, the greeting") << "registration" << Script([](ScriptedServer& s) {
        s.Expect("nick alice").Send(kWelcome);
        Trickle(s);
    }) << flood << QString::fromStdString(kRegister);
    QTest::newRow("registration, tail") << "registration" << Script([](ScriptedServer& s) {
        s.Expect("nick alice").Send(kWelcome).Send(kEndOfGreeting).Expect(kRegister)
            .SendRaw(kAnswerAndTail);
        Trickle(s);
    }) << flood << "";
}

void TestLoginCancel::serverThatNeverFallsSilent()
{
    QFETCH(QString, dialog);
    QFETCH(Script, script);
    QFETCH(QString, why);
    QFETCH(QString, notSent);
    Rig rig;
    timing().welcomeLimitMs = 500;
    timing().burstLimitMs = 500;
    timing().greetingMs = 200;  // a registration's greeting ends at once on this server
    bool openDuringBox = false;
    rig.prompts.onPrompt = [&](const PromptRecorder::Record&) { openDuringBox = rig.frame.Connection().Connected(); };
    script(rig.server);
    QElapsedTimer clock;
    clock.start();
    rig.Run(dialog);

    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    if (dialog == "registration") {
        QVERIFY(rig.prompts.records.isEmpty());  // a broken run shows its end in its log
        QVERIFY2(rig.regLog.endsWith(why), qPrintable(rig.regLog));
        QVERIFY(rig.dialog.isVisible());
    } else {
        QCOMPARE(rig.prompts.Errors(), QStringList{why});
        QVERIFY(!openDuringBox);  // closed already, as the box says
        QVERIFY(rig.dialog.isVisible());
        QVERIFY(!rig.dialog.LoggedIn());
    }
    QVERIFY(!rig.frame.Connection().Connected());
    QCOMPARE(Control<QLabel>(rig.frame, "connectionLabel")->text(), QStringLiteral("Not Connected"));
    QTRY_VERIFY(!rig.server.ClientConnected());
    if (!notSent.isEmpty()) QVERIFY(!rig.server.HasReceived(notSent.toStdString()));
    QVERIFY(!rig.server.HasReceivedPrefix("nickserv identify"));
}

QTEST_MAIN(TestLoginCancel)
#include "tst_login_cancel.moc"
