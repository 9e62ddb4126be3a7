// Lines that name the user: the highlighted transcript line, the mark on the
// window's frame until it is activated, private messages, ignored senders,
// and the desktop notification, caught by a notification service of the
// test's own on a private session bus.
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "events/event_router.h"
#include "shell/main_window.h"
#include "support/temp_user_data.h"
#include "support/test_session.h"

#include <QDBusConnection>
#include <QMdiSubWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBlock>
#include <QtTest>

#include <memory>

namespace {

void Route(MainWindow& frame, const std::string& raw)
{
    IrcMessage line;
    line.ParseLine(raw);
    RouteLine(TestSession(frame), line);
}

// The lines of view whose background is set, by their text.
QStringList Highlighted(const TranscriptView* view)
{
    QStringList out;
    for (int line = 0; line < view->Store().Count(); ++line)
        if (view->Store().Mentioned(line)) out << view->Store().PlainTextOf(line);
    return out;
}

QString FrameTitle(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget())->windowTitle(); }

}  // namespace

// The desktop's notification service, as far as the program uses it.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList received;  // "summary | body"
    int capabilitiesAsked = 0;

public slots:
    QStringList GetCapabilities()
    {
        ++capabilitiesAsked;
        return {QStringLiteral("body"), QStringLiteral("body-markup"), QStringLiteral("body-hyperlinks"),
                QStringLiteral("body-images")};
    }

    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        received << summary + QStringLiteral(" | ") + body;
        return uint(received.size());
    }
};

class TestMentions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void roomLines_data();
    void roomLines();
    void privateMessageMarksItsWindow();
    void desktopNoticeWhileTheFrameIsInactive();

private:
    QProcess bus_;
    FakeNotifications notifications_;
    TempUserData userData_;
    std::unique_ptr<MainWindow> frame_;
};

void TestMentions::init()
{
    frame_ = std::make_unique<MainWindow>();
    frame_->SetCurrentNick(QStringLiteral("Ann"));
    frame_->show();
    frame_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
}

void TestMentions::cleanup() { frame_.reset(); }

void TestMentions::initTestCase()
{
    // A session bus of the test's own, set before the program first asks for one.
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) return;
    bus_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    QVERIFY(bus_.waitForReadyRead(10000));
    const QByteArray address = bus_.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("service"));
    QVERIFY(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
    QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications_,
                                   QDBusConnection::ExportAllSlots));
}

void TestMentions::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    bus_.kill();
    bus_.waitForFinished();
}

void TestMentions::roomLines_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<bool>("inFront");  // the room's window is the active one
    QTest::addColumn<QStringList>("highlighted");
    QTest::addColumn<bool>("marked");

    QTest::newRow("named") << QByteArray(":Bob!u@h PRIVMSG #Germany :hi ann, how are you") << false
                           << QStringList{"Bob: hi ann, how are you"} << true;
    QTest::newRow("named in an action") << QByteArray(":Bob!u@h PRIVMSG #Germany :\x01" "ACTION hugs ANN\x01") << false
                                        << QStringList{"Bob hugs ANN"} << true;
    QTest::newRow("named in bold") << QByteArray(":Bob!u@h PRIVMSG #Germany :\x02" "Ann\x02: look") << false
                                   << QStringList{"Bob: Ann: look"} << true;
    QTest::newRow("window in front: no mark") << QByteArray(":Bob!u@h PRIVMSG #Germany :Ann: look") << true
                                              << QStringList{"Bob: Ann: look"} << false;
    QTest::newRow("part of a word") << QByteArray(":Bob!u@h PRIVMSG #Germany :annual report") << false
                                    << QStringList{} << false;
    QTest::newRow("not named") << QByteArray(":Bob!u@h PRIVMSG #Germany :hello all") << false << QStringList{}
                               << false;
    QTest::newRow("ignored sender") << QByteArray(":Troll!u@h PRIVMSG #Germany :Ann Ann Ann") << false
                                    << QStringList{} << false;
}

