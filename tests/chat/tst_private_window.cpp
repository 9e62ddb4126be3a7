// The private chat window on its own: sending with the style bar, the echo,
// the input line's three states, incoming line layouts, partner quit, saving,
// and the ignore button.
#include "chat/input_bar.h"
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "protocol/stream/line_connection.h"
#include "shell/main_window.h"
#include "support/prompt_recorder.h"
#include "common/user_data_folder.h"
#include "support/scripted_server.h"
#include "support/window_controls.h"
#include "support/transcript_text.h"

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
    return TranscriptFormatAt(view, pos + 1);
}

void PressEnter(PrivateWindow& w) { QTest::keyClick(InputLine(w), Qt::Key_Return); }

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
    for (const char* name : {"transcript", "inputLine", "ignoreButton", "closeButton", "saveButton", "boldButton",
                             "underlineButton", "strikeButton", "colourPicker", "emoticonPicker", "inputBar"})
        QVERIFY2(w_->findChild<QWidget*>(name), name);
    QCOMPARE(Control<QToolButton>(*w_, "ignoreButton")->toolTip(), QStringLiteral("Ignore this user"));
    QCOMPARE(Control<QComboBox>(*w_, "colourPicker")->count(), 16);
    QCOMPARE(Control<QComboBox>(*w_, "colourPicker")->itemText(15), QStringLiteral("Light Grey"));
    QCOMPARE(Control<QComboBox>(*w_, "emoticonPicker")->count(), 10);
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

    Control<QComboBox>(*w_, "colourPicker")->setCurrentIndex(colour);
    Control<QToolButton>(*w_, "boldButton")->setChecked(bold);
    Control<QToolButton>(*w_, "underlineButton")->setChecked(underline);
    Control<QToolButton>(*w_, "strikeButton")->setChecked(strike);
    InputLine(*w_)->setText(typed);
    PressEnter(*w_);

    QVERIFY(server_->WaitForReceived(sent.toStdString()));
    QCOMPARE(w_->Transcript().toPlainText(), echo);
    QVERIFY(InputLine(*w_)->text().isEmpty());
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestPrivateWindow::echoShowsStylesNotControlBytes()
{
    Control<QComboBox>(*w_, "colourPicker")->setCurrentIndex(4);
    Control<QToolButton>(*w_, "boldButton")->setChecked(true);
    InputLine(*w_)->setText("hi");
    PressEnter(*w_);
    QCOMPARE(w_->Transcript().toPlainText(), QStringLiteral("you said: hi\n"));

    const QTextCharFormat prefix = FormatAt(w_->Transcript(), 0);
    QCOMPARE(prefix.foreground().color(), QColor(0, 128, 0));
    QCOMPARE(prefix.fontWeight(), int(QFont::Bold));
    QVERIFY(!prefix.fontItalic());
    const QTextCharFormat text = FormatAt(w_->Transcript(), 10);
    QCOMPARE(text.foreground().color(), QColor(255, 0, 0));
    QCOMPARE(text.fontWeight(), int(QFont::Bold));
}

void TestPrivateWindow::stylesStayAfterSending()
{
    Control<QComboBox>(*w_, "colourPicker")->setCurrentIndex(3);
    Control<QToolButton>(*w_, "underlineButton")->setChecked(true);
    InputLine(*w_)->setText("one");
    PressEnter(*w_);
    InputLine(*w_)->setText("two");
    PressEnter(*w_);
    QVERIFY(server_->WaitForReceived("privmsg bob :\x1f\x03" "3two"));
    QCOMPARE(Control<QComboBox>(*w_, "colourPicker")->currentIndex(), 3);
    QVERIFY(Control<QToolButton>(*w_, "underlineButton")->isChecked());
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
    QCOMPARE(InputLine(*w_)->isReadOnly(), readOnly);
    QCOMPARE(InputLine(*w_)->isEnabled(), enabled);

    // A later ordinary message never unlocks it.
    w_->AppendIncomingLine("bob", "y", IncomingKind::Message);
    QCOMPARE(InputLine(*w_)->isReadOnly(), readOnly);
    QCOMPARE(InputLine(*w_)->isEnabled(), enabled);

    // Enter in a read-only line sends nothing and keeps the text.
    InputLine(*w_)->setText("typed");
    QTest::keyClick(InputLine(*w_), Qt::Key_Return);
    if (readOnly) {
        QCOMPARE(InputLine(*w_)->text(), QStringLiteral("typed"));
        QTest::qWait(50);
        QVERIFY(!server_->HasReceivedPrefix("privmsg"));
    } else {
        QVERIFY(server_->WaitForReceived("privmsg bob :typed"));
    }
}

void TestPrivateWindow::failedWriteKeepsTypedTextAndReports()
{
    conn_->Disconnect();
    Control<QToolButton>(*w_, "boldButton")->setChecked(true);
    InputLine(*w_)->setText("hello");
    PressEnter(*w_);
    const QString note = QStringLiteral("Talvessa: You are not connected to a server: nothing was sent\n");
    QCOMPARE(w_->Transcript().toPlainText(), note);
    // The unstyled text stays, so a second try does not double the style bytes.
    QCOMPARE(InputLine(*w_)->text(), QStringLiteral("hello"));

    w_->SetConnection(nullptr);
    PressEnter(*w_);
    QCOMPARE(w_->Transcript().toPlainText(), note + note);
    QCOMPARE(InputLine(*w_)->text(), QStringLiteral("hello"));
    QVERIFY(prompts_->Errors().isEmpty());

    // Enter on an empty or blank line sends nothing and writes nothing.
    InputLine(*w_)->setText(QStringLiteral("   "));
    PressEnter(*w_);
    QCOMPARE(w_->Transcript().toPlainText(), note + note);
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
    QCOMPARE(w_->Transcript().toPlainText(), shown + u'\n');
}

