#include "events/line_drain.h"

#include "events/chat_session.h"
#include "events/event_router.h"

#include <QElapsedTimer>
#include <QMetaObject>

#include <utility>

LineDrain::LineDrain(ChatSession& session, std::shared_ptr<LineQueue> queue, QObject* parent)
    : QObject(parent), session_(session), queue_(std::move(queue))
{
}

LineDrain::~LineDrain() = default;

void LineDrain::LinesReady()
{
    if (!pending_.exchange(true)) QMetaObject::invokeMethod(this, &LineDrain::Drain, Qt::QueuedConnection);
}

void LineDrain::ReaderEnded(const std::string& error, bool unexpected)
{
    const QString why = QString::fromStdString(error);
    // The owner decides what becomes of the lines still queued: they are
    // shown in slices after the end, never all at once here.
    QMetaObject::invokeMethod(this, [this, why, unexpected] { TellReaderEnded(why, unexpected); },
                              Qt::QueuedConnection);
}

void LineDrain::TellReaderEnded(const QString& why, bool unexpected)
{
    if (loginFeed_) {
        // The login hears of the end after every line that came before it.
        HandleBatch(false);
        if (LoginFeed* feed = loginFeed_) {
            feed->LoginReaderEnded(why.toStdString());
            return;
        }
    }
    if (held_) {
        endHeld_ = true;
        heldWhy_ = why;
        heldUnexpected_ = unexpected;
        return;
    }
    emit ReaderStopped(why, unexpected);
}

void LineDrain::FeedLogin(LoginFeed* feed, bool hold)
{
    loginFeed_ = feed;
    held_ = hold && !feed;
}

void LineDrain::ReleaseLogin()
{
    loginFeed_ = nullptr;
    held_ = false;
    if (HasLines() && !pending_.exchange(true)) QMetaObject::invokeMethod(this, &LineDrain::Drain, Qt::QueuedConnection);
    if (std::exchange(endHeld_, false)) {
        const QString why = heldWhy_;
        const bool unexpected = heldUnexpected_;
        QMetaObject::invokeMethod(this, [this, why, unexpected] { emit ReaderStopped(why, unexpected); },
                                  Qt::QueuedConnection);
    }
}

bool LineDrain::HasLines() const { return next_ < batch_.size() || queue_->Size() > 0; }

void LineDrain::Drain()
{
    pending_ = false;
    if (held_) return;  // ReleaseLogin asks again
    HandleBatch(true);
    if (HasLines()) {
        if (!pending_.exchange(true)) QMetaObject::invokeMethod(this, &LineDrain::Drain, Qt::QueuedConnection);
    } else if (rest_) {
        TellEmptied();
    }
}

void LineDrain::DrainRest()
{
    rest_ = true;
    Drain();
}

void LineDrain::DrainAll()
{
    HandleBatch(false);
    if (rest_ && !HasLines()) TellEmptied();
}

void LineDrain::TellEmptied()
{
    if (emptied_) return;
    emptied_ = true;
    emit Emptied();
}

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
            if (held_) {
                overBudget = true;
                break;
            }
            if (loginFeed_) {
                if (!loginFeed_->TakeLoginLine(batch_[next_].message)) {
                    loginFeed_ = nullptr;
                    held_ = true;
                    break;
                }
            } else {
                try {
                    RouteLine(session_, batch_[next_].message, batch_[next_].route);
                } catch (const std::exception&) {
                    // A failure while handling one line drops that line only.
                }
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
