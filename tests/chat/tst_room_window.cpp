// The room window: its states, the lines it sends through a scripted server,
// the input line, the action menu, activation and attention flashing.
#include "chat/action_menu.h"
#include "chat/country_rooms.h"
#include "chat/input_bar.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/transcript_view.h"
#include "chat/room_window.h"
#include "shell/main_window.h"
#include "support/prompt_recorder.h"
#include "common/timings.h"
#include "support/connected_frame.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <optional>

namespace {

const QString kNotSentNote = QStringLiteral("Talvessa: You are not connected to a server: nothing was sent\n");


void PressEnter(QWidget* widget)
{
    QTest::keyClick(widget, Qt::Key_Return);
}

QString Transcript(const RoomWindow& window)
{
    return window.transcript_->toPlainText();
}

QTextCharFormat FormatAt(const TranscriptView& view, int position)
{
    QTextCursor cursor(view.document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

QStringList EnabledControls(const RoomWindow& w)
{
    QStringList names;
    for (QWidget* control : QList<QWidget*>{w.ComboBoxEx1, w.joinbtn, w.partbtn, w.actionbtn, w.blockbtn, w.addbtn,
                                            w.favbtn, w.invitetoolbtn, w.ToolButton9, w.exitbtn})
        if (control->isEnabled())
            names << control->objectName();
    return names;
}

const QStringList kNotInRoom{"ComboBoxEx1", "joinbtn", "ToolButton9", "exitbtn"};
const QStringList kInRoom{"partbtn", "actionbtn", "blockbtn", "addbtn", "favbtn", "invitetoolbtn", "ToolButton9",
                          "exitbtn"};

QMdiSubWindow* SubOf(RoomWindow* window)
{
    return qobject_cast<QMdiSubWindow*>(window->parentWidget());
}

}  // namespace

class TestRoomWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newWindowLooksEmpty();
    void countryRoomsCarryFlags();
    void openedWindowJoins();
    void join_data();
    void enterInSelectorJoins_data();
    void enterInSelectorJoins();
    void enterReleasedWithoutItsPressJoinsNothing();
    void blankLineSendsNothing();
    void join();
    void joinOnClosedConnectionKeepsControls();
    void leaveEmptiesListAndTitle();
    void rejoinEmptiesNothingButTheBanList();
    void close_data();
    void close();
    void inputLine_data();
    void inputLine();
    void longLineGoesOutInPiecesEchoedWhole();
    void inputLineOutsideARoom();
    void inputLineOnClosedConnectionKeepsTypedText();
    void actions_data();
    void actions();
    void customActionPanel();
    void actionOnClosedConnectionIsReported();
    void actionLineLook();
    void ownNickIsSharedByAllWindows();
    void activationMarksIgnoredNicks_data();
    void activationMarksIgnoredNicks();
    void flashingUntilActivated();
    void twoWindowsFlashTogether();
    void caretReturnsToTheEndAfterEveryChange();
    void transcriptIgnoresTyping();
    void hostOnlyEntriesArePresent();
    void rowsNeverOverlap_data();
    void typingReplacesTheSelectorPrompt();
    void rowsNeverOverlap();

private:
    std::optional<PromptRecorder> prompts_;  // installed for each test function
};

void TestRoomWindow::init()
{
    prompts_.emplace();
}

void TestRoomWindow::cleanup()
{
    prompts_.reset();
}

void TestRoomWindow::newWindowLooksEmpty()
{
    Connected c;
    RoomWindow* window = c.frame.NewRoomWindow();
    QCOMPARE(window->Title(), QStringLiteral("No Room"));
    QCOMPARE(window->ComboBoxEx1->currentText(), QStringLiteral("[Select Room]"));
    QCOMPARE(window->titleid->text(), QStringLiteral("0"));
    QVERIFY(window->titleid->isHidden());
    QCOMPARE(EnabledControls(*window), kNotInRoom);
    QCOMPARE(window->actionbtn->text(), QStringLiteral("Action"));
    QCOMPARE(window->nickList_->Count(), 0);
    QVERIFY(!window->Flashing());
    QVERIFY(window->Panel3->isHidden());
    QCOMPARE(SubOf(window)->size(), QSize(541, 388));
    QCOMPARE(window->OwnNick(), QStringLiteral("Ann"));
    QCOMPARE(c.Sent(), QStringList());
    // A bare window before any opener touched it.
    RoomWindow bare(nullptr);
    QCOMPARE(bare.Title(), QStringLiteral("Rovezorirud"));
}

void TestRoomWindow::countryRoomsCarryFlags()
{
    RoomWindow window(nullptr);
    QCOMPARE(window.ComboBoxEx1->count(), 39);
    QCOMPARE(window.ComboBoxEx1->itemText(0), QStringLiteral("Argentina"));
    QCOMPARE(window.ComboBoxEx1->itemText(8), QStringLiteral("Crotia"));  // the room's name as it exists
    QCOMPARE(window.ComboBoxEx1->itemText(38), QStringLiteral("USA"));
    for (int i = 0; i < window.ComboBoxEx1->count(); ++i)
        QVERIFY2(!window.ComboBoxEx1->itemIcon(i).isNull(), qPrintable(window.ComboBoxEx1->itemText(i)));
    // A missing picture leaves the entry without a flag.
    QVERIFY(CountryFlag(QStringLiteral("no-such-country")).isNull());
    QVERIFY(CountryFlag(QString()).isNull());
}

void TestRoomWindow::openedWindowJoins()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    QCOMPARE(c.Sent(), QStringList{"join #Germany"});
    QCOMPARE(window->Title(), QStringLiteral("Germany"));
    QCOMPARE(window->titleid->text(), QStringLiteral("Germany"));
    QCOMPARE(window->ComboBoxEx1->currentText(), QStringLiteral("Germany"));
    QCOMPARE(EnabledControls(*window), kInRoom);
    QCOMPARE(SubOf(window)->size(), QSize(541, 388));
    QCOMPARE(Transcript(*window), QStringLiteral("Talvessa: Trying to join room \"Germany\"\n"));
    QVERIFY(c.frame.ChildWindows().contains(window));
}

