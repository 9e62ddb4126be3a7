// The private chat window on its own: sending with the style bar, the echo,
// the input line's three states, incoming line layouts, partner quit, saving,
// and the ignore button.
#include "chat/input_bar.h"
#include "chat/private_window.h"
#include "chat/transcript_view.h"
#include "protocol/stream/line_connection.h"
#include "shell/main_window.h"
#include "support/prompt_recorder.h"
#include "common/user_data_folder.h"
#include "support/scripted_server.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include <memory>

namespace {



// The look of the character at pos of the view.
QTextCharFormat FormatAt(const TranscriptView& view, int pos)
{
    QTextCursor c(view.document());
    c.setPosition(pos + 1);
    return c.charFormat();
}

void PressEnter(PrivateWindow& w) { QTest::keyClick(w.Edit1, Qt::Key_Return); }

}  // namespace

class TestPrivateWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void namedControls();
    void sendsStyledLineAndEchoes_data();
    void sendsStyledLineAndEchoes();
    void echoShowsStylesNotControlBytes();
    void stylesStayAfterSending();
    void inputStates_data();
    void inputStates();
    void failedWriteKeepsTypedTextAndReports();
    void incomingLayouts_data();
    void incomingLayouts();
    void incomingColours();
    void incomingEmoticonSitsBetweenItsText();
    void lineAfterPartnerQuitIsNotItalic();
    void partnerQuitNoteAndReadOnly();
    void typedCharactersNeverReachTranscript();
    void savesTranscriptAsRtf();
    void cancelledSaveWritesNothing();
    void unwritableSaveIsReported();
    void ignoreButtonHandsOverPartnerAndCloses();

private:
    std::unique_ptr<ScriptedServer> server_;
    std::unique_ptr<LineConnection> conn_;
    std::unique_ptr<PrivateWindow> w_;
    std::optional<PromptRecorder> prompts_;  // installed for each test function
    QTemporaryDir dataRoot_;
};

void TestPrivateWindow::init()
{
    prompts_.emplace();
    SetUserDataRoot(dataRoot_.path());
    server_ = std::make_unique<ScriptedServer>();
    conn_ = std::make_unique<LineConnection>();
    conn_->SetHost("127.0.0.1");
    conn_->SetPort(server_->Port());
    conn_->Connect();
    w_ = std::make_unique<PrivateWindow>();
    w_->SetTitle("bob");
    w_->SetConnection(conn_.get());
    w_->SetOwnNick("alice");
    w_->show();
}

void TestPrivateWindow::cleanup()
{
    w_.reset();
    conn_.reset();
    server_.reset();
    prompts_.reset();
    SetUserDataRoot(QString());
}

void TestPrivateWindow::namedControls()
{
    for (const char* name : {"transcript", "Edit1", "ToolButton1", "ToolButton3", "ToolButton4", "ToolButton5",
                             "ToolButton6", "ToolButton7", "colorcomo", "iconcomo", "titleid", "Panel2"})
        QVERIFY2(w_->findChild<QWidget*>(name), name);
    QCOMPARE(w_->titleid->text(), QStringLiteral("0"));
    QVERIFY(w_->titleid->isHidden());
    QCOMPARE(w_->ToolButton1->toolTip(), QStringLiteral("Ignore this user"));
    QCOMPARE(w_->colorcomo->count(), 16);
    QCOMPARE(w_->colorcomo->itemText(15), QStringLiteral("Light Grey"));
    QCOMPARE(w_->iconcomo->count(), 10);
}

