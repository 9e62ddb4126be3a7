// Received chat lines meeting the windows: every path of HandleMessage, the
// private-window lookup, the MemoServ listing switch, partner quit, and the
// frame's private-window openers.
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/attention_flasher.h"
#include "chat/room_window.h"
#include "common/list_file.h"
#include "events/event_router.h"
#include "events/message_events.h"
#include "shell/main_window.h"
#include "support/temp_user_data.h"
#include "support/test_session.h"
#include "side/room_list_window.h"
#include "support/window_controls.h"
#include "support/transcript_text.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

// Bytes with embedded control bytes kept whole.
template <size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

void Route(MainWindow& frame, const std::string& raw)
{
    IrcMessage line;
    line.ParseLine(raw);
    RouteLine(TestSession(frame), line);
}

QList<PrivateWindow*> PrivateWindows(const MainWindow& frame)
{
    QList<PrivateWindow*> out;
    for (QWidget* w : frame.ChildWindows())
        if (auto* p = qobject_cast<PrivateWindow*>(w)) out << p;
    return out;
}

QStringList Titles(const QList<PrivateWindow*>& windows)
{
    QStringList out;
    for (const PrivateWindow* w : windows) out << w->Title();
    return out;
}

QStringList LogLines(const MainWindow& frame)
{
    const QString text = Control<TranscriptView>(frame, "serverLog")->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QTextCharFormat FormatAt(const TranscriptView& view, int pos)
{
    return TranscriptFormatAt(view, pos + 1);
}

// The transcript's text without the line break that ends its last line.
QString Shown(const TranscriptView* view)
{
    QString text = view->toPlainText();
    if (text.endsWith(u'\n')) text.chop(1);
    return text;
}

QMdiSubWindow* SubOf(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); }

}  // namespace

class TestMessageEvents : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void privateLines_data();
    void privateLines();
    void linesWithoutPartnerOpenNothing_data();
    void linesWithoutPartnerOpenNothing();
    void ignoredSenderIsLoggedOnly();
    void lookupIgnoresCaseAndBlanks_data();
    void lookupIgnoresCaseAndBlanks();
    void newWindowIsActiveSizedAndConnected();
    void incomingBringsInactiveWindowToFront();
    void windowReturnsToItsSizeWhenActivated();
    void burstOfPartnersActivatesLastWindowOnly();
    void userOpenerComparesExactly();
    void ignoreButtonIgnoresPartner();
    void messageRightAfterCloseOpensNewWindow();
    void roomLines_data();
    void roomLines();
    void roomLineAfterActionIsNotItalic();
    void roomMessageFlashesInactiveWindowOnly();
    void memoServListing_data();
    void memoServListing();
    void partnerQuitMarksExactTitleOnly();
    void manyPartnersManyWindows();

private:
    TempUserData userData_;  // ignoring a partner writes the account's ignore file here
    std::unique_ptr<MainWindow> frame_;
};

void TestMessageEvents::init()
{
    frame_ = std::make_unique<MainWindow>();
    frame_->SetCurrentNick("me");
    frame_->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
}

void TestMessageEvents::cleanup() { frame_.reset(); }