void TestRoomWindow::blankLineSendsNothing()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    c.Sent();
    const QString before = Transcript(*window);
    for (const QString& typed : {QString(), QStringLiteral("   ")}) {
        window->Edit1->setText(typed);
        PressEnter(window->Edit1);
    }
    QCOMPARE(c.Sent(), QStringList());
    QCOMPARE(Transcript(*window), before);
}

void TestRoomWindow::join_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("note");

    QTest::newRow("nothing chosen") << "[Select Room]" << QStringList() << "No Room"
                                    << "Talvessa: Please selece a room from the list or type the room name\n";
    QTest::newRow("country room") << "Germany" << QStringList{"join #Germany"} << "Germany"
                                  << "Talvessa: Trying to join room \"Germany\"\n";
    QTest::newRow("name from the room list keeps its space")
        << "lobby " << QStringList{"join #lobby "} << "lobby " << "Talvessa: Trying to join room \"lobby \"\n";
    QTest::newRow("typed # is not doubled") << "#linux" << QStringList{"join #linux"} << "linux"
                                            << "Talvessa: Trying to join room \"linux\"\n";
    QTest::newRow("## channel keeps one") << "##linux" << QStringList{"join ##linux"} << "#linux"
                                          << "Talvessa: Trying to join room \"#linux\"\n";
    QTest::newRow("empty name") << "" << QStringList() << "No Room"
                                << "Talvessa: Please selece a room from the list or type the room name\n";
    QTest::newRow("# alone") << "#" << QStringList() << "No Room"
                             << "Talvessa: Please selece a room from the list or type the room name\n";
    QTest::newRow("space inside") << "my room" << QStringList() << "No Room"
                                  << "Talvessa: A room name cannot hold spaces or commas\n";
    QTest::newRow("comma inside") << "a,b" << QStringList() << "No Room"
                                  << "Talvessa: A room name cannot hold spaces or commas\n";
    QTest::newRow("non-ascii name") << QString::fromUtf8("Café") << QStringList{QString::fromUtf8("join #Café")}
                                    << QString::fromUtf8("Café") << QString::fromUtf8("Talvessa: Trying to join room \"Café\"\n");
}

