// The room window: its states, the lines it sends through a scripted server,
// the input line, the action menu, activation and attention flashing.
#include "chat/action_menu.h"
#include "chat/country_rooms.h"
#include "chat/input_bar.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "chat/title_bar_flasher.h"
#include "shell/main_window.h"
#include "support/prompt_recorder.h"
#include "common/timings.h"
#include "support/connected_frame.h"
#include "support/window_controls.h"
#include "support/transcript_text.h"

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
    return window.Transcript().toPlainText();
}

// Which look the window's title bar has while flashing: true for the active look.
bool FlashLit(const RoomWindow& window)
{
    return Control<TitleBarFlasher>(window, "titleBarFlasher")->IsLit();
}

QTextCharFormat FormatAt(const TranscriptView& view, int position)
{
    return TranscriptFormatAt(view, position + 1);
}

QStringList EnabledControls(const RoomWindow& w)
{
    QStringList names;
    for (const char* name : {"roomSelector", "joinButton", "leaveButton", "actionButton", "banListButton",
                             "advertiseButton", "favoriteButton", "inviteButton", "saveButton", "closeButton"})
        if (Control<QWidget>(w, name)->isEnabled())
            names << QString::fromLatin1(name);
    return names;
}

const QStringList kNotInRoom{"roomSelector", "joinButton", "saveButton", "closeButton"};
const QStringList kInRoom{"leaveButton", "actionButton", "banListButton", "advertiseButton", "favoriteButton",
                          "inviteButton", "saveButton", "closeButton"};

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
    void leaveEmptiesListAndSaysSo();
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
    QCOMPARE(Control<QComboBox>(*window, "roomSelector")->currentText(), QStringLiteral("[Select Room]"));
    QCOMPARE(EnabledControls(*window), kNotInRoom);
    QCOMPARE(Control<QToolButton>(*window, "actionButton")->text(), QStringLiteral("Action"));
    QCOMPARE(window->NickList().Count(), 0);
    QVERIFY(!window->Flashing());
    QVERIFY(Control<CustomActionPanel>(*window, "customActionPanel")->isHidden());
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
    QComboBox* selector = Control<QComboBox>(window, "roomSelector");
    QCOMPARE(selector->count(), 39);
    QCOMPARE(selector->itemText(0), QStringLiteral("Argentina"));
    QCOMPARE(selector->itemText(8), QStringLiteral("Crotia"));  // the room's name as it exists
    QCOMPARE(selector->itemText(38), QStringLiteral("USA"));
    for (int i = 0; i < selector->count(); ++i)
        QVERIFY2(!selector->itemIcon(i).isNull(), qPrintable(selector->itemText(i)));
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
    QCOMPARE(Control<QComboBox>(*window, "roomSelector")->currentText(), QStringLiteral("Germany"));
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
        InputLine(*window)->setText(typed);
        PressEnter(InputLine(*window));
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
    Control<QComboBox>(*window, "roomSelector")->setEditText(QStringLiteral("room"));
    QComboBox* selector = Control<QComboBox>(*window, "roomSelector");
    QWidget* target = toLineEdit ? static_cast<QWidget*>(selector->lineEdit()) : selector;
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
    Control<QComboBox>(*window, "roomSelector")->setEditText(QStringLiteral("room"));
    QTest::keyRelease(Control<QComboBox>(*window, "roomSelector"), Qt::Key_Return);
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
    Control<QComboBox>(*window, "roomSelector")->setEditText(typed);
    // Enter released in the room selector joins, as the join button does. A
    // key press goes to the combo box, which has the focus.
    PressEnter(Control<QComboBox>(*window, "roomSelector"));
    QCOMPARE(c.Sent(), sent);
    QCOMPARE(window->Title(), title);
    QCOMPARE(Transcript(*window), note);
    QCOMPARE(EnabledControls(*window), sent.isEmpty() ? kNotInRoom : kInRoom);
    QCOMPARE(Control<QComboBox>(*window, "roomSelector")->count(), CountryRooms().size());  // typed names are not added
}

