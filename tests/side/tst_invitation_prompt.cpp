// Invitations: received INVITE lines giving a prompt once the handler has
// returned (or, for an ignored inviter or a line naming no room a join could
// go to, only a log line), each prompt answering for its own invitation with
// several open, Accept on a room already open, and Ignore User writing the
// ignore file before the list in memory.
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "common/list_file.h"
#include "common/user_data_folder.h"
#include "events/event_router.h"
#include "shell/main_window.h"
#include "side/invitation_prompt.h"
#include "side/room_list_window.h"
#include "support/prompt_recorder.h"
#include "support/scripted_server.h"
#include "support/temp_user_data.h"
#include "support/test_session.h"
#include "support/window_controls.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

QList<InvitationPrompt*> OpenPrompts(const MainWindow& frame) { return frame.findChildren<InvitationPrompt*>(); }

void Route(MainWindow& frame, const std::string& raw)
{
    IrcMessage line;
    line.ParseLine(raw);
    RouteLine(TestSession(frame), line);
}

QStringList LogLines(const MainWindow& frame)
{
    const QString text = Control<TranscriptView>(frame, "serverLog")->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QList<RoomWindow*> RoomWindows(const MainWindow& frame)
{
    QList<RoomWindow*> out;
    for (QWidget* w : frame.ChildWindows())
        if (auto* room = qobject_cast<RoomWindow*>(w)) out << room;
    return out;
}

}  // namespace

class TestInvitationPrompt : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void inviteLines_data();
    void inviteLines();
    void ignoredInviterIsLoggedOnly_data();
    void ignoredInviterIsLoggedOnly();
    void staysOnTopWithoutBlocking();
    void eachPromptAnswersItsOwnInvitation();
    void acceptOnOpenRoomOutsideItJoins();
    void atMostFivePrompts_data();
    void atMostFivePrompts();
    void promptTakesNoKeys();
    void ignoreUserTwiceKeepsOneEntry();
    void ignoreUserThatCannotBeWrittenChangesNothing();

private:
    QString IgnoreFile() const { return UserDataFolder("127.0.0.1", "me") + "/ignore.ini"; }
    // Lines the server got, after a moment for them to arrive.
    std::vector<std::string> Sent()
    {
        QTest::qWait(100);
        return server_->Received();
    }

    std::unique_ptr<PromptRecorder> prompts_;
    std::unique_ptr<TempUserData> root_;
    std::unique_ptr<ScriptedServer> server_;
    std::unique_ptr<MainWindow> frame_;
};

void TestInvitationPrompt::init()
{
    prompts_ = std::make_unique<PromptRecorder>();
    root_ = std::make_unique<TempUserData>();
    server_ = std::make_unique<ScriptedServer>();
    frame_ = std::make_unique<MainWindow>();
    frame_->SetCurrentNick("me");
    frame_->Connection().SetHost("127.0.0.1");
    frame_->Connection().SetPort(server_->Port());
    frame_->Connection().Connect();
    frame_->show();
}

void TestInvitationPrompt::cleanup()
{
    frame_.reset();
    server_.reset();
    root_.reset();
    prompts_.reset();
}

void TestInvitationPrompt::inviteLines_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("inviter");  // empty: no prompt
    QTest::addColumn<QString>("room");
    QTest::addColumn<bool>("logged");      // the raw line went to the server log

    const QByteArray longRoom(2048, 'r');
    QTest::newRow("usual") << QByteArray(":bob!b@h INVITE me :#lobby") << "bob" << "lobby" << false;
    // Server text is shown without formatting codes; the inviter too.
    QTest::newRow("formatting codes in the nick") << QByteArray(":b\x02o\x02" "b!b@h INVITE me :#lobby") << "bob"
                                                  << "lobby" << false;
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

void TestInvitationPrompt::inviteLines()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, inviter);
    QFETCH(QString, room);
    QFETCH(bool, logged);
    Route(*frame_, raw.toStdString());
    QVERIFY(OpenPrompts(*frame_).isEmpty());  // shown once the handler is done, not inside it
    QCoreApplication::processEvents();
    const QList<InvitationPrompt*> prompts = OpenPrompts(*frame_);
    if (inviter.isEmpty()) {
        QVERIFY(prompts.isEmpty());
        QCOMPARE(LogLines(*frame_).size(), logged ? 1 : 0);
        return;
    }
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(prompts[0]->Inviter(), inviter);  // kept as sent: the ignore list needs the nick itself
    QCOMPARE(prompts[0]->Room(), room);
    QVERIFY(prompts[0]->isVisible());
    QVERIFY(Control<QLabel>(*prompts[0], "questionLabel")->text().startsWith("bob is inviting you to "));  // shown without formatting codes
    QVERIFY(Control<QLabel>(*prompts[0], "questionLabel")->text().endsWith(". Do you want to accept this invitation ?"));
    QVERIFY(Control<QLabel>(*prompts[0], "questionLabel")->text().size() < 200);  // a long room is shortened in the question
    QVERIFY(LogLines(*frame_).isEmpty());
}

