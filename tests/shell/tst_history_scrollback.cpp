// The kept lines shown in room and private windows: the last ones above an
// "earlier" separator when a window opens, older pages as the user scrolls to
// the top, nothing when history is off or the window is left out, and the
// lines of the last run after a restart.
#include "chat/chat_colors.h"
#include "chat/history_pager.h"
#include "chat/private_window.h"
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "common/program_settings.h"
#include "events/event_router.h"
#include "shell/history_keeper.h"
#include "support/connected_frame.h"
#include "support/history_test_lines.h"
#include "support/temp_user_data.h"
#include "support/test_session.h"

#include <QScrollBar>
#include <QTest>

#include <memory>

namespace {

// How many lines stand above the "earlier" separator; -1 without one.
int LinesAbove(const TranscriptView& view)
{
    const LineStore& store = view.Store();
    for (int i = 0; i < store.Count(); ++i)
        if (store.KindOf(i) == LineStore::Kind::EarlierMark) return i;
    return -1;
}

bool AllMuted(const TranscriptView& view, int lines)
{
    for (int i = 0; i < lines; ++i) {
        const LineText text = view.Store().TextOf(i);
        if (view.Store().Mentioned(i)) return false;
        for (const LineRun& run : text.runs)
            if (StyleOf(run.style).foreground != chat_colors::kMuted.rgb()) return false;
    }
    return true;
}

}  // namespace

class TestHistoryScrollback : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openingShowsTheLastLines_data();
    void openingShowsTheLastLines();
    void scrollingUpLoadsPages_data();
    void scrollingUpLoadsPages();
    void nothingShown_data();
    void nothingShown();
    void restartShowsTheLastRun();

private:
    void Start()
    {
        rig_ = std::make_unique<Connected>();
        rig_->frame.History().LoggedIn("testnet");
        rig_->frame.resize(900, 700);
        rig_->frame.show();
    }
    void Route(const std::string& raw)
    {
        IrcMessage line;
        line.ParseLine(raw);
        RouteLine(TestSession(rig_->frame, QStringLiteral("Ann")), line);
    }
    // count lines in buffer, each naming the user (a mention, were it new).
    void Keep(const QByteArray& buffer, int count)
    {
        HistoryStore store(rig_->frame.History().Path());
        QVERIFY(store.Open());
        QList<HistoryLine> lines;
        for (int i = 0; i < count; ++i)
            lines << TestLine(buffer, TestTime(i), "bob", "Ann: line " + QByteArray::number(i), HistoryKind::Message, "testnet");
        QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
    }
    qint64 KeptCount()
    {
        if (!rig_->frame.History().Flush()) return -1;
        return CountInFile(rig_->frame.History().Path(), "SELECT count(*) FROM lines");
    }
    // The window for buffer: a room opened by the user, or a conversation
    // opened by bob's line.
    ChatWindow* Open(const QByteArray& buffer)
    {
        if (buffer.startsWith('#')) return rig_->frame.OpenRoomWindow(QString::fromLatin1(buffer.mid(1)));  // titled without its "#"
        Route(":bob!u@h PRIVMSG Ann :Ann: are you there");
        return rig_->frame.findChild<PrivateWindow*>();
    }

    std::unique_ptr<TempUserData> data_;
    std::unique_ptr<Connected> rig_;
};

void TestHistoryScrollback::init()
{
    data_ = std::make_unique<TempUserData>();
    ProgramSettings().remove(QStringLiteral("History"));
    Start();
}

void TestHistoryScrollback::cleanup()
{
    rig_.reset();
    data_.reset();
}

void TestHistoryScrollback::openingShowsTheLastLines_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("kept");
    QTest::addColumn<int>("shown");
    QTest::newRow("room, nothing kept") << QByteArray("#room") << 0 << -1;
    QTest::newRow("room, a few lines") << QByteArray("#room") << 7 << 7;
    QTest::newRow("room, one page exactly") << QByteArray("#room") << 200 << 200;
    QTest::newRow("room, more than a page") << QByteArray("#room") << 450 << 200;
    QTest::newRow("room named in other letter case") << QByteArray("#ROOM") << 30 << 30;
    QTest::newRow("conversation, more than a page") << QByteArray("bob") << 333 << 200;
}

