// Lines that name the user: the highlighted transcript line, the mark on the
// window's frame until it is activated, private messages, ignored senders.
#include "chat/private_window.h"
#include "chat/rich_text_view.h"
#include "chat/room_window.h"
#include "events/event_router.h"
#include "shell/main_form.h"
#include "support/temp_user_data.h"
#include "support/test_session.h"

#include <QMdiSubWindow>
#include <QTextBlock>
#include <QtTest>

#include <memory>

namespace {

void Route(TMainForm& frame, const std::string& raw)
{
    ircmessageencoder line;
    line.ParseLine(raw);
    RouteLine(TestSession(frame), line);
}

// The lines of view whose background is set, by their text.
QStringList Highlighted(const TRichTextBox* view)
{
    QStringList out;
    for (QTextBlock b = view->document()->begin(); b.isValid(); b = b.next())
        if (b.blockFormat().background().style() != Qt::NoBrush) out << b.text();
    return out;
}

QString FrameTitle(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget())->windowTitle(); }

}  // namespace

class TestMentions : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void roomLines_data();
    void roomLines();
    void privateMessageMarksItsWindow();

private:
    TempUserData userData_;
    std::unique_ptr<TMainForm> frame_;
};

void TestMentions::init()
{
    frame_ = std::make_unique<TMainForm>();
    frame_->SetCurrentNick(QStringLiteral("Ann"));
    frame_->show();
    frame_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
}

void TestMentions::cleanup() { frame_.reset(); }

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
    TForm1* germany = frame_->OpenRoomWindow(QStringLiteral("Germany"));
    TForm1* rust = frame_->OpenRoomWindow(QStringLiteral("rust"));
    frame_->BringToFront(inFront ? germany : rust);
    Route(*frame_, raw.toStdString());
    Route(*frame_, ":Bob!u@h PRIVMSG #Germany :a line after it");
    QCOMPARE(Highlighted(germany->mainchat), highlighted);
    QCOMPARE(TMainForm::MentionMarked(germany), marked);
    QCOMPARE(FrameTitle(germany), marked ? QStringLiteral("* Germany") : QStringLiteral("Germany"));
    QCOMPARE(germany->Title(), QStringLiteral("Germany"));  // the identity stays
    frame_->BringToFront(germany);
    QVERIFY(!TMainForm::MentionMarked(germany));
    QCOMPARE(FrameTitle(germany), QStringLiteral("Germany"));
}

void TestMentions::privateMessageMarksItsWindow()
{
    TForm1* room = frame_->OpenRoomWindow(QStringLiteral("rust"));
    Route(*frame_, ":Bob!u@h PRIVMSG Ann :psst");
    auto* bob = qobject_cast<TForm3*>(frame_->PrivateWindowsNamed(QStringLiteral("Bob")).value(0));
    QVERIFY(bob);
    // The window comes to the front soon after, and that clears the mark.
    QTRY_COMPARE(frame_->CurrentChild(), bob);
    QVERIFY(!TMainForm::MentionMarked(bob));
    frame_->BringToFront(room);
    Route(*frame_, ":Bob!u@h NOTICE Ann :a notice is no mention");
    QVERIFY(!TMainForm::MentionMarked(bob));
    QTRY_COMPARE(frame_->CurrentChild(), bob);
    frame_->BringToFront(room);
    Route(*frame_, ":Bob!u@h PRIVMSG Ann :still there?");
    QVERIFY(TMainForm::MentionMarked(bob));
}

QTEST_MAIN(TestMentions)
#include "tst_mentions.moc"