void TestRoomWindow::joinOnClosedConnectionKeepsControls()
{
    Connected c;
    RoomWindow* window = c.frame.NewRoomWindow();
    c.frame.Connection().Disconnect();
    Control<QComboBox>(*window, "roomSelector")->setEditText(QStringLiteral("Germany"));
    Control<QToolButton>(*window, "joinButton")->click();
    QCOMPARE(window->Title(), QStringLiteral("Germany"));
    QCOMPARE(Transcript(*window), QStringLiteral("Talvessa: Trying to join room \"Germany\"\n") + kNotSentNote);
    QCOMPARE(EnabledControls(*window), kNotInRoom);
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestRoomWindow::leaveEmptiesListAndSaysSo()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    window->Model().AddMember(QStringLiteral("bob"));
    window->Model().SetOwnHost(true);
    const QString before = Transcript(*window);
    c.Sent();
    Control<QToolButton>(*window, "leaveButton")->click();
    QCOMPARE(c.Sent(), QStringList{"part #Germany"});
    QCOMPARE(window->Title(), QStringLiteral("Germany"));  // the window still says which room it was
    QCOMPARE(window->NickList().Count(), 0);
    QCOMPARE(Transcript(*window), before + "Talvessa: You left the room \"Germany\"\n");
    QCOMPARE(EnabledControls(*window), kNotInRoom);

    // Leaving on a closed connection changes nothing.
    Control<QToolButton>(*window, "joinButton")->click();
    c.Sent();
    c.frame.Connection().Disconnect();
    Control<QToolButton>(*window, "leaveButton")->click();
    QCOMPARE(window->Title(), QStringLiteral("Germany"));
    QCOMPARE(EnabledControls(*window), kInRoom);
}

void TestRoomWindow::rejoinEmptiesNothingButTheBanList()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    Control<QToolButton>(*window, "leaveButton")->click();
    Control<QComboBox>(*window, "roomSelector")->setEditText(QStringLiteral("France"));
    Control<QToolButton>(*window, "joinButton")->click();
    QCOMPARE(c.Sent(), (QStringList{"join #Germany", "part #Germany", "join #France"}));
    QCOMPARE(window->Title(), QStringLiteral("France"));
    QVERIFY(window->BanList().isEmpty());
    QCOMPARE(Transcript(*window), QStringLiteral("Talvessa: Trying to join room \"Germany\"\n"
                                                 "Talvessa: You left the room \"Germany\"\n"
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
        Control<QToolButton>(*window, "leaveButton")->click();
    QPointer<RoomWindow> watch(window);
    QStringList expected = sent;
    if (how != QLatin1String("empty"))
        expected.prepend(QStringLiteral("join #Germany"));
    if (how == QLatin1String("disconnected")) {
        QCOMPARE(c.Sent(), QStringList{"join #Germany"});
        c.frame.Connection().Disconnect();
        SubOf(window)->close();
        QTRY_VERIFY(watch.isNull());
        return;
    }
    if (how == QLatin1String("exit button"))
        Control<QToolButton>(*window, "closeButton")->click();
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
    window->Transcript().clear();
    Control<QComboBox>(*window, "colourPicker")->setCurrentIndex(colour);
    Control<QToolButton>(*window, "boldButton")->setChecked(bold);
    Control<QToolButton>(*window, "underlineButton")->setChecked(underline);
    Control<QToolButton>(*window, "strikeButton")->setChecked(strike);
    InputLine(*window)->setText(typed);
    PressEnter(InputLine(*window));
    QCOMPARE(c.Sent(), QStringList{sent});
    QCOMPARE(Transcript(*window), echo);
    QCOMPARE(InputLine(*window)->text(), QString());
    // The nick goes first in blue bold.
    const QTextCharFormat nick = FormatAt(window->Transcript(), 0);
    QCOMPARE(nick.foreground().color(), QColor(0, 0, 255));
    QCOMPARE(nick.fontWeight(), int(QFont::Bold));
    // The toggles and the picker stay as they were for the next line.
    QCOMPARE(Control<QToolButton>(*window, "boldButton")->isChecked(), bold);
    QCOMPARE(Control<QComboBox>(*window, "colourPicker")->currentIndex(), colour);
}

void TestRoomWindow::longLineGoesOutInPiecesEchoedWhole()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    c.Sent();
    window->Transcript().clear();
    QString typed;
    for (int i = 0; i < 100; ++i) typed += (i ? QStringLiteral(" w") : QStringLiteral("w")) + QString::number(100 + i);
    Control<QToolButton>(*window, "boldButton")->setChecked(true);  // bold stays on in the continuation
    InputLine(*window)->setText(typed);
    PressEnter(InputLine(*window));
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
    InputLine(*window)->setText(QStringLiteral("hello"));
    PressEnter(InputLine(*window));
    QCOMPARE(c.Sent(), QStringList());
    QCOMPARE(Transcript(*window), QStringLiteral("Talvessa: Please join a room first\n"));
    QCOMPARE(InputLine(*window)->text(), QStringLiteral("hello"));
}

