// Chat lines on real IRC servers: a second user's room message, action,
// private message, away reply and notice reach the right windows, the user's
// styled private line reaches the second user, and the partner's quit locks
// the private window.
#include "chat/input_bar.h"
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "events/message_events.h"
#include "protocol/irc/dispatch.h"
#include "protocol/irc/sent_lines.h"
#include "shell/main_window.h"
#include "side/room_list_window.h"
#include "support/irc_servers.h"
#include "support/window_controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>


Q_DECLARE_METATYPE(RealIrcServer::Kind)

namespace {

constexpr int kWaitMs = 15000;


PrivateWindow* PrivateWindowTitled(const MainWindow& frame, const QString& title)
{
    for (QWidget* w : frame.ChildWindows())
        if (auto* p = qobject_cast<PrivateWindow*>(w); p && p->Title() == title) return p;
    return nullptr;
}

int PrivateWindowCount(const MainWindow& frame)
{
    int n = 0;
    for (QWidget* w : frame.ChildWindows())
        if (qobject_cast<PrivateWindow*>(w)) ++n;
    return n;
}

}  // namespace

class TestMessages : public QObject {
    Q_OBJECT

private slots:
    void chatLinesReachTheirWindows_data();
    void chatLinesReachTheirWindows();
};

void TestMessages::chatLinesReachTheirWindows_data()
{
    QTest::addColumn<RealIrcServer::Kind>("kind");
    QTest::newRow("inspircd") << RealIrcServer::Kind::InspircdWithServices;
    QTest::newRow("ngircd") << RealIrcServer::Kind::Ngircd;
}

void TestMessages::chatLinesReachTheirWindows()
{
    QFETCH(RealIrcServer::Kind, kind);
    if (!RealIrcServer::Installed(kind))
        QSKIP("server not installed");
    RealIrcServer server(kind);
    QVERIFY2(server.Ok(), qPrintable(server.Error()));

    MainWindow frame;
    QVERIFY(LogInFrame(frame, server.Port(), "alice"));
    RoomWindow* room = frame.OpenRoomWindow(QStringLiteral("room"));
    const auto roomText = [room] { return room->Transcript().toPlainText(); };
    QTRY_VERIFY_WITH_TIMEOUT(room->InRoom(), kWaitMs);  // bob's join comes after alice's, not before

    TestIrcClient bob;
    QVERIFY(bob.Login(server.Port(), "bob"));
    bob.Send("join #room");
    QTRY_VERIFY_WITH_TIMEOUT(roomText().contains(QStringLiteral("bob has joined the room")), kWaitMs);

    // Room message with an emoticon and a colour, then an action with its closing marker.
    bob.Send("privmsg #room :hello :) \x03" "4there");
    QTRY_VERIFY_WITH_TIMEOUT(roomText().contains(QStringLiteral(u"bob: hello \ufffc there\n")), kWaitMs);
    QVERIFY(room->Flashing());  // the frame is not active: the room flashes
    bob.Send("privmsg #room :\x01" "ACTION waves\x01");
    QTRY_VERIFY_WITH_TIMEOUT(roomText().contains(QStringLiteral("\nbob waves\n")), kWaitMs);
    QCOMPARE(PrivateWindowCount(frame), 0);

    // A private message opens the partner's window.
    bob.Send("privmsg alice :psst");
    QTRY_VERIFY_WITH_TIMEOUT(PrivateWindowTitled(frame, "bob"), kWaitMs);
    PrivateWindow* w = PrivateWindowTitled(frame, "bob");
    const auto privateText = [w] { return w->Transcript().toPlainText(); };
    QTRY_COMPARE_WITH_TIMEOUT(privateText(), QStringLiteral("bob: psst\n"), kWaitMs);

    // The user answers in red and bold; bob is away, so the server's away reply follows.
    bob.Send("away :gone fishing");
    QVERIFY(!bob.WaitFor(" 306 ").empty());
    Control<QComboBox>(*w, "colourPicker")->setCurrentIndex(4);
    Control<QToolButton>(*w, "boldButton")->setChecked(true);
    InputLine(*w)->setText("are you there?");
    QTest::keyClick(InputLine(*w), Qt::Key_Return);
    QVERIFY(!bob.WaitFor("PRIVMSG bob :\x02\x03" "4are you there?").empty());
    QTRY_VERIFY_WITH_TIMEOUT(privateText().contains(QStringLiteral("bob is away(Auto Reply): ")), kWaitMs);
    QVERIFY(privateText().contains(QStringLiteral("you said: are you there?\n")));
    QVERIFY(privateText().endsWith(QStringLiteral(": gone fishing\n")));

    // A notice lands in the same window and locks its input line.
    bob.Send("notice alice :read this");
    QTRY_VERIFY_WITH_TIMEOUT(privateText().endsWith(QStringLiteral("bob (Notice): bob: read this\n")), kWaitMs);
    QVERIFY(!InputLine(*w)->isEnabled());
    QVERIFY(InputLine(*w)->isReadOnly());
    QCOMPARE(PrivateWindowCount(frame), 1);

    if (kind == RealIrcServer::Kind::InspircdWithServices) {
        // MemoServ notices go to the server log, never to a window.
        frame.Connection().WriteLine(sent::MemoServListLine());
        QTRY_VERIFY_WITH_TIMEOUT(Control<TranscriptView>(frame, "serverLog")->toPlainText().contains(QStringLiteral("\nYou are not logged in.")),
                                 kWaitMs);
        QCOMPARE(PrivateWindowCount(frame), 1);
    }

    bob.Send("quit :gone now");
    QTRY_VERIFY_WITH_TIMEOUT(privateText().contains(QStringLiteral("bob has lost connection. ")), kWaitMs);
    QVERIFY(InputLine(*w)->isReadOnly());
    frame.Lifecycle().StopReader(2000);
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
