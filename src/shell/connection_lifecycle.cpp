#include "shell/connection_lifecycle.h"

#include "chat/private_window.h"
#include "chat/room_window.h"
#include "model/chat_frame.h"
#include "common/line_sender.h"
#include "common/prompts.h"
#include "common/timings.h"
#include "events/chat_session.h"
#include "events/line_drain.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/reader_thread.h"
#include "protocol/irc/sent_lines.h"
#include "shell/application.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <utility>

ConnectionLifecycle::ConnectionLifecycle(ChatFrame& frame, LineConnection& connection, QWidget* owner)
    : frame_(frame), connection_(connection), owner_(owner)
{
    ApplySendLimits();
    connection_.SetListener(this);
}

// The connection may open on a worker thread (the login keeps its window
// painted that way); its handlers always run here, on the UI thread.
void ConnectionLifecycle::ConnectionOpened()
{
    if (QThread::currentThread() == thread())
        Opened();
    else
        QMetaObject::invokeMethod(this, &ConnectionLifecycle::Opened, Qt::QueuedConnection);
}

void ConnectionLifecycle::ConnectionClosed()
{
    if (QThread::currentThread() == thread())
        Closed();
    else
        QMetaObject::invokeMethod(this, &ConnectionLifecycle::Closed, Qt::QueuedConnection);
}

ConnectionLifecycle::~ConnectionLifecycle() { Teardown(); }

void ConnectionLifecycle::Teardown()
{
    connection_.SetListener(nullptr);
    if (session_) StopReader(0, RestOfLines::Drop);
    DropRestOfLines();
    connection_.Disconnect();
}

void ConnectionLifecycle::ApplySendLimits()
{
    LineConnection::SendLimits limits = connection_.Limits();
    limits.stall = std::chrono::milliseconds(timing().sendStallMs);
    connection_.SetLimits(limits);
}

ReaderThread* ConnectionLifecycle::Reader() const { return session_ ? session_->Reader() : nullptr; }

void ConnectionLifecycle::BeginLogin() { loginUnderway_ = true; }

void ConnectionLifecycle::StartLoginReader(LoginFeed& feed) { StartReader(&feed); }

void ConnectionLifecycle::LoginWelcomed()
{
    if (connectedLook_ || !connection_.Opened()) return;
    connectedLook_ = true;
    emit ConnectedLookDue();
}

void ConnectionLifecycle::AbandonLogin()
{
    loginUnderway_ = false;
    // The disconnected handling runs once whenever the login had the
    // connection open, also when the server hung up first.
    const bool wasOpen = connection_.Opened() || connectedLook_;
    connection_.DisconnectQuietly();
    if (wasOpen) Closed();
    if (session_) StopReader(0, RestOfLines::Drop);
}

void ConnectionLifecycle::LoggedIn()
{
    if (session_ && session_->LoggingIn()) {
        session_->SetOwnNick(frame_.CurrentNick());
        session_->EndLogin();
    } else {
        StartReader();
    }
    loginUnderway_ = false;
    loggedIn_ = true;
    LoginWelcomed();
}

void ConnectionLifecycle::RejoinRooms()
{
    const bool sameServer = connection_.Host() == rejoinHost_;
    for (QWidget* child : frame_.ChildWindows()) {
        if (auto* room = qobject_cast<RoomWindow*>(child)) room->Rejoin(sameServer);
    }
}

void ConnectionLifecycle::StartReader(LoginFeed* login)
{
    if (session_) StopReader(0);  // an old reader that ended on its own
    FinishRestOfLines();          // the last connection's lines come before this one's
    session_ = new ChatSession(frame_, frame_.CurrentNick(), ChatSession::kQueueLines, owner_);
    connect(session_, &ChatSession::ReaderEnded, this, &ConnectionLifecycle::ReaderEndedByServer);
    session_->StartReader(connection_, login);
}

void ConnectionLifecycle::WaitForReader(int timeoutMs)
{
    if (!session_) return;
    // Every handler runs on this thread and the reader never waits for it
    // (a full queue gives way to the stop request), so a plain wait is safe.
    if (!session_->StopReaderWithin(std::chrono::milliseconds(timeoutMs))) connection_.Disconnect();
}

