// The history wired into the program: what the windows show goes to the
// history file as it came (rooms, conversations, the user's own lines, the
// server log after the login), and what the user or a login keeps out stays out.
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "common/program_settings.h"
#include "events/event_router.h"
#include "shell/history_keeper.h"
#include "shell/history_menus.h"
#include "side/room_list_window.h"
#include "support/connected_frame.h"
#include "support/history_test_lines.h"
#include "support/temp_user_data.h"
#include "support/test_session.h"
#include "support/window_controls.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace {

// Every kept line as "name|nick|kind|text", oldest first.
QStringList KeptLines(const QString& path)
{
    SqliteDb db;
    if (db.Open(path, SQLITE_OPEN_READONLY) != SQLITE_OK) return {};
    SqliteStatement query(db, "SELECT b.name, l.nick, l.kind, l.text FROM lines l JOIN buffers b ON b.id = l.buffer ORDER BY l.id");
    QStringList lines;
    while (query.Step() == SQLITE_ROW)
        lines << QString::fromLatin1(query.Bytes(0) + '|' + query.Bytes(1) + '|' + QByteArray::number(query.Int(2)) + '|' +
                                     query.Bytes(3));
    return lines;
}

QMdiSubWindow* FrameOf(MainWindow& frame, QWidget* window)
{
    for (QMdiSubWindow* sub : frame.MdiArea()->subWindowList())
        if (sub->widget() == window) return sub;
    return nullptr;
}

}  // namespace

class TestHistoryWiring : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void linesAreKeptAsTheyCame_data();
    void linesAreKeptAsTheyCame();
    void linesKeptOut_data();
    void linesKeptOut();
    void leftOutWindowIsRemembered();
    void serverLogAfterTheLoginOnly_data();
    void serverLogAfterTheLoginOnly();

private:
    void Route(const std::string& raw)
    {
        IrcMessage line;
        line.ParseLine(raw);
        RouteLine(TestSession(rig_->frame, QStringLiteral("Ann")), line);
    }
    QStringList Kept()
    {
        if (!rig_->frame.History().Flush()) return {QStringLiteral("not flushed")};
        return KeptLines(rig_->frame.History().Path());
    }

    std::unique_ptr<TempUserData> data_;
    std::unique_ptr<Connected> rig_;
    RoomWindow* room_ = nullptr;
};

void TestHistoryWiring::init()
{
    data_ = std::make_unique<TempUserData>();
    ProgramSettings().remove(QStringLiteral("History"));
    rig_ = std::make_unique<Connected>();
    rig_->frame.History().LoggedIn("testnet");
    room_ = rig_->frame.OpenRoomWindow(QStringLiteral("#room"));
    QVERIFY(room_);
    Route(":Ann!u@h JOIN #room");
    Route(":bob!u@h JOIN #room");
    QCOMPARE(Kept().size(), 2);  // the two joins
}

void TestHistoryWiring::cleanup()
{
    rig_.reset();
    data_.reset();
}

void TestHistoryWiring::linesAreKeptAsTheyCame_data()
{
    QTest::addColumn<QByteArrayList>("received");  // raw lines
    QTest::addColumn<QString>("typed");            // typed into the room's input line afterwards
    QTest::addColumn<QByteArrayList>("kept");      // patterns of the lines kept after the joins, in order
    QTest::newRow("room message with formatting and Latin-1 bytes")
        << QByteArrayList{":bob!u@h PRIVMSG #room :\x02hi\x0f caf\xe9"} << QString()
        << QByteArrayList{"#room\\|bob\\|0\\|\x02hi\x0f caf\xe9"};
    QTest::newRow("an action without its markers") << QByteArrayList{":bob!u@h PRIVMSG #room :\x01" "ACTION waves\x01"} << QString()
                                                   << QByteArrayList{"#room\\|bob\\|1\\|waves"};
    QTest::newRow("a conversation: message and notice")
        << QByteArrayList{":bob!u@h PRIVMSG Ann :psst", ":bob!u@h NOTICE Ann :a note"} << QString()
        << QByteArrayList{"bob\\|bob\\|0\\|psst", "bob\\|bob\\|2\\|a note"};
    QTest::newRow("status lines as the room shows them")
        << QByteArrayList{":carl!u@h JOIN #room", ":bob!u@h MODE #room +o carl", ":carl!u@h NICK karl"} << QString()
        << QByteArrayList{"#room\\|\\|3\\|.*carl.*", "#room\\|\\|3\\|bob .*carl.*", "#room\\|\\|3\\|carl .*karl"};
    QTest::newRow("the user's own line") << QByteArrayList{} << QStringLiteral("hello \x02" "all")
                                         << QByteArrayList{"#room\\|Ann\\|0\\|hello \x02" "all"};
}

