// What keeps a connection alive for days: the pace of sent lines, the watch
// on a silent link, the waits between reconnect tries, and the answers to
// client requests.
#include "protocol/irc/ctcp.h"
#include "protocol/irc/link_watch.h"
#include "protocol/irc/reconnect_backoff.h"
#include "protocol/irc/send_pacer.h"

#include <QtTest>

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

namespace {

// "name@ms" for every line the pacer lets go while the clock runs in 100 ms
// steps up to until.
QStringList PacedTimeline(SendPacer& pacer, Ms until)
{
    QStringList timeline;
    const SendPacer::TimePoint start{};
    for (Ms t{0}; t <= until; t += 100ms) {
        for (const SendPacer::Line& line : pacer.TakeDue(start + t))
            timeline << QStringLiteral("%1@%2").arg(QString::fromStdString(line.bytes)).arg(t.count());
    }
    return timeline;
}

}  // namespace

class StayingConnectedTest : public QObject {
    Q_OBJECT

private slots:
    // Each entry: "p:NAME" a paced line, "i:NAME" an immediate one, "pN:NAME"
    // a paced line of N bytes; "drop:TARGET" drops that target's lines.
    void pacingSendsABurstThenSpacesLinesOut_data()
    {
        QTest::addColumn<QStringList>("queued");
        QTest::addColumn<QStringList>("timeline");
        QTest::newRow("five at once, then one every two seconds")
            << QStringList{"p:1", "p:2", "p:3", "p:4", "p:5", "p:6", "p:7"}
            << QStringList{"1@0", "2@0", "3@0", "4@0", "5@0", "6@2000", "7@4000"};
        QTest::newRow("immediate lines jump the queue and are never held")
            << QStringList{"p:1", "p:2", "p:3", "p:4", "p:5", "p:6", "i:PONG"}
            << QStringList{"PONG@0", "1@0", "2@0", "3@0", "4@0", "6@4000", "5@2000"};
        QTest::newRow("a long line costs more")
            << QStringList{"p1198:a", "p:b", "p:c", "p:d", "p:e"}
            << QStringList{"a@0", "b@0", "c@0", "d@2000", "e@4000"};
        QTest::newRow("dropping a target keeps the others in order")
            << QStringList{"p:1", "p:2", "p:3", "p:4", "p:5", "p:a>#x", "p:b>#y", "p:c>#x", "drop:#X"}
            << QStringList{"1@0", "2@0", "3@0", "4@0", "5@0", "b@2000"};
    }
    void pacingSendsABurstThenSpacesLinesOut()
    {
        QFETCH(QStringList, queued);
        QFETCH(QStringList, timeline);
        SendPacer pacer;
        for (const QString& entry : queued) {
            const QString kind = entry.section(u':', 0, 0);
            const QString rest = entry.section(u':', 1);
            if (kind == "drop") {
                pacer.DropTarget(rest.toStdString());
                continue;
            }
            std::string bytes = rest.section(u'>', 0, 0).toStdString();
            if (kind.size() > 1)
                bytes.resize(kind.mid(1).toULongLong() - 2, 'x');
            pacer.Enqueue(bytes, rest.section(u'>', 1).toStdString(),
                          kind == "i" ? SendPacer::Priority::Immediate : SendPacer::Priority::Paced);
        }
        QStringList got = PacedTimeline(pacer, 10s);
        // Long lines are named by their first byte.
        for (QString& entry : got)
            if (entry.startsWith("axx")) entry = "a@" + entry.section(u'@', 1);
        QStringList want = timeline;
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        QCOMPARE(got, want);
        QCOMPARE(pacer.Waiting(), std::size_t(0));
    }

    void aPasteTakesThePacersOwnTime()
    {
        SendPacer pacer;
        // 120 short lines: 5 at once, 115 more two seconds apart.
        QCOMPARE(pacer.TimeToSend(std::vector<std::size_t>(120, 60)), Ms(230000));
        QCOMPARE(pacer.TimeToSend({}), Ms(0));
        pacer.Enqueue("x", "#a", SendPacer::Priority::Paced);
        QCOMPARE(pacer.DropAll().size(), std::size_t(1));
        QVERIFY(!pacer.NextDue({}).has_value());
    }