void TestHistoryScrollback::openingShowsTheLastLines()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, kept);
    QFETCH(int, shown);
    Keep(buffer, kept);
    ChatWindow* window = Open(buffer.startsWith('#') ? QByteArray("#room") : buffer);
    QVERIFY(window);
    const TranscriptView& view = window->Transcript();
    QCOMPARE(LinesAbove(view), shown);
    if (shown > 0) {
        QVERIFY(AllMuted(view, shown));
        // The newest kept line right above the separator, the oldest shown on top.
        QVERIFY(view.Store().PlainTextOf(shown - 1).endsWith(QStringLiteral("line %1").arg(kept - 1)));
        QVERIFY(view.Store().PlainTextOf(0).endsWith(QStringLiteral("line %1").arg(kept - shown)));
    }
    // Not kept again: only the window's own new lines reach the file.
    const qint64 own = buffer.startsWith('#') ? 0 : 1;
    QCOMPARE(KeptCount(), kept + own);
}

void TestHistoryScrollback::scrollingUpLoadsPages_data()
{
    QTest::addColumn<int>("kept");
    QTest::addColumn<QList<int>>("shownAfterEachScroll");
    QTest::newRow("two pages and a bit") << 450 << QList<int>{400, 450, 450};
    QTest::newRow("pages exactly") << 400 << QList<int>{400, 400};
    QTest::newRow("less than a page") << 120 << QList<int>{120};
}

void TestHistoryScrollback::scrollingUpLoadsPages()
{
    QFETCH(int, kept);
    QFETCH(QList<int>, shownAfterEachScroll);
    Keep("#room", kept);
    ChatWindow* window = Open("#room");
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(&rig_->frame));
    TranscriptView& view = window->Transcript();
    QTRY_VERIFY(view.verticalScrollBar()->maximum() > 0);
    for (int expected : shownAfterEachScroll) {
        view.verticalScrollBar()->setValue(1);
        view.verticalScrollBar()->setValue(0);
        QTRY_COMPARE(LinesAbove(view), expected);
        QVERIFY(AllMuted(view, expected));
        QVERIFY(view.Store().PlainTextOf(0).endsWith(QStringLiteral("line %1").arg(kept - expected)));
    }
    QTRY_VERIFY(HistoryPager::Of(view)->Done());
}

void TestHistoryScrollback::nothingShown_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("shown");
    QTest::newRow("history kept") << "nothing" << true;
    QTest::newRow("Keep history off") << "keep off" << false;
    QTest::newRow("the room left out") << "room left out" << false;
    QTest::newRow("another room left out") << "other left out" << true;
    QTest::newRow("lines of another network") << "other network" << false;
}

void TestHistoryScrollback::nothingShown()
{
    QFETCH(QString, how);
    QFETCH(bool, shown);
    Keep("#room", 10);
    HistoryKeeper& history = rig_->frame.History();
    if (how == "keep off") history.SetKeeping(false);
    if (how == "room left out") history.SetLeftOut(HistoryBuffer{"testnet", "#Room"}, true);
    if (how == "other left out") history.SetLeftOut(HistoryBuffer{"testnet", "#other"}, true);
    if (how == "other network") history.LoggedIn("othernet");
    ChatWindow* window = Open("#room");
    QVERIFY(window);
    QCOMPARE(LinesAbove(window->Transcript()), shown ? 10 : -1);
}

void TestHistoryScrollback::restartShowsTheLastRun()
{
    ChatWindow* room = Open("#room");
    QVERIFY(room);
    Route(":Ann!u@h JOIN #room");
    Route(":bob!u@h PRIVMSG #room :see you tomorrow");
    QVERIFY(Open("bob"));
    rig_.reset();  // the program ends
    Start();
    room = Open("#room");
    QVERIFY(room);
    const int above = LinesAbove(room->Transcript());
    QCOMPARE(above, 2);
    QVERIFY(room->Transcript().Store().PlainTextOf(1).endsWith(QStringLiteral("<bob> see you tomorrow")));
    ChatWindow* conversation = Open("bob");
    QVERIFY(conversation);
    QCOMPARE(LinesAbove(conversation->Transcript()), 1);
    QVERIFY(conversation->Transcript().Store().PlainTextOf(0).endsWith(QStringLiteral("<bob> Ann: are you there")));
    QVERIFY(AllMuted(conversation->Transcript(), 1));
}

QTEST_MAIN(TestHistoryScrollback)
#include "tst_history_scrollback.moc"
