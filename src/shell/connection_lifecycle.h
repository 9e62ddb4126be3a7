#pragma once
// The life of the one server connection on the program's side: the reader
// started at login, stopped at a disconnect or an exit, the lines it left
// shown or dropped, and every step that follows the end of a connection.
#include <QList>
#include "protocol/stream/line_connection.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <string>

class ChatFrame;
class ChatSession;
class LoginFeed;
class QWidget;
class ReaderThread;

class ConnectionLifecycle : public QObject, private LineConnection::Listener {
    Q_OBJECT
public:
    // owner: the frame window, parent of the session and of
    // the error boxes. The frame shows the connection's looks when told by
    // ConnectedLookDue and DisconnectedLookDue.
    ConnectionLifecycle(ChatFrame& frame, LineConnection& connection, QWidget* owner);
    ~ConnectionLifecycle() override;
    // The frame is going: no notification reaches it any more, the reader
    // stops, its lines are dropped and the connection closes.
    void Teardown();

    // --- A login ---
    // A login or registration is about to open the connection: the frame
    // keeps its disconnected look until the server welcomes the login.
    void BeginLogin();
    // The connection is open: the session is made and its reader started
    // at once, handing every line to feed until the login is over.
    void StartLoginReader(LoginFeed& feed);
    // The server welcomed the login (001): the frame shows its connected look.
    void LoginWelcomed();
    // The login failed or was called off: the connection closes and the
    // session goes with the lines it holds.
    void AbandonLogin();
    // The login succeeded: the session's lines go to the handlers from now on
    // (a session is made and its reader started if there was none), and rooms
    // left by a lost connection to the same server are joined again once the
    // caller has sent its first lines (Rejoin).
    void LoggedIn();
    void RejoinRooms();
    // Makes the session of the open connection and starts its reader (with
    // login, in its logging-in mode).
    void StartReader(LoginFeed* login = nullptr);
    // The connection's send limits, from the timings.
    void ApplySendLimits();

    // --- An ending ---
    // What becomes of the lines the reader left in its queue when it stops.
    enum class RestOfLines {
        Show,  // handled in slices bounded by time, as during the connection
        Drop,  // the program is closing: nothing more is rendered
    };
    // Asks the reader to stop, waits at most timeoutMs for it (the connection is
    // then closed so that its read ends) and disposes of it. The lines it left
    // are shown from here on (the first slice before this returns) or dropped.
    void StopReader(int timeoutMs, RestOfLines rest = RestOfLines::Show);
    // Chat, Disconnect: "quit" goes out, the reader stops, the connection
    // closes, and the windows say that the user disconnected.
    void Disconnect();
    // The program is closing: "quit" goes out when the connection is open,
    // with at most withinMs for the server to take it and hang up; the lines
    // still waiting are dropped.
    void Close(std::chrono::milliseconds within);
    // Closes the connection and makes sure the disconnected handling ran once,
    // also when the server had closed it first (which raises no notification).
    void CloseConnection();
    // A reader that ended by the server's doing, not yet handled: handle it now.
    void SettleEndedReader();
    // The program ends the connection itself (the server stopped answering):
    // the reader stops, the connection closes, and the log and every window
    // say why.
    void EndBecause(const QString& why);
    // The server said why it closes the link (ERROR): the log says so now,
    // and the windows' notes of the ending that follows say it again.
    void ServerClosingLink(const QString& reason);
    // The last connection's lines that wait are dropped (the frame is going).
    void DropRestOfLines();

    // --- State ---
    ChatSession* Session() const { return session_; }
    ReaderThread* Reader() const;
    // True while the lines of an ended connection are still being shown.
    bool ShowingRestOfLines() const { return endingSession_ != nullptr; }
    // True while received lines wait to be handled (a flood).
    bool LinesWaiting() const;
    // True while the frame shows its connected look.
    bool ConnectedLook() const { return connectedLook_; }

signals:
    // The frame shows its connected look; its disconnected look (the room
    // list emptied with it).
    void ConnectedLookDue();
    void DisconnectedLookDue();
    // The connection ended: byUser for Disconnect and Exit; wasLoggedIn when
    // a login had succeeded on it.
    void Ended(bool byUser, bool wasLoggedIn);

private:
    // The connection's own notifications, from whichever thread opened or
    // closed it; handled on the UI thread by Opened and Closed.
    void ConnectionOpened() override;
    void ConnectionClosed() override;
    void Opened();
    void Closed();
    // The reader ended on its own: on a transport error that the program did
    // not cause, or (unexpected) on another failure.
    void ReaderEndedByServer(const QString& error, bool unexpected = false);
    // Asks the reader to stop, sends "quit" and gives the server within to
    // take it and close (one that has not taken it within a second gets no
    // more); then disposes of the reader.
    void QuitAndStopReader(std::chrono::milliseconds within, RestOfLines rest);
    void WaitForReader(int timeoutMs);
    // Runs what must come after the last line of an ended connection (the log's
    // "Disconnected..", the windows' notes): now, or once those lines are shown.
    void AfterLastLines(std::function<void()> step);
    void FinishRestOfLines();
    // The lines still waiting for their turn go unsent, each window told of its own.
    void DropWaitingLines();
    // Every room and private window hears that the connection ended.
    void TellWindowsConnectionLost(bool byUser);
    // After the "lost" note: why the program closed the connection.
    void TellWindowsWhyConnectionEnded(const QString& why);

    ChatFrame& frame_;
    LineConnection& connection_;
    QWidget* owner_;
    ChatSession* session_ = nullptr;        // disposed of with deleteLater: a handler may be mid-call
    ChatSession* endingSession_ = nullptr;  // an ended connection whose lines are still being shown
    QList<std::function<void()>> afterLastLines_;
    bool connectedLook_ = false;
    bool loggedIn_ = false;         // a login succeeded and no disconnected handling followed yet
    bool loginUnderway_ = false;    // between BeginLogin and the login's end
    bool userDisconnects_ = false;  // the ending under way is one the user asked for
    std::string rejoinHost_;        // the server the room windows' pending rejoins belong to
    bool stoppingReader_ = false;
    QString serverReason_;     // what the server's ERROR said of the ending under way
};
