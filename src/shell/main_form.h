#pragma once
// The frame window: holds every child window, the menus and tool bar, the one
// server connection, the reader thread and the values all windows share.
#include "protocol/line_connection.h"
#include "protocol/line_queue.h"
#include "protocol/reader_thread.h"

#include <QMainWindow>
#include <QMutex>
#include <QStringList>

#include <memory>
#include <optional>

class QMdiArea;
class QMdiSubWindow;
class TForm1;
class TForm3;
class TForm4;
class LineDrain;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The one server connection, shared by every window that writes lines.
    LineConnection IdTCPClient1;

    // --- Shared values, each accessor copies under one lock ---
    QString CurrentNick() const;
    void SetCurrentNick(const QString& nick);
    QString PendingPrivateNick() const;
    void SetPendingPrivateNick(const QString& nick);
    QString WhoPurpose() const;
    void SetWhoPurpose(const QString& purpose);
    // The ignore list: none until a connection made it (HasIgnoreList false).
    bool HasIgnoreList() const;
    QStringList IgnoreList() const;
    void SetIgnoreList(const std::optional<QStringList>& list);
    bool IsIgnored(const QString& nick) const;
    chandler* ReaderThread() const;

    // --- Child windows ---
    QMdiArea* MdiArea() const { return mdiArea_; }
    // The child windows' widgets, in the frame's order (creation order).
    QList<QWidget*> ChildWindows() const;
    // Adds a widget as a visible child window at the default position.
    QMdiSubWindow* AddChildWindow(QWidget* child);
    bool IsActiveChild(const QWidget* child) const;
    void BringToFront(QWidget* child);
    TForm4* Form4() const { return form4_; }
    // Appends one line to the server log (the room list window's log memo).
    void AppendLog(const QString& line);

    // --- Windows made on request (defined beside the window classes) ---
    TForm1* NewRoomWindow();                        // Chat, New: an empty room window "No Room"
    TForm1* OpenRoomWindow(const QString& room);    // a room window for room, joined at once
    TForm3* OpenPrivateWindowRequest();             // the open-private-window request: titled with the pending nick
    TForm3* OpenPrivateWindowFromUser(const QString& nick);  // Whisper, buddies: find by exact title or make one
    void IgnorePartnerNotification(const QString& nick);                    // a private window's partner to ignore

    // --- Reader ---
    // Starts the reader on the open connection with a copy of the current nick.
    void StartReader();
    // Asks the reader to stop, waits at most timeoutMs for it (the connection is
    // then closed so that its read ends) and disposes of it.
    void StopReader(int timeoutMs);
    // The reader ended on a transport error that the program did not cause.
    void ReaderEndedByServer(const QString& error);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWindow();

    mutable QMutex sharedLock_;
    QString currentNick_;
    QString pendingPrivateNick_;
    QString whoPurpose_;
    std::optional<QStringList> ignoreList_;

    QMdiArea* mdiArea_ = nullptr;
    TForm4* form4_ = nullptr;

    std::shared_ptr<LineQueue> queue_;
    LineDrain* drain_ = nullptr;  // disposed of with deleteLater: it may be mid-call
    std::unique_ptr<chandler> reader_;
    bool stoppingReader_ = false;
};
