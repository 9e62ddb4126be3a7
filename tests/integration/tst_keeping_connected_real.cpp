// Staying connected on real servers: a long paste under a real network's
// flood limits (twice the lines the server lets through at once, at the
// program's real pace; bench/long_paste_real.sh pastes the four-minute 120
// lines), reconnecting after the server restarts, and a frozen server noticed
// (its silence limits shrunk).
#include "transcript/transcript_view.h"
#include "chat/nick_list_view.h"
#include "chat/room_window.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "protocol/irc/sent_lines.h"
#include "shell/shell_test_support.h"
#include "side/room_list_window.h"

#include <QPlainTextEdit>
#include "support/irc_servers.h"
#include "support/login_controls.h"
#include "support/temp_user_data.h"
#include "support/window_controls.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <thread>

namespace {

using Kind = RealIrcServer::Kind;

// Lines in the pasted text: more than the server's flood limits let through
// unpaced (20), so the pace is what brings them all through.
int PastedLines()
{
    const int asked = qEnvironmentVariableIntValue("TALVESSA_PASTE_LINES");
    return asked > 0 ? asked : 40;
}

void LogIn(MainWindow& frame, int port, const QString& nick)
{
    timing().defaultPort = port;
    Control<QComboBox>(frame, "serverBox")->setEditText("127.0.0.1");
    QTimer::singleShot(0, &frame, [&frame, nick] {
        if (auto* login = frame.findChild<LoginDialog*>()) LogInOrLeave(login, nick);
    });
    Control<QAction>(frame, "connectAction")->trigger();
}

bool Joined(RoomWindow* room, const QString& nick)
{
    return room->NickList().FindExact(nick) || room->NickList().FindExact(u'@' + nick);
}

}  // namespace

class TestKeepingConnectedReal : public QObject {
    Q_OBJECT
private slots:
    void longPasteArrivesWholeUnderFloodLimits();
    void reconnectsAndRejoinsAfterServerRestart();
    void frozenServerIsNoticedAndLeftForAnother();

private:
    TempUserData userData_;
};

