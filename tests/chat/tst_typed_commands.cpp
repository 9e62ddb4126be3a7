// Lines typed into the input lines of room and private windows: what the
// server receives for each command, the notes for commands typed wrong, and
// the ignore list the ignore commands change.
#include "chat/chat_colors.h"
#include "support/transcript_text.h"
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/typed_commands.h"
#include "common/shown_text.h"
#include "support/connected_frame.h"
#include "common/user_data_folder.h"
#include "support/prompt_recorder.h"
#include "support/window_controls.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include <optional>

namespace {

QString Bytes(const char* text) { return QString::fromLatin1(text); }

// The transcript's last line.
QString LastLine(const TranscriptView* view)
{
    QStringList lines = view->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last();
}

// The colour of the last character of the transcript's last line.
QColor LastLineColour(const TranscriptView* view)
{
    const QString text = view->toPlainText();
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u'\n')
        --end;
    return TranscriptFormatAt(*view, int(end)).foreground().color();
}

}  // namespace

class TestTypedCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void parse_data();
    void parse();
    void typed_data();
    void typed();
    void joinBringsAnOpenRoomToTheFront();
    void noteColours_data();
    void noteColours();
    void typedRoomIsJoinedAsTyped_data();
    void typedRoomIsJoinedAsTyped();

private:
    QTemporaryDir root_;
    std::optional<PromptRecorder> prompts_;
};

void TestTypedCommands::init()
{
    QVERIFY(root_.isValid());
    SetUserDataRoot(root_.path());
    prompts_.emplace();
}

void TestTypedCommands::cleanup()
{
    prompts_.reset();
    SetUserDataRoot(QString());
}

void TestTypedCommands::parse_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kind");  // message, command or usage
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("args");  // for a message: its text
    QTest::newRow("plain text") << "hello /me" << "message" << "" << QStringList{"hello /me"};
    QTest::newRow("double slash") << "//me waves" << "message" << "" << QStringList{"/me waves"};
    QTest::newRow("upper case word") << "/JOIN #a" << "command" << "join" << QStringList{"#a"};
    QTest::newRow("free text keeps spaces") << "/me  waves   at  you  " << "command" << "me"
                                            << QStringList{"waves   at  you"};
    QTest::newRow("words then text") << "/kick Bob  go home" << "command" << "kick" << QStringList{"Bob", "go home"};
    QTest::newRow("formatting kept") << Bytes("/msg Bob \x02" "bold\x02") << "command" << "msg"
                                     << QStringList{"Bob", Bytes("\x02" "bold\x02")};
    QTest::newRow("optional left out") << "/part" << "command" << "part" << QStringList{};
    QTest::newRow("too many words") << "/nick a b" << "usage" << "nick" << QStringList{};
    QTest::newRow("too few words") << "/msg Bob" << "usage" << "msg" << QStringList{};
    QTest::newRow("no argument wanted") << "/back now" << "usage" << "back" << QStringList{};
    QTest::newRow("unknown") << "/frobnicate x" << "usage" << "frobnicate" << QStringList{};
    QTest::newRow("slash alone") << "/" << "usage" << "" << QStringList{};
}

void TestTypedCommands::parse()
{
    QFETCH(QString, typed);
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QStringList, args);
    const TypedLine line = ParseTypedLine(typed);
    const QString kinds[] = {"message", "command", "usage"};
    QCOMPARE(kinds[int(line.kind)], kind);
    if (line.kind == TypedLine::Kind::Message) {
        QCOMPARE(QStringList{line.text}, args);
        return;
    }
    QCOMPARE(line.name, name);
    if (line.kind == TypedLine::Kind::Command)
        QCOMPARE(line.args, args);
    else
        QVERIFY(!line.note.isEmpty());
}

