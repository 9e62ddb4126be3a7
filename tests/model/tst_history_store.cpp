// The history file: lines and names with any bytes, batches, scrollback,
// search with its filters, pages and match places, export, pruning, clearing,
// and files that are damaged or from a later version.
#include "model/history_store.h"
#include "model/history_text.h"
#include "support/history_test_lines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Offsets = QList<std::pair<int, int>>;

QByteArray Bytes(const char* text, int size) { return QByteArray(text, size); }

QStringList Texts(const QList<HistoryHit>& hits)
{
    QStringList texts;
    for (const HistoryHit& hit : hits) texts << QString::fromUtf8(hit.line.text);
    return texts;
}

// Everything a line keeps but its id, to compare in one go.
QByteArrayList Fields(const HistoryLine& line)
{
    return {line.buffer.network, line.buffer.name, QByteArray::number(line.timeMs), line.nick,
            QByteArray::number(static_cast<int>(line.kind)), line.text};
}

QList<qint64> TimesOf(const QList<HistoryLine>& lines)
{
    QList<qint64> times;
    for (const HistoryLine& line : lines) times << line.timeMs;
    return times;
}

// Lines at minute 0..count-1 of #busy, each between two lines of #other.
void WriteBusyRoom(HistoryStore& store, int count)
{
    QList<HistoryLine> lines;
    for (int i = 0; i < count; ++i) {
        lines << TestLine("#busy", TestTime(i), "bob", "line " + QByteArray::number(i));
        lines << TestLine("#other", TestTime(i), "eve", "elsewhere");
    }
    QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
}

}  // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void linesRoundTripByteForByte_data();
    void linesRoundTripByteForByte();
    void scrollbackPagesThroughOneBuffer_data();
    void scrollbackPagesThroughOneBuffer();
    void searchFindsWithFilters_data();
    void searchFindsWithFilters();
    void searchMarksWhereItMatched_data();
    void searchMarksWhereItMatched();
    void exportWritesPlainLog();
    void pruneAndClearLeaveTheIndexWhole_data();
    void pruneAndClearLeaveTheIndexWhole();
    void unusualFilesStillOpen_data();
    void unusualFilesStillOpen();
    void readersDoNotWaitForAnotherWriter_data();
    void readersDoNotWaitForAnotherWriter();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

void TestHistoryStore::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    path_ = dir_->filePath(QStringLiteral("history.sqlite"));
}

void TestHistoryStore::cleanup() { dir_.reset(); }

void TestHistoryStore::linesRoundTripByteForByte_data()
{
    QTest::addColumn<HistoryLine>("line");
    QTest::newRow("plain") << TestLine("#room", TestTime(0), "bob", "hello there");
    QTest::newRow("formatting codes") << TestLine("#room", 1, "bob", "\x02" "bold\x0f \x03" "4,12red\x03 \x1d" "it");
    QTest::newRow("Latin-1 and broken UTF-8") << TestLine("#caf\xe9", 2, "J\xf6rg", "gr\xfc\xdf \xc3 \xed\xa0\x80 \xff");
    QTest::newRow("NUL bytes everywhere") << TestLine(Bytes("#a\0b", 4), 3, Bytes("n\0", 2), Bytes("\0x\0", 3),
                                                      HistoryKind::Event, Bytes("n\0et", 4));
    QTest::newRow("ASCII with every code, a colour at the end") << TestLine("#a", 4, "bob", "\x02" "b\x1d" "i\x1f" "u\x16" "r\x11" "m\x1e" "s\x0f \x03" "12,4x\x03" "99,\x03" "1");
    QTest::newRow("empty text and nick, server log") << TestLine("", -5, "", "", HistoryKind::Notice);
}

void TestHistoryStore::linesRoundTripByteForByte()
{
    QFETCH(HistoryLine, line);
    {
        HistoryStore store(path_);
        QVERIFY(store.Open());
        QList<HistoryLine> batch{line, line};
        QCOMPARE(store.Write(batch), HistoryWriteResult::Written);
        QVERIFY(batch[0].id > 0 && batch[1].id > batch[0].id);
    }
    HistoryStore reader(path_);
    QVERIFY(reader.Open());
    // The buffer is found again with its letters in another case.
    HistoryBuffer other = line.buffer;
    other.name = other.name.toUpper();
    const QList<HistoryLine> read = reader.LastLines(other);
    QCOMPARE(read.size(), 2);
    QCOMPARE(Fields(read[1]), Fields(line));
    QCOMPARE(reader.Buffers(), QList<HistoryBuffer>{line.buffer});
    // The index's words, found without decoding for ASCII, are the decoded text's.
    QCOMPARE(HistoryPlainUtf8(line.text), HistoryPlainText(line.text).toUtf8());
}