void TestPrivateWindow::incomingColours()
{
    w_->AppendIncomingLine("bob", "hi", IncomingKind::Message);
    w_->AppendIncomingLine("bob", "no", IncomingKind::Notice);
    const auto text = TranscriptText(w_->Transcript());
    const QTextDocument& doc = *text;
    const int second = doc.findBlockByNumber(1).position();

    QCOMPARE(FormatAt(w_->Transcript(), 0).foreground().color(), QColor(0, 0, 255));  // "bob: "
    QCOMPARE(FormatAt(w_->Transcript(), 0).fontWeight(), int(QFont::Normal));
    QCOMPARE(FormatAt(w_->Transcript(), 5).foreground().color(), QColor(0, 0, 0));  // "hi"
    QCOMPARE(FormatAt(w_->Transcript(), second).foreground().color(), QColor(255, 0, 0));       // "bob (Notice): "
    QCOMPARE(FormatAt(w_->Transcript(), second + 14).foreground().color(), QColor(255, 0, 0));  // "bob: "
    QCOMPARE(FormatAt(w_->Transcript(), second + 19).foreground().color(), QColor(0, 0, 0));    // "no"
}

void TestPrivateWindow::incomingEmoticonSitsBetweenItsText()
{
    w_->AppendIncomingLine("bob", "a :) b", IncomingKind::Message);
    w_->AppendIncomingLine("bob", "(h)", IncomingKind::Message);
    QCOMPARE(w_->Transcript().toPlainText(), QStringLiteral(u"bob: a \ufffc b\nbob: \ufffc\n"));
    QVERIFY(FormatAt(w_->Transcript(), 7).isImageFormat());
}

void TestPrivateWindow::lineAfterPartnerQuitIsNotItalic()
{
    w_->PartnerQuit("bob", ":bye ");
    w_->AppendIncomingLine("bob", "back", IncomingKind::Message);
    const int second = w_->Transcript().Store().StartOf(1);
    QVERIFY(!FormatAt(w_->Transcript(), second).fontItalic());
    QVERIFY(!FormatAt(w_->Transcript(), second + 5).fontItalic());
}

void TestPrivateWindow::partnerQuitNoteAndReadOnly()
{
    w_->PartnerQuit("bob", ":gone now ");
    QCOMPARE(w_->Transcript().toPlainText(), QStringLiteral("bob has lost connection. :gone now \n"));
    const QTextCharFormat note = FormatAt(w_->Transcript(), 0);
    QCOMPARE(note.foreground().color(), QColor(128, 128, 128));
    QCOMPARE(note.fontWeight(), int(QFont::Bold));
    QVERIFY(note.fontItalic());
    QVERIFY(InputLine(*w_)->isReadOnly());
    QVERIFY(InputLine(*w_)->isEnabled());
}

void TestPrivateWindow::typedCharactersNeverReachTranscript()
{
    w_->AppendIncomingLine("bob", "hi", IncomingKind::Message);
    w_->Transcript().setFocus();
    QTest::keyClicks(&w_->Transcript(), "xyz");
    QCOMPARE(w_->Transcript().toPlainText(), QStringLiteral("bob: hi\n"));
    // The program's caret stays at the end for the next line.
    QCOMPARE(SelStart(w_->Transcript()), w_->Transcript().TextLength());
}

void TestPrivateWindow::savesTranscriptAsRtf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chat.rtf");
    prompts_->saveAnswer = path;
    // The dialog starts in the folder of the login's nick, even after the
    // server renamed the user.
    MainWindow frame;
    frame.Connection().SetHost("127.0.0.1");
    frame.SetCurrentNick("alice");
    frame.FollowOwnRename("alice_");
    w_->SetFrame(&frame);
    w_->AppendIncomingLine("bob", "look :)", IncomingKind::Message);
    Control<QToolButton>(*w_, "saveButton")->click();
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
    Control<QToolButton>(*w_, "saveButton")->click();
    QCOMPARE(prompts_->saveCount, 1);
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestPrivateWindow::unwritableSaveIsReported()
{
    prompts_->saveAnswer = "/nonexistent-folder/for/sure/chat.rtf";
    Control<QToolButton>(*w_, "saveButton")->click();
    QCOMPARE(prompts_->Errors().size(), 1);
}

void TestPrivateWindow::ignoreButtonHandsOverPartnerAndCloses()
{
    QSignalSpy spy(w_.get(), &PrivateWindow::IgnorePartner);
    Control<QToolButton>(*w_, "ignoreButton")->click();
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("bob"));
    QVERIFY(!w_->isVisible());
    QVERIFY(!server_->HasReceivedPrefix("privmsg"));
}

QTEST_MAIN(TestPrivateWindow)
#include "tst_private_window.moc"