void TestMessageEvents::privateLines_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("enabled");

    auto row = [](const char* name, const std::string& raw, const QString& title, const QString& shown,
                  bool readOnly = false, bool enabled = true) {
        QTest::newRow(name) << QByteArray::fromStdString(raw) << title << shown << readOnly << enabled;
    };
    row("message", ":bob!b@h PRIVMSG me :hi there", "bob", "bob: hi there");
    row("notice locks the input", ":bob!b@h NOTICE me :psst", "bob", "bob (Notice): bob: psst", true, false);
    row("notice command in lower case", ":bob!b@h notice me :psst", "bob", "bob (Notice): bob: psst", true, false);
    row("away reply goes to the away user", ":irc.test 301 me carol :gone fishing", "carol",
        "carol is away(Auto Reply): irc.test: gone fishing");
    row("private action without its markers", Bytes(":bob!b@h PRIVMSG me :\x01" "ACTION waves\x01"), "bob",
        "bob waves");
    row("NickServ message makes the line read-only", ":NickServ!n@services.int PRIVMSG me :identify", "NickServ",
        "NickServ: identify", true, true);
    row("NickServ notice locks it", ":NickServ!n@services.int NOTICE me :registered", "NickServ",
        "NickServ (Notice): NickServ: registered", true, false);
    row("last parameter without colon", ":bob!b@h PRIVMSG me hello", "bob", "bob: hello");
    row("colon inside the text", ":bob!b@h PRIVMSG me :see: this", "bob", "bob: see: this");
    row("no text at all", ":bob!b@h PRIVMSG me :", "bob", "bob: ");
    row("nothing after the command", ":bob!b@h PRIVMSG ", "bob", "bob: ");
    row("leading colour byte survives", Bytes(":bob!b@h PRIVMSG me :\x03" "4red"), "bob", "bob: red");
    row("leading bold byte survives", Bytes(":bob!b@h PRIVMSG me :\x02" "bold"), "bob", "bob: bold");
    row("marker bytes everywhere", Bytes(":bob!b@h PRIVMSG me :a\x01" "b\x01" "c\x01"), "bob", "bob: abc");
    row("server prefix without '!'", ":irc.test NOTICE me :*** Connection statistics", "irc.test",
        "irc.test (Notice): irc.test: *** Connection statistics", true, false);
    row("emoticon", ":bob!b@h PRIVMSG me :hi :) you", "bob", QStringLiteral(u"bob: hi \ufffc you"));
    row("UTF-8 text", ":bob!b@h PRIVMSG me :gr\xc3\xbc\xc3\x9f", "bob", QStringLiteral(u"bob: grüß"));
    row("Latin-1 text", ":bob!b@h PRIVMSG me :gr\xfc\xdf", "bob", QStringLiteral(u"bob: grüß"));
    const std::string longNick(500, 'n');
    row("500-byte nick", ":" + longNick + "!u@h PRIVMSG me :hi", QString(500, u'n'),
        QString(500, u'n') + QStringLiteral(": hi"));
}

void TestMessageEvents::privateLines()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, title);
    QFETCH(QString, shown);
    QFETCH(bool, readOnly);
    QFETCH(bool, enabled);

    Route(*frame_, raw.toStdString());
    const QList<PrivateWindow*> windows = PrivateWindows(*frame_);
    QCOMPARE(Titles(windows), QStringList{title});
    PrivateWindow* w = windows.first();
    QCOMPARE(Shown(&w->Transcript()), shown);
    QCOMPARE(InputLine(*w)->isReadOnly(), readOnly);
    QCOMPARE(InputLine(*w)->isEnabled(), enabled);
    QCOMPARE(w->Connection(), &frame_->Connection());

    // The second line from the same partner lands in the same window.
    Route(*frame_, raw.toStdString());
    QCOMPARE(PrivateWindows(*frame_).size(), 1);
    QCOMPARE(w->Transcript().Store().Count(), 3);
}

void TestMessageEvents::linesWithoutPartnerOpenNothing_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::newRow("301 without the away user") << QByteArray(":irc.test 301 me");
    QTest::newRow("301 with an empty word") << QByteArray(":irc.test 301 me  :text");
    QTest::newRow("empty sender nick") << QByteArray(":!u@h PRIVMSG me :hi");
}

void TestMessageEvents::linesWithoutPartnerOpenNothing()
{
    QFETCH(QByteArray, raw);
    Route(*frame_, raw.toStdString());
    QVERIFY(PrivateWindows(*frame_).isEmpty());
    QCOMPARE(LogLines(*frame_).size(), 1);
    for (PrivateWindow* w : PrivateWindows(*frame_)) QVERIFY(!w->Title().isEmpty());
}

void TestMessageEvents::ignoredSenderIsLoggedOnly()
{
    frame_->Lists().SetIgnoreList(QStringList{"carol", "bob", "dave"});
    Route(*frame_, ":bob!b@h PRIVMSG me :hi");
    Route(*frame_, ":bob!b@h NOTICE me :psst");
    QVERIFY(PrivateWindows(*frame_).isEmpty());
    QCOMPARE(LogLines(*frame_), (QStringList{"bob (Ignored): me :hi ", "bob (Ignored): me :psst "}));

    // Letter case matters to the ignore list.
    Route(*frame_, ":Bob!b@h PRIVMSG me :hi");
    QCOMPARE(Titles(PrivateWindows(*frame_)), QStringList{"Bob"});
}

