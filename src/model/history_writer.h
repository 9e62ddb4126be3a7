#pragma once
// Writes chat lines to the history file from a thread of its own.
#include "model/history_store.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// How a HistoryWriter works: its file, what it keeps, how long it waits.
struct HistoryWriterSettings {
    QString path = HistoryStore::DefaultPath();
    int keepDays = 0;               // at start, lines older than this are deleted; 0 keeps every line
    int batchMs = 200;              // the longest a line waits for its batch to be written
    int busyTimeoutMs = 5000;       // the longest a write waits for another connection's write
    int retryMs = 1000;             // the first try again after a failure, doubling up to maxRetryMs
    int maxRetryMs = 30000;
    int maxWaitingLines = 100000;   // kept in memory while paused; later lines are dropped
    int indexStepLines = 2000;      // lines whose words are indexed in one step while no line comes
};

// The history's writer: takes lines from any thread (a cheap enqueue) and
// writes them in batches, one transaction each, on its own thread; their
// words are indexed for search when no line has come for a batch time. When the
// file cannot be written (locked, read-only, disk full) history pauses with
// one notice, keeps lines in memory up to a bound, and writes them when it
// can again; a damaged file is replaced by a new one.
class HistoryWriter : public QObject {
    Q_OBJECT
public:
    // Opens the file (on the writer thread) and starts waiting for lines.
    explicit HistoryWriter(HistoryWriterSettings settings = HistoryWriterSettings(), QObject* parent = nullptr);
    // Writes what is waiting (one more try when paused) and ends the thread.
    ~HistoryWriter() override;

    // Queues a line for writing; safe from any thread.
    void Add(HistoryLine line);
    // Waits until every line added so far is on disk; false when history is
    // paused or timeoutMs passed first.
    bool Flush(int timeoutMs = 5000);
    // True while lines cannot be written and wait in memory.
    bool IsPaused() const;
    // Lines dropped since the writer started: past the bound while paused, or
    // refused by a file of a later version.
    qint64 DroppedLines() const;

signals:
    // A sentence for the user: history paused or resumed, a damaged file put
    // aside, a file of a later version. Sent from the writer thread.
    void notice(const QString& text);

private:
    void Run();
    HistoryWriteResult WriteBatch(HistoryStore& store, QList<HistoryLine>& batch);
    void IndexWhileQuiet(HistoryStore& store);

    const HistoryWriterSettings settings_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable written_;
    std::deque<HistoryLine> waiting_;
    std::size_t writing_ = 0;  // lines taken from waiting_ for the batch being written
    qint64 added_ = 0;
    qint64 done_ = 0;  // written or given up
    qint64 dropped_ = 0;
    bool paused_ = false;
    bool refused_ = false;
    bool flushing_ = false;
    bool stopping_ = false;
    bool indexBehind_ = true;  // written lines may wait for their words to be indexed
    std::thread thread_;
};
