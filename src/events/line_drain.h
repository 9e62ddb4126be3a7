#pragma once
// Carries the reader's queued lines onto the UI thread and hands each to its handler.
#include "protocol/line_queue.h"
#include "protocol/reader_thread.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class ChatSession;

// The UI side of the reader: one drain request at a time, lines handled in
// arrival order in batches bounded by time, so painting and typing go on
// during a flood. Everything a handler writes into a transcript during one
// drain is laid out once, at the end of the drain.
class LineDrain : public QObject, public LineConsumer {
    Q_OBJECT
public:
    LineDrain(ChatSession& session, std::shared_ptr<LineQueue> queue, QObject* parent = nullptr);
    ~LineDrain() override;

    // Reader thread.
    void LinesReady() override;
    void ReaderEnded(const std::string& error) override;

    // UI thread: handles every queued line now.
    void DrainAll();
    // How long one drain may run before it yields to the event loop.
    static constexpr int kBudgetMs = 8;

signals:
    void Drained(int lines);
    // The reader's end, told on the UI thread once the lines before it are handled.
    void ReaderStopped(const QString& error);

private:
    void Drain();
    void HandleBatch(bool bounded);

    ChatSession& session_;
    std::shared_ptr<LineQueue> queue_;  // shared, so a drain disposed of later never sees it freed
    std::atomic<bool> pending_{false};
    std::vector<ircmessageencoder> batch_;  // the batch being handled, from next_ on
    std::size_t next_ = 0;
    bool handling_ = false;
};