void TestMessageEvents::lookupIgnoresCaseAndBlanks_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<bool>("reused");

    QTest::newRow("same nick") << "bob" << QByteArray(":bob!b@h PRIVMSG me :x") << true;
    QTest::newRow("other case") << "Bob" << QByteArray(":bOB!b@h PRIVMSG me :x") << true;
    QTest::newRow("title with blanks") << " bob " << QByteArray(":bob!b@h PRIVMSG me :x") << true;
    QTest::newRow("away user in other case") << "CAROL" << QByteArray(":srv 301 me carol :away") << true;
    QTest::newRow("longer title is another nick") << "bobby" << QByteArray(":bob!b@h PRIVMSG me :x") << false;
    QTest::newRow("shorter title is another nick") << "bo" << QByteArray(":bob!b@h PRIVMSG me :x") << false;
}

void TestMessageEvents::lookupIgnoresCaseAndBlanks()
{
    QFETCH(QString, existing);
    QFETCH(QByteArray, raw);
    QFETCH(bool, reused);

    PrivateWindow* old = frame_->OpenPrivateWindowFromUser(existing);
    QVERIFY(old);
    IrcMessage line;
    line.ParseLine(raw.toStdString());
    PrivateWindow* found = FindPrivateWindow(TestSession(*frame_), line);
    QVERIFY(found);
    QCOMPARE(found == old, reused);
    QCOMPARE(PrivateWindows(*frame_).size(), reused ? 1 : 2);
    QTRY_VERIFY(SubOf(found) == frame_->MdiArea()->activeSubWindow());
}

void TestMessageEvents::newWindowIsActiveSizedAndConnected()
{
    // A room window with the partner's name is not a private window.
    auto* room = new RoomWindow(frame_.get());
    frame_->Windows().Add(room);
    room->PlaceInFrame();
    room->SetTitle("bob");

    Route(*frame_, ":bob!b@h PRIVMSG me :hi");
    const QList<PrivateWindow*> windows = PrivateWindows(*frame_);
    QCOMPARE(windows.size(), 1);
    PrivateWindow* w = windows.first();
    QTRY_COMPARE(frame_->MdiArea()->activeSubWindow(), SubOf(w));
    QCOMPARE(SubOf(w)->size(), QSize(PrivateWindow::kWidth, PrivateWindow::kHeight));
    QCOMPARE(w->OwnNick(), QStringLiteral("me"));
    QVERIFY(Shown(&room->Transcript()).isEmpty());
    // Typing goes into the input line, never into a button of the window.
    frame_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(InputLine(*w)));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("a reply"));
    QCOMPARE(InputLine(*w)->text(), QStringLiteral("a reply"));
    QCOMPARE(PrivateWindows(*frame_).size(), 1);
    QVERIFY(!frame_->IsIgnored(QStringLiteral("bob")));
}

void TestMessageEvents::incomingBringsInactiveWindowToFront()
{
    Route(*frame_, ":bob!b@h PRIVMSG me :one");
    Route(*frame_, ":carol!c@h PRIVMSG me :two");
    const QList<PrivateWindow*> windows = PrivateWindows(*frame_);
    QCOMPARE(Titles(windows), (QStringList{"bob", "carol"}));
    QTRY_COMPARE(frame_->MdiArea()->activeSubWindow(), SubOf(windows[1]));

    Route(*frame_, ":bob!b@h PRIVMSG me :three");
    QTRY_COMPARE(frame_->MdiArea()->activeSubWindow(), SubOf(windows[0]));
    QCOMPARE(Shown(&windows[0]->Transcript()), QStringLiteral("bob: one\nbob: three"));
}

void TestMessageEvents::windowReturnsToItsSizeWhenActivated()
{
    PrivateWindow* bob = frame_->OpenPrivateWindowFromUser("bob");
    PrivateWindow* carol = frame_->OpenPrivateWindowFromUser("carol");
    QCOMPARE(SubOf(bob)->size(), QSize(450, 234));
    frame_->BringToFront(bob);
    SubOf(bob)->resize(600, 400);
    frame_->BringToFront(carol);
    QCOMPARE(SubOf(bob)->size(), QSize(600, 400));
    frame_->BringToFront(bob);
    QCOMPARE(SubOf(bob)->size(), QSize(450, 234));

    // A maximised window stays maximised.
    SubOf(bob)->showMaximized();
    Route(*frame_, ":bob!b@h PRIVMSG me :hi");
    QVERIFY(SubOf(bob)->isMaximized());
}