void TestPrivateWindow::sendsStyledLineAndEchoes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("colour");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strike");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("echo");

    QTest::newRow("plain") << "hi there" << -1 << false << false << false << QByteArray("privmsg bob :hi there")
                           << "you said: hi there\n";
    QTest::newRow("red and bold") << "hi" << 4 << true << false << false
                                  << QByteArray("privmsg bob :\x02\x03" "4hi") << "you said: hi\n";
    QTest::newRow("every toggle, two-digit colour")
        << "hi" << 12 << true << true << true << QByteArray("privmsg bob :\x16\x1f\x02\x03" "12hi")
        << "you said: hi\n";
    QTest::newRow("white adds no colour") << "hi" << 0 << false << true << false
                                          << QByteArray("privmsg bob :\x1fhi") << "you said: hi\n";
    QTest::newRow("double slash is plain text") << "//join #x" << -1 << false << false << false
                                         << QByteArray("privmsg bob :/join #x") << "you said: /join #x\n";
    QTest::newRow("non-ASCII goes out as UTF-8") << QStringLiteral(u"grüß ☺") << -1 << false << false << false
                                                 << QByteArray("privmsg bob :gr\xc3\xbc\xc3\x9f \xe2\x98\xba")
                                                 << QStringLiteral(u"you said: grüß ☺\n");
    QTest::newRow("emoticon becomes a picture") << "hi :)" << -1 << false << false << false
                                                << QByteArray("privmsg bob :hi :)")
                                                << QStringLiteral(u"you said: hi \ufffc\n");
}

void TestPrivateWindow::sendsStyledLineAndEchoes()
{
    QFETCH(QString, typed);
    QFETCH(int, colour);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    QFETCH(bool, strike);
    QFETCH(QByteArray, sent);
    QFETCH(QString, echo);

    w_->colorcomo->setCurrentIndex(colour);
    w_->ToolButton5->setChecked(bold);
    w_->ToolButton6->setChecked(underline);
    w_->ToolButton7->setChecked(strike);
    w_->Edit1->setText(typed);
    PressEnter(*w_);

    QVERIFY(server_->WaitForReceived(sent.toStdString()));
    QCOMPARE(w_->transcript_->toPlainText(), echo);
    QVERIFY(w_->Edit1->text().isEmpty());
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestPrivateWindow::echoShowsStylesNotControlBytes()
{
    w_->colorcomo->setCurrentIndex(4);
    w_->ToolButton5->setChecked(true);
    w_->Edit1->setText("hi");
    PressEnter(*w_);
    QCOMPARE(w_->transcript_->toPlainText(), QStringLiteral("you said: hi\n"));

    const QTextCharFormat prefix = FormatAt(*w_->transcript_, 0);
    QCOMPARE(prefix.foreground().color(), QColor(0, 128, 0));
    QCOMPARE(prefix.fontWeight(), int(QFont::Bold));
    QVERIFY(!prefix.fontItalic());
    const QTextCharFormat text = FormatAt(*w_->transcript_, 10);
    QCOMPARE(text.foreground().color(), QColor(255, 0, 0));
    QCOMPARE(text.fontWeight(), int(QFont::Bold));
}

void TestPrivateWindow::stylesStayAfterSending()
{
    w_->colorcomo->setCurrentIndex(3);
    w_->ToolButton6->setChecked(true);
    w_->Edit1->setText("one");
    PressEnter(*w_);
    w_->Edit1->setText("two");
    PressEnter(*w_);
    QVERIFY(server_->WaitForReceived("privmsg bob :\x1f\x03" "3two"));
    QCOMPARE(w_->colorcomo->currentIndex(), 3);
    QVERIFY(w_->ToolButton6->isChecked());
}

void TestPrivateWindow::inputStates_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("message from a user") << "bob" << int(IncomingKind::Message) << false << true;
    QTest::newRow("away reply") << "irc.test" << int(IncomingKind::AwayReply) << false << true;
    QTest::newRow("NickServ") << "NickServ" << int(IncomingKind::Message) << true << true;
    QTest::newRow("MemoServ") << "MemoServ" << int(IncomingKind::Message) << true << true;
    QTest::newRow("nickserv in other case stays writable") << "nickserv" << int(IncomingKind::Message) << false
                                                           << true;
    QTest::newRow("notice locks the line") << "bob" << int(IncomingKind::Notice) << true << false;
}

