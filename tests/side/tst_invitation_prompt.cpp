// The invitation prompt: its question, each prompt answering for its own
// invitation with several open, Accept on a room already open, and Ignore
// User writing the ignore file before the list in memory.
#include "chat/room_window.h"
#include "common/list_file.h"
#include "common/user_data_folder.h"
#include "shell/main_form.h"
#include "side/invitation_prompt.h"
#include "support/prompt_recorder.h"
#include "support/scripted_server.h"
#include "support/temp_user_data.h"

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

QList<TForm9*> OpenPrompts(const TMainForm& frame) { return frame.findChildren<TForm9*>(); }

QList<TForm1*> RoomWindows(const TMainForm& frame)
{
    QList<TForm1*> out;
    for (QWidget* w : frame.ChildWindows())
        if (auto* room = qobject_cast<TForm1*>(w)) out << room;
    return out;
}

}  // namespace

class TestInvitationPrompt : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void question_data();
    void question();
    void staysOnTopWithoutBlocking();
    void eachPromptAnswersItsOwnInvitation();
    void acceptOnOpenRoomOnlyBringsItToFront();
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
    std::unique_ptr<TMainForm> frame_;
};

void TestInvitationPrompt::init()
{
    prompts_ = std::make_unique<PromptRecorder>();
    root_ = std::make_unique<TempUserData>();
    server_ = std::make_unique<ScriptedServer>();
    frame_ = std::make_unique<TMainForm>();
    frame_->SetCurrentNick("me");
    frame_->IdTCPClient1.SetHost("127.0.0.1");
    frame_->IdTCPClient1.SetPort(server_->Port());
    frame_->IdTCPClient1.Connect();
    frame_->show();
}

void TestInvitationPrompt::cleanup()
{
    frame_.reset();
    server_.reset();
    root_.reset();
    prompts_.reset();
}

void TestInvitationPrompt::question_data()
{
    QTest::addColumn<QString>("inviter");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("question");

    QTest::newRow("usual") << "bob" << "#lobby" << "lobby"
                           << "bob is inviting you to lobby. Do you want to accept this invitation ?";
    QTest::newRow("every # removed") << "bob" << "##lo#bby" << "lobby"
                                     << "bob is inviting you to lobby. Do you want to accept this invitation ?";
    QTest::newRow("formatting codes are not shown") << "\x02" "bob\x02" << "#\x03" "4lobby" << "\x03" "4lobby"
                                                    << "bob is inviting you to lobby. Do you want to accept this invitation ?";
}

void TestInvitationPrompt::question()
{
    QFETCH(QString, inviter);
    QFETCH(QString, channel);
    QFETCH(QString, room);
    QFETCH(QString, question);
    TForm9* prompt = frame_->ShowInvitation(inviter, channel);
    QCOMPARE(prompt->Room(), room);
    QCOMPARE(prompt->Inviter(), inviter);
    QCOMPARE(prompt->Label1->text(), question);
}

void TestInvitationPrompt::staysOnTopWithoutBlocking()
{
    TForm9* prompt = frame_->ShowInvitation("bob", "#lobby");
    QVERIFY(prompt->isVisible());
    QVERIFY(!prompt->isModal());
    QVERIFY(prompt->windowFlags() & Qt::WindowStaysOnTopHint);
    prompt->resize(300, 300);
    prompt->activateWindow();
    QTRY_COMPARE(prompt->size(), QSize(TForm9::kWidth, TForm9::kHeight));
    // The frame goes on working under it.
    frame_->NewRoomWindow();
    QCOMPARE(RoomWindows(*frame_).size(), 1);
}

void TestInvitationPrompt::eachPromptAnswersItsOwnInvitation()
{
    TForm9* first = frame_->ShowInvitation("amy", "#one");
    TForm9* second = frame_->ShowInvitation("bob", "#two");
    TForm9* third = frame_->ShowInvitation("carl", "#three");
    QCOMPARE(OpenPrompts(*frame_).size(), 3);

    first->Button1->click();  // Accept: the room of the first invitation, not of the last
    QVERIFY(server_->WaitForReceived("join #one"));
    QCOMPARE(RoomWindows(*frame_).size(), 1);
    QCOMPARE(RoomWindows(*frame_)[0]->Title(), QStringLiteral("one"));

    second->Button3->click();  // Ignore User: the second inviter
    QVERIFY(frame_->IsIgnored("bob"));
    QVERIFY(!frame_->IsIgnored("amy"));
    QVERIFY(!frame_->IsIgnored("carl"));
    QCOMPARE(ListFile(IgnoreFile()).Names(), QStringList{"bob"});

    QTRY_COMPARE(OpenPrompts(*frame_), QList<TForm9*>{third});
    third->Button2->click();  // Reject
    QTRY_VERIFY(OpenPrompts(*frame_).isEmpty());
    QCOMPARE(Sent(), std::vector<std::string>{"join #one"});
    QVERIFY(prompts_->records.isEmpty());
}

void TestInvitationPrompt::acceptOnOpenRoomOnlyBringsItToFront()
{
    TForm1* lobby = frame_->NewRoomWindow();
    lobby->SetTitle("lobby");
    TForm1* other = frame_->NewRoomWindow();
    QCOMPARE(frame_->CurrentChild(), other);
    frame_->ShowInvitation("bob", "#lobby")->Button1->click();
    QCOMPARE(frame_->CurrentChild(), lobby);
    QCOMPARE(RoomWindows(*frame_).size(), 2);
    QVERIFY(Sent().empty());
    QTRY_VERIFY(OpenPrompts(*frame_).isEmpty());
}

void TestInvitationPrompt::ignoreUserTwiceKeepsOneEntry()
{
    TForm9* first = frame_->ShowInvitation("bob", "#one");
    TForm9* second = frame_->ShowInvitation("bob", "#two");
    first->Button3->click();
    second->Button3->click();
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
    frame_->SetIgnoreList(QStringList{"amy"});

    TForm9* prompt = frame_->ShowInvitation("bob", "#lobby");
    prompt->Button3->click();
    QCOMPARE(prompts_->Errors().size(), 1);
    QVERIFY2(prompts_->Errors()[0].contains("could not be written"), qPrintable(prompts_->Errors()[0]));
    QCOMPARE(frame_->IgnoreList(), QStringList{"amy"});
    QVERIFY(!frame_->IsIgnored("bob"));
    QCoreApplication::processEvents();
    QCOMPARE(OpenPrompts(*frame_), QList<TForm9*>{prompt});  // still there to be answered otherwise
    QVERIFY(prompt->isVisible());
}

QTEST_MAIN(TestInvitationPrompt)
#include "tst_invitation_prompt.moc"