void TestRoomWindow::inputLineOnClosedConnectionKeepsTypedText()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    const QString before = Transcript(*window);
    c.frame.Connection().Disconnect();
    Control<QToolButton>(*window, "boldButton")->setChecked(true);
    InputLine(*window)->setText(QStringLiteral("hello"));
    PressEnter(InputLine(*window));
    PressEnter(InputLine(*window));
    QCOMPARE(Transcript(*window), before + kNotSentNote + kNotSentNote);
    // What the user typed, without the style bytes piling up.
    QCOMPARE(InputLine(*window)->text(), QStringLiteral("hello"));
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestRoomWindow::actions_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("sent");  // empty: nothing sent
    QTest::addColumn<QString>("shown");

    const QString warning = QStringLiteral("To use this action first select a user in the list\n");
    QTest::newRow("dance") << "danceAction" << "" << "privmsg #Germany :\x01" "Action is dancing all round in the room"
                           << "Ann is dancing all round in the room\n";
    QTest::newRow("jump") << "jumpAction" << "bob" << "privmsg #Germany :\x01" "Action is jumping all round in the room"
                          << "Ann is jumping all round in the room\n";
    QTest::newRow("kiss") << "kissAction" << "bob" << "privmsg #Germany :\x01" "Action grabs bob gently and starts kissing"
                          << "Ann grabs bob gently and starts kissing\n";
    QTest::newRow("offer date") << "offerDateAction" << "bob" << "privmsg #Germany :\x01" "Action offers bob a Date"
                                << "Ann offers bob a Date\n";
    QTest::newRow("offer date without a selected nick") << "offerDateAction" << "" << "" << warning;
}

void TestRoomWindow::actions()
{
    QFETCH(QString, entry);
    QFETCH(QString, selected);
    QFETCH(QString, sent);
    QFETCH(QString, shown);

    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    window->Model().AddMember(QStringLiteral("bob"));
    window->Model().AddMember(QStringLiteral("carol"));
    if (!selected.isEmpty())
        window->NickList().FindExact(selected)->setSelected(true);
    c.Sent();
    window->Transcript().clear();
    auto* action = Control<QMenu>(*window, "actionMenu")->findChild<QAction*>(entry);
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
    window->Transcript().clear();
    const QStringList captions = [&] {
        QStringList list;
        for (QAction* a : Control<QMenu>(*window, "actionMenu")->actions())
            list << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return list;
    }();
    QCOMPARE(captions, (QStringList{"Dance", "Laugh", "Jump", "Scared", "Sing", "-", "Kiss", "Slap", "Love",
                                    "Offer Date", "-", "Custom"}));

    Control<QMenu>(*window, "actionMenu")->findChild<QAction*>("customAction")->trigger();
    QVERIFY(!Control<CustomActionPanel>(*window, "customActionPanel")->isHidden());
    QTest::keyClicks(Control<QLineEdit>(*window, "customActionLine"), QStringLiteral("waves"));
    PressEnter(Control<QLineEdit>(*window, "customActionLine"));
    QVERIFY(Control<CustomActionPanel>(*window, "customActionPanel")->isHidden());
    QCOMPARE(c.Sent(), QStringList{"privmsg #Germany :\x01" "Action waves"});
    QCOMPARE(Transcript(*window), QStringLiteral("Ann waves\n"));

    // Cancel sends nothing; the text is still there next time.
    Control<QAction>(*window, "customAction")->trigger();
    Control<QLineEdit>(*window, "customActionLine")->setText(QStringLiteral("yawns"));
    Control<QPushButton>(*window, "customActionCancelButton")->click();
    QVERIFY(Control<CustomActionPanel>(*window, "customActionPanel")->isHidden());
    Control<QAction>(*window, "customAction")->trigger();
    QCOMPARE(Control<QLineEdit>(*window, "customActionLine")->text(), QStringLiteral("yawns"));
    QCOMPARE(c.Sent(), QStringList());

    // An empty custom action goes out as it stands.
    Control<QLineEdit>(*window, "customActionLine")->clear();
    Control<QPushButton>(*window, "customActionOkButton")->click();
    QCOMPARE(c.Sent(), QStringList{"privmsg #Germany :\x01" "Action "});
    QVERIFY(Transcript(*window).endsWith(QStringLiteral("Ann \n")));
}

void TestRoomWindow::actionOnClosedConnectionIsReported()
{
    // The refusal is a note in the window the user acted in, never the
    // action line itself.
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    const QString before = Transcript(*window);
    c.frame.Connection().Disconnect();
    Control<QAction>(*window, "danceAction")->trigger();
    QCOMPARE(Transcript(*window), before + kNotSentNote);

    Control<QAction>(*window, "customAction")->trigger();
    Control<QLineEdit>(*window, "customActionLine")->setText(QStringLiteral("waves"));
    Control<QPushButton>(*window, "customActionOkButton")->click();
    QVERIFY(!Control<CustomActionPanel>(*window, "customActionPanel")->isHidden());
    QCOMPARE(Transcript(*window), before + kNotSentNote + kNotSentNote);
    QCOMPARE(prompts_->Errors().size(), 0);
}

