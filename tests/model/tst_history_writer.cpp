// The history writer: lines from many threads in batches, pruning at start,
// pausing and resuming when the file is locked, read-only or on a full disk,
// a later version's file, a crash in the middle of a batch, and other
// processes writing the same file.
#include "model/history_writer.h"
#include "support/file_size_limit.h"
#include "support/history_test_lines.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace {

qint64 LineCount(const QString& path) { return CountInFile(path, "SELECT count(*) FROM lines"); }

HistoryWriterSettings Settings(const QString& path, bool quick)
{
    HistoryWriterSettings settings;
    settings.path = path;
    if (quick) settings.busyTimeoutMs = settings.retryMs = settings.maxRetryMs = 40;
    return settings;
}

// Adds count lines by nick, a hundred at a time, so that writers running at once overlap.
void AddLines(HistoryWriter& writer, const QByteArray& nick, int count)
{
    for (int i = 0; i < count; ++i) {
        writer.Add(TestLine("#shared", i, nick, "line " + QByteArray::number(i)));
        if (i % 100 == 99) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The file and its folder read-only; root, whom permissions do not stop, runs as nobody meanwhile.
class ReadOnlyHistory {
public:
    explicit ReadOnlyHistory(const QString& path) : file_(QFile::encodeName(path)), folder_(file_.left(file_.lastIndexOf('/')))
    {
        chmod(file_.constData(), 0444);
        chmod(folder_.constData(), 0555);
        wasRoot_ = geteuid() == 0 && seteuid(65534) == 0;
    }
    ~ReadOnlyHistory()
    {
        if (wasRoot_ && seteuid(0) != 0) qFatal("cannot be root again");
        chmod(folder_.constData(), 0700);
        chmod(file_.constData(), 0644);
    }

private:
    QByteArray file_, folder_;
    bool wasRoot_ = false;
};

// This program started again as another process: "--write PATH NICK" adds
// 3,000 lines through a writer of its own; "--crash PATH" writes a batch of
// 100 lines and is killed in the middle of the next, long one.
int RunChild(const QStringList& args)
{
    if (args.value(1) == "--write") {
        HistoryWriter writer(Settings(args.value(2), false));
        AddLines(writer, args.value(3).toUtf8(), 3000);
        return writer.Flush(30000) ? 0 : 1;
    }
    HistoryStore store(args.value(2));
    QList<HistoryLine> first(100, TestLine("#shared", 1, "crash", "kept")), second;
    if (!store.Open() || store.Write(first) != HistoryWriteResult::Written) return 1;
    for (int i = 0; i < 400000; ++i) second << TestLine("#shared", i, "crash", "lost " + QByteArray::number(i));
    std::thread killer([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        std::raise(SIGKILL);
    });
    store.Write(second);
    killer.join();
    return 1;
}

}  // namespace

class TestHistoryWriter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { dir_.reset(); }
    void writesFromManyThreadsAfterPruning();
    void pausesOnceAndResumes_data();
    void pausesOnceAndResumes();
    void laterVersionsFileDropsLines();
    void otherProcesses_data();
    void otherProcesses();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
    QStringList notices_;
    std::unique_ptr<HistoryWriter> Start(const HistoryWriterSettings& settings)
    {
        auto writer = std::make_unique<HistoryWriter>(settings);
        connect(writer.get(), &HistoryWriter::notice, this, [this](const QString& text) { notices_ << text; });
        return writer;
    }
};

void TestHistoryWriter::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    path_ = dir_->filePath(QStringLiteral("history.sqlite"));
    QCoreApplication::sendPostedEvents();  // a notice from the last test's writer goes there
    notices_.clear();
    HistoryStore store(path_);
    QVERIFY(store.Open());
    QList<HistoryLine> old{TestLine("#shared", QDateTime::currentMSecsSinceEpoch() - 40LL * 24 * 3600 * 1000, "old", "old")};
    QCOMPARE(store.Write(old), HistoryWriteResult::Written);
}

void TestHistoryWriter::writesFromManyThreadsAfterPruning()
{
    HistoryWriterSettings settings = Settings(path_, false);
    settings.keepDays = 30;
    auto writer = Start(settings);
    // A line is written within the batch time without being asked; the old line is gone by then.
    writer->Add(TestLine("#shared", 0, "first", "alone"));
    QTRY_COMPARE_WITH_TIMEOUT(LineCount(path_), 1, 3000);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&writer, t] { AddLines(*writer, "t" + QByteArray::number(t), 500); });
    for (std::thread& thread : threads) thread.join();
    QVERIFY(writer->Flush());
    QCOMPARE(LineCount(path_), 2001);
    // Each thread's lines keep their order.
    QCOMPARE(CountInFile(path_, "SELECT count(*) FROM lines a JOIN lines b ON a.nick = b.nick AND a.id < b.id AND a.time > b.time"), 0);
    // Once no line comes for a while, their words are indexed without being asked.
    QTRY_COMPARE_WITH_TIMEOUT(CountInFile(path_, "SELECT upto FROM word_index"), CountInFile(path_, "SELECT max(id) FROM lines"), 3000);
    QCOMPARE(CountInFile(path_, "SELECT count(*) FROM line_words WHERE line_words MATCH 'line OR alone'"), 2001);
    QVERIFY(notices_.isEmpty());
}