    // Each step: "heard@S", "tick@S=ACTION", "pong:TOKEN@S=true|false".
    void theLinkWatchPingsAQuietServerAndDeclaresASilentOneDead_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("quiet: ping after 30 s, dead 90 s later")
            << QStringList{"tick@29=none", "tick@30=ping", "tick@119=none", "tick@120=dead"};
        QTest::newRow("any line after the ping keeps it alive")
            << QStringList{"tick@30=ping", "heard@100", "tick@125=none", "tick@130=ping", "tick@220=dead"};
        QTest::newRow("its own answer is recognised, another is not")
            << QStringList{"tick@30=ping", "pong:other@31=false", "pong:talvessa-1@31=true", "tick@60=none",
                           "tick@61=ping"};
        QTest::newRow("lines keep it from pinging at all")
            << QStringList{"heard@20", "tick@49=none", "heard@45", "tick@74=none", "tick@75=ping"};
    }
    void theLinkWatchPingsAQuietServerAndDeclaresASilentOneDead()
    {
        QFETCH(QStringList, steps);
        const LinkWatch::TimePoint start{};
        LinkWatch watch(start);
        for (const QString& step : steps) {
            const QString what = step.section(u'@', 0, 0);
            const QString when = step.section(u'@', 1).section(u'=', 0, 0);
            const QString want = step.section(u'=', 1);
            const auto now = start + std::chrono::seconds(when.toInt());
            if (what == "heard") {
                watch.Heard(now);
            } else if (what == "tick") {
                const LinkWatch::Action action = watch.Tick(now);
                const QString got = action == LinkWatch::Action::SendPing ? "ping"
                                    : action == LinkWatch::Action::Dead   ? "dead"
                                                                          : "none";
                QVERIFY2(got == want, qPrintable(step + " gave " + got));
            } else {
                const bool own = watch.AnsweredBy(what.section(u':', 1).toStdString(), now);
                QVERIFY2(own == (want == "true"), qPrintable(step));
            }
        }
        QCOMPARE(watch.DeadAfter(), Ms(120000));
    }

    void reconnectWaitsDoubleUpToFiveMinutesWithJitter_data()
    {
        QTest::addColumn<double>("random");
        QTest::addColumn<QList<qint64>>("waits");
        QTest::newRow("no jitter") << 0.5
                                   << QList<qint64>{2000, 4000, 8000, 16000, 32000, 64000, 128000, 256000, 300000,
                                                    300000};
        QTest::newRow("most shortened") << 0.0 << QList<qint64>{1800, 3600, 7200, 14400, 28800, 57600, 115200, 230400,
                                                                 270000, 270000};
        QTest::newRow("most lengthened, never past five minutes")
            << 0.999999 << QList<qint64>{2199, 4399, 8799, 17599, 35199, 70399, 140799, 281599, 300000, 300000};
    }
    void reconnectWaitsDoubleUpToFiveMinutesWithJitter()
    {
        QFETCH(double, random);
        QFETCH(QList<qint64>, waits);
        ReconnectBackoff backoff([random] { return random; });
        QList<qint64> got;
        for (int i = 0; i < waits.size(); ++i)
            got << backoff.NextDelay().count();
        QCOMPARE(got, waits);
        for (int i = 0; i < 100; ++i)
            backoff.NextDelay();  // a server that closes at once for hours
        QVERIFY(backoff.NextDelay() <= Ms(300000));
        backoff.Reset();
        QCOMPARE(backoff.NextDelay().count(), waits.first());
    }

    void clientRequestsAreAnswered_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reply");  // "-" for none
        QTest::newRow("version") << "\x01VERSION\x01" << "VERSION Talvessa 9 on Linux";
        QTest::newRow("version in lower case") << "\x01version\x01" << "VERSION Talvessa 9 on Linux";
        QTest::newRow("ping echoes its argument") << "\x01PING 1733 77\x01" << "PING 1733 77";
        QTest::newRow("ping without the closing mark") << "\x01PING 5" << "PING 5";
        QTest::newRow("time") << "\x01TIME\x01" << "TIME Tue Dec 8 12:00:00 2026";
        QTest::newRow("clientinfo") << "\x01" "CLIENTINFO\x01" << "CLIENTINFO ACTION CLIENTINFO PING TIME VERSION";
        QTest::newRow("an action is no request") << "\x01" "ACTION waves\x01" << "-";
        QTest::newRow("an unknown request") << "\x01" "FINGER\x01" << "-";
        QTest::newRow("plain text") << "VERSION" << "-";
        QTest::newRow("only the marks") << "\x01\x01" << "-";
    }
    void clientRequestsAreAnswered()
    {
        QFETCH(QString, text);
        QFETCH(QString, reply);
        const CtcpFacts facts{"Talvessa 9 on Linux", "Tue Dec 8 12:00:00 2026"};
        std::optional<std::string> got;
        if (const auto request = ParseCtcp(text.toStdString()))
            got = CtcpReplyText(*request, facts);
        QCOMPARE(got ? QString::fromStdString(*got) : QStringLiteral("-"), reply);
    }

    void atMostThreeAnswersInTenSeconds()
    {
        CtcpLimiter limiter;
        const CtcpLimiter::TimePoint start{};
        QStringList allowed;
        for (int second : {0, 1, 2, 3, 9, 10, 11, 12, 13})
            allowed << QString::number(second) + (limiter.Allow(start + std::chrono::seconds(second)) ? "y" : "n");
        QCOMPARE(allowed, (QStringList{"0y", "1y", "2y", "3n", "9n", "10y", "11y", "12y", "13n"}));
    }
};

QTEST_GUILESS_MAIN(StayingConnectedTest)
#include "tst_staying_connected.moc"