void TestKeepingConnectedReal::longPasteArrivesWholeUnderFloodLimits()
{
    if (!RealIrcServer::Installed(Kind::InspircdWithServices)) QSKIP("inspircd is not installed");
    PromptRecorder prompts;
    const Timings saved = timing();
    RealIrcServer server(Kind::InspircdWithServices, false, RealIrcServer::Families::Ipv4,
                         RealIrcServer::Flood::RealNetworkLimits);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    MainWindow frame;
    frame.show();
    LogIn(frame, server.Port(), "paster");
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Connected"), 15000);
    TestIrcClient reader;
    QVERIFY(reader.Login(server.Port(), "reader"));
    reader.Send("JOIN #paste");
    QVERIFY(!reader.WaitFor(" 366 ").empty());
    RoomWindow* room = frame.OpenRoomWindow("paste");
    QTRY_VERIFY_WITH_TIMEOUT(Joined(room, "paster"), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(frame.Sender().Waiting(), 0, 30000);
    QTest::qWait(timing().sendBurstLines * timing().sendSpacingMs);  // a quiet start: the whole burst again

    const int lines = PastedLines();
    QStringList pasted;
    std::vector<std::size_t> sizes;
    for (int i = 1; i <= lines; ++i) {
        pasted << QStringLiteral("line %1 of the paste, with some words to make it look like text").arg(i);
        sizes.push_back(sent::RoomMessageLine("paste", pasted.last().toStdString()).size() + 2);
    }
    const int figure = frame.Sender().MillisecondsToSend(sizes);
    QGuiApplication::clipboard()->setText(pasted.join(u'\n'));
    InputLine(*room)->setFocus();
    QElapsedTimer clock;
    clock.start();
    QTest::keySequence(InputLine(*room), QKeySequence::Paste);
    QCOMPARE(prompts.confirmAsked.size(), 1);
    // The second user reads on a thread of its own: the frame's event loop
    // (and with it the pace) runs undisturbed meanwhile.
    std::atomic<int> arrived{0};
    std::atomic<qint64> lastAt{0};
    std::atomic<bool> inOrder{true};
    std::thread peer([&] {
        while (arrived < lines && clock.elapsed() < figure + 60000) {
            const std::string line = reader.WaitFor("PRIVMSG #paste :", 500);
            if (line.empty()) continue;
            const std::string expected = "line " + std::to_string(arrived + 1) + " of";
            if (line.find(expected) == std::string::npos) inOrder = false;
            lastAt = clock.elapsed();
            if (++arrived % 30 == 0) qInfo("%d lines arrived after %lld ms", arrived.load(), lastAt.load());
        }
    });
    while (arrived < lines && clock.elapsed() < figure + 60000) QTest::qWait(100);
    peer.join();
    QVERIFY(inOrder);
    qInfo("%d-line paste: %d lines arrived in %lld ms; the pacing's own figure %d ms", lines, arrived.load(),
          lastAt.load(), figure);
    QCOMPARE(arrived.load(), lines);
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Connected"));
    QVERIFY2(std::abs(lastAt - figure) <= figure / 10, qPrintable(QString::number(lastAt.load())));
    frame.Lifecycle().Close(std::chrono::milliseconds(500));
    timing() = saved;
}

void TestKeepingConnectedReal::reconnectsAndRejoinsAfterServerRestart()
{
    if (!RealIrcServer::Installed(Kind::Ngircd)) QSKIP("ngircd is not installed");
    PromptRecorder prompts;
    ShrunkTimings timings;
    timing().sendBurstLines = 5;  // the real pace, from the frame on
    RealIrcServer server(Kind::Ngircd);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    MainWindow frame;
    frame.show();
    LogIn(frame, server.Port(), "keeper");
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Connected"), 15000);
    RoomWindow* one = frame.OpenRoomWindow("one");
    RoomWindow* two = frame.OpenRoomWindow("two");
    QTRY_VERIFY_WITH_TIMEOUT(Joined(one, "keeper") && Joined(two, "keeper"), 15000);

    QVERIFY(server.Stop());
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Not Connected"), 10000);
    QVERIFY(!Joined(one, "keeper"));
    QVERIFY(server.Restart());
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(Joined(one, "keeper") && Joined(two, "keeper"), 30000);
    qInfo("reconnected and both rooms rejoined %lld ms after the server came back", clock.elapsed());
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Connected"));
    QVERIFY(Control<TranscriptView>(frame, "serverLog")->toPlainText().contains("Reconnecting in"));
    QCOMPARE(prompts.Kinds(), QStringList());  // no dialog, no box
    frame.Lifecycle().Close(std::chrono::milliseconds(500));
}

void TestKeepingConnectedReal::frozenServerIsNoticedAndLeftForAnother()
{
    if (!RealIrcServer::Installed(Kind::Ngircd)) QSKIP("ngircd is not installed");
    PromptRecorder prompts;
    ShrunkTimings timings;
    // bench/dead_link_real.sh runs this with every wait of the program as it
    // ships (a PING after 30 s of silence, the link dead 90 s later, the
    // first reconnect 2 s after).
    const bool real = !qEnvironmentVariableIsEmpty("TALVESSA_REAL_LINK_TIMES");
    if (real) {
        timing() = Timings();
    } else {
        timing().quietBeforePingMs = 1000;
        timing().pingAnswerMs = 2000;
    }
    RealIrcServer server(Kind::Ngircd);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));
    MainWindow frame;
    frame.show();
    LogIn(frame, server.Port(), "frozen");
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Connected"), 15000);
    RoomWindow* room = frame.OpenRoomWindow("cold");
    QTRY_VERIFY_WITH_TIMEOUT(Joined(room, "frozen"), 15000);
    QTest::qWait(2500);  // quiet spells answered: the link stays
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Connected"));

    server.Signal(SIGSTOP);
    QElapsedTimer clock;
    clock.start();
    const int limit = timing().quietBeforePingMs + timing().pingAnswerMs;
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(frame, "connectionLabel")->text(), QStringLiteral("Not Connected"), limit + 10000);
    const qint64 noticed = clock.elapsed();
    server.Signal(SIGCONT);
    qInfo("frozen server noticed after %lld ms (limit %d ms + 1 s)", noticed,
          timing().quietBeforePingMs + timing().pingAnswerMs);
    QVERIFY(noticed <= timing().quietBeforePingMs + timing().pingAnswerMs + 1000);
    QVERIFY(Control<TranscriptView>(frame, "serverLog")->toPlainText().contains(
        QStringLiteral("The server stopped answering (no reply in %1 s).").arg(limit / 1000)));
    // Thawed, the server takes the program back.
    QTRY_VERIFY_WITH_TIMEOUT(Joined(room, "frozen"), 30000);
    qInfo("reconnected and the room rejoined %lld ms after the freeze, %lld ms after the notice", clock.elapsed(),
          clock.elapsed() - noticed);
    frame.Lifecycle().Close(std::chrono::milliseconds(500));
}

// The 120-line paste takes its real four minutes: more than a test function gets by default.
int main(int argc, char** argv)
{
    qputenv("QTEST_FUNCTION_TIMEOUT", "540000");
    QApplication app(argc, argv);
    TestKeepingConnectedReal test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_keeping_connected_real.moc"
