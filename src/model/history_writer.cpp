#include "model/history_writer.h"

#include <QDateTime>

#include <chrono>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Why history cannot be written, in the user's words.
QString PauseReason(const HistoryStore& store)
{
    switch (store.LastErrorCode() & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("the history file is in use by another program");
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM: return QStringLiteral("the history file cannot be written");
    case SQLITE_FULL:
    case SQLITE_IOERR: return QStringLiteral("the disk is full or cannot be written");
    default: return store.LastError();
    }
}

}  // namespace

HistoryWriter::HistoryWriter(HistoryWriterSettings settings, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), thread_([this] { Run(); })
{
}

HistoryWriter::~HistoryWriter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void HistoryWriter::Add(HistoryLine line)
{
    {
        std::lock_guard lock(mutex_);
        if (refused_ || static_cast<qint64>(waiting_.size() + writing_) >= settings_.maxWaitingLines) {
            ++dropped_;
            return;
        }
        waiting_.push_back(std::move(line));
        ++added_;
        if (waiting_.size() > 1) return;
    }
    wake_.notify_all();
}

bool HistoryWriter::Flush(int timeoutMs)
{
    std::unique_lock lock(mutex_);
    const qint64 target = added_;
    flushing_ = true;
    wake_.notify_all();
    const bool done = written_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                        [&] { return done_ >= target || paused_; });
    flushing_ = false;
    return done && done_ >= target;
}

bool HistoryWriter::IsPaused() const
{
    std::lock_guard lock(mutex_);
    return paused_;
}

qint64 HistoryWriter::DroppedLines() const
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

HistoryWriteResult HistoryWriter::WriteBatch(HistoryStore& store, QList<HistoryLine>& batch)
{
    // After a failure the connection is opened afresh: a file that was
    // read-only or locked when it was opened may be writable now.
    if (!store.IsOpen() && !store.Open()) return HistoryWriteResult::Paused;
    HistoryWriteResult result = store.Write(batch);
    if (result == HistoryWriteResult::Corrupt && store.ReplaceDamagedFile()) {
        emit notice(store.OpenMessage());
        result = store.Write(batch);
    }
    if (result == HistoryWriteResult::Paused || result == HistoryWriteResult::Corrupt) store.Close();
    return result;
}

void HistoryWriter::IndexWhileQuiet(HistoryStore& store)
{
    for (;;) {
        const int indexed = store.IsOpen() ? store.IndexWords(settings_.indexStepLines) : -1;
        std::lock_guard lock(mutex_);
        // Done, or failed (another program holds the file, say): the next
        // batch written tries again.
        if (indexed < settings_.indexStepLines) indexBehind_ = false;
        if (!indexBehind_ || stopping_ || !waiting_.empty()) return;
    }
}

void HistoryWriter::Run()
{
    using Clock = std::chrono::steady_clock;
    // The writer gives way to the threads the user feels (drawing, reading
    // the server): on Linux a thread has a niceness of its own.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
    HistoryStore store(settings_.path, settings_.busyTimeoutMs);
    if (store.Open()) {
        if (!store.OpenMessage().isEmpty()) emit notice(store.OpenMessage());
        if (settings_.keepDays > 0 && !store.IsReadOnly())
            store.PruneOlderThan(settings_.keepDays, QDateTime::currentMSecsSinceEpoch());
    }
    int retryMs = settings_.retryMs;
    qint64 droppedAtPause = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (paused_) {
            wake_.wait_for(lock, std::chrono::milliseconds(retryMs), [&] { return stopping_; });
        } else {
            // A quiet spell of one batch time: the words of the lines written
            // so far are indexed, a step at a time, until a line comes.
            if (indexBehind_ && !wake_.wait_for(lock, std::chrono::milliseconds(settings_.batchMs),
                                                [&] { return stopping_ || !waiting_.empty(); })) {
                lock.unlock();
                IndexWhileQuiet(store);
                lock.lock();
                continue;
            }
            wake_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
            // The first line of a batch waits for the others that come within the batch time.
            const auto due = Clock::now() + std::chrono::milliseconds(settings_.batchMs);
            wake_.wait_until(lock, due, [&] { return stopping_ || flushing_; });
        }
        if (waiting_.empty()) {
            if (stopping_) return;
            continue;
        }
        QList<HistoryLine> batch(std::make_move_iterator(waiting_.begin()), std::make_move_iterator(waiting_.end()));
        waiting_.clear();
        writing_ = static_cast<std::size_t>(batch.size());
        lock.unlock();
        const HistoryWriteResult result = WriteBatch(store, batch);
        QString note;
        lock.lock();
        writing_ = 0;
        if (result == HistoryWriteResult::Written || result == HistoryWriteResult::Refused) {
            if (result == HistoryWriteResult::Refused) {
                refused_ = true;
                dropped_ += batch.size();
            }
            done_ += batch.size();
            indexBehind_ = result == HistoryWriteResult::Written;
            if (paused_) {
                const qint64 lost = dropped_ - droppedAtPause;
                note = lost > 0 ? QStringLiteral("History is being kept again. %1 lines said while it was paused could not be kept.")
                                      .arg(lost)
                                : QStringLiteral("History is being kept again.");
            }
            paused_ = false;
            retryMs = settings_.retryMs;
        } else {
            // Back in front of the lines that came meanwhile, in their order.
            for (auto line = batch.rbegin(); line != batch.rend(); ++line) waiting_.push_front(std::move(*line));
            if (!paused_) {
                droppedAtPause = dropped_;
                note = QStringLiteral("History is paused (%1). New lines are kept in memory and written as soon as the file can be written again.")
                           .arg(PauseReason(store));
            } else {
                retryMs = std::min(retryMs * 2, settings_.maxRetryMs);
            }
            paused_ = true;
        }
        const bool stop = stopping_;
        lock.unlock();
        written_.notify_all();
        if (!note.isEmpty()) emit notice(note);
        lock.lock();
        // Ending: one last try for what waits, then the thread ends even when paused.
        if (stop && (paused_ || waiting_.empty())) return;
    }
}