void TestRoomWindow::enterInSelectorJoins_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("toLineEdit");
    QTest::newRow("Return to the combo box") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter to the combo box") << int(Qt::Key_Enter) << false;
    QTest::newRow("Return to its line edit") << int(Qt::Key_Return) << true;
}

void TestRoomWindow::enterInSelectorJoins()
{
    QFETCH(int, key);
    QFETCH(bool, toLineEdit);
    Connected c;
    RoomWindow* window = c.frame.NewRoomWindow();
    window->ComboBoxEx1->setEditText(QStringLiteral("room"));
    QWidget* target = toLineEdit ? static_cast<QWidget*>(window->ComboBoxEx1->lineEdit()) : window->ComboBoxEx1;
    QTest::keyPress(target, Qt::Key(key));
    QCOMPARE(c.Sent(), QStringList());  // the join waits for the release
    QTest::keyRelease(target, Qt::Key(key));
    QCOMPARE(c.Sent(), QStringList{QStringLiteral("join #room")});
    QVERIFY(window->InRoom());
}

void TestRoomWindow::enterReleasedWithoutItsPressJoinsNothing()
{
    // The Enter that chose Chat > New is let go in the new window's selector.
    Connected c;
    RoomWindow* window = c.frame.NewRoomWindow();
    window->ComboBoxEx1->setEditText(QStringLiteral("room"));
    QTest::keyRelease(window->ComboBoxEx1, Qt::Key_Return);
    QCOMPARE(c.Sent(), QStringList());
    QCOMPARE(Transcript(*window), QString());
    QVERIFY(!window->InRoom());
}

void TestRoomWindow::join()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, sent);
    QFETCH(QString, title);
    QFETCH(QString, note);

    Connected c;
    RoomWindow* window = c.frame.NewRoomWindow();
    window->ComboBoxEx1->setEditText(typed);
    // Enter released in the room selector joins, as the join button does. A
    // key press goes to the combo box, which has the focus.
    PressEnter(window->ComboBoxEx1);
    QCOMPARE(c.Sent(), sent);
    QCOMPARE(window->Title(), title);
    QCOMPARE(Transcript(*window), note);
    QCOMPARE(EnabledControls(*window), sent.isEmpty() ? kNotInRoom : kInRoom);
    QCOMPARE(window->ComboBoxEx1->count(), CountryRooms().size());  // typed names are not added
}

void TestRoomWindow::joinOnClosedConnectionKeepsControls()
{
    Connected c;
    RoomWindow* window = c.frame.NewRoomWindow();
    c.frame.connection_.Disconnect();
    window->ComboBoxEx1->setEditText(QStringLiteral("Germany"));
    window->joinbtn->click();
    QCOMPARE(window->Title(), QStringLiteral("Germany"));
    QCOMPARE(Transcript(*window), QStringLiteral("Talvessa: Trying to join room \"Germany\"\n") + kNotSentNote);
    QCOMPARE(EnabledControls(*window), kNotInRoom);
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestRoomWindow::leaveEmptiesListAndTitle()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    window->nickList_->AddEntry(QStringLiteral("bob"), kNormalIcon);
    window->SetHostControlsEnabled(true);
    const QString before = Transcript(*window);
    c.Sent();
    window->partbtn->click();
    QCOMPARE(c.Sent(), QStringList{"part #Germany"});
    QCOMPARE(window->Title(), QString());
    QCOMPARE(window->nickList_->Count(), 0);
    QCOMPARE(Transcript(*window), before);
    QCOMPARE(EnabledControls(*window), kNotInRoom);

    // Leaving on a closed connection changes nothing.
    window->joinbtn->click();
    c.Sent();
    c.frame.connection_.Disconnect();
    window->partbtn->click();
    QCOMPARE(window->Title(), QStringLiteral("Germany"));
    QCOMPARE(EnabledControls(*window), kInRoom);
}

