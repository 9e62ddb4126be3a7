// Received INVITE lines: a prompt after the handler has returned, with the
// room and inviter the line gives, nothing for lines that name no room a
// join could go to, and only a log line for an ignored inviter.
#include "events/event_router.h"
#include "events/invite_events.h"
#include "shell/main_form.h"
#include "side/invitation_prompt.h"
#include "side/room_list_window.h"
#include "support/test_session.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

#include <memory>

namespace {

void Route(TMainForm& frame, const std::string& raw)
{
    ircmessageencoder line;
    line.ParseLine(raw);
    RouteLine(TestSession(frame), line);
}

QList<TForm9*> Prompts(const TMainForm& frame) { return frame.findChildren<TForm9*>(); }

QStringList LogLines(const TMainForm& frame)
{
    const QString text = frame.Form4()->log->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

}  // namespace

class TestInviteEvents : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void inviteLines_data();
    void inviteLines();
    void ignoredInviterIsLoggedOnly_data();
    void ignoredInviterIsLoggedOnly();
    void backToBackInvitationsGiveTwoPrompts();

private:
    std::unique_ptr<TMainForm> frame_;
};

void TestInviteEvents::init()
{
    frame_ = std::make_unique<TMainForm>();
    frame_->SetCurrentNick("me");
    frame_->SetIgnoreList(QStringList());
}

void TestInviteEvents::cleanup() { frame_.reset(); }

void TestInviteEvents::inviteLines_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("inviter");  // empty: no prompt
    QTest::addColumn<QString>("room");
    QTest::addColumn<bool>("logged");      // the raw line went to the server log

    const QByteArray longRoom(2048, 'r');
    QTest::newRow("usual") << QByteArray(":bob!b@h INVITE me :#lobby") << "bob" << "lobby" << false;
    QTest::newRow("no colon") << QByteArray(":bob!b@h INVITE me #lobby") << "bob" << "lobby" << false;
    QTest::newRow("every # goes") << QByteArray(":bob!b@h INVITE me :##lob#by#") << "bob" << "lobby" << false;
    QTest::newRow("no #") << QByteArray(":bob!b@h INVITE me :lobby") << "bob" << "lobby" << false;
    QTest::newRow("first word only") << QByteArray(":bob!b@h INVITE me :#lobby extra") << "bob" << "lobby" << false;
    QTest::newRow("2 KB room") << ":bob!b@h INVITE me :#" + longRoom << "bob" << QString::fromLatin1(longRoom) << false;
    QTest::newRow("non-ASCII room") << QByteArray(":bob!b@h INVITE me :#caf\xC3\xA9") << "bob" << QStringLiteral("café") << false;
    QTest::newRow("empty room") << QByteArray(":bob!b@h INVITE me :") << "" << "" << true;
    QTest::newRow("only #") << QByteArray(":bob!b@h INVITE me :##") << "" << "" << true;
    QTest::newRow("no room at all") << QByteArray(":bob!b@h INVITE me") << "" << "" << true;
    QTest::newRow("no parameters, not even a command") << QByteArray(":bob!b@h INVITE") << "" << "" << false;
    QTest::newRow("two rooms") << QByteArray(":bob!b@h INVITE me :#a,#b") << "" << "" << true;
    QTest::newRow("control byte in room") << QByteArray(":bob!b@h INVITE me :#a\x07" "b") << "" << "" << true;
    QTest::newRow("no sender") << QByteArray(": INVITE me :#lobby") << "" << "" << true;
}

void TestInviteEvents::inviteLines()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, inviter);
    QFETCH(QString, room);
    QFETCH(bool, logged);
    Route(*frame_, raw.toStdString());
    QVERIFY(Prompts(*frame_).isEmpty());  // shown once the handler is done, not inside it
    QCoreApplication::processEvents();
    const QList<TForm9*> prompts = Prompts(*frame_);
    if (inviter.isEmpty()) {
        QVERIFY(prompts.isEmpty());
        QCOMPARE(LogLines(*frame_).size(), logged ? 1 : 0);
        return;
    }
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(prompts[0]->Inviter(), inviter);
    QCOMPARE(prompts[0]->Room(), room);
    QVERIFY(prompts[0]->isVisible());
    QVERIFY(prompts[0]->Label1->text().startsWith(inviter + " is inviting you to "));
    QVERIFY(prompts[0]->Label1->text().endsWith(". Do you want to accept this invitation ?"));
    QVERIFY(prompts[0]->Label1->text().size() < 200);  // a long room is shortened in the question
    QVERIFY(LogLines(*frame_).isEmpty());
}

void TestInviteEvents::ignoredInviterIsLoggedOnly_data()
{
    QTest::addColumn<QStringList>("ignored");
    QTest::newRow("plain entry") << QStringList{"amy", "bob"};
    QTest::newRow("operator entry") << QStringList{"@bob"};
}

void TestInviteEvents::ignoredInviterIsLoggedOnly()
{
    QFETCH(QStringList, ignored);
    frame_->SetIgnoreList(ignored);
    Route(*frame_, ":bob!b@h INVITE me :#lobby");
    QCoreApplication::processEvents();
    QVERIFY(Prompts(*frame_).isEmpty());
    QCOMPARE(LogLines(*frame_), QStringList{"bob (Ignored): me :#lobby "});  // params as parsed, trailing space kept

    Route(*frame_, ":Bob!b@h INVITE me :#lobby");  // another nick as far as the list goes
    QTRY_COMPARE(Prompts(*frame_).size(), 1);
}

void TestInviteEvents::backToBackInvitationsGiveTwoPrompts()
{
    Route(*frame_, ":bob!b@h INVITE me :#one");
    Route(*frame_, ":amy!a@h INVITE me :#two");
    QTRY_COMPARE(Prompts(*frame_).size(), 2);
    QStringList seen;
    for (const TForm9* p : Prompts(*frame_)) seen << p->Inviter() + ' ' + p->Room();
    seen.sort();
    QCOMPARE(seen, (QStringList{"amy two", "bob one"}));
    // The second does not sit exactly on top of the first.
    QVERIFY(Prompts(*frame_)[0]->pos() != Prompts(*frame_)[1]->pos());
}

QTEST_MAIN(TestInviteEvents)
#include "tst_invite_events.moc"
