#include "events/line_drain.h"

#include "events/chat_session.h"
#include "events/event_router.h"

#include <QElapsedTimer>
#include <QMetaObject>

LineDrain::LineDrain(ChatSession& session, std::shared_ptr<LineQueue> queue, QObject* parent)
    : QObject(parent), session_(session), queue_(std::move(queue))
{
}

LineDrain::~LineDrain() = default;

void LineDrain::LinesReady()
{
    if (!pending_.exchange(true)) QMetaObject::invokeMethod(this, &LineDrain::Drain, Qt::QueuedConnection);
}

void LineDrain::ReaderEnded(const std::string& error)
{
    const QString why = QString::fromStdString(error);
    QMetaObject::invokeMethod(this, [this, why] {
        // Lines that arrived before the end are shown before it is reported.
        DrainAll();
        emit ReaderStopped(why);
    }, Qt::QueuedConnection);
}

void LineDrain::Drain()
{
    pending_ = false;
    HandleBatch(true);
    if ((next_ < batch_.size() || queue_->Size() > 0) && !pending_.exchange(true))
        QMetaObject::invokeMethod(this, &LineDrain::Drain, Qt::QueuedConnection);
}

void LineDrain::DrainAll() { HandleBatch(false); }

void LineDrain::HandleBatch(bool bounded)
{
    // A handler that ends the connection may dispose of the reader from inside
    // this loop; the loop that is already running finishes the lines then.
    if (handling_) return;
    handling_ = true;
    QElapsedTimer clock;
    clock.start();
    session_.BeginLines();
    int handled = 0;
    // The budget is checked after every line: one line can be costly (a new
    // private window), and a batch holds up to a few hundred of them.
    bool overBudget = false;
    while (!overBudget) {
        if (next_ >= batch_.size()) {
            queue_->Recycle(batch_);
            next_ = 0;
            if (!queue_->TakeBatch(batch_)) break;
        }
        while (next_ < batch_.size()) {
            try {
                RouteLine(session_, batch_[next_]);
            } catch (const std::exception&) {
                // A failure while handling one line drops that line only.
            }
            ++next_;
            ++handled;
            if (bounded && clock.elapsed() >= kBudgetMs) {
                overBudget = true;
                break;
            }
        }
    }
    session_.EndLines();
    handling_ = false;
    if (handled > 0) emit Drained(handled);
}