void TestHistoryStore::scrollbackPagesThroughOneBuffer_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<QList<int>>("pages");  // the sizes of the last lines, then of each page before them
    QTest::newRow("window opening, then two pages") << 450 << 200 << QList<int>{200, 200, 50, 0};
    QTest::newRow("fewer lines than a page") << 30 << 200 << QList<int>{30, 0};
    QTest::newRow("exact pages") << 20 << 10 << QList<int>{10, 10, 0};
    QTest::newRow("empty buffer") << 0 << 200 << QList<int>{0};
}

void TestHistoryStore::scrollbackPagesThroughOneBuffer()
{
    QFETCH(int, lines);
    QFETCH(int, pageSize);
    QFETCH(QList<int>, pages);
    HistoryStore store(path_);
    QVERIFY(store.Open());
    WriteBusyRoom(store, lines);
    const HistoryBuffer busy{"net", "#busy"};
    QList<HistoryLine> page = store.LastLines(busy, pageSize);
    int end = lines;
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(page.size(), pages[i]);
        QList<qint64> expected;
        for (int minute = end - pages[i]; minute < end; ++minute) expected << TestTime(minute);
        QCOMPARE(TimesOf(page), expected);
        end -= pages[i];
        if (page.isEmpty()) break;
        page = store.LinesBefore(busy, page.first().id, pageSize);
    }
}

void TestHistoryStore::searchFindsWithFilters_data()
{
    QTest::addColumn<HistorySearch>("search");
    QTest::addColumn<QStringList>("found");  // newest first
    // A search in a room ("" for all), by a nick, before a line id (the ids of a new file count from 1).
    auto find = [](const char* typed, const QByteArray& room = {}, const QByteArray& nick = {}, qint64 before = 0) {
        HistorySearch search;
        search.words = QString::fromUtf8(typed);
        if (!room.isEmpty()) search.buffer = HistoryBuffer{"net", room};
        search.nick = nick;
        search.beforeId = before;
        return search;
    };
    QTest::newRow("a word") << find("pizza") << QStringList{"PIZZA later?", "who wants pizza tonight"};
    QTest::newRow("words in any order") << find("tonight pizza") << QStringList{"who wants pizza tonight"};
    QTest::newRow("a phrase keeps its order") << find("\"tonight pizza\"") << QStringList{};
    QTest::newRow("a phrase") << find("\"wants pizza\"") << QStringList{"who wants pizza tonight"};
    QTest::newRow("a prefix") << find("deplo*") << QStringList{"deployment done", "deploy at 5"};
    QTest::newRow("accents aside") << find("cafe") << QStringList{"caf\xc3\xa9 au lait"};
    QTest::newRow("through formatting codes") << find("important") << QStringList{"\x02imp\x02ortant\x0f note"};
    QTest::newRow("operators are words") << find("NOT AND") << QStringList{"NOT AND OR NEAR"};
    QTest::newRow("syntax characters are harmless") << find("(deploy* at) -5: ^") << QStringList{"deploy at 5"};
    QTest::newRow("an unclosed quote") << find("\"deploy at") << QStringList{"deploy at 5"};
    QTest::newRow("punctuation alone finds nothing") << find("!!! ?") << QStringList{};
    QTest::newRow("one room") << find("deploy*", "#OPS") << QStringList{"deploy at 5"};
    QTest::newRow("a room never seen") << find("pizza", "#nowhere") << QStringList{};
    QTest::newRow("one nick, case aside") << find("pizza", {}, "ALICE") << QStringList{"who wants pizza tonight"};
    QTest::newRow("a nick without words") << find("", {}, "carol") << QStringList{"NOT AND OR NEAR", "deployment done"};
    QTest::newRow("the page before a line") << find("pizza", {}, {}, 3) << QStringList{"who wants pizza tonight"};
    HistorySearch shortPage = find("deplo*");
    shortPage.pageSize = 1;
    QTest::newRow("a page of one, the newest") << shortPage << QStringList{"deployment done"};
    HistorySearch inRange = find("deploy*");
    inRange.fromMs = inRange.toMs = TestTime(3);
    QTest::newRow("a date range, ends included") << inRange << QStringList{"deploy at 5"};
}