void TestTypedCommands::typed_data()
{
    // "room" (in #Germany), "left" (room left), "listed" (#Germany joined from a room-list row whose name
    // the server spells "Germ^Bany"), "private" (with Bob) or "bidi private" (with a Bob whose nick holds
    // a direction control, shown in an isolate)
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("note");     // the transcript's last line afterwards; empty: not checked
    QTest::addColumn<QStringList>("ignore");  // the ignore list afterwards

    const QStringList none;
    const QStringList dora{"Dora"};  // on the list from the start
    QTest::newRow("me") << "room" << "/me waves" << QStringList{Bytes("privmsg #Germany :\x01" "Action waves")}
                        << "Ann waves" << dora;
    QTest::newRow("me with formatting") << "room" << Bytes("/me \x02" "waves\x03" "4 red")
                                        << QStringList{Bytes("privmsg #Germany :\x01" "Action \x02" "waves\x03" "4 red")}
                                        << "" << dora;
    QTest::newRow("me in private") << "private" << "/me waves"
                                   << QStringList{Bytes("privmsg Bob :\x01" "Action waves")} << "Ann waves" << dora;
    QTest::newRow("me not in a room") << "left" << "/me waves" << none << "Talvessa: Please join a room first" << dora;
    QTest::newRow("double slash") << "room" << "//me waves" << QStringList{"privmsg #Germany :/me waves"}
                                  << "Ann: /me waves" << dora;
    QTest::newRow("double slash in private") << "private" << "//help" << QStringList{"privmsg Bob :/help"}
                                             << "you said: /help" << dora;
    QTest::newRow("join") << "room" << "/join #rust" << QStringList{"join #rust"} << "" << dora;
    QTest::newRow("join without #") << "private" << "/join rust" << QStringList{"join #rust"} << "" << dora;
    QTest::newRow("join two with key") << "room" << "/join #a,#b sesame"
                                       << QStringList{"join #a sesame", "join #b sesame"} << "" << dora;
    QTest::newRow("join the open room") << "room" << "/join #germany" << none << "" << dora;
    QTest::newRow("join after leaving") << "left" << "/join #Germany" << QStringList{"join #Germany"} << "" << dora;
    QTest::newRow("join without room") << "room" << "/join" << none
                                       << "Talvessa: Usage: /join #room[,#room2] [key]" << dora;
    QTest::newRow("part") << "room" << "/part" << QStringList{"part #Germany"} << "" << dora;
    QTest::newRow("part with reason") << "room" << "/part off to bed" << QStringList{"part #Germany :off to bed"}
                                      << "" << dora;
    QTest::newRow("part in private") << "private" << "/part" << none << "Talvessa: /part works in a room window"
                                     << dora;
    QTest::newRow("msg") << "room" << "/msg carl hi there" << QStringList{"privmsg carl :hi there"} << "" << dora;
    QTest::newRow("msg with formatting") << "room" << Bytes("/msg carl \x1f" "under")
                                         << QStringList{Bytes("privmsg carl :\x1f" "under")} << "" << dora;
    QTest::newRow("msg without text") << "room" << "/msg carl" << none << "Talvessa: Usage: /msg NICK TEXT" << dora;
    QTest::newRow("query opens only") << "room" << "/query carl" << none << "" << dora;
    QTest::newRow("query with text") << "private" << "/query carl hello" << QStringList{"privmsg carl :hello"} << ""
                                     << dora;
    QTest::newRow("nick") << "room" << "/nick Anna" << QStringList{"nick Anna"} << "" << dora;
    QTest::newRow("nick two words") << "room" << "/nick An na" << none << "Talvessa: Usage: /nick NEW" << dora;
    QTest::newRow("topic asked") << "room" << "/topic" << QStringList{"topic #Germany"} << "" << dora;
    QTest::newRow("topic set") << "room" << "/topic Beer and bratwurst" << QStringList{"topic #Germany :Beer and bratwurst"}
                               << "" << dora;
    QTest::newRow("away") << "private" << "/away gone fishing" << QStringList{"away :gone fishing"} << "" << dora;
    QTest::newRow("back") << "room" << "/back" << QStringList{"away"} << "" << dora;
    QTest::newRow("whois") << "room" << "/whois Dora" << QStringList{"who Dora"} << "" << dora;
    QTest::newRow("invite here") << "room" << "/invite Dora" << QStringList{"INVITE Dora #Germany"} << "" << dora;
    QTest::newRow("invite there") << "private" << "/invite Dora #rust" << QStringList{"INVITE Dora #rust"} << ""
                                  << dora;
    QTest::newRow("invite from private needs a room")
        << "private" << "/invite Dora" << none << "Talvessa: Usage: /invite NICK [#room]" << dora;
    const QString rloBob = QStringLiteral(u"\u202eBob");
    QTest::newRow("listed: topic") << "listed" << "/topic" << QStringList{Bytes("topic #Germ\x02" "any")} << "" << dora;
    QTest::newRow("listed: invite") << "listed" << "/invite Dora" << QStringList{Bytes("INVITE Dora #Germ\x02" "any")}
                                    << "" << dora;
    QTest::newRow("listed: kick") << "listed" << "/kick carl" << QStringList{Bytes("kick #Germ\x02" "any carl :")}
                                  << "" << dora;
    QTest::newRow("bidi partner: message") << "bidi private" << "hi" << QStringList{"privmsg " + rloBob + " :hi"}
                                           << "" << dora;
    QTest::newRow("bidi partner: me") << "bidi private" << "/me waves"
                                      << QStringList{"privmsg " + rloBob + Bytes(" :\x01" "Action waves")} << ""
                                      << dora;
    QTest::newRow("kick") << "room" << "/kick carl" << QStringList{"kick #Germany carl :"} << "" << dora;
    QTest::newRow("kick with reason") << "room" << "/kick carl too loud" << QStringList{"kick #Germany carl :too loud"}
                                      << "" << dora;
    QTest::newRow("op") << "room" << "/op carl" << QStringList{"mode #Germany +o carl"} << "" << dora;
    QTest::newRow("deop") << "room" << "/DEOP Bob" << QStringList{"mode #Germany -o Bob"} << "" << dora;
    QTest::newRow("op without nick") << "room" << "/op" << none << "Talvessa: Usage: /op NICK" << dora;
    QTest::newRow("ignore a host") << "room" << "/ignore Bob" << none << "" << QStringList{"Dora", "@Bob"};
    QTest::newRow("ignore in private") << "private" << "/ignore carl" << none << "" << QStringList{"Dora", "carl"};
    QTest::newRow("unignore") << "room" << "/unignore dora" << none << "" << none;
    QTest::newRow("quote") << "room" << "/quote PRIVMSG NickServ :help" << QStringList{"PRIVMSG NickServ :help"}
                           << "" << dora;
    QTest::newRow("quote with a pasted line break") << "room" << Bytes("/quote a\r\nb") << QStringList{"a b"} << ""
                                                    << dora;
    QTest::newRow("quote refused") << "room" << QStringLiteral("/quote a") + QChar(0) + u'b' << none
                                   << "Talvessa: A line break or NUL character cannot be sent: nothing was sent"
                                   << dora;
    QTest::newRow("help one") << "room" << "/help kick" << none
                              << "Talvessa: /kick NICK [reason]: kicks a user out of this room" << dora;
    QTest::newRow("help all") << "private" << "/help" << none << "Talvessa: /help [command]: lists the commands"
                              << dora;
    QTest::newRow("unknown") << "room" << "/frobnicate now" << none
                             << "Talvessa: Unknown command \"/frobnicate\": type /help for the list of commands" << dora;
    QTest::newRow("clear") << "room" << "/clear" << none << "" << dora;
}