void TestRoomWindow::rejoinEmptiesNothingButTheBanList()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    window->partbtn->click();
    window->ComboBoxEx1->setEditText(QStringLiteral("France"));
    window->joinbtn->click();
    QCOMPARE(c.Sent(), (QStringList{"join #Germany", "part #Germany", "join #France"}));
    QCOMPARE(window->Title(), QStringLiteral("France"));
    QVERIFY(window->BanList().isEmpty());
    QCOMPARE(Transcript(*window), QStringLiteral("Talvessa: Trying to join room \"Germany\"\n"
                                                 "Talvessa: Trying to join room \"France\"\n"));
}

void TestRoomWindow::close_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("in a room") << "in room" << QStringList{"part #Germany"};
    QTest::newRow("in a room, by the exit button") << "exit button" << QStringList{"part #Germany"};
    QTest::newRow("after leaving") << "after leaving" << QStringList{"part #Germany"};
    QTest::newRow("empty window") << "empty" << QStringList();
    QTest::newRow("disconnected") << "disconnected" << QStringList();
}

void TestRoomWindow::close()
{
    QFETCH(QString, how);
    QFETCH(QStringList, sent);

    Connected c;
    RoomWindow* window = how == QLatin1String("empty") ? c.frame.NewRoomWindow()
                                                     : c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    if (how == QLatin1String("after leaving"))
        window->partbtn->click();
    QPointer<RoomWindow> watch(window);
    QStringList expected = sent;
    if (how != QLatin1String("empty"))
        expected.prepend(QStringLiteral("join #Germany"));
    if (how == QLatin1String("disconnected")) {
        QCOMPARE(c.Sent(), QStringList{"join #Germany"});
        c.frame.connection_.Disconnect();
        SubOf(window)->close();
        QTRY_VERIFY(watch.isNull());
        return;
    }
    if (how == QLatin1String("exit button"))
        window->exitbtn->click();
    else
        SubOf(window)->close();
    QTRY_VERIFY(watch.isNull());
    QCOMPARE(c.Sent(), expected);
}

void TestRoomWindow::inputLine_data()
{
    QTest::addColumn<int>("colour");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strike");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("echo");

    QTest::newRow("plain") << -1 << false << false << false << "hello there" << "privmsg #Germany :hello there"
                           << "Ann: hello there\n";
    QTest::newRow("red and bold") << 4 << true << false << false << "hi" << "privmsg #Germany :\x02\x03" "4hi"
                                  << "Ann: hi\n";
    QTest::newRow("colour before a digit") << 2 << false << false << false << "5 apples"
                                           << "privmsg #Germany :\x03" "025 apples" << "Ann: 5 apples\n";
    QTest::newRow("double slash is chat text") << 4 << false << false << false << "//join #x" << "privmsg #Germany :\x03" "4/join #x"
                                        << "Ann: /join #x\n";
    QTest::newRow("emoticon becomes a picture") << -1 << false << false << false << "hi :)"
                                                << "privmsg #Germany :hi :)" << QString("Ann: hi ") + QChar(0xFFFC) + "\n";
    QTest::newRow("non-ascii") << -1 << false << false << false << QString::fromUtf8("grüße")
                               << QString::fromUtf8("privmsg #Germany :grüße") << QString::fromUtf8("Ann: grüße\n");
}