void TestHistoryWriter::pausesOnceAndResumes_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("maxWaiting");
    QTest::addColumn<QString>("reason");
    QTest::newRow("locked by another connection") << "locked" << 1000 << "in use by another program";
    QTest::newRow("disk full") << "full" << 1000 << "disk is full";
    QTest::newRow("read-only file") << "read-only" << 1000 << "cannot be written";
    QTest::newRow("locked past the memory bound") << "locked" << 6 << "in use by another program";
}

void TestHistoryWriter::pausesOnceAndResumes()
{
    QFETCH(QString, failure);
    QFETCH(int, maxWaiting);
    QFETCH(QString, reason);
    const int kept = std::min(maxWaiting, 10);  // of the 10 lines added
    SqliteDb locker;
    std::unique_ptr<FileSizeLimit> fullDisk;
    std::unique_ptr<ReadOnlyHistory> readOnly;
    if (failure == "locked") {
        QCOMPARE(locker.Open(path_, SQLITE_OPEN_READWRITE), SQLITE_OK);
        QCOMPARE(locker.Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    } else if (failure == "full") {
        fullDisk = std::make_unique<FileSizeLimit>(1);
    } else {
        readOnly = std::make_unique<ReadOnlyHistory>(path_);
    }
    HistoryWriterSettings settings = Settings(path_, true);
    settings.maxWaitingLines = maxWaiting;
    auto writer = Start(settings);
    writer->Add(TestLine("#shared", 0, "bob", "line 0"));
    QTRY_VERIFY(writer->IsPaused());
    for (int i = 1; i < 10; ++i) writer->Add(TestLine("#shared", i, "bob", "line " + QByteArray::number(i)));
    QTest::qWait(200);  // several tries fail meanwhile
    QVERIFY(!writer->Flush(10));
    QVERIFY2(notices_.size() == 1 && notices_[0].startsWith("History is paused") && notices_[0].contains(reason),
             qPrintable(notices_.join(u'|')));

    locker.Close();
    fullDisk.reset();
    readOnly.reset();
    QTRY_VERIFY(!writer->IsPaused());
    QVERIFY(writer->Flush());
    QCOMPARE(writer->DroppedLines(), 10 - kept);
    writer.reset();
    QCOMPARE(CountInFile(path_, "SELECT count(*) FROM lines WHERE nick = CAST('bob' AS BLOB)"), kept);
    QCOMPARE(CountInFile(path_, "SELECT max(time) FROM lines WHERE nick = CAST('bob' AS BLOB)"), kept - 1);
    QTRY_COMPARE(notices_.size(), 2);
    QVERIFY(notices_[1].startsWith("History is being kept again."));
    QCOMPARE(notices_[1].contains(QString::number(10 - kept) + " lines"), kept < 10);
    QCOMPARE(FileCheck(path_), QByteArray("ok"));
}

void TestHistoryWriter::laterVersionsFileDropsLines()
{
    SqliteDb raw;
    QCOMPARE(raw.Open(path_, SQLITE_OPEN_READWRITE), SQLITE_OK);
    QCOMPARE(raw.Exec("PRAGMA user_version = 7"), SQLITE_OK);
    auto writer = Start(Settings(path_, true));
    for (int i = 0; i < 3; ++i) writer->Add(TestLine("#shared", i, "bob", "new"));
    QVERIFY(writer->Flush());
    QCOMPARE(writer->DroppedLines(), 3);
    QTRY_COMPARE(notices_.size(), 1);
    QVERIFY(notices_[0].contains("newer version"));
    QCOMPARE(LineCount(path_), 1);
}

void TestHistoryWriter::otherProcesses_data()
{
    QTest::addColumn<QStringList>("children");  // the first argument of each
    QTest::addColumn<int>("linesHere");
    QTest::addColumn<qint64>("linesAfter");  // the old line, the batches written in full
    QTest::newRow("killed in the middle of a batch") << QStringList{"--crash"} << 0 << qint64(101);
    QTest::newRow("three processes at once") << QStringList{"--write", "--write"} << 3000 << qint64(9001);
}

void TestHistoryWriter::otherProcesses()
{
    QFETCH(QStringList, children);
    QFETCH(int, linesHere);
    QFETCH(qint64, linesAfter);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QString& role : children) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(QCoreApplication::applicationFilePath(), {role, path_, "child" + QString::number(processes.size())});
    }
    if (linesHere > 0) {
        auto writer = Start(Settings(path_, false));
        AddLines(*writer, "here", linesHere);
        QVERIFY(writer->Flush(30000));
    }
    for (auto& process : processes) {
        QVERIFY(process->waitForFinished(120000));
        const bool crash = children[0] == "--crash";
        QCOMPARE(process->exitStatus(), crash ? QProcess::CrashExit : QProcess::NormalExit);
        QVERIFY(crash || process->exitCode() == 0);
    }
    QCOMPARE(FileCheck(path_), QByteArray("ok"));
    QCOMPARE(LineCount(path_), linesAfter);
    QCOMPARE(CountInFile(path_, "SELECT count(*) FROM buffers"), 1);
    HistoryStore store(path_);
    QVERIFY(store.Open() && store.OpenMessage().isEmpty());
    // The writers indexed words side by side: each line is in the index once.
    while (store.IndexWords(5000) > 0) {
    }
    QCOMPARE(CountInFile(path_, "SELECT count(*) FROM line_words WHERE line_words MATCH 'line OR old OR kept'"), linesAfter);
}

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (args.value(1) == "--write" || args.value(1) == "--crash") return RunChild(args);
    QCoreApplication app(argc, argv);
    TestHistoryWriter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history_writer.moc"
