#include "events/line_drain.h"

#include "chat/rich_text_view.h"
#include "events/event_router.h"
#include "shell/main_form.h"

#include <QMetaObject>

std::vector<QPointer<TRichTextBox>> LineDrain::batchedViews_;
bool LineDrain::draining_ = false;

LineDrain::LineDrain(TMainForm& frame, std::shared_ptr<LineQueue> queue, QString ownnick)
    : frame_(frame), queue_(std::move(queue)), ownnick_(std::move(ownnick))
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
        frame_.ReaderEndedByServer(why);
    }, Qt::QueuedConnection);
}

void LineDrain::JoinBatch(TRichTextBox* view)
{
    if (!draining_ || !view) return;
    for (const auto& v : batchedViews_)
        if (v == view) return;
    view->BeginBatch();
    batchedViews_.emplace_back(view);
}

void LineDrain::EndBatches()
{
    auto views = std::move(batchedViews_);
    batchedViews_.clear();
    for (const auto& v : views)
        if (v) v->EndBatch();
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
    draining_ = true;
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
                RouteLine(frame_, ownnick_, batch_[next_]);
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
    EndBatches();
    draining_ = false;
    handling_ = false;
    if (handled > 0) emit Drained(handled);
}
