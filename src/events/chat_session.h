#pragma once
// One server connection's life on the program's side.
#include "protocol/irc/ctcp.h"
#include "protocol/irc/line_queue.h"
#include "protocol/irc/reader_thread.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class ChatFrame;
class LineConnection;
class LineDrain;
class Network;
class LoginFeed;
class QWidget;
class TranscriptView;

// Everything that lasts as long as one connection: the reader thread, its
// line queue, the drain that carries the lines to the handlers, and what the
// handlers remember between lines (the memo listing, the transcripts written
// in the current drain, the private window to bring to the front). The frame
// makes one at login and drops it at disconnect, so nothing of one
// connection leaks into the next.
class ChatSession : public QObject {
    Q_OBJECT
public:
    // The lines, and the memory they hold, that the reader may queue before
    // it waits for the UI thread.
    static constexpr std::size_t kQueueLines = 8192;
    static constexpr std::size_t kQueueBytes = LineQueue::kDefaultBytes;

    // ownnick is the user's nick for this connection. No reader runs until
    // StartReader; a session without one can still take lines (tests).
    ChatSession(ChatFrame& frame, QString ownnick, std::size_t queueLines = kQueueLines, QObject* parent = nullptr,
                std::size_t queueBytes = kQueueBytes);
    ~ChatSession() override;

    ChatFrame& Frame() const { return frame_; }
    // The network the handlers change: the frame's.
    Network& Model() const;
    const QString& OwnNick() const { return ownnick_; }
    // The server renamed the user.
    void SetOwnNick(const QString& nick) { ownnick_ = nick; }

    // An ignored user who takes another nick stays ignored, under the name
    // on the ignore list (which does not change): the session remembers
    // which listed name each new nick stands for.
    void FollowRename(const QString& oldNick, const QString& newNick);
    // True when nick is ignored: on the frame's ignore list, or taken since
    // by a user ignored under a listed name.
    bool IsIgnored(const QString& nick) const;
    // Only the second of these: quick while no ignored user has renamed.
    bool IgnoredUnderOldName(const QString& nick) const;
    const std::shared_ptr<LineQueue>& Queue() const { return queue_; }
    LineDrain& Drain() const { return *drain_; }

    // --- The reader ---
    // With login, the reader starts in its logging-in mode and every line
    // goes to login until it says the login is over; the rest waits for EndLogin.
    void StartReader(LineConnection& connection, LoginFeed* login = nullptr);
    // The login succeeded: the lines after it go to the handlers.
    void EndLogin();
    bool LoggingIn() const;
    ReaderThread* Reader() const { return reader_.get(); }
    // Asks the reader to stop and waits at most timeout; false when it still runs.
    bool StopReaderWithin(std::chrono::milliseconds timeout);
    // Joins and disposes of the reader (its connection must be closed or the
    // reader stopped first, or this closes the connection).
    void DisposeReader();

    // --- After the reader ---
    // The reader is gone: the lines it left are still handled, in slices
    // bounded by time like any others, the first slice now; LinesDone follows
    // the last of them. A private window the user closes meanwhile is not
    // made again for a later line of its partner: that line is dropped.
    void FinishLines();
    // Handles whatever is left at once (for a new connection that must not
    // find the last one's lines still arriving).
    void FinishLinesNow();
    bool Ending() const { return ending_; }
    // While ending: true when partner had a private window after the end
    // (the case of the letters does not count).
    bool HadPrivateWindow(const QString& partner) const;
    void NotePrivateWindow(const QString& partner);

    // --- What handlers keep between lines ---
    // True inside a MemoServ memo listing (from "listing memos for" to "end of list").
    bool memolisting = false;
    // The answers to client-to-client requests: a few in a spell.
    CtcpLimiter ctcpLimiter;

    // A handler about to write into a transcript calls this: the view's
    // inserts are grouped until the current drain ends.
    void JoinBatch(TranscriptView* view);
    // The drain's bracket around the lines it handles in one go: the
    // transcripts and the server log written meanwhile are laid out once.
    void BeginLines();
    void EndLines();

    // Brings w to the front once the lines at hand are handled: a burst from
    // many partners activates one window, not each in turn. Inside a drain,
    // once the drain has no lines left.
    void BringToFrontSoon(QWidget* w);

signals:
    // The reader ended on its own: a transport error that the program did
    // not cause, or (unexpected) another failure that error describes. Lines
    // may still wait in the queue: the owner calls FinishLines.
    void ReaderEnded(const QString& error, bool unexpected);
    // After FinishLines: the last line the reader left has been handled.
    void LinesDone();

private:
    ChatFrame& frame_;
    QString ownnick_;
    QHash<QString, QString> ignoredAs_;  // nick taken since -> the name on the ignore list
    std::shared_ptr<LineQueue> queue_;  // shared with the drain, which may outlive a disposal mid-call
    LineDrain* drain_;                  // a child of this session
    std::unique_ptr<ReaderThread> reader_;

    std::vector<QPointer<TranscriptView>> batchedViews_;
    bool draining_ = false;
    void QueueFront();

    QPointer<QWidget> frontPending_;
    bool frontQueued_ = false;
    bool frontWanted_ = false;  // frontPending_ waits for the drain's end
    bool ending_ = false;
    QSet<QString> endedPartners_;  // case-folded partner names, while ending
};