void TestHistoryWiring::linesAreKeptAsTheyCame()
{
    QFETCH(QByteArrayList, received);
    QFETCH(QString, typed);
    QFETCH(QByteArrayList, kept);
    for (const QByteArray& raw : received) Route(raw.toStdString());
    if (!typed.isEmpty()) {
        InputLine(*room_)->setText(typed);
        QTest::keyClick(InputLine(*room_), Qt::Key_Return);
    }
    const QStringList lines = Kept().mid(2);
    QCOMPARE(lines.size(), kept.size());
    for (int i = 0; i < kept.size(); ++i) {
        const QString pattern = QString::fromLatin1(kept[i]);
        QVERIFY2(QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$")).match(lines[i]).hasMatch(),
                 qPrintable(lines[i]));
    }
}

void TestHistoryWiring::linesKeptOut_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("keptAfter");  // lines kept from the two messages
    QTest::newRow("history kept") << "nothing" << 2;
    QTest::newRow("Keep history off") << "keep off" << 0;
    QTest::newRow("the room left out") << "room left out" << 1;
    QTest::newRow("another conversation left out") << "other left out" << 2;
    QTest::newRow("a login under way") << "login" << 0;
}

void TestHistoryWiring::linesKeptOut()
{
    QFETCH(QString, how);
    QFETCH(int, keptAfter);
    HistoryKeeper& keeper = rig_->frame.History();
    if (how == "keep off") keeper.SetKeeping(false);
    if (how == "room left out") {
        QAction* entry = rig_->frame.HistoryEntries().LeftOutEntry(FrameOf(rig_->frame, room_));
        QVERIFY(entry && entry->isEnabled());
        entry->trigger();
    }
    if (how == "other left out") keeper.SetLeftOut(HistoryBuffer{"testnet", "carol"}, true);
    if (how == "login") keeper.LoginStarting();
    Route(":bob!u@h PRIVMSG #room :in the room");
    Route(":bob!u@h PRIVMSG Ann :in private");
    QCOMPARE(Kept().size() - 2, keptAfter);
}

void TestHistoryWiring::leftOutWindowIsRemembered()
{
    QAction* entry = rig_->frame.HistoryEntries().LeftOutEntry(FrameOf(rig_->frame, room_));
    QVERIFY(entry);
    entry->trigger();
    QVERIFY(entry->isChecked());
    // Another frame (the program started again) reads it from the settings file.
    MainWindow again;
    QVERIFY(again.History().IsLeftOut(HistoryBuffer{"testnet", "#ROOM"}));
    QVERIFY(!again.History().IsLeftOut(HistoryBuffer{"othernet", "#room"}));
    entry->trigger();
    QVERIFY(!MainWindow().History().IsLeftOut(HistoryBuffer{"testnet", "#room"}));
}

void TestHistoryWiring::serverLogAfterTheLoginOnly_data()
{
    QTest::addColumn<bool>("loginOver");
    QTest::newRow("after the login") << true;
    QTest::newRow("while logging in") << false;
}

void TestHistoryWiring::serverLogAfterTheLoginOnly()
{
    QFETCH(bool, loginOver);
    if (!loginOver) rig_->frame.History().LoginStarting();
    rig_->frame.Lifecycle().StartReader();
    rig_->server.Send(":irc.test 372 Ann :- the message of the day");
    QTRY_VERIFY(rig_->frame.RoomList()->LogView()->toPlainText().contains("message of the day"));
    const QStringList kept = Kept().mid(2);
    QCOMPARE(kept, loginOver ? QStringList{"||3|:irc.test 372 Ann :- the message of the day"} : QStringList{});
}

QTEST_MAIN(TestHistoryWiring)
#include "tst_history_wiring.moc"