void TestRoomWindow::inputLine()
{
    QFETCH(int, colour);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    QFETCH(bool, strike);
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QFETCH(QString, echo);

    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    c.Sent();
    window->transcript_->clear();
    window->Panel2->colorcomo->setCurrentIndex(colour);
    window->Panel2->ToolButton5->setChecked(bold);
    window->Panel2->ToolButton6->setChecked(underline);
    window->Panel2->ToolButton7->setChecked(strike);
    window->Edit1->setText(typed);
    PressEnter(window->Edit1);
    QCOMPARE(c.Sent(), QStringList{sent});
    QCOMPARE(Transcript(*window), echo);
    QCOMPARE(window->Edit1->text(), QString());
    // The nick goes first in blue bold.
    const QTextCharFormat nick = FormatAt(*window->transcript_, 0);
    QCOMPARE(nick.foreground().color(), QColor(0, 0, 255));
    QCOMPARE(nick.fontWeight(), int(QFont::Bold));
    // The toggles and the picker stay as they were for the next line.
    QCOMPARE(window->Panel2->ToolButton5->isChecked(), bold);
    QCOMPARE(window->Panel2->colorcomo->currentIndex(), colour);
}

void TestRoomWindow::longLineGoesOutInPiecesEchoedWhole()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    c.Sent();
    window->transcript_->clear();
    QString typed;
    for (int i = 0; i < 100; ++i) typed += (i ? QStringLiteral(" w") : QStringLiteral("w")) + QString::number(100 + i);
    window->Panel2->ToolButton5->setChecked(true);  // bold stays on in the continuation
    window->Edit1->setText(typed);
    PressEnter(window->Edit1);
    const QStringList sent = c.Sent();
    QCOMPARE(sent.size(), 2);
    for (const QString& line : sent) QVERIFY(line.startsWith(QStringLiteral("privmsg #Germany :\x02")));
    QCOMPARE(QString(sent[0].mid(19) + u' ' + sent[1].mid(19)), typed);
    QCOMPARE(Transcript(*window), QStringLiteral("Ann: ") + typed + u'\n');
}

void TestRoomWindow::inputLineOutsideARoom()
{
    Connected c;
    RoomWindow* window = c.frame.NewRoomWindow();
    window->Edit1->setText(QStringLiteral("hello"));
    PressEnter(window->Edit1);
    QCOMPARE(c.Sent(), QStringList());
    QCOMPARE(Transcript(*window), QStringLiteral("Talvessa: Please join a room first\n"));
    QCOMPARE(window->Edit1->text(), QStringLiteral("hello"));
}

void TestRoomWindow::inputLineOnClosedConnectionKeepsTypedText()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    const QString before = Transcript(*window);
    c.frame.connection_.Disconnect();
    window->Panel2->ToolButton5->setChecked(true);
    window->Edit1->setText(QStringLiteral("hello"));
    PressEnter(window->Edit1);
    PressEnter(window->Edit1);
    QCOMPARE(Transcript(*window), before + kNotSentNote + kNotSentNote);
    // What the user typed, without the style bytes piling up.
    QCOMPARE(window->Edit1->text(), QStringLiteral("hello"));
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestRoomWindow::actions_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("sent");  // empty: nothing sent
    QTest::addColumn<QString>("shown");

    const QString warning = QStringLiteral("To use this action first select a user in the list\n");
    QTest::newRow("dance") << "Dance2" << "" << "privmsg #Germany :\x01" "Action is dancing all round in the room"
                           << "Ann is dancing all round in the room\n";
    QTest::newRow("jump") << "Jump2" << "bob" << "privmsg #Germany :\x01" "Action is jumping all round in the room"
                          << "Ann is jumping all round in the room\n";
    QTest::newRow("kiss") << "Kiss1" << "bob" << "privmsg #Germany :\x01" "Action grabs bob gently and starts kissing"
                          << "Ann grabs bob gently and starts kissing\n";
    QTest::newRow("offer date") << "OfferDate1" << "bob" << "privmsg #Germany :\x01" "Action offers bob a Date"
                                << "Ann offers bob a Date\n";
    QTest::newRow("offer date without a selected nick") << "OfferDate1" << "" << "" << warning;
}