void TestTypedCommands::typed()
{
    QFETCH(QString, window);
    QFETCH(QString, typed);
    QFETCH(QStringList, sent);
    QFETCH(QString, note);
    QFETCH(QStringList, ignore);

    Connected c;
    RoomWindow* room = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    room->Model().AddMember(QStringLiteral("Bob"), QStringLiteral("o"));
    room->Model().AddMember(QStringLiteral("carl"));
    room->Model().AddMember(RoomMember{QStringLiteral("Dora"), {}, {}, true});
    c.frame.ChangeIgnoreList([](IgnoreEntries& list) { list.Append(QStringLiteral("Dora")); });
    if (window == QLatin1String("left"))
        room->Leave(QString());
    if (window == QLatin1String("listed"))
        room->SetRoomOnWire("Germ\x02" "any");
    QLineEdit* edit = InputLine(*room);
    TranscriptView* view = &room->Transcript();
    if (window.endsWith(QLatin1String("private"))) {
        const QString bob = window == QLatin1String("private") ? QStringLiteral("Bob") : ShownText(QStringLiteral(u"\u202eBob"));
        auto* partner = qobject_cast<PrivateWindow*>(c.frame.OpenPrivateWindowFromUser(bob));
        QVERIFY(partner);
        edit = InputLine(*partner);
        view = &partner->Transcript();
    }
    c.Sent();
    // The profile window is modal: it is closed as soon as it shows.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    closer.start(20);

    edit->setText(typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(c.Sent(), sent);
    // A command the parser finds typed wrong stays in the line to be put
    // right; all else goes.
    const bool typedWrong = ParseTypedLine(typed).kind == TypedLine::Kind::Usage;
    QCOMPARE(edit->text(), typedWrong ? typed : QString());
    if (!note.isEmpty())
        QCOMPARE(LastLine(view), note);
    if (typed == QLatin1String("/clear"))
        QVERIFY(view->toPlainText().isEmpty());
    QCOMPARE(c.frame.IgnoreList(), ignore);
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestTypedCommands::joinBringsAnOpenRoomToTheFront()
{
    Connected c;
    RoomWindow* germany = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    RoomWindow* rust = c.frame.OpenRoomWindow(QStringLiteral("rust"));
    c.frame.BringToFront(rust);
    c.Sent();
    InputLine(*rust)->setText(QStringLiteral("/join #GERMANY"));
    QTest::keyClick(InputLine(*rust), Qt::Key_Return);
    QCOMPARE(c.frame.CurrentChild(), germany);
    QCOMPARE(c.Sent(), QStringList());
    QVERIFY(InputLine(*rust)->text().isEmpty());
}

void TestTypedCommands::noteColours_data()
{
    // Answers are written in the note colour, mistakes in red.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("answer");
    QTest::newRow("help for one") << "/help kick" << true;
    QTest::newRow("help for all") << "/help" << true;
    QTest::newRow("help for an unknown command") << "/help frobnicate" << false;
    QTest::newRow("usage") << "/op" << false;
}

void TestTypedCommands::noteColours()
{
    QFETCH(QString, typed);
    QFETCH(bool, answer);
    Connected c;
    RoomWindow* room = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    InputLine(*room)->setText(typed);
    QTest::keyClick(InputLine(*room), Qt::Key_Return);
    QCOMPARE(LastLineColour(&room->Transcript()), answer ? chat_colors::kNote : chat_colors::kRed);
}

void TestTypedCommands::typedRoomIsJoinedAsTyped_data()
{
    // The country list offers what matches; Enter joins the text as typed.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("pickFirstOffer");  // Down into the offers before Enter
    QTest::addColumn<QString>("sent");
    QTest::newRow("start of a country") << "a" << false << "join #a";
    QTest::newRow("start of a country, other case") << "germ" << false << "join #germ";
    QTest::newRow("a whole country") << "Germany" << false << "join #Germany";
    QTest::newRow("no country") << "linux" << false << "join #linux";
    QTest::newRow("offer picked") << "germ" << true << "join #Germany";
}

void TestTypedCommands::typedRoomIsJoinedAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(bool, pickFirstOffer);
    QFETCH(QString, sent);
    Connected c;
    c.frame.show();
    c.frame.activateWindow();
    RoomWindow* window = c.frame.NewRoomWindow();
    QComboBox* selector = Control<QComboBox>(*window, "roomSelector");
    selector->setFocus();
    QTRY_VERIFY(selector->lineEdit()->hasSelectedText());
    QTest::keyClicks(selector, typed);
    QCOMPARE(selector->currentText(), typed);
    // The key goes where a real one would: to the offers' list when it shows.
    QWidget* popup = selector->completer()->popup();
    if (pickFirstOffer)
        QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyPress(popup->isVisible() ? popup : static_cast<QWidget*>(selector), Qt::Key_Return);
    QVERIFY(!popup->isVisible());
    QTest::keyRelease(selector, Qt::Key_Return);
    const QStringList lines = c.Sent();
    QCOMPARE(lines, QStringList{sent});
}

QTEST_MAIN(TestTypedCommands)
#include "tst_typed_commands.moc"
