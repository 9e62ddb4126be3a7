// The history writer: lines from many threads, batches on its own thread,
// pausing and resuming when the file is locked, read-only or on a full disk,
// files damaged or from a later version at start, a crash in the middle of a
// batch, and two processes writing one file.
#include "model/history_writer.h"
#include "support/file_size_limit.h"
#include "support/history_test_lines.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace {

qint64 LineCount(const QString& path) { return CountInFile(path, "SELECT count(*) FROM lines"); }

HistoryWriterSettings QuickSettings(const QString& path)
{
    HistoryWriterSettings settings;
    settings.path = path;
    settings.batchMs = 20;
    settings.busyTimeoutMs = 50;
    settings.retryMs = 20;
    settings.maxRetryMs = 40;
    return settings;
}

// Makes the history file one that cannot be written: its folder and the file
// read-only, and, for root, whom permissions do not stop, this process runs as
// nobody meanwhile.
class ReadOnlyHistory {
public:
    ReadOnlyHistory(QString folder, QString file) : folder_(std::move(folder)), file_(std::move(file))
    {
        chmod(QFile::encodeName(file_).constData(), 0444);
        chmod(QFile::encodeName(folder_).constData(), 0555);
        if (geteuid() == 0) wasRoot_ = seteuid(65534) == 0;
    }
    ~ReadOnlyHistory()
    {
        if (wasRoot_ && seteuid(0) != 0) qFatal("cannot be root again");
        chmod(QFile::encodeName(folder_).constData(), 0700);
        chmod(QFile::encodeName(file_).constData(), 0644);
    }

private:
    QString folder_;
    QString file_;
    bool wasRoot_ = false;
};

// This program started again in one of its child roles.
int RunChild(const QStringList& args)
{
    const QString path = args.value(2);
    if (args.value(1) == "--write") {
        // A writer of its own adds count lines by nick tag, then ends normally.
        HistoryWriterSettings settings;
        settings.path = path;
        HistoryWriter writer(settings);
        for (int i = 0; i < args.value(4).toInt(); ++i) {
            writer.Add(TestLine("#shared", i, args.value(3).toUtf8(), "line " + QByteArray::number(i)));
            if (i % 100 == 99) std::this_thread::sleep_for(std::chrono::milliseconds(10));  // batches that overlap
        }
        return writer.Flush(30000) ? 0 : 1;
    }
    // --crash: one batch written, then the process is killed in the middle of a long one.
    HistoryStore store(path);
    QList<HistoryLine> first;
    for (int i = 0; i < 100; ++i) first << TestLine("#room", i, "bob", "kept");
    if (!store.Open() || store.Write(first) != HistoryWriteResult::Written) return 1;
    QList<HistoryLine> long_;
    for (int i = 0; i < 400000; ++i) long_ << TestLine("#room", i, "bob", "lost in the crash " + QByteArray::number(i));
    std::thread killer([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        std::raise(SIGKILL);
    });
    store.Write(long_);
    killer.join();
    return 2;
}

}  // namespace

class TestHistoryWriter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void linesFromManyThreadsLandInTheirOrder();
    void pausesOnceAndResumes_data();
    void pausesOnceAndResumes();
    void fileProblemsAtStart_data();
    void fileProblemsAtStart();
    void crashMidBatchLosesOnlyThatBatch();
    void twoProcessesShareTheFile();

private:
    void Watch(HistoryWriter& writer)
    {
        connect(&writer, &HistoryWriter::notice, this, [this](const QString& text) { notices_ << text; });
    }

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
    QStringList notices_;
};

void TestHistoryWriter::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    path_ = dir_->filePath(QStringLiteral("history.sqlite"));
    QCoreApplication::sendPostedEvents();  // a notice from the last test's writer goes there
    notices_.clear();
    HistoryStore store(path_);
    QVERIFY(store.Open());
}

void TestHistoryWriter::cleanup() { dir_.reset(); }

void TestHistoryWriter::linesFromManyThreadsLandInTheirOrder()
{
    HistoryWriterSettings settings;
    settings.path = path_;
    HistoryWriter writer(settings);
    // A single line is written within the batch time without being asked.
    writer.Add(TestLine("#room", 0, "first", "alone"));
    QTRY_COMPARE_WITH_TIMEOUT(LineCount(path_), 1, 3000);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&writer, t] {
            for (int i = 0; i < 500; ++i) writer.Add(TestLine("#room", i, "t" + QByteArray::number(t), "line"));
        });
    for (std::thread& thread : threads) thread.join();
    QVERIFY(writer.Flush());
    QCOMPARE(LineCount(path_), 2001);
    // Each thread's lines keep their order: times grow with the line numbers.
    QCOMPARE(CountInFile(path_, "SELECT count(*) FROM lines a JOIN lines b ON a.nick = b.nick"
                                " AND a.id < b.id AND a.time > b.time"),
             0);
    QVERIFY(notices_.isEmpty());
}

void TestHistoryWriter::pausesOnceAndResumes_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("maxWaiting");
    QTest::addColumn<int>("kept");  // of the 10 lines added
    QTest::addColumn<QString>("reason");
    QTest::newRow("locked by another connection") << "locked" << 1000 << 10 << "in use by another program";
    QTest::newRow("disk full") << "full" << 1000 << 10 << "disk is full";
    QTest::newRow("read-only file") << "read-only" << 1000 << 10 << "cannot be written";
    QTest::newRow("locked past the memory bound") << "locked" << 6 << 6 << "in use by another program";
}

