// The login and registration exchanges against servers that keep them
// waiting: Cancel, the close box, Escape and closing the frame end every wait
// at once and nothing more is sent; a server that never falls silent is given
// up after the burst limit; a connect that hears nothing can be cancelled.
#include "shell/blocking_wait.h"
#include "shell/registration_dialog.h"
#include "side/room_list_window.h"
#include "support/deaf_listener.h"
#include "support/login_rig.h"

#include <QCheckBox>
#include <QElapsedTimer>
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

const std::string kUser = "user i alice localhost localhost Alice Liddell";
const std::string kRegister = "nickserv register pw alice@example.org";

// Lines every 200 ms for a minute: a burst that never falls silent.
void Trickle(ScriptedServer& s)
{
    for (int i = 0; i < 300; ++i) s.Send(":irc.test NOTICE * :still talking").Pause(200);
}

// A frame, its connection aimed at the scripted server, and an open login
// dialog; the registration dialog is opened from it, as the user does.
struct Rig : LoginRig {
    QString regLog;  // the registration dialog's log when its run ended

    // Every wait of the exchange is far longer than it takes to cancel.
    explicit Rig(int port = 0) : LoginRig(1000, 2000, port) {}
    RegistrationDialog* Registration() const { return dialog.findChild<RegistrationDialog*>(); }

    // Runs the exchange ("guest", "registered" or "registration") to its
    // end, the way the user starts it.
    void Run(const QString& exchange)
    {
        if (exchange != "registration") {
            Fill("alice", "pw", exchange == "guest");
            ClickOk();
            return;
        }
        QTimer::singleShot(0, &dialog, [this] {
            RegistrationDialog* r = Registration();
            if (!r) return;
            r->fullname->setText("Alice Liddell");
            r->email->setText("alice@example.org");
            r->nick->setText("alice");
            r->password->setText("pw");
            QTest::mouseClick(r->BitBtn1, Qt::LeftButton);
            regLog = r->reglog->toPlainText();
            if (r->isVisible()) r->reject();  // the user closes it after reading the log
        });
        QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);  // returns once the registration dialog has closed
    }
};

// Calls the exchange off the way `how` says, on the dialog that runs it.
void CallOff(Rig& rig, QDialog& dialog, const QString& how)
{
    if (how == "Cancel")
        QTest::mouseClick(dialog.findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
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
    const std::string user = "user alice localhost localhost alice";
    const std::vector<Wait> waits{
        {"login greeting", "guest", Script(Trickle), ""},
        {"login, answer to USER", "guest", Script([user](ScriptedServer& s) { s.Expect(user); }), user},
        {"guest, replies to NICK", "guest",
         Script([user](ScriptedServer& s) { s.Expect(user).Expect("nick alice"); Trickle(s); }), "nick alice"},
        {"registered, replies to NICK", "registered",
         Script([user](ScriptedServer& s) { s.Expect(user).Expect("nick alice"); Trickle(s); }), "nick alice"},
        {"registration greeting", "registration", Script(Trickle), ""},
        {"registration, answer to USER", "registration", Script([](ScriptedServer& s) { s.Expect(kUser); }), kUser},
        {"registration, answer to NICK", "registration",
         Script([](ScriptedServer& s) { s.Expect(kUser).Expect("nick alice"); }), "nick alice"},
        {"registration, welcome", "registration",
         Script([](ScriptedServer& s) {
             s.Expect(kUser).Expect("nick alice").Send(":irc.test 001 alice :Welcome");
             Trickle(s);
         }),
         "nick alice"},
        {"registration, answer to the register request", "registration",
         Script([](ScriptedServer& s) { s.Expect(kUser).Expect("nick alice").Expect(kRegister); }), kRegister},
        {"registration, tail", "registration",
         Script([](ScriptedServer& s) {
             s.Expect(kUser).Expect("nick alice").Expect(kRegister).Send(":irc.test 421 alice nickserv :Unknown command");
             Trickle(s);
         }),
         kRegister},
        {"registered, capability list", "registered",
         Script([](ScriptedServer& s) { s.Expect("CAP LS 302").Send(":irc.test CAP * LS * :a"); }), "CAP LS 302"},
        {"registered, SASL answer", "registered",
         Script([](ScriptedServer& s) {
             s.Expect("CAP LS 302").Send("CAP * LS :sasl").Expect("CAP REQ :sasl").Send("CAP * ACK :sasl");
         }),
         "AUTHENTICATE PLAIN"},
    };
    for (const Wait& w : waits)
        for (const char* how : {"Cancel", "close box"})
            QTest::addRow("%s, %s", w.name, how) << w.dialog << w.script << QString::fromStdString(w.trigger) << how;
    // The other ways, once for each dialog.
    QTest::addRow("login greeting, Escape") << "guest" << waits[0].script << QString() << "Escape";
    QTest::addRow("guest, replies to NICK, frame closed")
        << "guest" << waits[2].script << QString::fromStdString(waits[2].trigger) << "frame close";
    QTest::addRow("registration, welcome, Escape")
        << "registration" << waits[7].script << QString::fromStdString(waits[7].trigger) << "Escape";
    QTest::addRow("registration, welcome, frame closed")
        << "registration" << waits[7].script << QString::fromStdString(waits[7].trigger) << "frame close";
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
        if (sinceTrigger.elapsed() < 300) return;
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
    QVERIFY2(took >= 0 && took < 1500, qPrintable(QString::number(took)));  // at once, not at the end of a wait
    QTRY_VERIFY(!calledOff || !calledOff->isVisible());
    QVERIFY(!rig.frame.connection_.Connected());
    QCOMPARE(rig.frame.StatusPanel1->text(), QStringLiteral("Not Connected"));
    QVERIFY(!rig.dialog.LoggedIn());
    QVERIFY2(rig.prompts.records.isEmpty(), qPrintable(rig.prompts.Texts().join(" / ")));
    QTRY_VERIFY(!rig.server.ClientConnected());
    QTest::qWait(200);
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
        QVERIFY(blocking_wait::Active());  // still connecting
        sinceCancel.start();
        QTest::mouseClick(rig.dialog.BitBtn2, Qt::LeftButton);
    });
    rig.Run("guest");
    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 1500, qPrintable(QString::number(sinceCancel.elapsed())));
    QVERIFY(!rig.dialog.isVisible());
    QVERIFY(rig.prompts.records.isEmpty());
    QVERIFY(!rig.frame.connection_.Connected());
    QCOMPARE(rig.frame.StatusPanel1->text(), QStringLiteral("Not Connected"));
}