void TestRoomWindow::actions()
{
    QFETCH(QString, entry);
    QFETCH(QString, selected);
    QFETCH(QString, sent);
    QFETCH(QString, shown);

    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    window->nickList_->AddEntry(QStringLiteral("bob"), kNormalIcon);
    window->nickList_->AddEntry(QStringLiteral("carol"), kNormalIcon);
    if (!selected.isEmpty())
        window->nickList_->FindExact(selected)->setSelected(true);
    c.Sent();
    window->transcript_->clear();
    auto* action = window->PopupMenu2->findChild<QAction*>(entry);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(c.Sent(), sent.isEmpty() ? QStringList() : QStringList{sent});
    QCOMPARE(Transcript(*window), shown);
}

void TestRoomWindow::customActionPanel()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    c.Sent();
    window->transcript_->clear();
    const QStringList captions = [&] {
        QStringList list;
        for (QAction* a : window->PopupMenu2->actions())
            list << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return list;
    }();
    QCOMPARE(captions, (QStringList{"Dance", "Laugh", "Jump", "Scared", "Sing", "-", "Kiss", "Slap", "Love",
                                    "Offer Date", "-", "Custom"}));

    window->PopupMenu2->findChild<QAction*>("Custom1")->trigger();
    QVERIFY(!window->Panel3->isHidden());
    QTest::keyClicks(window->Panel3->Edit2, QStringLiteral("waves"));
    PressEnter(window->Panel3->Edit2);
    QVERIFY(window->Panel3->isHidden());
    QCOMPARE(c.Sent(), QStringList{"privmsg #Germany :\x01" "Action waves"});
    QCOMPARE(Transcript(*window), QStringLiteral("Ann waves\n"));

    // Cancel sends nothing; the text is still there next time.
    window->Custom1Click();
    window->Panel3->Edit2->setText(QStringLiteral("yawns"));
    window->Panel3->Button2->click();
    QVERIFY(window->Panel3->isHidden());
    window->Custom1Click();
    QCOMPARE(window->Panel3->Edit2->text(), QStringLiteral("yawns"));
    QCOMPARE(c.Sent(), QStringList());

    // An empty custom action goes out as it stands.
    window->Panel3->Edit2->clear();
    window->Panel3->Button1->click();
    QCOMPARE(c.Sent(), QStringList{"privmsg #Germany :\x01" "Action "});
    QVERIFY(Transcript(*window).endsWith(QStringLiteral("Ann \n")));
}

void TestRoomWindow::actionOnClosedConnectionIsReported()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    const QString before = Transcript(*window);
    c.frame.connection_.Disconnect();
    window->Dance2Click();
    QCOMPARE(prompts_->Errors().size(), 1);
    QCOMPARE(Transcript(*window), before);

    window->Custom1Click();
    window->Panel3->Edit2->setText(QStringLiteral("waves"));
    window->Panel3->Button1->click();
    QCOMPARE(prompts_->Errors().size(), 2);
    QVERIFY(!window->Panel3->isHidden());
    QCOMPARE(Transcript(*window), before);
}

void TestRoomWindow::actionLineLook()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    window->transcript_->clear();
    window->Sing2Click();
    const QTextCharFormat format = FormatAt(*window->transcript_, 0);
    QCOMPARE(format.foreground().color(), QColor(0x80, 0x00, 0x80));
    QCOMPARE(format.fontWeight(), int(QFont::Bold));
    QVERIFY(format.fontItalic());
}

void TestRoomWindow::ownNickIsSharedByAllWindows()
{
    Connected c;
    RoomWindow* first = c.frame.OpenRoomWindow(QStringLiteral("one"));
    c.frame.SetCurrentNick(QStringLiteral("Bea"));
    c.frame.OpenRoomWindow(QStringLiteral("two"));
    first->transcript_->clear();
    first->Edit1->setText(QStringLiteral("hi"));
    PressEnter(first->Edit1);
    QCOMPARE(Transcript(*first), QStringLiteral("Bea: hi\n"));
}