void TestHistoryStore::searchFindsWithFilters()
{
    QFETCH(HistorySearch, search);
    QFETCH(QStringList, found);
    HistoryStore store(path_);
    QVERIFY(store.Open());
    QList<HistoryLine> lines{
        TestLine("#food", TestTime(1), "alice", "who wants pizza tonight"),
        TestLine("#ops", TestTime(3), "bob", "deploy at 5"),
        TestLine("#food", TestTime(4), "Bob", "PIZZA later?"),
        TestLine("#food", TestTime(5), "dave", "caf\xc3\xa9 au lait"),
        TestLine("#dev", TestTime(6), "carol", "deployment done"),
        TestLine("#dev", TestTime(7), "eve", "\x02imp\x02ortant\x0f note"),
        TestLine("#dev", TestTime(8), "Carol", "NOT AND OR NEAR"),
    };
    QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
    QCOMPARE(Texts(store.Search(search)), found);
    // The same once the writer has indexed some of the words, then all of them:
    // the lines not yet indexed are searched as well, and only once.
    QCOMPARE(store.IndexWords(3), 3);
    QCOMPARE(Texts(store.Search(search)), found);
    QCOMPARE(store.IndexWords(100), 4);
    QCOMPARE(Texts(store.Search(search)), found);
}

void TestHistoryStore::searchMarksWhereItMatched_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("words");
    QTest::addColumn<Offsets>("matches");  // (start, length) in the text without formatting
    QTest::newRow("every place of a word") << QByteArray("Pizza and more pizza") << "pizza" << Offsets{{0, 5}, {15, 5}};
    QTest::newRow("a phrase as one match") << QByteArray("we want pizza now") << "\"want pizza\"" << Offsets{{3, 10}};
    QTest::newRow("after formatting codes") << QByteArray("\x02\x03" "4,5red\x0f pizza") << "pizza" << Offsets{{4, 5}};
    QTest::newRow("after wide characters") << QByteArray("\xe2\x98\xba\xf0\x9f\x98\x80 caf\xc3\xa9") << "cafe"
                                           << Offsets{{4, 4}};
    QTest::newRow("after Latin-1 bytes") << QByteArray("gr\xfc\xdf pizza") << "pizza" << Offsets{{5, 5}};
}

void TestHistoryStore::searchMarksWhereItMatched()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, words);
    QFETCH(Offsets, matches);
    HistoryStore store(path_);
    QVERIFY(store.Open());
    QList<HistoryLine> lines{TestLine("#room", 1, "bob", text)};
    QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
    HistorySearch search;
    search.words = words;
    const QList<HistoryHit> hits = store.Search(search);
    QCOMPARE(hits.size(), 1);
    QCOMPARE(hits[0].plainText, HistoryPlainText(text));
    QCOMPARE(hits[0].matches, matches);
}

void TestHistoryStore::exportWritesPlainLog()
{
    HistoryStore store(path_);
    QVERIFY(store.Open());
    QList<HistoryLine> lines{
        TestLine("#room", TestTime(-1), "early", "before the range"),
        TestLine("#room", TestTime(0), "bob", "\x02hi\x02 \x03" "4there"),
        TestLine("#room", TestTime(1), "bob", "waves", HistoryKind::Action),
        TestLine("#room", TestTime(2), "NickServ", "gr\xfc\xdf", HistoryKind::Notice),
        TestLine("#room", TestTime(3), "", "carol has joined", HistoryKind::Event),
        TestLine("#room", TestTime(4), "eve", "two\r\nlines"),
        TestLine("", TestTime(4), "", "server says hello", HistoryKind::Event),
        TestLine("#room", TestTime(5), "late", "after the range"),
    };
    QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
    const QString folder = dir_->filePath(QStringLiteral("logs"));
    const QStringList files = store.ExportAll(TestTime(0), TestTime(4), folder, QTimeZone::utc());
    QCOMPARE(files, (QStringList{folder + "/net/#room.log", folder + "/net/server.log"}));
    QFile log(files[0]);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(log.readAll()), QString::fromUtf8("[2024-03-01 12:00:00] <bob> hi there\n"
                                                                 "[2024-03-01 12:01:00] * bob waves\n"
                                                                 "[2024-03-01 12:02:00] -NickServ- gr\xc3\xbc\xc3\x9f\n"
                                                                 "[2024-03-01 12:03:00] carol has joined\n"
                                                                 "[2024-03-01 12:04:00] <eve> two  lines\n"));
    QCOMPARE(store.ExportBuffer(HistoryBuffer{"net", "#none"}, 0, TestTime(9), dir_->filePath("none.log")), 0);
}