void TestInvitationPrompt::ignoredInviterIsLoggedOnly_data()
{
    QTest::addColumn<QStringList>("ignored");
    QTest::newRow("plain entry") << QStringList{"amy", "bob"};
    QTest::newRow("operator entry") << QStringList{"@bob"};
}

void TestInvitationPrompt::ignoredInviterIsLoggedOnly()
{
    QFETCH(QStringList, ignored);
    frame_->Lists().SetIgnoreList(ignored);
    Route(*frame_, ":bob!b@h INVITE me :#lobby");
    QCoreApplication::processEvents();
    QVERIFY(OpenPrompts(*frame_).isEmpty());
    QCOMPARE(LogLines(*frame_), QStringList{"bob (Ignored): me :#lobby "});  // params as parsed, trailing space kept

    Route(*frame_, ":Bob!b@h INVITE me :#lobby");  // another nick as far as the list goes
    QTRY_COMPARE(OpenPrompts(*frame_).size(), 1);
}

void TestInvitationPrompt::staysOnTopWithoutBlocking()
{
    InvitationPrompt* prompt = frame_->Invitations().Show("bob", "#lobby");
    QVERIFY(prompt->isVisible());
    QVERIFY(!prompt->isModal());
    QVERIFY(prompt->windowFlags() & Qt::WindowStaysOnTopHint);
    prompt->resize(300, 300);
    prompt->activateWindow();
    QTRY_COMPARE(prompt->size(), QSize(InvitationPrompt::kWidth, InvitationPrompt::kHeight));
    // The frame goes on working under it.
    frame_->NewRoomWindow();
    QCOMPARE(RoomWindows(*frame_).size(), 1);
}

void TestInvitationPrompt::eachPromptAnswersItsOwnInvitation()
{
    InvitationPrompt* first = frame_->Invitations().Show("amy", "#one");
    InvitationPrompt* second = frame_->Invitations().Show("bob", "#two");
    InvitationPrompt* third = frame_->Invitations().Show("carl", "#three");
    QCOMPARE(OpenPrompts(*frame_).size(), 3);
    QVERIFY(second->pos() != first->pos());  // a later prompt does not hide an earlier one

    Control<QPushButton>(*first, "acceptButton")->click();  // Accept: the room of the first invitation, not of the last
    QVERIFY(server_->WaitForReceived("join #one"));
    QCOMPARE(RoomWindows(*frame_).size(), 1);
    QCOMPARE(RoomWindows(*frame_)[0]->Title(), QStringLiteral("one"));

    Control<QPushButton>(*second, "ignoreButton")->click();  // Ignore User: the second inviter
    QVERIFY(frame_->IsIgnored("bob"));
    QVERIFY(!frame_->IsIgnored("amy"));
    QVERIFY(!frame_->IsIgnored("carl"));
    QCOMPARE(ListFile(IgnoreFile()).Names(), QStringList{"bob"});

    QTRY_COMPARE(OpenPrompts(*frame_), QList<InvitationPrompt*>{third});
    Control<QPushButton>(*third, "rejectButton")->click();  // Reject
    QTRY_VERIFY(OpenPrompts(*frame_).isEmpty());
    QCOMPARE(Sent(), std::vector<std::string>{"join #one"});
    QVERIFY(prompts_->records.isEmpty());
}

void TestInvitationPrompt::acceptOnOpenRoomOutsideItJoins()
{
    RoomWindow* lobby = frame_->NewRoomWindow();
    lobby->SetTitle("lobby");
    RoomWindow* other = frame_->NewRoomWindow();
    QCOMPARE(frame_->CurrentChild(), other);
    Control<QPushButton>(*frame_->Invitations().Show("bob", "#lobby"), "acceptButton")->click();
    QCOMPARE(frame_->CurrentChild(), lobby);
    QCOMPARE(RoomWindows(*frame_).size(), 2);
    QCOMPARE(Sent(), std::vector<std::string>{"join #lobby"});  // by its join button
    QVERIFY(lobby->InRoom());
    QTRY_VERIFY(OpenPrompts(*frame_).isEmpty());
}