void TestMessageEvents::burstOfPartnersActivatesLastWindowOnly()
{
    QSignalSpy activated(frame_->MdiArea(), &QMdiArea::subWindowActivated);
    // Lines handled in one go, as one drain of the reader's queue does.
    Route(*frame_, ":bob!b@h PRIVMSG me :one");
    Route(*frame_, ":carol!c@h PRIVMSG me :two");
    Route(*frame_, ":dave!d@h PRIVMSG me :three");
    const QList<PrivateWindow*> windows = PrivateWindows(*frame_);
    QCOMPARE(windows.size(), 3);
    for (PrivateWindow* w : windows) QVERIFY(w->isVisible());
    QTRY_COMPARE(frame_->MdiArea()->activeSubWindow(), SubOf(windows.last()));
    QCOMPARE(activated.size(), 1);
    QCOMPARE(SubOf(windows.last())->size(), QSize(PrivateWindow::kWidth, PrivateWindow::kHeight));
}

void TestMessageEvents::userOpenerComparesExactly()
{
    PrivateWindow* bob = frame_->OpenPrivateWindowFromUser("bob");
    QVERIFY(bob);
    QVERIFY(Shown(&bob->Transcript()).isEmpty());
    QCOMPARE(frame_->OpenPrivateWindowFromUser("bob"), bob);

    PrivateWindow* bigBob = frame_->OpenPrivateWindowFromUser("Bob");
    QVERIFY(bigBob && bigBob != bob);

    // A room window of that title is shown instead.
    auto* room = new RoomWindow(frame_.get());
    frame_->Windows().Add(room);
    room->PlaceInFrame();
    room->SetTitle("lobby");
    frame_->BringToFront(bob);
    QCOMPARE(frame_->OpenPrivateWindowFromUser("lobby"), nullptr);
    QCOMPARE(frame_->MdiArea()->activeSubWindow(), SubOf(room));

    QCOMPARE(frame_->OpenPrivateWindowFromUser(QString()), nullptr);
    QCOMPARE(Titles(PrivateWindows(*frame_)), (QStringList{"bob", "Bob"}));
}

void TestMessageEvents::ignoreButtonIgnoresPartner()
{
    Route(*frame_, ":bob!b@h PRIVMSG me :hi");
    PrivateWindow* w = PrivateWindows(*frame_).first();
    Control<QToolButton>(*w, "ignoreButton")->click();
    QTRY_VERIFY(frame_->IsIgnored("bob"));
    QTRY_VERIFY(PrivateWindows(*frame_).isEmpty());
    QCOMPARE(frame_->IgnoreList(), QStringList{"bob"});
    QCOMPARE(ListFile(frame_->AccountFolder() + "/ignore.ini").Names(), QStringList{"bob"});  // for good

    Route(*frame_, ":bob!b@h PRIVMSG me :again");
    QVERIFY(PrivateWindows(*frame_).isEmpty());
    QCOMPARE(LogLines(*frame_).last(), QStringLiteral("bob (Ignored): me :again "));

    // Ignoring twice keeps one entry.
    frame_->IgnoreForGood("bob", frame_.get());
    QCOMPARE(frame_->IgnoreList(), QStringList{"bob"});
}

void TestMessageEvents::messageRightAfterCloseOpensNewWindow()
{
    Route(*frame_, ":bob!b@h PRIVMSG me :one");
    PrivateWindow* old = PrivateWindows(*frame_).first();
    Control<QToolButton>(*old, "closeButton")->click();
    // The next line arrives before the closed window is gone.
    Route(*frame_, ":bob!b@h PRIVMSG me :two");
    QTRY_COMPARE(PrivateWindows(*frame_).size(), 1);
    PrivateWindow* w = PrivateWindows(*frame_).first();
    QVERIFY(w->isVisible());
    QCOMPARE(Shown(&w->Transcript()), QStringLiteral("bob: two"));
}