void ConnectionLifecycle::StopReader(int timeoutMs, RestOfLines rest)
{
    if (!session_) return;
    stoppingReader_ = true;
    if (!session_->StopReaderWithin(std::chrono::milliseconds(timeoutMs))) {
        // Cut the connection so that the waiting read returns; the closed
        // connection is reported by the caller once the lines that came
        // before the end have been handled.
        connection_.DisconnectQuietly();
    }
    ChatSession* ending = std::exchange(session_, nullptr);
    ending->DisposeReader();
    disconnect(ending, &ChatSession::ReaderEnded, this, nullptr);
    // One ended connection at a time has lines left to show.
    FinishRestOfLines();
    if (rest == RestOfLines::Drop) {
        QCoreApplication::removePostedEvents(&ending->Drain());
        ending->deleteLater();
    } else {
        // The rest of the lines go on arriving in slices, so the disconnected
        // look and every other ending step come at once, whatever was queued.
        endingSession_ = ending;
        connect(ending, &ChatSession::LinesDone, this, [this, ending] {
            if (endingSession_ != ending) return;
            endingSession_ = nullptr;
            ending->deleteLater();
            const auto steps = std::exchange(afterLastLines_, {});
            for (const auto& step : steps) step();
        });
        ending->FinishLines();
    }
    stoppingReader_ = false;
}

bool ConnectionLifecycle::LinesWaiting() const
{
    return (session_ && session_->Drain().HasLines()) || (endingSession_ && endingSession_->Drain().HasLines());
}

void ConnectionLifecycle::AfterLastLines(std::function<void()> step)
{
    if (endingSession_)
        afterLastLines_ << std::move(step);
    else
        step();
}

void ConnectionLifecycle::FinishRestOfLines()
{
    if (endingSession_) endingSession_->FinishLinesNow();  // its last line runs the waiting steps
}

void ConnectionLifecycle::DropRestOfLines()
{
    ChatSession* ending = std::exchange(endingSession_, nullptr);
    if (!ending) return;
    QCoreApplication::removePostedEvents(&ending->Drain());
    ending->deleteLater();
    // The steps are the ending's notes in the log and the windows, all going now.
    afterLastLines_.clear();
}

void ConnectionLifecycle::ReaderEndedByServer(const QString& error, bool unexpected)
{
    // The server's side of the story is in the log already, if it said anything.
    if (stoppingReader_ || !session_) return;
    // A server that stopped taking lines said nothing: the user hears why
    // the connection went.
    const QString stall = QString::fromStdString(connection_.StallText());
    const bool inWindows = loggedIn_;
    StopReader(0);
    if (!stall.isEmpty()) AfterLastLines([this, stall] { frame_.AppendLog(stall); });  // before "Disconnected.."
    CloseConnection();
    if (!stall.isEmpty()) {
        // After the windows' "lost" note, the windows say why as well.
        if (inWindows) AfterLastLines([this, stall] { TellWindowsWhyConnectionEnded(stall); });
        AfterLastLines([this, stall] { prompts().Error(owner_, stall); });
    }
    // A failure in the reader itself is no transport error: it is reported
    // like any failure that no handler caught.
    if (unexpected) AfterLastLines([error] { TalvessaApplication::ShowException(error); });
}

void ConnectionLifecycle::SettleEndedReader()
{
    if (session_) {
        StopReader(0);
        CloseConnection();
    }
    FinishRestOfLines();
}

void ConnectionLifecycle::EndBecause(const QString& why)
{
    if (!session_ && !connection_.Opened()) return;
    const bool inWindows = loggedIn_;
    StopReader(0);
    AfterLastLines([this, why] { frame_.AppendLog(why); });  // before "Disconnected.."
    CloseConnection();
    if (inWindows) AfterLastLines([this, why] { TellWindowsWhyConnectionEnded(why); });
}

void ConnectionLifecycle::ServerClosingLink(const QString& reason)
{
    serverReason_ = reason.isEmpty() ? QStringLiteral("The server closed the link without giving a reason.")
                                     : QStringLiteral("The server closed the link: ") + reason;
    frame_.AppendLog(serverReason_);
}

void ConnectionLifecycle::Disconnect()
{
    userDisconnects_ = true;
    DropWaitingLines();
    QuitAndStopReader(std::chrono::milliseconds(timing().readerStopMs), RestOfLines::Show);
    CloseConnection();  // the log says the connection is gone after the last lines
    userDisconnects_ = false;
}

void ConnectionLifecycle::Close(std::chrono::milliseconds within)
{
    // Closing does not wait for lines to be rendered into windows that go.
    DropRestOfLines();
    frame_.Sender().DropAll();
    if (!session_) return;
    userDisconnects_ = true;
    if (connection_.Connected())
        QuitAndStopReader(within, RestOfLines::Drop);
    else
        StopReader(0, RestOfLines::Drop);  // the server went first; there is nobody left to say goodbye to
    CloseConnection();
    userDisconnects_ = false;
}

