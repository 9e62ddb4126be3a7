// The one road of sent lines against a server on loopback: a paste goes out
// in a burst and then spaced, each caller hears when its lines are written,
// a closed window's waiting lines go unsent, and a line that could never go
// is refused with the reason.
#include "common/line_sender.h"
#include "common/timings.h"
#include "protocol/stream/line_connection.h"
#include "support/scripted_server.h"

#include <QtTest>

class LineSenderTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        saved_ = timing();
        timing().sendSpacingMs = 200;
        connection_ = std::make_unique<LineConnection>();
        connection_->SetHost("127.0.0.1");
        connection_->SetPort(server_.Port());
        connection_->Connect();
        sender_ = std::make_unique<LineSender>(*connection_);
    }
    void cleanup()
    {
        sender_.reset();
        connection_->Disconnect();
        connection_.reset();
        timing() = saved_;
    }

    void aPasteGoesOutInABurstThenSpaced()
    {
        std::vector<std::string> lines;
        for (int i = 1; i <= 8; ++i)
            lines.push_back("privmsg #a :line " + std::to_string(i));
        int shown = 0;
        QSignalSpy waiting(sender_.get(), &LineSender::WaitingChanged);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(sender_->Send(lines, "#a", LineSender::Pace::Paced, this, [&] { ++shown; }).accepted);
        QCOMPARE(sender_->Waiting(), 3);
        QCOMPARE(shown, 0);  // shown when the last is written, not when queued
        QVERIFY(server_.WaitForReceived("privmsg #a :line 5", 2000));
        QVERIFY(!server_.HasReceived("privmsg #a :line 6"));
        QTRY_COMPARE_WITH_TIMEOUT(shown, 1, 3000);
        QVERIFY(clock.elapsed() >= 3 * 200 - 50);
        QCOMPARE(server_.Received().back(), std::string("privmsg #a :line 8"));
        QCOMPARE(waiting.last().at(0).toInt(), 0);
    }

    void immediateLinesOvertakeWaitingOnes()
    {
        std::vector<std::string> lines(7, "privmsg #a :x");
        QVERIFY(sender_->Send(lines, "#a").accepted);
        QVERIFY(sender_->Send("PONG :tok", {}, LineSender::Pace::Immediate).accepted);
        QVERIFY(server_.WaitForReceived("PONG :tok", 2000));
        QCOMPARE(sender_->Waiting(), 2);
    }

    void droppingATargetLeavesTheOthers()
    {
        bool roomShown = false;
        QVERIFY(sender_->Send(std::vector<std::string>(5, "privmsg #a :fill"), "#a").accepted);
        QVERIFY(sender_->Send(std::vector<std::string>{"privmsg #gone :never"}, "#Gone", LineSender::Pace::Paced, this, [&] { roomShown = true; })
                    .accepted);
        QVERIFY(sender_->Send(std::string("privmsg bob :still"), "bob").accepted);
        QCOMPARE(sender_->DropTarget("#GONE"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(server_.HasReceived("privmsg bob :still"), 3000);
        QVERIFY(!server_.HasReceived("privmsg #gone :never"));
        QVERIFY(!roomShown);
        QCOMPARE(sender_->DropAll(), 0);
    }

    void linesThatCouldNeverGoAreRefusedWhole_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("too long") << QString(511, u'j') << "longer than the server takes";
        QTest::newRow("a line break") << "privmsg #a :one\r\nquit" << "line break";
        QTest::newRow("a NUL") << QStringLiteral("privmsg #a :a") + QChar(0) << "NUL";
    }
    void linesThatCouldNeverGoAreRefusedWhole()
    {
        QFETCH(QString, line);
        QFETCH(QString, reason);
        const LineSender::Outcome outcome =
            sender_->Send(std::vector<std::string>{"privmsg #a :before", line.toStdString()}, "#a");
        QVERIFY(!outcome.accepted);
        QVERIFY2(outcome.refusal.contains(reason), qPrintable(outcome.refusal));
        QCOMPARE(sender_->Waiting(), 0);
        QVERIFY(sender_->Send(std::string(508, 'k'), "#a").accepted);  // 510 bytes with CR LF: fits
    }

    void nothingGoesWithoutAConnection()
    {
        connection_->Disconnect();
        const LineSender::Outcome outcome = sender_->Send("privmsg #a :hi", "#a");
        QVERIFY(!outcome.accepted);
        QVERIFY(!outcome.refusal.isEmpty());
    }

private:
    ScriptedServer server_;
    Timings saved_;
    std::unique_ptr<LineConnection> connection_;
    std::unique_ptr<LineSender> sender_;
};

QTEST_GUILESS_MAIN(LineSenderTest)
#include "tst_line_sender.moc"