void TestHistoryStore::pruneAndClearLeaveTheIndexWhole_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("left");  // what a search for "word" finds afterwards
    QTest::addColumn<int>("indexed");       // lines whose words were indexed before (of 2503)
    QTest::newRow("prune older than a day") << "prune" << QStringList{"#b word new", "#a word new"} << 2503;
    QTest::newRow("prune, half indexed") << "prune" << QStringList{"#b word new", "#a word new"} << 1200;
    QTest::newRow("prune, none indexed") << "prune" << QStringList{"#b word new", "#a word new"} << 0;
    QTest::newRow("clear one buffer") << "clear #A" << QStringList{"#b word new", "#b word old"} << 2503;
    QTest::newRow("clear one buffer, half indexed") << "clear #A" << QStringList{"#b word new", "#b word old"} << 2502;
    // The newest line goes: its number is given to the next line written.
    QTest::newRow("clear every buffer, one by one") << "clear #A #b" << QStringList{} << 2503;
    QTest::newRow("clear all") << "clear" << QStringList{} << 2503;
    QTest::newRow("clear all, half indexed") << "clear" << QStringList{} << 1000;
}

void TestHistoryStore::pruneAndClearLeaveTheIndexWhole()
{
    QFETCH(QString, action);
    QFETCH(QStringList, left);
    QFETCH(int, indexed);
    HistoryStore store(path_);
    QVERIFY(store.Open());
    const qint64 now = TestTime(0);
    const qint64 old = now - 2 * 24 * 3600 * 1000LL;
    QList<HistoryLine> lines;
    // Many old lines, so that pruning and clearing take several steps.
    for (int i = 0; i < 2500; ++i) lines << TestLine("#a", old, "x", "word old " + QByteArray::number(i));
    lines << TestLine("#b", old, "x", "#b word old") << TestLine("#a", now, "x", "#a word new")
          << TestLine("#b", now, "x", "#b word new");
    QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
    QCOMPARE(store.IndexWords(indexed), indexed);
    if (action == "prune") QCOMPARE(store.PruneOlderThan(1, now), 2501);
    else if (action == "clear") QVERIFY(store.ClearAll());
    else
        for (const QString& name : action.split(u' ').mid(1)) QVERIFY(store.ClearBuffer(HistoryBuffer{"net", name.toUtf8()}));
    HistorySearch search;
    search.words = QStringLiteral("word");
    QCOMPARE(Texts(store.Search(search)), left);
    QCOMPARE(FileCheck(path_), QByteArray("ok"));
    // Writing goes on afterwards, into the same buffers.
    QList<HistoryLine> more{TestLine("#a", now, "x", "word again")};
    QCOMPARE(store.Write(more), HistoryWriteResult::Written);
    QCOMPARE(Texts(store.Search(search)).value(0), QStringLiteral("word again"));
    while (store.IndexWords(1000) > 0) {
    }
    QCOMPARE(Texts(store.Search(search)), QStringList{"word again"} + left);
    QCOMPARE(FileCheck(path_), QByteArray("ok"));
}

void TestHistoryStore::unusualFilesStillOpen_data()
{
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<QByteArray>("bytes");  // written over the file there
    QTest::addColumn<QString>("message");
    QTest::newRow("not a database at all") << qint64(0) << QByteArray("a text file, not a history\n").repeated(50)
                                           << "damaged";
    QTest::newRow("header wiped") << qint64(0) << QByteArray(100, '\0') << "damaged";
    QTest::newRow("pages overwritten") << qint64(4096) << QByteArray(8 * 4096, '\x5a') << "damaged";
    QTest::newRow("layout of a later version") << qint64(60) << QByteArray("\0\0\0\x03", 4) << "newer version";
}