void TestRoomWindow::actionLineLook()
{
    Connected c;
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    window->Transcript().clear();
    Control<QAction>(*window, "singAction")->trigger();
    const QTextCharFormat format = FormatAt(window->Transcript(), 0);
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
    first->Transcript().clear();
    InputLine(*first)->setText(QStringLiteral("hi"));
    PressEnter(InputLine(*first));
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
        window->NickList().AddEntry(fields[0], fields[1].toInt());
    }
    frame.Lists().SetIgnoreList(ignore);
    window->onActivated();
    QStringList described;
    for (int i = 0; i < window->NickList().Count(); ++i)
        described << NickListView::Nick(window->NickList().EntryAt(i)) + u':' +
                         QString::number(NickListView::IconNumber(window->NickList().EntryAt(i)));
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
    QTRY_VERIFY(FlashLit(*other));
    const QImage lit = SubOf(other)->grab().toImage();
    QTRY_VERIFY(!FlashLit(*other));
    const QImage dark = SubOf(other)->grab().toImage();
    QVERIFY2(lit != dark, "the title bar looks the same in both phases");
    QTRY_VERIFY(FlashLit(*other));
    QVERIFY(frame.IsActiveChild(quiet));  // flashing never takes the focus

    frame.BringToFront(other);
    QTRY_VERIFY(!other->Flashing());
    QVERIFY(!FlashLit(*other));
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
        QTRY_VERIFY(FlashLit(*window));
        QTRY_VERIFY(!FlashLit(*window));
    }
    timing().flashMs = Timings().flashMs;
}

void TestRoomWindow::caretReturnsToTheEndAfterEveryChange()
{
    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    SetSelText(window->Transcript(), QStringLiteral("first line\n"));
    SetSelStart(window->Transcript(), 3);
    SetSelText(window->Transcript(), QStringLiteral("X"));
    QCOMPARE(SelStart(window->Transcript()), window->Transcript().TextLength());
    SetSelText(window->Transcript(), QStringLiteral("tail"));
    QCOMPARE(Transcript(*window), QStringLiteral("firXst line\ntail"));
}

void TestRoomWindow::transcriptIgnoresTyping()
{
    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    window->Transcript().setFocus();
    QTest::keyClicks(&window->Transcript(), QStringLiteral("typed"));
    QCOMPARE(Transcript(*window), QString());
}

void TestRoomWindow::hostOnlyEntriesArePresent()
{
    RoomWindow window(nullptr);
    QStringList captions;
    for (QAction* a : Control<QMenu>(window, "nickMenu")->actions())
        if (!a->isSeparator())
            captions << a->text();
    for (const char* caption : {"Kick", "Kick and Ban", "Ban", "Make Host", "De-Host"})
        QVERIFY2(captions.contains(QLatin1String(caption)), caption);
    QVERIFY(Control<QAction>(window, "kickAction")->isEnabled());
    window.SetHostControlsEnabled(false);
    QVERIFY(!Control<QAction>(window, "kickAction")->isEnabled() && !Control<QAction>(window, "deHostAction")->isEnabled() &&
            !Control<QToolButton>(window, "banListButton")->isEnabled());
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

    QTEST(Control<QStatusBar>(*window, "statusBar")->isVisible(), "statusBar");
    QTEST(Control<InputBar>(*window, "inputBar")->StyleBarShown(), "styleBar");
    QList<QWidget*> rows;
    for (QWidget* row : QList<QWidget*>{Control<QToolBar>(*window, "toolBar"), Control<QFrame>(*window, "topGap"),
                                        &window->Transcript(), Control<InputBar>(*window, "inputBar"),
                                        Control<QStatusBar>(*window, "statusBar")})
        if (row->isVisible())
            rows << row;
    QVERIFY(rows.contains(Control<InputBar>(*window, "inputBar")) && InputLine(*window)->isVisible());
    for (int i = 0; i + 1 < rows.size(); ++i)
        QVERIFY2(rows[i]->geometry().bottom() < rows[i + 1]->geometry().top(),
                 qPrintable(rows[i]->objectName() + " runs into " + rows[i + 1]->objectName()));
    if (height >= 110) {
        QVERIFY(rows.last()->geometry().bottom() < window->height());
        QVERIFY(InputLine(*window)->height() >= InputLine(*window)->minimumSizeHint().height());
    }
}

void TestRoomWindow::typingReplacesTheSelectorPrompt()
{
    Connected c;
    c.frame.show();
    c.frame.activateWindow();
    RoomWindow* window = c.frame.NewRoomWindow();
    Control<QComboBox>(*window, "roomSelector")->setFocus();
    QTRY_VERIFY(Control<QComboBox>(*window, "roomSelector")->lineEdit()->hasSelectedText());
    QTest::keyClicks(Control<QComboBox>(*window, "roomSelector"), QStringLiteral("linux"));
    QCOMPARE(Control<QComboBox>(*window, "roomSelector")->currentText(), QStringLiteral("linux"));
}

QTEST_MAIN(TestRoomWindow)
#include "tst_room_window.moc"
