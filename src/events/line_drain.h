#pragma once
// Carries the reader's queued lines onto the UI thread and hands each to its handler.
#include "protocol/irc/line_queue.h"
#include "protocol/irc/reader_thread.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class ChatSession;

// The UI side of the reader: one drain request at a time, lines handled in
// arrival order in batches bounded by time, so painting and typing go on
// during a flood. Everything a handler writes into a transcript during one
// drain is laid out once, at the end of the drain. Once the reader is gone,
// the lines it left in the queue are handled the same way, in slices.
class LineDrain : public QObject, public LineConsumer {
    Q_OBJECT
public:
    LineDrain(ChatSession& session, std::shared_ptr<LineQueue> queue, QObject* parent = nullptr);
    ~LineDrain() override;

    // Reader thread.
    void LinesReady() override;
    void ReaderEnded(const std::string& error, bool unexpected) override;

    // UI thread, once the reader is gone: the lines still queued are handled
    // in slices bounded by time, the first one now; Emptied follows the last
    // of them (before this returns when one slice was enough).
    void DrainRest();
    // UI thread: handles every queued line now, without yielding; Emptied
    // follows when DrainRest was called before.
    void DrainAll();
    // True while lines wait to be handled.
    bool HasLines() const;
    // How long one drain may run before it yields to the event loop.
    static constexpr int kBudgetMs = 8;

signals:
    void Drained(int lines);
    // The reader's end, told on the UI thread. unexpected: it was no transport
    // error but some other failure, which error describes.
    void ReaderStopped(const QString& error, bool unexpected);
    // After DrainRest: every line the reader left has been handled (told once).
    void Emptied();

private:
    void Drain();
    void HandleBatch(bool bounded);
    void TellEmptied();

    ChatSession& session_;
    std::shared_ptr<LineQueue> queue_;  // shared, so a drain disposed of later never sees it freed
    std::atomic<bool> pending_{false};
    LineQueue::Batch batch_;  // the batch being handled, from next_ on
    std::size_t next_ = 0;
    bool handling_ = false;
    bool rest_ = false;     // the reader is gone: emptying the queue ends this drain's work
    bool emptied_ = false;  // Emptied was told
};