void TestMessageEvents::roomLines_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("lobby");
    QTest::addColumn<QString>("other");

    auto row = [](const char* name, const std::string& raw, const QString& lobby, const QString& other = {}) {
        QTest::newRow(name) << QByteArray::fromStdString(raw) << lobby << other;
    };
    row("message", ":alice!a@h PRIVMSG #lobby :hi there", "alice: hi there");
    row("room name in other case", ":alice!a@h PRIVMSG #LOBBY :hi", "alice: hi");
    row("emoticon between its text", ":alice!a@h PRIVMSG #lobby :a :) b", QStringLiteral(u"alice: a \ufffc b"));
    row("formatting rendered", Bytes(":alice!a@h PRIVMSG #lobby :\x03" "4red \x02" "bold"), "alice: red bold");
    row("action", Bytes(":alice!a@h PRIVMSG #lobby :\x01" "ACTION waves"), "alice waves");
    row("action in lower case", Bytes(":alice!a@h PRIVMSG #lobby :\x01" "action waves"), "alice waves");
    row("action with closing marker mid-line", Bytes(":alice!a@h PRIVMSG #lobby :\x01" "ACTION waves\x01 "),
        "alice waves");
    row("other room", ":alice!a@h PRIVMSG #other :hi", "", "alice: hi");
    row("room without window", ":alice!a@h PRIVMSG #nowhere :hi", "");
    row("room notice changes nothing", ":alice!a@h NOTICE #lobby :hi", "");
    row("empty room message", ":alice!a@h PRIVMSG #lobby :", "alice: ");
    row("room text without colon", ":alice!a@h PRIVMSG #lobby hello", "alice: hello");
    row("bare action marker", Bytes(":alice!a@h PRIVMSG #lobby :\x01" "ACTION"), "alice");
    row("lone marker byte", Bytes(":alice!a@h PRIVMSG #lobby :\x01"), "alice: ");
    row("marker bytes everywhere", Bytes(":alice!a@h PRIVMSG #lobby :\x01\x01" "a\x01" "b"), "alice: ab");
}

void TestMessageEvents::roomLines()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, lobby);
    QFETCH(QString, other);

    auto* lobbyWindow = new RoomWindow(frame_.get());
    frame_->Windows().Add(lobbyWindow);
    lobbyWindow->PlaceInFrame();
    lobbyWindow->SetTitle("Lobby");
    auto* otherWindow = new RoomWindow(frame_.get());
    frame_->Windows().Add(otherWindow);
    otherWindow->PlaceInFrame();
    otherWindow->SetTitle("other");

    Route(*frame_, raw.toStdString());
    QCOMPARE(Shown(&lobbyWindow->Transcript()), lobby);
    QCOMPARE(Shown(&otherWindow->Transcript()), other);
    QVERIFY(PrivateWindows(*frame_).isEmpty());
    QVERIFY(LogLines(*frame_).isEmpty());
}

void TestMessageEvents::roomLineAfterActionIsNotItalic()
{
    auto* room = new RoomWindow(frame_.get());
    frame_->Windows().Add(room);
    room->PlaceInFrame();
    room->SetTitle("lobby");
    // An ignored user's room lines are shown all the same.
    frame_->Lists().SetIgnoreList(QStringList{"alice"});

    Route(*frame_, Bytes(":alice!a@h PRIVMSG #lobby :\x01" "ACTION waves"));
    Route(*frame_, ":alice!a@h PRIVMSG #lobby :hello");
    QCOMPARE(Shown(&room->Transcript()), QStringLiteral("alice waves\nalice: hello"));
    const TranscriptView& view = room->Transcript();
    const QTextCharFormat action = FormatAt(view, 0);
    QCOMPARE(action.foreground().color(), QColor(128, 0, 128));
    QCOMPARE(action.fontWeight(), int(QFont::Bold));
    QVERIFY(action.fontItalic());
    const int second = QStringLiteral("alice waves\n").size();
    const QTextCharFormat nick = FormatAt(view, second);
    QCOMPARE(nick.foreground().color(), QColor(0, 0, 255));
    QCOMPARE(nick.fontWeight(), int(QFont::Bold));
    QVERIFY(!nick.fontItalic());
    const QTextCharFormat text = FormatAt(view, second + 7);
    QCOMPARE(text.foreground().color(), QColor(0, 0, 0));
    QCOMPARE(text.fontWeight(), int(QFont::Normal));
    QVERIFY(!text.fontItalic());
}

void TestMessageEvents::roomMessageFlashesInactiveWindowOnly()
{
    auto* room = new RoomWindow(frame_.get());
    frame_->Windows().Add(room);
    room->PlaceInFrame();
    room->SetTitle("lobby");
    frame_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
    frame_->BringToFront(room);
    QVERIFY(frame_->IsActiveChild(room));

    Route(*frame_, ":alice!a@h PRIVMSG #lobby :hi");
    QVERIFY(!room->Flashing());

    frame_->OpenPrivateWindowFromUser("bob");
    QVERIFY(!frame_->IsActiveChild(room));
    Route(*frame_, ":alice!a@h PRIVMSG #lobby :again");
    QVERIFY(room->Flashing());
    // A room action flashes as well.
    AttentionFlasher::Shared().Stop(room);
    Route(*frame_, Bytes(":alice!a@h PRIVMSG #lobby :\x01" "ACTION waves"));
    QVERIFY(room->Flashing());
}

