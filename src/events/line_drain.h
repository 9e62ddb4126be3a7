#pragma once
// Carries the reader's queued lines onto the UI thread and hands each to its handler.
#include "protocol/line_queue.h"
#include "protocol/reader_thread.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class TMainForm;
class TRichTextBox;

// The UI side of the reader: one drain request at a time, lines handled in
// arrival order in batches bounded by time, so painting and typing go on
// during a flood. Everything a handler writes into a transcript during one
// drain is laid out once, at the end of the drain.
class LineDrain : public QObject, public LineConsumer {
    Q_OBJECT
public:
    LineDrain(TMainForm& frame, std::shared_ptr<LineQueue> queue, QString ownnick);
    ~LineDrain() override;

    // Reader thread.
    void LinesReady() override;
    void ReaderEnded(const std::string& error) override;

    // UI thread: handles every queued line now.
    void DrainAll();
    const QString& OwnNick() const { return ownnick_; }
    // How long one drain may run before it yields to the event loop.
    static constexpr int kBudgetMs = 8;

    // A handler about to write into a transcript calls this: the view's inserts
    // are grouped until the current drain ends.
    static void JoinBatch(TRichTextBox* view);

signals:
    void Drained(int lines);

private:
    void Drain();
    void HandleBatch(bool bounded);
    void EndBatches();

    TMainForm& frame_;
    std::shared_ptr<LineQueue> queue_;  // shared, so a drain disposed of later never sees it freed
    const QString ownnick_;
    std::atomic<bool> pending_{false};
    std::vector<ircmessageencoder> batch_;  // the batch being handled, from next_ on
    std::size_t next_ = 0;
    bool handling_ = false;
    static std::vector<QPointer<TRichTextBox>> batchedViews_;
    static bool draining_;
};