void TestMentions::roomLines()
{
    QFETCH(QByteArray, raw);
    QFETCH(bool, inFront);
    QFETCH(QStringList, highlighted);
    QFETCH(bool, marked);
    frame_->ChangeIgnoreList([](IgnoreEntries& list) { list.Append(QStringLiteral("Troll")); });
    RoomWindow* germany = frame_->OpenRoomWindow(QStringLiteral("Germany"));
    RoomWindow* rust = frame_->OpenRoomWindow(QStringLiteral("rust"));
    frame_->BringToFront(inFront ? germany : rust);
    Route(*frame_, raw.toStdString());
    Route(*frame_, ":Bob!u@h PRIVMSG #Germany :a line after it");
    QCOMPARE(Highlighted(&germany->Transcript()), highlighted);
    QCOMPARE(MainWindow::MentionMarked(germany), marked);
    QCOMPARE(FrameTitle(germany), marked ? QStringLiteral("* Germany") : QStringLiteral("Germany"));
    QCOMPARE(germany->Title(), QStringLiteral("Germany"));  // the identity stays
    frame_->BringToFront(germany);
    QVERIFY(!MainWindow::MentionMarked(germany));
    QCOMPARE(FrameTitle(germany), QStringLiteral("Germany"));
}

void TestMentions::privateMessageMarksItsWindow()
{
    RoomWindow* room = frame_->OpenRoomWindow(QStringLiteral("rust"));
    Route(*frame_, ":Bob!u@h PRIVMSG Ann :psst");
    auto* bob = qobject_cast<PrivateWindow*>(frame_->PrivateWindowsNamed(QStringLiteral("Bob")).value(0));
    QVERIFY(bob);
    // The window comes to the front soon after, and that clears the mark.
    QTRY_COMPARE(frame_->CurrentChild(), bob);
    QVERIFY(!MainWindow::MentionMarked(bob));
    frame_->BringToFront(room);
    Route(*frame_, ":Bob!u@h NOTICE Ann :a notice is no mention");
    QVERIFY(!MainWindow::MentionMarked(bob));
    QTRY_COMPARE(frame_->CurrentChild(), bob);
    frame_->BringToFront(room);
    Route(*frame_, ":Bob!u@h PRIVMSG Ann :still there?");
    QVERIFY(MainWindow::MentionMarked(bob));
}

void TestMentions::desktopNoticeWhileTheFrameIsInactive()
{
    if (bus_.state() != QProcess::Running) QSKIP("dbus-daemon is not installed");
    RoomWindow* germany = frame_->OpenRoomWindow(QStringLiteral("Germany"));
    RoomWindow* rd = frame_->OpenRoomWindow(QStringLiteral("r&d"));
    frame_->OpenRoomWindow(QStringLiteral("perl"));
    // The user looks at the frame: the mark, but no notice.
    Route(*frame_, ":Bob!u@h PRIVMSG #Germany :ann: are you there?");
    QVERIFY(MainWindow::MentionMarked(germany));
    // The user is in another program: a notice, once however many lines
    // follow, and at most one every few seconds for all windows together.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    // The server's text reaches a service that reads markup: it is shown as
    // text, never as bold, a link or a picture.
    Route(*frame_, ":Eve!u@h PRIVMSG #r&d :Ann, \x02look\x02 <b>bold</b> & <a href=\"http://evil.example/\">click</a> "
                   "<img src=\"file:///etc/passwd\"/>");
    Route(*frame_, ":Eve!u@h PRIVMSG #r&d :ann?");
    Route(*frame_, ":Bob!u@h PRIVMSG #perl :ann: and here");
    QVERIFY(MainWindow::MentionMarked(rd));
    QTRY_COMPARE(notifications_.received,
                 QStringList{"Eve in r&amp;d | Ann, look &lt;b&gt;bold&lt;/b&gt; &amp; &lt;a href=\"http://evil.example/\"&gt;"
                             "click&lt;/a&gt; &lt;img src=\"file:///etc/passwd\"/&gt;"});
    QTest::qWait(200);
    QCOMPARE(notifications_.received.size(), 1);
    QCOMPARE(notifications_.capabilitiesAsked, 1);
}

QTEST_MAIN(TestMentions)
#include "tst_mentions.moc"