void TestRoomWindow::activationMarksIgnoredNicks_data()
{
    QTest::addColumn<QStringList>("ignore");
    QTest::addColumn<QString>("nicks");       // nick:icon ... before activation
    QTest::addColumn<QString>("after");       // nick:icon ... after activation
    QTest::addColumn<QStringList>("ignoreAfter");

    QTest::newRow("plain nick") << QStringList{"bob"} << "bob:41 carol:41" << "bob:42 carol:41" << QStringList{"bob"};
    QTest::newRow("begins a longer nick, any case") << QStringList{"bob"} << "Bobby:41" << "Bobby:42"
                                                    << QStringList{"bob"};
    QTest::newRow("host gets @ entry") << QStringList{"x", "bob", "y"} << "Bobby:39" << "Bobby:42"
                                       << QStringList{"x", "y", "@Bobby"};
    QTest::newRow("@ entry matches nobody") << QStringList{"@bob"} << "bob:39" << "bob:39" << QStringList{"@bob"};
    QTest::newRow("already ignored stays") << QStringList{"bob"} << "bob:42" << "bob:42" << QStringList{"bob"};
    QTest::newRow("empty entry matches nobody") << QStringList{""} << "bob:41" << "bob:41" << QStringList{""};
    QTest::newRow("no match") << QStringList{"zed"} << "bob:41" << "bob:41" << QStringList{"zed"};
}

void TestRoomWindow::activationMarksIgnoredNicks()
{
    QFETCH(QStringList, ignore);
    QFETCH(QString, nicks);
    QFETCH(QString, after);
    QFETCH(QStringList, ignoreAfter);

    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    for (const QString& part : nicks.split(u' ')) {
        const QStringList fields = part.split(u':');
        window->nickList_->AddEntry(fields[0], fields[1].toInt());
    }
    frame.Lists().SetIgnoreList(ignore);
    window->FormActivate();
    QStringList described;
    for (int i = 0; i < window->nickList_->Count(); ++i)
        described << NickListView::Nick(window->nickList_->EntryAt(i)) + u':' +
                         QString::number(NickListView::IconNumber(window->nickList_->EntryAt(i)));
    QCOMPARE(described.join(u' '), after);
    QCOMPARE(frame.IgnoreList(), ignoreAfter);
}

void TestRoomWindow::flashingUntilActivated()
{
    timing().flashMs = 20;
    MainWindow frame;
    frame.show();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    RoomWindow* quiet = frame.NewRoomWindow();
    RoomWindow* other = frame.NewRoomWindow();
    other->SetTitle(QStringLiteral("Busy room"));
    frame.BringToFront(quiet);
    QTRY_VERIFY(frame.IsActiveChild(quiet));

    // The active window never flashes.
    quiet->StartAttention();
    QVERIFY(!quiet->Flashing());

    other->StartAttention();
    QVERIFY(other->Flashing());
    QTRY_VERIFY(other->FlashLit());
    const QImage lit = SubOf(other)->grab().toImage();
    QTRY_VERIFY(!other->FlashLit());
    const QImage dark = SubOf(other)->grab().toImage();
    QVERIFY2(lit != dark, "the title bar looks the same in both phases");
    QTRY_VERIFY(other->FlashLit());
    QVERIFY(frame.IsActiveChild(quiet));  // flashing never takes the focus

    frame.BringToFront(other);
    QTRY_VERIFY(!other->Flashing());
    QVERIFY(!other->FlashLit());
    timing().flashMs = Timings().flashMs;
}

void TestRoomWindow::twoWindowsFlashTogether()
{
    timing().flashMs = 15;
    MainWindow frame;
    RoomWindow* first = frame.NewRoomWindow();
    RoomWindow* second = frame.NewRoomWindow();
    first->StartAttention();
    second->StartAttention();
    // Each window keeps its own rhythm: both blink, neither is stuck.
    for (RoomWindow* window : {first, second}) {
        QTRY_VERIFY(window->FlashLit());
        QTRY_VERIFY(!window->FlashLit());
    }
    timing().flashMs = Timings().flashMs;
}