void TestInvitationPrompt::atMostFivePrompts_data()
{
    QTest::addColumn<int>("invitations");
    QTest::addColumn<int>("answeredAfter");  // one prompt answered after this many; -1: none
    QTest::addColumn<int>("prompts");
    QTest::addColumn<QStringList>("logged");
    QTest::newRow("five") << 5 << -1 << 5 << QStringList();
    QTest::newRow("six") << 6 << -1 << 5 << QStringList{"n6 invites you to #r6"};
    QTest::newRow("eight") << 8 << -1 << 5
                           << QStringList{"n6 invites you to #r6", "n7 invites you to #r7", "n8 invites you to #r8"};
    QTest::newRow("an answer makes room") << 6 << 5 << 5 << QStringList();
    QTest::newRow("an answer makes room for one") << 7 << 5 << 5 << QStringList{"n7 invites you to #r7"};
}

void TestInvitationPrompt::atMostFivePrompts()
{
    QFETCH(int, invitations);
    QFETCH(int, answeredAfter);
    QFETCH(int, prompts);
    QFETCH(QStringList, logged);
    const qsizetype logBefore = LogLines(*frame_).size();
    for (int n = 1; n <= invitations; ++n) {
        Route(*frame_, QStringLiteral(":n%1!u@h INVITE me :#r%1").arg(n).toStdString());
        QCoreApplication::processEvents();  // each prompt shows once the line's handler is done
        if (n == answeredAfter) {
            Control<QPushButton>(*OpenPrompts(*frame_).constFirst(), "rejectButton")->click();
            QCoreApplication::processEvents();
        }
    }
    QTRY_COMPARE(OpenPrompts(*frame_).size(), prompts);
    QCOMPARE(LogLines(*frame_).mid(logBefore), logged);
    QVERIFY(Sent().empty());
}

void TestInvitationPrompt::promptTakesNoKeys()
{
    RoomWindow* room = frame_->NewRoomWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
    QLineEdit* input = InputLine(*room);
    input->setFocus();
    QTest::keyClicks(input, "first");
    Route(*frame_, ":bob!b@h INVITE me :#elsewhere");
    QTRY_COMPARE(OpenPrompts(*frame_).size(), 1);
    // The keys the user goes on typing: to whatever has the keyboard now.
    QWidget* typedInto = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(typedInto);
    QTest::keyClicks(typedInto, " second");
    if (typedInto == input)
        QCOMPARE(input->text(), QStringLiteral("first second"));
    else
        QTest::keyClick(typedInto, Qt::Key_Return);  // a prompt that has the keys presses nothing
    QVERIFY(Sent().empty());
    QCOMPARE(OpenPrompts(*frame_).size(), 1);
    QCOMPARE(RoomWindows(*frame_).size(), 1);
    for (QPushButton* button : OpenPrompts(*frame_).constFirst()->findChildren<QPushButton*>())
        QVERIFY(!button->hasFocus());
}

void TestInvitationPrompt::ignoreUserTwiceKeepsOneEntry()
{
    InvitationPrompt* first = frame_->Invitations().Show("bob", "#one");
    InvitationPrompt* second = frame_->Invitations().Show("bob", "#two");
    Control<QPushButton>(*first, "ignoreButton")->click();
    Control<QPushButton>(*second, "ignoreButton")->click();
    QCOMPARE(frame_->IgnoreList(), QStringList{"bob"});
    QFile file(IgnoreFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[bob]\nName=bob\n"));
}

void TestInvitationPrompt::ignoreUserThatCannotBeWrittenChangesNothing()
{
    // The account's folder cannot be made: its name is taken by a file.
    QFile blocker(root_->Path() + "/userdata");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    frame_->Lists().SetIgnoreList(QStringList{"amy"});

    InvitationPrompt* prompt = frame_->Invitations().Show("bob", "#lobby");
    Control<QPushButton>(*prompt, "ignoreButton")->click();
    QCOMPARE(prompts_->Errors().size(), 1);
    QVERIFY2(prompts_->Errors()[0].contains("could not be written"), qPrintable(prompts_->Errors()[0]));
    QCOMPARE(frame_->IgnoreList(), QStringList{"amy"});
    QVERIFY(!frame_->IsIgnored("bob"));
    QCoreApplication::processEvents();
    QCOMPARE(OpenPrompts(*frame_), QList<InvitationPrompt*>{prompt});  // still there to be answered otherwise
    QVERIFY(prompt->isVisible());
}

QTEST_MAIN(TestInvitationPrompt)
#include "tst_invitation_prompt.moc"