void TestPrivateWindow::inputStates()
{
    QFETCH(QString, sender);
    QFETCH(int, kind);
    QFETCH(bool, readOnly);
    QFETCH(bool, enabled);

    w_->AppendIncomingLine(sender, "x", IncomingKind(kind));
    QCOMPARE(w_->Edit1->isReadOnly(), readOnly);
    QCOMPARE(w_->Edit1->isEnabled(), enabled);

    // A later ordinary message never unlocks it.
    w_->AppendIncomingLine("bob", "y", IncomingKind::Message);
    QCOMPARE(w_->Edit1->isReadOnly(), readOnly);
    QCOMPARE(w_->Edit1->isEnabled(), enabled);

    // Enter in a read-only line sends nothing and keeps the text.
    w_->Edit1->setText("typed");
    w_->edit1KeyDown();
    if (readOnly) {
        QCOMPARE(w_->Edit1->text(), QStringLiteral("typed"));
        QTest::qWait(50);
        QVERIFY(!server_->HasReceivedPrefix("privmsg"));
    } else {
        QVERIFY(server_->WaitForReceived("privmsg bob :typed"));
    }
}

void TestPrivateWindow::failedWriteKeepsTypedTextAndReports()
{
    conn_->Disconnect();
    w_->ToolButton5->setChecked(true);
    w_->Edit1->setText("hello");
    PressEnter(*w_);
    const QString note = QStringLiteral("Talvessa: You are not connected to a server: nothing was sent\n");
    QCOMPARE(w_->transcript_->toPlainText(), note);
    // The unstyled text stays, so a second try does not double the style bytes.
    QCOMPARE(w_->Edit1->text(), QStringLiteral("hello"));

    w_->SetConnection(nullptr);
    PressEnter(*w_);
    QCOMPARE(w_->transcript_->toPlainText(), note + note);
    QCOMPARE(w_->Edit1->text(), QStringLiteral("hello"));
    QVERIFY(prompts_->Errors().isEmpty());

    // Enter on an empty or blank line sends nothing and writes nothing.
    w_->Edit1->setText(QStringLiteral("   "));
    PressEnter(*w_);
    QCOMPARE(w_->transcript_->toPlainText(), note + note);
}

void TestPrivateWindow::incomingLayouts_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("message") << "bob" << int(IncomingKind::Message) << "hi there" << "bob: hi there";
    QTest::newRow("notice") << "bob" << int(IncomingKind::Notice) << "psst" << "bob (Notice): bob: psst";
    QTest::newRow("away reply") << "irc.test" << int(IncomingKind::AwayReply) << "gone fishing"
                                << "bob is away(Auto Reply): irc.test: gone fishing";
    QTest::newRow("formatting is rendered") << "bob" << int(IncomingKind::Message)
                                            << QStringLiteral(u"\u0002bold\u0002 \u00034red") << "bob: bold red";
    QTest::newRow("empty text") << "bob" << int(IncomingKind::Message) << "" << "bob: ";
}

void TestPrivateWindow::incomingLayouts()
{
    QFETCH(QString, sender);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QString, shown);

    w_->AppendIncomingLine(sender, text, IncomingKind(kind));
    // The line ends with a line break.
    QCOMPARE(w_->transcript_->toPlainText(), shown + u'\n');
}

void TestPrivateWindow::incomingColours()
{
    w_->AppendIncomingLine("bob", "hi", IncomingKind::Message);
    w_->AppendIncomingLine("bob", "no", IncomingKind::Notice);
    const QTextDocument& doc = *w_->transcript_->document();
    const int second = doc.findBlockByNumber(1).position();

    QCOMPARE(FormatAt(*w_->transcript_, 0).foreground().color(), QColor(0, 0, 255));  // "bob: "
    QCOMPARE(FormatAt(*w_->transcript_, 0).fontWeight(), int(QFont::Normal));
    QCOMPARE(FormatAt(*w_->transcript_, 5).foreground().color(), QColor(0, 0, 0));  // "hi"
    QCOMPARE(FormatAt(*w_->transcript_, second).foreground().color(), QColor(255, 0, 0));       // "bob (Notice): "
    QCOMPARE(FormatAt(*w_->transcript_, second + 14).foreground().color(), QColor(255, 0, 0));  // "bob: "
    QCOMPARE(FormatAt(*w_->transcript_, second + 19).foreground().color(), QColor(0, 0, 0));    // "no"
}

void TestPrivateWindow::incomingEmoticonSitsBetweenItsText()
{
    w_->AppendIncomingLine("bob", "a :) b", IncomingKind::Message);
    w_->AppendIncomingLine("bob", "(h)", IncomingKind::Message);
    QCOMPARE(w_->transcript_->toPlainText(), QStringLiteral(u"bob: a \ufffc b\nbob: \ufffc\n"));
    QVERIFY(FormatAt(*w_->transcript_, 7).isImageFormat());
}