void TestRoomWindow::caretReturnsToTheEndAfterEveryChange()
{
    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    window->transcript_->SetSelText(QStringLiteral("first line\n"));
    window->transcript_->SetSelStart(3);
    window->transcript_->SetSelText(QStringLiteral("X"));
    QCOMPARE(window->transcript_->SelStart(), window->transcript_->TextLength());
    window->transcript_->SetSelText(QStringLiteral("tail"));
    QCOMPARE(Transcript(*window), QStringLiteral("firXst line\ntail"));
}

void TestRoomWindow::transcriptIgnoresTyping()
{
    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    window->transcript_->setFocus();
    QTest::keyClicks(window->transcript_, QStringLiteral("typed"));
    QCOMPARE(Transcript(*window), QString());
}

void TestRoomWindow::hostOnlyEntriesArePresent()
{
    RoomWindow window(nullptr);
    QStringList captions;
    for (QAction* a : window.PopupMenu1->actions())
        if (!a->isSeparator())
            captions << a->text();
    for (const char* caption : {"Kick", "Kick and Ban", "Ban", "Make Host", "De-Host"})
        QVERIFY2(captions.contains(QLatin1String(caption)), caption);
    QVERIFY(window.Kick1->isEnabled());
    window.SetHostControlsEnabled(false);
    QVERIFY(!window.Kick1->isEnabled() && !window.DeHost1->isEnabled() && !window.blockbtn->isEnabled());
}

void TestRoomWindow::rowsNeverOverlap_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("statusBar");
    QTest::addColumn<bool>("styleBar");
    QTest::newRow("own size") << 388 << true << true;
    QTest::newRow("six tiled on a small screen") << 150 << false << true;
    QTest::newRow("very short") << 110 << false << false;
    QTest::newRow("shorter than its rows") << 60 << false << false;
}

// Tiling many windows makes each short: its rows must give way, never be
// drawn over one another, and the input line stays usable.
void TestRoomWindow::rowsNeverOverlap()
{
    QFETCH(int, height);
    Connected c;
    c.frame.resize(1000, 800);
    c.frame.show();
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    // The sub-window's size less its frame and title bar is the window's.
    SubOf(window)->resize(541, height + SubOf(window)->height() - window->height());
    QCoreApplication::processEvents();
    QCOMPARE(window->height(), height);

    QTEST(window->StatusBar1->isVisible(), "statusBar");
    QTEST(window->Panel2->StyleBarShown(), "styleBar");
    QList<QWidget*> rows;
    for (QWidget* row : QList<QWidget*>{window->ToolBar1, window->Panel1, window->transcript_, window->Panel2,
                                        window->StatusBar1})
        if (row->isVisible())
            rows << row;
    QVERIFY(rows.contains(window->Panel2) && window->Edit1->isVisible());
    for (int i = 0; i + 1 < rows.size(); ++i)
        QVERIFY2(rows[i]->geometry().bottom() < rows[i + 1]->geometry().top(),
                 qPrintable(rows[i]->objectName() + " runs into " + rows[i + 1]->objectName()));
    if (height >= 110) {
        QVERIFY(rows.last()->geometry().bottom() < window->height());
        QVERIFY(window->Edit1->height() >= window->Edit1->minimumSizeHint().height());
    }
}

void TestRoomWindow::typingReplacesTheSelectorPrompt()
{
    Connected c;
    c.frame.show();
    c.frame.activateWindow();
    RoomWindow* window = c.frame.NewRoomWindow();
    window->ComboBoxEx1->setFocus();
    QTRY_VERIFY(window->ComboBoxEx1->lineEdit()->hasSelectedText());
    QTest::keyClicks(window->ComboBoxEx1, QStringLiteral("linux"));
    QCOMPARE(window->ComboBoxEx1->currentText(), QStringLiteral("linux"));
}

QTEST_MAIN(TestRoomWindow)
#include "tst_room_window.moc"