void ConnectionLifecycle::QuitAndStopReader(std::chrono::milliseconds within, RestOfLines rest)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + within;
    const auto left = [&] {
        return std::max(std::chrono::milliseconds(0),
                        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
    };
    if (Reader()) Reader()->Terminate();
    bool quitSent = false;
    try {
        if (!frame_.Sender().Send(sent::QuitLine(), QString(), LineSender::Pace::Immediate).accepted)
            throw TransportError("not connected");
        // A server that is taking lines takes the quit at once; one that has
        // not done so within a second is not reading, never sees the quit,
        // and is not waited for.
        quitSent = connection_.WaitUntilSent(std::min(left(), std::chrono::milliseconds(1000)));
    } catch (const TransportError&) {
        // The connection broke under us, or the server stopped taking lines
        // long ago; the user asked to be disconnected and is.
    }
    // The reader ends when the server answers the quit by closing; a server
    // that does not is cut off after the wait, which ends the reader's read.
    if (quitSent && Reader()) Reader()->WaitFor(left());
    StopReader(0, rest);  // the lines that came before the end come first
}

void ConnectionLifecycle::Opened()
{
    // A login called off while this notification was on its way closed the
    // connection already: the disconnected look stays. A login shows the
    // connected look only once the server has welcomed it.
    if (!connection_.Opened() || loginUnderway_) return;
    // Even when the server has already hung up again: the look then changes
    // back when the program notices and closes its side.
    connectedLook_ = true;
    emit ConnectedLookDue();
}

void ConnectionLifecycle::Closed()
{
    connectedLook_ = false;
    emit DisconnectedLookDue();
    if (Reader() && !Reader()->Finished()) WaitForReader(timing().readerStopMs);
    const bool wasLoggedIn = std::exchange(loggedIn_, false);
    if (wasLoggedIn) rejoinHost_ = connection_.Host();
    // Lines of the ended connection may still be arriving in their windows:
    // the log's last word and the windows' notes come after them.
    const bool byUser = userDisconnects_;
    // Whatever still waits for its turn cannot go on a closed connection.
    DropWaitingLines();
    AfterLastLines([this, wasLoggedIn, byUser] {
        // The server's ERROR, if it sent one, is among the last lines.
        const QString reason = std::exchange(serverReason_, QString());
        frame_.AppendLog(QStringLiteral("Disconnected.."));
        if (wasLoggedIn) TellWindowsConnectionLost(byUser);
        if (wasLoggedIn && !reason.isEmpty()) TellWindowsWhyConnectionEnded(reason);
    });
    emit Ended(byUser, wasLoggedIn);
}

void ConnectionLifecycle::CloseConnection()
{
    connection_.Disconnect();  // raises the notification when it closed an open connection
    if (connectedLook_) Closed();
}

void ConnectionLifecycle::DropWaitingLines()
{
    // Each window says how many of its own lines did not go; the log counts
    // the program's. The pace starts afresh with the next connection.
    for (QWidget* child : frame_.ChildWindows()) {
        if (frame_.Sender().Waiting() == 0) break;
        if (auto* room = qobject_cast<RoomWindow*>(child))
            room->DropWaitingLines(room->RoomTarget());
        else if (auto* partner = qobject_cast<PrivateWindow*>(child))
            partner->DropWaitingLines(partner->Title());
    }
    if (const int dropped = frame_.Sender().DropAll(); dropped > 0)
        frame_.AppendLog(QStringLiteral("%1 waiting line(s) were not sent.").arg(dropped));
}

void ConnectionLifecycle::TellWindowsConnectionLost(bool byUser)
{
    for (QWidget* child : frame_.ChildWindows()) {
        if (auto* room = qobject_cast<RoomWindow*>(child))
            room->ConnectionLost(byUser);
        else if (auto* partner = qobject_cast<PrivateWindow*>(child))
            partner->ConnectionLost(byUser);
    }
}

void ConnectionLifecycle::TellWindowsWhyConnectionEnded(const QString& why)
{
    for (QWidget* child : frame_.ChildWindows()) {
        if (auto* room = qobject_cast<RoomWindow*>(child))
            room->ConnectionEndedBecause(why);
        else if (auto* partner = qobject_cast<PrivateWindow*>(child))
            partner->ConnectionEndedBecause(why);
    }
}
