// The frame's side of typed commands: Ctrl+F in every transcript, links
// opened from a transcript, and the away commands.
#include "chat/find_bar.h"
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "chat/transcript_links.h"
#include "side/room_list_window.h"
#include "support/connected_frame.h"
#include "support/temp_user_data.h"
#include "support/window_controls.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

// Catches what would go to the desktop's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void Open(const QUrl& url) { opened << url.toString(); }
};

class TestFrameCommands : public QObject {
    Q_OBJECT

private slots:
    void ctrlFOpensTheFindBar_data();
    void ctrlFOpensTheFindBar();
    void links_data();
    void links();

private:
    TempUserData userData_;
};

void TestFrameCommands::ctrlFOpensTheFindBar_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("room window") << "room";
    QTest::newRow("private window") << "private";
    QTest::newRow("server log") << "log";
}

void TestFrameCommands::ctrlFOpensTheFindBar()
{
    QFETCH(QString, where);
    Connected c;
    c.frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.frame));
    QAbstractScrollArea* view = nullptr;
    QWidget* focus = nullptr;
    if (where == QLatin1String("room")) {
        RoomWindow* room = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
        view = &room->Transcript();
        focus = InputLine(*room);
    } else if (where == QLatin1String("private")) {
        auto* partner = qobject_cast<PrivateWindow*>(c.frame.OpenPrivateWindowFromUser(QStringLiteral("Bob")));
        view = &partner->Transcript();
        focus = InputLine(*partner);
    } else {
        c.frame.BringToFront(c.frame.RoomList());
        c.frame.AppendLog(QStringLiteral("a line of the log"));
        view = Control<TranscriptView>(c.frame, "serverLog");
        focus = view;
    }
    c.frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&c.frame));
    focus->setFocus();
    QTRY_VERIFY(focus->hasFocus());
    auto* bar = view->findChild<FindBar*>();
    QVERIFY(bar);
    QVERIFY(!bar->isVisible());
    QTest::keyClick(focus, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(bar->isVisible());
    QVERIFY(Control<QLineEdit>(*bar, "findLine")->hasFocus());
    QTest::keyClick(Control<QLineEdit>(*bar, "findLine"), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
}

void TestFrameCommands::links_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("opened");  // what the browser got
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("web address") << "https://example.org/a?b" << QStringList{"https://example.org/a?b"}
                                 << QStringList{};
    QTest::newRow("www address") << "http://www.example.org" << QStringList{"http://www.example.org"}
                                 << QStringList{};
    QTest::newRow("room") << "#rust" << QStringList{} << QStringList{"join #rust"};
    QTest::newRow("other scheme") << "file:///etc/passwd" << QStringList{} << QStringList{};
    QTest::newRow("hash alone") << "#" << QStringList{} << QStringList{};
}

void TestFrameCommands::links()
{
    QFETCH(QString, target);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, sent);
    UrlCatcher catcher;
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "Open");
    Connected c;
    c.Sent();
    OpenTranscriptLink(&c.frame, target);
    QCOMPARE(catcher.opened, opened);
    QCOMPARE(c.Sent(), sent);
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

QTEST_MAIN(TestFrameCommands)
#include "tst_frame_commands.moc"