void TestHistoryStore::unusualFilesStillOpen()
{
    QFETCH(qint64, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    {
        HistoryStore store(path_);
        QVERIFY(store.Open());
        WriteBusyRoom(store, 500);
    }
    QFile file(path_);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(offset));
    file.write(bytes);
    file.close();
    QFile::copy(path_, path_ + ".before");

    HistoryStore store(path_);
    QVERIFY(store.Open());
    QVERIFY2(store.OpenMessage().contains(message), qPrintable(store.OpenMessage()));
    QList<HistoryLine> lines{TestLine("#busy", 1, "bob", "one more")};
    const QStringList aside = QDir(dir_->path()).entryList({"history.sqlite.damaged-*"}, QDir::Files);
    if (message == "newer version") {
        // Read as it is, never written.
        QVERIFY(aside.isEmpty() && store.IsReadOnly());
        QCOMPARE(store.LastLines(HistoryBuffer{"net", "#busy"}, 1000).size(), 500);
        QCOMPARE(store.Write(lines), HistoryWriteResult::Refused);
        QVERIFY(!store.ClearAll());
        QCOMPARE(CountInFile(path_, "SELECT count(*) FROM lines"), 1000);
        return;
    }
    // Kept aside byte for byte, and a new history started.
    QCOMPARE(aside.size(), 1);
    QVERIFY(store.OpenMessage().contains(aside[0]));
    QFile kept(dir_->filePath(aside[0])), before(path_ + ".before");
    QVERIFY(kept.open(QIODevice::ReadOnly) && before.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), before.readAll());
    QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
    QCOMPARE(store.LastLines(HistoryBuffer{"net", "#busy"}).size(), 1);
}

void TestHistoryStore::readersDoNotWaitForAnotherWriter_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("found");  // only what was committed
    QTest::newRow("a window's last lines") << "last" << 300;
    QTest::newRow("the page before a line") << "before" << 299;
    QTest::newRow("a search") << "search" << 300;
    QTest::newRow("the rooms for the search window") << "buffers" << 2;
}

void TestHistoryStore::readersDoNotWaitForAnotherWriter()
{
    QFETCH(QString, reading);
    QFETCH(int, found);
    {
        HistoryStore store(path_);
        QVERIFY(store.Open());
        WriteBusyRoom(store, 300);
    }
    // Another program holds the file's write lock with lines not yet committed.
    SqliteDb other;
    QCOMPARE(other.Open(path_, SQLITE_OPEN_READWRITE), SQLITE_OK);
    QCOMPARE(other.Exec("BEGIN IMMEDIATE; INSERT INTO buffers(network, name, folded) VALUES('net', '#new', '#new');"
                        "INSERT INTO lines(buffer, time, nick, kind, text) SELECT buffer, time, nick, kind, text FROM lines;"),
             SQLITE_OK);
    // A reader that would give up at once on a lock still reads what was committed.
    HistoryStore reader(path_, 0);
    QVERIFY(reader.Open());
    const HistoryBuffer busy{"net", "#busy"};
    qsizetype read = -1;
    if (reading == "last") read = reader.LastLines(busy, 1000).size();
    if (reading == "before") read = reader.LinesBefore(busy, reader.LastLines(busy, 1).value(0).id, 1000).size();
    if (reading == "search") {
        HistorySearch search;
        search.words = QStringLiteral("line");
        search.pageSize = 1000;
        read = reader.Search(search).size();
    }
    if (reading == "buffers") read = reader.Buffers().size();
    QCOMPARE(read, qsizetype(found));
    // The writer is then refused at once rather than kept waiting, and tries again later.
    QList<HistoryLine> lines{TestLine("#busy", 1, "bob", "later")};
    HistoryStore writer(path_, 0);
    QVERIFY(writer.Open());
    QCOMPARE(writer.Write(lines), HistoryWriteResult::Paused);
    QCOMPARE(other.Exec("ROLLBACK"), SQLITE_OK);
    QCOMPARE(writer.Write(lines), HistoryWriteResult::Written);
}

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "tst_history_store.moc"
