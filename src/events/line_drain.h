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

// Takes a login's lines from the drain, in arrival order, before any handler
// sees them (UI thread).
class LoginFeed {
public:
    virtual ~LoginFeed() = default;
    // One received line. False once the login is over: this line and the ones
    // after it wait for the handlers until the drain is released.
    virtual bool TakeLoginLine(const IrcMessage& line) = 0;
    // The reader ended; every line it queued before the end was taken first.
    virtual void LoginReaderEnded(const std::string& why) = 0;
};

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
    // Lines go to feed until it says the login is over; they then wait,
    // and so does the reader's end, until ReleaseLogin. With hold (and no
    // feed), they wait from now on.
    void FeedLogin(LoginFeed* feed, bool hold = false);
    // The lines after the login go to the handlers (from the next turn of
    // the event loop), and a reader's end that came meanwhile is told.
    void ReleaseLogin();
    bool LoggingIn() const { return loginFeed_ || held_; }
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
    void TellReaderEnded(const QString& why, bool unexpected);

    ChatSession& session_;
    std::shared_ptr<LineQueue> queue_;  // shared, so a drain disposed of later never sees it freed
    std::atomic<bool> pending_{false};
    LineQueue::Batch batch_;  // the batch being handled, from next_ on
    std::size_t next_ = 0;
    bool handling_ = false;
    bool rest_ = false;     // the reader is gone: emptying the queue ends this drain's work
    bool emptied_ = false;  // Emptied was told
    LoginFeed* loginFeed_ = nullptr;  // while logging in
    bool held_ = false;               // the login is over and the lines wait for ReleaseLogin
    bool endHeld_ = false;            // the reader ended while the lines waited
    QString heldWhy_;
    bool heldUnexpected_ = false;
};