void TestPrivateWindow::lineAfterPartnerQuitIsNotItalic()
{
    w_->PartnerQuit("bob", ":bye ");
    w_->AppendIncomingLine("bob", "back", IncomingKind::Message);
    const int second = w_->transcript_->document()->findBlockByNumber(1).position();
    QVERIFY(!FormatAt(*w_->transcript_, second).fontItalic());
    QVERIFY(!FormatAt(*w_->transcript_, second + 5).fontItalic());
}

void TestPrivateWindow::partnerQuitNoteAndReadOnly()
{
    w_->PartnerQuit("bob", ":gone now ");
    QCOMPARE(w_->transcript_->toPlainText(), QStringLiteral("bob has lost connection. :gone now \n"));
    const QTextCharFormat note = FormatAt(*w_->transcript_, 0);
    QCOMPARE(note.foreground().color(), QColor(128, 128, 128));
    QCOMPARE(note.fontWeight(), int(QFont::Bold));
    QVERIFY(note.fontItalic());
    QVERIFY(w_->Edit1->isReadOnly());
    QVERIFY(w_->Edit1->isEnabled());
}

void TestPrivateWindow::typedCharactersNeverReachTranscript()
{
    w_->AppendIncomingLine("bob", "hi", IncomingKind::Message);
    w_->transcript_->setFocus();
    QTest::keyClicks(w_->transcript_, "xyz");
    QCOMPARE(w_->transcript_->toPlainText(), QStringLiteral("bob: hi\n"));
    // The program's caret stays at the end for the next line.
    QCOMPARE(w_->transcript_->SelStart(), w_->transcript_->TextLength());
}

void TestPrivateWindow::savesTranscriptAsRtf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chat.rtf");
    prompts_->saveAnswer = path;
    // The dialog starts in the folder of the login's nick, even after the
    // server renamed the user.
    MainWindow frame;
    frame.connection_.SetHost("127.0.0.1");
    frame.SetCurrentNick("alice");
    frame.FollowOwnRename("alice_");
    w_->SetFrame(&frame);
    w_->AppendIncomingLine("bob", "look :)", IncomingKind::Message);
    w_->ToolButton4->click();
    w_->SetFrame(nullptr);

    QCOMPARE(prompts_->saveAsked.value(0), QStringLiteral("Save chat"));
    QCOMPARE(prompts_->saveAsked.value(3), QStringLiteral("rtf"));
    QVERIFY(prompts_->saveAsked.value(2).contains("*.rtf"));
    QVERIFY(prompts_->saveAsked.value(2).startsWith("Rich Text"));
    QCOMPARE(prompts_->saveAsked.value(1), UserDataFolder("127.0.0.1", "alice"));
    QVERIFY(prompts_->saveAsked.value(1).startsWith(dataRoot_.path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();
    QVERIFY(rtf.startsWith("{\\rtf"));
    QVERIFY(rtf.contains("bob: "));
    QVERIFY(rtf.contains("look"));
    QVERIFY(rtf.contains("\\pict"));
}

void TestPrivateWindow::cancelledSaveWritesNothing()
{
    QTemporaryDir dir;
    w_->AppendIncomingLine("bob", "x", IncomingKind::Message);
    prompts_->saveAnswer.clear();
    w_->ToolButton4->click();
    QCOMPARE(prompts_->saveCount, 1);
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestPrivateWindow::unwritableSaveIsReported()
{
    prompts_->saveAnswer = "/nonexistent-folder/for/sure/chat.rtf";
    w_->ToolButton4->click();
    QCOMPARE(prompts_->Errors().size(), 1);
}

void TestPrivateWindow::ignoreButtonHandsOverPartnerAndCloses()
{
    QSignalSpy spy(w_.get(), &PrivateWindow::IgnorePartner);
    w_->ToolButton1->click();
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("bob"));
    QVERIFY(!w_->isVisible());
    QVERIFY(!server_->HasReceivedPrefix("privmsg"));
}

QTEST_MAIN(TestPrivateWindow)
#include "tst_private_window.moc"