void TestLoginCancel::serverThatNeverFallsSilent_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("notSent");  // what the exchange would have sent after the burst

    const std::string user = "user alice localhost localhost alice";
    QTest::newRow("login greeting") << "guest" << Script(Trickle) << QString::fromStdString(user);
    QTest::newRow("guest, replies to NICK")
        << "guest" << Script([user](ScriptedServer& s) { s.Expect(user).Expect("nick alice"); Trickle(s); }) << "";
    QTest::newRow("registered, replies to NICK")
        << "registered" << Script([user](ScriptedServer& s) { s.Expect(user).Expect("nick alice"); Trickle(s); })
        << "nickserv identify pw";
    QTest::newRow("registered, capability talk")
        << "registered" << Script([](ScriptedServer& s) { s.Expect("CAP LS 302").Send("CAP * LS * :a"); Trickle(s); })
        << QString::fromStdString(user);
    QTest::newRow("registration greeting") << "registration" << Script(Trickle) << QString::fromStdString(kUser);
    QTest::newRow("registration, welcome") << "registration" << Script([](ScriptedServer& s) {
        s.Expect(kUser).Expect("nick alice").Send(":irc.test 001 alice :Welcome");
        Trickle(s);
    }) << QString::fromStdString(kRegister);
    QTest::newRow("registration, tail") << "registration" << Script([](ScriptedServer& s) {
        s.Expect(kUser).Expect("nick alice").Expect(kRegister).Send(":irc.test 421 alice nickserv :Unknown command");
        Trickle(s);
    }) << "";
}

void TestLoginCancel::serverThatNeverFallsSilent()
{
    QFETCH(QString, dialog);
    QFETCH(Script, script);
    QFETCH(QString, notSent);
    Rig rig;
    timing().burstLimitMs = 1500;
    bool openDuringBox = false;
    rig.prompts.onPrompt = [&](const PromptRecorder::Record&) { openDuringBox = rig.frame.connection_.Connected(); };
    script(rig.server);
    QElapsedTimer clock;
    clock.start();
    rig.Run(dialog);

    QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
    const QString why = QStringLiteral("The server did not stop sending: it went on for 1500 ms without a pause, "
                                       "so the connection was closed.");
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
    QVERIFY(!rig.frame.connection_.Connected());
    QCOMPARE(rig.frame.StatusPanel1->text(), QStringLiteral("Not Connected"));
    QTRY_VERIFY(!rig.server.ClientConnected());
    if (!notSent.isEmpty()) QVERIFY(!rig.server.HasReceived(notSent.toStdString()));
    QVERIFY(!rig.server.HasReceivedPrefix("nickserv identify"));
}

QTEST_MAIN(TestLoginCancel)
#include "tst_login_cancel.moc"