void TestHistoryWriter::pausesOnceAndResumes()
{
    QFETCH(QString, failure);
    QFETCH(int, maxWaiting);
    QFETCH(int, kept);
    QFETCH(QString, reason);
    SqliteDb locker;
    std::unique_ptr<FileSizeLimit> fullDisk;
    std::unique_ptr<ReadOnlyHistory> readOnly;
    if (failure == "locked") {
        QCOMPARE(locker.Open(path_, SQLITE_OPEN_READWRITE), SQLITE_OK);
        QCOMPARE(locker.Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    } else if (failure == "full") {
        fullDisk = std::make_unique<FileSizeLimit>(1);
    } else {
        readOnly = std::make_unique<ReadOnlyHistory>(dir_->path(), path_);
    }
    HistoryWriterSettings settings = QuickSettings(path_);
    settings.maxWaitingLines = maxWaiting;
    auto writer = std::make_unique<HistoryWriter>(settings);
    Watch(*writer);
    writer->Add(TestLine("#room", 0, "bob", "line 0"));
    QTRY_VERIFY(writer->IsPaused());
    for (int i = 1; i < 10; ++i) writer->Add(TestLine("#room", i, "bob", "line " + QByteArray::number(i)));
    QTest::qWait(200);  // several tries fail meanwhile
    QVERIFY(!writer->Flush(10));
    QVERIFY2(notices_.size() == 1, qPrintable(notices_.join(u'|')));
    QVERIFY2(notices_[0].startsWith("History is paused") && notices_[0].contains(reason), qPrintable(notices_[0]));

    locker.Close();
    fullDisk.reset();
    readOnly.reset();
    QTRY_VERIFY(!writer->IsPaused());
    QVERIFY(writer->Flush());
    QCOMPARE(writer->DroppedLines(), 10 - kept);
    writer.reset();
    QCOMPARE(LineCount(path_), kept);
    QCOMPARE(CountInFile(path_, "SELECT max(time) FROM lines"), kept - 1);
    QTRY_COMPARE(notices_.size(), 2);
    QVERIFY(notices_[1].startsWith("History is being kept again."));
    QCOMPARE(notices_[1].contains(QString::number(10 - kept) + " lines"), kept < 10);
    QCOMPARE(FileCheck(path_), QByteArray("ok"));
}

void TestHistoryWriter::fileProblemsAtStart_data()
{
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<qint64>("linesAfter");  // in the history file, after 3 lines are added
    QTest::newRow("damaged file") << "damaged" << "was damaged" << qint64(3);
    QTest::newRow("file of a later version") << "later" << "newer version" << qint64(2);
    QTest::newRow("old lines to prune") << "old" << "" << qint64(4);
}

void TestHistoryWriter::fileProblemsAtStart()
{
    QFETCH(QString, problem);
    QFETCH(QString, notice);
    QFETCH(qint64, linesAfter);
    {
        HistoryStore store(path_);
        QVERIFY(store.Open());
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        QList<HistoryLine> lines{TestLine("#room", now - 40LL * 24 * 3600 * 1000, "bob", "old"),
                                 TestLine("#room", now, "bob", "recent")};
        QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
    }
    if (problem == "damaged") {
        QFile file(path_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
    } else if (problem == "later") {
        SqliteDb raw;
        QCOMPARE(raw.Open(path_, SQLITE_OPEN_READWRITE), SQLITE_OK);
        QCOMPARE(raw.Exec("PRAGMA user_version = 7"), SQLITE_OK);
    }
    HistoryWriterSettings settings = QuickSettings(path_);
    settings.keepDays = 30;
    {
        HistoryWriter writer(settings);
        Watch(writer);
        for (int i = 0; i < 3; ++i) writer.Add(TestLine("#room", i, "bob", "new"));
        QVERIFY(writer.Flush());
        QCOMPARE(writer.DroppedLines(), problem == "later" ? 3 : 0);
    }
    QTRY_COMPARE(notices_.size(), notice.isEmpty() ? 0 : 1);
    if (!notice.isEmpty()) QVERIFY2(notices_[0].contains(notice), qPrintable(notices_[0]));
    QCOMPARE(LineCount(path_), linesAfter);
}

void TestHistoryWriter::crashMidBatchLosesOnlyThatBatch()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--crash", path_});
    QVERIFY(child.waitForFinished(120000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(FileCheck(path_), QByteArray("ok"));
    QCOMPARE(LineCount(path_), 100);
    HistoryStore store(path_);
    QVERIFY(store.Open());
    QVERIFY(store.OpenMessage().isEmpty());
    QList<HistoryLine> more{TestLine("#room", 1, "bob", "after the crash")};
    QCOMPARE(store.Write(more), HistoryWriteResult::Written);
}

void TestHistoryWriter::twoProcessesShareTheFile()
{
    QProcess first, second;
    first.start(QCoreApplication::applicationFilePath(), {"--write", path_, "first", "3000"});
    second.start(QCoreApplication::applicationFilePath(), {"--write", path_, "second", "3000"});
    {
        // Each waits for the others' writes as long as the program does.
        HistoryWriterSettings settings;
        settings.path = path_;
        HistoryWriter writer(settings);
        for (int i = 0; i < 3000; ++i) {
            writer.Add(TestLine("#shared", i, "here", "line"));
            if (i % 100 == 99) QThread::msleep(10);
        }
        QVERIFY(writer.Flush(30000));
    }
    for (QProcess* child : {&first, &second}) {
        QVERIFY(child->waitForFinished(60000));
        QCOMPARE(child->exitStatus(), QProcess::NormalExit);
        QCOMPARE(child->exitCode(), 0);
    }
    QCOMPARE(LineCount(path_), 9000);
    QCOMPARE(CountInFile(path_, "SELECT count(DISTINCT nick) FROM lines"), 3);
    QCOMPARE(CountInFile(path_, "SELECT count(*) FROM buffers"), 1);
    QCOMPARE(FileCheck(path_), QByteArray("ok"));
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