void TestMessageEvents::memoServListing_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("logged");
    QTest::addColumn<bool>("listingAfter");

    QTest::newRow("plain notices are logged")
        << QStringList{"You have 0 memos (0 new).", "To read them, type /msg MemoServ READ NEW"}
        << QStringList{"You have 0 memos (0 new). ", "To read them, type /msg MemoServ READ NEW "} << false;
    QTest::newRow("listing is kept out of the log")
        << QStringList{"before", "Listing memos for alice:", "- 1 From: bob", "- 2 From: carol", "End of list.",
                       "after"}
        << QStringList{"before ", "after "} << false;
    QTest::newRow("markers in any case") << QStringList{"LISTING MEMOS FOR x", "hidden", "END OF LIST", "shown"}
                                         << QStringList{"shown "} << false;
    QTest::newRow("listing that never ends") << QStringList{"Listing memos for alice", "- 1", "- 2"}
                                             << QStringList{} << true;
    QTest::newRow("end without start") << QStringList{"end of list", "shown"} << QStringList{"shown "} << false;
}

void TestMessageEvents::memoServListing()
{
    QFETCH(QStringList, texts);
    QFETCH(QStringList, logged);
    QFETCH(bool, listingAfter);

    for (const QString& text : texts)
        Route(*frame_, ":MemoServ!memoserv@services.int NOTICE me :" + text.toStdString());
    QCOMPARE(LogLines(*frame_), logged);
    QCOMPARE(TestSession(*frame_).memolisting, listingAfter);
    QVERIFY(PrivateWindows(*frame_).isEmpty());

    // The next connection's session starts outside any listing.
    delete &TestSession(*frame_);
    Route(*frame_, ":MemoServ!memoserv@services.int NOTICE me :You have 1 new memo.");
    QCOMPARE(LogLines(*frame_).last(), QStringLiteral("You have 1 new memo. "));

    // A MemoServ notice without a full prefix is an ordinary private notice.
    Route(*frame_, ":MemoServ NOTICE me :short prefix");
    QCOMPARE(Titles(PrivateWindows(*frame_)), QStringList{"MemoServ"});
}

void TestMessageEvents::partnerQuitMarksExactTitleOnly()
{
    PrivateWindow* bob = frame_->OpenPrivateWindowFromUser("bob");
    PrivateWindow* bigBob = frame_->OpenPrivateWindowFromUser("Bob");
    PrivateWindow* carol = frame_->OpenPrivateWindowFromUser("carol");
    Route(*frame_, ":bob!b@h QUIT :gone now");
    QCOMPARE(Shown(&bob->Transcript()), QStringLiteral("bob has lost connection. :gone now "));
    QVERIFY(InputLine(*bob)->isReadOnly());
    QVERIFY(Shown(&bigBob->Transcript()).isEmpty());
    QVERIFY(!InputLine(*bigBob)->isReadOnly());
    QVERIFY(Shown(&carol->Transcript()).isEmpty());

    // The partner comes back: the window shows the message, still read-only.
    Route(*frame_, ":bob!b@h PRIVMSG me :back");
    QCOMPARE(Shown(&bob->Transcript()), QStringLiteral("bob has lost connection. :gone now \nbob: back"));
    QVERIFY(InputLine(*bob)->isReadOnly());
}

void TestMessageEvents::manyPartnersManyWindows()
{
    // The timed run with 1,000 partners is in bench/bench_flood.cpp.
    constexpr int kPartners = 200;
    for (int i = 0; i < kPartners; ++i) {
        Route(*frame_, ":nick" + std::to_string(i) + "!u@h PRIVMSG me :hello " + std::to_string(i));
        // The drain yields to the event loop between its batches.
        if (i % 16 == 15) QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const QList<PrivateWindow*> windows = PrivateWindows(*frame_);
    QCOMPARE(windows.size(), kPartners);
    QCOMPARE(frame_->MdiArea()->activeSubWindow(), SubOf(windows.last()));
    for (int i = 0; i < kPartners; ++i) {
        QCOMPARE(windows[i]->Title(), QStringLiteral("nick%1").arg(i));
        QCOMPARE(Shown(&windows[i]->Transcript()), QStringLiteral("nick%1: hello %1").arg(i));
    }
}

QTEST_MAIN(TestMessageEvents)
#include "tst_message_events.moc"
